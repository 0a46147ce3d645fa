// Scene 7, credits (orders 18 to 21): a square, a triangle and a circle slide
// in from the right; syncs 1, 2 and 3 fade the music, graphics and code
// credits in over them and, the second time, out again with their shape.
#include "../main/demo.h"
#include "FrameLoop.h"
#include "Scenes.h"
#include "TickTimer.h"

static void Count(int flag, int& syncs) {
    if (SyncFlag(flag)) {
        ClearSyncFlag(flag);
        syncs += 1;
    }
}

void CreditsTick(Credits& s, MusicPosition p) {
    uint32_t O = p.order, R = p.row;
    if (O == 20 && R >= 48) {
        if (s.oldFade > 0) s.oldFade -= 0.0005f;
        if (s.newFade < 1) s.newFade += 0.0005f;
        if (s.newScale > 1) s.newScale -= 0.0009f;
    }
    if (s.triangleX > 384) s.triangleX -= 0.21f;
    if (s.squareX > -48) s.squareX -= 0.49f;
    if (s.circleX > 192) s.circleX -= 0.33f;
    Count(1, s.musicSyncs);
    Count(2, s.graphicsSyncs);
    Count(3, s.codeSyncs);
    if (s.codeSyncs == 1 && s.codeFade < 1) s.codeFade += 0.0006f;
    if (s.graphicsSyncs == 1 && s.graphicsFade < 1) s.graphicsFade += 0.0006f;
    if (s.musicSyncs == 1 && s.musicFade < 1) s.musicFade += 0.0006f;
    if (s.codeSyncs == 2 && s.codeFade > 0) s.codeFade -= 0.0004f;
    if (s.graphicsSyncs == 2 && s.graphicsFade > 0) s.graphicsFade -= 0.0004f;
    if (s.musicSyncs == 2 && s.musicFade > 0) s.musicFade -= 0.0004f;
    if (O == 20 && R > 48) s.oldFade -= 0.0004f;
}

static void Draw(const Credits& s, MusicPosition) {
    Kestrel3D* e = g_engine;
    int squareX = static_cast<int>(s.squareX);
    int triangleX = static_cast<int>(s.triangleX);
    int circleX = static_cast<int>(s.circleX);
    e->set2D();
    e->SetFade(s.oldFade);
    e->Blend(3);
    e->Image("tausta07");
    e->Blend(2);
    e->SetAlpha(1);
    if (s.musicSyncs < 2) e->sprite(squareX, 0, 256, 256, "nelio");
    if (s.codeSyncs < 2) e->sprite(triangleX, 0, 256, 256, "kolmio");
    if (s.graphicsSyncs < 2) e->sprite(circleX, 0, 256, 256, "ympyra");
    e->Blend(1);
    e->SetFade(s.musicFade);
    e->sprite(squareX, 0, 256, 256, "muusikko");
    e->SetFade(s.codeFade);
    e->sprite(triangleX, 0, 256, 256, "koodari");
    e->SetFade(s.graphicsFade);
    e->sprite(circleX, 0, 256, 256, "graafikko");
    if (s.newFade != 0) {
        e->Blend(2);
        e->SetFade(s.newFade);
        e->EnableQuadTransform();
        e->SetQuadTransform(0, s.newScale);
        e->sprite(0, 0, 640, 256, "tausta05");
        e->DisableQuadTransform();
    }
}

SceneEnd Scene7() {
    g_engine->getHDC();
    ClearSyncFlag(3);
    ClearSyncFlag(2);
    ClearSyncFlag(1);
    Credits s;
    g_tickTimer.Reset();
    return RunScene<Credits, CreditsTick, Draw>(7, s);
}
