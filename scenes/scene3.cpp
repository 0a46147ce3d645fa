// Scene 3, title reveal and spinning mesh (orders 6 to 9): the title parts
// light up on syncs 1 to 3 beside a robot; from order 7 a textured mesh
// tumbles between two lights and sync 4 kicks it; a strip and flickering
// lines run below; the next background zooms in at the end.
#include <cmath>
#include <cstdlib>

#include "../main/demo.h"
#include "BlueLights.h"
#include "FrameLoop.h"
#include "Scenes.h"
#include "TickTimer.h"

void TitleRevealTick(TitleReveal& s, MusicPosition p) {
    uint32_t O = p.order, R = p.row;
    if (s.robotFade < 1) s.robotFade += 0.0005f;
    if (O == 8) {
        if (s.robotFade > 0) s.robotFade -= 0.0009f;
        if (R > 48) {
            if (s.backdropFade > 0) s.backdropFade -= 0.001f;
            if (s.finalFade < 1) s.finalFade += 0.0005f;
            if (s.finalScale > 1) s.finalScale -= 0.00095f;
            s.slideX += 0.0008f;
        }
    }
    s.tumble += 0.08f;
    s.stripShift += 0.00006f;
    if (O < 7 && s.lineAlpha < 1) s.lineAlpha += 0.0001f;
    if (O >= 7 && s.lineAlpha > 0) s.lineAlpha -= 0.0009f;
    if (SyncFlag(4)) {
        ClearSyncFlag(4);
        s.roll += 20;
        s.kickZ = 0.4f;
    }
    if (s.kickZ > 0) s.kickZ -= 0.0005f;
}

static void DrawLine(float x1, float y1, float z1, float x2, float y2, float z2, float r, float g, float b, float a) {
    glLoadIdentity();
    glBegin(GL_LINES);
    glColor4f(r, g, b, a);
    glVertex3f(x1, y1, z1);
    glColor4f(r, g, b, a);
    glVertex3f(x2, y2, z2);
    glEnd();
}

static void DrawMesh(const TitleReveal& s) {
    Kestrel3D* e = g_engine;
    Lighting& light = e->light;
    glClear(GL_DEPTH_BUFFER_BIT);
    e->Blend(3);
    e->changeFOV(95);
    e->EnableFeatures(kDepthTest | kCullFace | kLighting);
    e->edTexture(false);
    glLoadIdentity();
    float b = s.backdropFade;
    light.SetAmbient(0, 0.4f * b, 0.8f * b, GL_LIGHT0);
    light.SetDiffuse(b, b, b, GL_LIGHT0);
    light.SetSpecular(b, b, b, GL_LIGHT0);
    light.SetShininess(165 * b);
    light.SetPosition(2 * static_cast<float>(std::sin(s.tumble / 100)) - 1, 1, 0.5f, GL_LIGHT0);
    light.SetPosition(2 * static_cast<float>(std::sin(-s.tumble / 100)) - 1, 1, -2.5f, GL_LIGHT1);
    e->SetFade(0);
    glLoadIdentity();
    glTranslatef(-0.5f - s.slideX, 0.2f, -1 + s.kickZ);
    glRotatef(s.roll, 0, 0, 1);
    glRotatef(s.tumble, 1, 0, 0);
    glRotatef(2 * s.tumble, 0, 1, 0);
    e->drawObject("trendy02_t");
    e->DisableFeatures(kDepthTest | kCullFace | kLighting);
    e->edTexture(true);
    e->set2D();
    e->Blend(1);
    e->SetFade(s.robotFade);
    e->sprite(128, 0, 512, 256, "robo_kadeton");
}

static void Draw(const TitleReveal& s, MusicPosition p) {
    Kestrel3D* e = g_engine;
    e->fill(0, 0, 0);
    e->set2D();
    e->SetFade(s.backdropFade);
    e->Blend(3);
    if (p.order == 6) e->Image("tausta03");
    if (p.order >= 7) e->Image("tausta04");

    e->Blend(2);
    e->SetFade(s.lineAlpha);
    e->SetTextureOffset(s.stripShift, 0, 0);
    e->sprite(0, 220, 640, 16, "bitit1");
    e->ResetTextureMatrix();

    e->edTexture(false);
    for (int i = 0; i < 20; ++i) {
        int k = std::rand() % 20;
        float y = static_cast<float>(k + 218 + 112);
        DrawLine(0, y, 0, 640, y, 0, 0.01f, 0.25f, 0.7f, s.calm ? s.lineAlpha * kCalmLineAlpha : s.lineAlpha);
    }
    e->edTexture(true);

    if (p.order == 6) {
        e->Blend(1);
        e->SetFade(s.robotFade);
        e->sprite(0, 0, 640, 256, "robo_kadellinen");
        e->Blend(2);
        if (SyncFlag(1)) e->sprite(0, 0, 128, 128, "pqn_eka");
        if (SyncFlag(2)) e->sprite(0, 0, 256, 128, "pqn_toka");
        if (SyncFlag(3)) e->sprite(0, 0, 256, 128, "pqn_kolmas");
    }
    if (p.order >= 7) DrawMesh(s);
    if (s.finalFade != 0) {
        e->Blend(2);
        e->SetFade(s.finalFade);
        e->EnableQuadTransform();
        e->SetQuadTransform(0, s.finalScale);
        e->sprite(0, 0, 640, 256, "tausta05");
        e->DisableQuadTransform();
    }
}

SceneEnd Scene3() {
    SetUpBlueLights();

    TitleReveal s;
    s.calm = CalmShow();
    g_tickTimer.Reset();
    SceneEnd end = RunScene<TitleReveal, TitleRevealTick, Draw>(3, s);
    if (end == SceneEnd::kDone)
        for (int flag = 1; flag <= 4; ++flag) ClearSyncFlag(flag);
    return end;
}
