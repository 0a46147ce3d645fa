// Scene 1, opening titles (music start to order 3): a brightening background,
// a robot rising with shouts sliding in, a shrinking "non-stop" sign, a
// scrolling "destroy" banner, drifting clouds, two cross-fading logos, and a
// zooming background that takes over at the end. Flat 2D quads only; the
// position is read in every tick pass.
#include "../main/demo.h"
#include "FrameLoop.h"
#include "Scenes.h"
#include "TickTimer.h"

void OpeningTitlesTick(OpeningTitles& s, MusicPosition p) {
    uint32_t O = p.order, R = p.row;
    if (SyncFlag(1)) {
        ClearSyncFlag(2);
        ClearSyncFlag(1);
    }
    if (O < 3 && s.backgroundFade < 1) s.backgroundFade += 0.0002f;
    if (O >= 1) {
        if (s.cloudAlpha > 0) s.cloudAlpha -= 0.00005f;
        if (s.robotY > 0) s.robotY -= 0.029f;
        if (s.shoutX < 0) s.shoutX += 0.029f;
        if (s.robotY <= 0) {
            if (s.signAlpha < 1 && O < 3) s.signAlpha += 0.002f;
            if (s.signScale > 1) s.signScale -= 0.0008f;
            s.bannerX -= 0.06f;
        }
    }
    if (O == 1) {
        if (R < 32 && s.logoAlpha1 < 1) s.logoAlpha1 += 0.0008f;
        if (R >= 32) {
            if (s.logoAlpha1 > 0) s.logoAlpha1 -= 0.0008f;
            if (s.logoAlpha2 < 1) s.logoAlpha2 += 0.001f;
        }
    }
    if (O == 2) {
        if (s.logoAlpha2 > 0) s.logoAlpha2 -= 0.002f;
        if (R >= 48) {
            if (s.backgroundFade > 0) s.backgroundFade -= 0.0004f;
            if (s.layerFade > 0) s.layerFade -= 0.0005f;
            if (s.signAlpha > 0) s.signAlpha -= 0.0006f;
            s.signScale += 0.0025f;
            s.robotY += 0.08f;
            if (s.finalFade < 1) s.finalFade += 0.0005f;
            if (s.finalScale > 1) s.finalScale -= 0.0009f;
            s.bannerX -= 0.06f;
        }
    }
    s.cloudShift1 += 0.00006f;
    s.cloudShift2 -= 0.0001f;
}

static void Draw(const OpeningTitles& s, MusicPosition) {
    Kestrel3D* e = g_engine;
    e->set2D();
    e->fill(0, 0, 0);

    e->Blend(2);
    e->SetFade(s.backgroundFade);
    e->Image(0);

    if (s.signAlpha != 0) {
        e->Blend(2);
        e->SetAlpha(s.signAlpha);
        e->EnableQuadTransform();
        e->SetQuadTransform(0, s.signScale);
        e->sprite(384, 128, 256, 128, "non-stop");
        e->DisableQuadTransform();
    }

    e->DisableFeatures(kDepthTest | kCullFace | kLighting);
    e->edTexture(true);
    e->set2D();
    e->Blend(1);
    e->SetFade(s.layerFade);
    int shoutX = static_cast<int>(s.shoutX);
    e->sprite(shoutX, 0, 256, 256, "huuto1");
    if (SyncFlag(2)) e->sprite(shoutX, 0, 256, 256, "huuto2");
    e->sprite(shoutX, 0, 256, 256, "requested");
    e->sprite(0, static_cast<int>(s.robotY), 640, 256, "robo01");

    e->Blend(2);
    e->sprite(static_cast<int>(s.bannerX), 10, 256, 32, "destroy");

    if (s.cloudAlpha != 0) {
        e->SetAlpha(s.cloudAlpha);
        e->SetTextureOffset(s.cloudShift1, 0, 0);
        e->sprite(0, 0, 640, 256, "pilvi1");
        e->SetTextureOffset(s.cloudShift2, 0, 0);
        e->sprite(0, 0, 640, 256, "pilvi2");
    }
    e->ResetTextureMatrix();
    e->Blend(1);

    if (s.logoAlpha1 != 0) {
        e->SetAlpha(s.logoAlpha1);
        e->sprite(64, -64, 512, 256, "robot-qz");
    }
    if (s.logoAlpha2 != 0) {
        e->SetAlpha(s.logoAlpha2);
        e->sprite(64, -64, 512, 256, "miral-qz");
    }
    if (s.finalFade != 0) {
        e->Blend(2);
        e->EnableQuadTransform();
        e->SetQuadTransform(0, s.finalScale);
        e->SetFade(s.finalFade);
        e->sprite(0, 0, 640, 256, "tausta02");
        e->DisableQuadTransform();
    }
}

SceneEnd Scene1() {
    OpeningTitles s;
    g_engine->setFOV(65);
    g_tickTimer.Reset();
    return RunScene<OpeningTitles, OpeningTitlesTick, Draw>(1, s, true);
}
