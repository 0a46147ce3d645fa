// Scene 8, greetings (orders 21 to 23): a lit frame and a panel textured with
// the greeting of the second turn together as the view zooms in; the greeting
// changes once a second; at the end they fly off and noise bars fade in.
#include <cmath>

#include "../main/demo.h"
#include "CubeGrid.h"
#include "FrameLoop.h"
#include "Scenes.h"
#include "TickTimer.h"

void AdvanceBarPhases() {
    g_barPhase1 += 0.001f;
    g_barPhase2 += 0.0006f;
    g_barPhase3 += 0.0004f;
    g_barPhase4 += 0.0008f;
}

void GreetingsTick(Greetings& s, MusicPosition p) {
    if (p.order == 22 && p.row > 48) {
        s.meshZ -= 0.006f;
        if (s.backFade > 0) s.backFade -= 0.001f;
        if (s.barAlpha < 0.5f) s.barAlpha += 0.0002f;
    }
    s.yaw += 0.05f;
    s.wobble += 0.0002f;
    if (s.fov > 65) s.fov -= 0.035f;
    AdvanceBarPhases();
}

// At most one step per frame, at least a second after the previous one:
// -4 to -1, then 0 which becomes 38 (the first greeting), on to 49.
void GreetingsStepPicture(Greetings& s, int32_t nowMs) {
    if (nowMs - s.lastSecond < 1000) return;
    s.lastSecond = nowMs;
    if (s.greetIndex < 49) s.greetIndex += 1;
    if (s.greetIndex == 0) s.greetIndex = 38;
}

static void Draw(Greetings& s, MusicPosition p) {
    Kestrel3D* e = g_engine;
    GreetingsStepPicture(s, g_tickTimer.Now());
    UploadNoise();

    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    e->set2D();
    e->Blend(2);
    e->SetFade(s.backFade);
    e->Image("tausta05");

    e->changeFOV(s.fov);
    e->EnableFeatures(kDepthTest | kCullFace | kLighting);
    e->edTexture(false);
    e->Blend(3);
    glColor4f(1, 1, 1, 1);
    glLoadIdentity();
    float lightY = static_cast<float>(0.2 * std::cos(static_cast<double>(s.wobble) / 4));
    e->light.SetPosition(0.2f, lightY, -1.2f, GL_LIGHT0);
    glLoadIdentity();
    glTranslatef(0.7f, 0, s.meshZ);
    glRotatef(s.yaw, 0, 1, 0);
    glRotatef(static_cast<float>(18 * std::sin(static_cast<double>(s.wobble))), 1, 0, 0);
    glRotatef(180, 0, 0, 1);
    e->drawObject("greetings2");

    e->DisableFeatures(kCullFace | kLighting);
    glColor4f(1, 1, 1, 1);
    e->edTexture(true);
    e->useTexture(s.greetIndex > 38 ? s.greetIndex : 38);
    e->drawObject("greetings1");
    e->DisableFeatures(kDepthTest);

    e->set2D();
    e->Blend(2);
    e->SetAlpha(s.barAlpha);
    if (p.order == 22) DrawNoiseBars();
}

SceneEnd Scene8() {
    Greetings s;
    Lighting& light = g_engine->light;
    Lighting::EnableCap(GL_LIGHT0);
    light.SetAmbient(0.1f, 0.4f, 0.8f, GL_LIGHT0);
    light.SetDiffuse(1, 1, 1, GL_LIGHT0);
    light.SetSpecular(1, 1, 1, GL_LIGHT0);
    light.SetShininess(160);
    light.SetMaterial(0.1f, 0.8f, 0.5f, GL_SPECULAR);
    light.SetMaterial(0.1f, 0.8f, 0.5f, GL_DIFFUSE);
    glEnable(GL_NORMALIZE);
    glShadeModel(GL_SMOOTH);
    g_engine->GSTexture();
    g_engine->noAlphaMap();
    g_engine->TextureLinear();
    g_engine->setFOV(65);
    g_engine->getHDC();
    g_barPhase1 = 0.82f;
    g_barPhase2 = 1.43f;
    g_barPhase3 = 0.4f;
    g_barPhase4 = 0;
    ClearSyncFlag(3);
    ClearSyncFlag(2);
    ClearSyncFlag(1);

    g_tickTimer.Reset();
    s.lastSecond = g_tickTimer.Now();
    return RunScene<Greetings, GreetingsTick, Draw>(8, s);
}
