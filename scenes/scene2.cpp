// Scene 2, swaying robot (orders 3 to 6): the robot mesh rises over a dimmed
// background between two circling coloured lights, with an additive glowing
// copy behind it; sync 0 flashes a ring; the next background zooms in at the end.
#include <cmath>

#include "../main/demo.h"
#include "FrameLoop.h"
#include "Scenes.h"
#include "TickTimer.h"

void SwayingRobotTick(SwayingRobot& s, MusicPosition p) {
    uint32_t O = p.order, R = p.row;
    if (O == 5 && R > 48) {
        if (s.backdropFade > 0) s.backdropFade -= 0.0006f;
        if (s.nextFade < 1) s.nextFade += 0.0005f;
        if (s.nextScale > 1) s.nextScale -= 0.0009f;
        s.robotY += 0.0006f;
        if (s.ghostAlpha > 0) s.ghostAlpha -= 0.0003f;
        s.ghostScale += 0.0002f;
    }
    if (SyncFlag(0)) {
        ClearSyncFlag(0);
        s.ringFade = s.calm ? kCalmRingFade : 1;
        s.ringScale = 1;
    }
    if (s.ringFade > 0) s.ringFade -= 0.001f;
    if (s.ringScale < 3) s.ringScale += 0.002f;
    if (O < 5 && s.robotY < 0.1f) {
        s.robotY += 0.0001f;
        s.ghostY = s.robotY;
    }
    s.spin += 0.0003f;
}

static void PlaceRobot(float y, float spin) {
    glLoadIdentity();
    glTranslatef(0.5f, y, -1.2f);
    glRotatef(25 * static_cast<float>(std::sin(static_cast<double>(spin))) - 25, 0, 1, 0);
    glRotatef(110, 1, 0, 0);
}

static void Draw(const SwayingRobot& s, MusicPosition) {
    Kestrel3D* e = g_engine;
    e->fill(0, 0, 0);

    e->set2D();
    e->SetFade(s.backdropFade);
    e->Blend(3);
    e->Image("tausta02");

    e->setFOV();
    e->EnableFeatures(kDepthTest | kCullFace | kLighting);
    glClear(GL_DEPTH_BUFFER_BIT);
    e->edTexture(false);

    double spin = s.spin;
    e->light.SetPosition(static_cast<float>(std::sin(spin) + 0.5), 0, static_cast<float>(std::cos(spin) - 1.2), GL_LIGHT0);
    e->light.SetPosition(static_cast<float>(std::sin(spin + 3.14) + 0.5), 0,
                         static_cast<float>(std::cos(spin + 3.14) - 1.2), GL_LIGHT1);

    PlaceRobot(s.robotY, s.spin);
    glScalef(0.2f, 0.2f, 0.2f);
    e->drawObject("robot01");

    e->DisableFeatures(kLighting);
    e->edTexture(true);
    e->Blend(2);
    e->SetAlpha(s.ghostAlpha);
    glDepthMask(GL_FALSE);
    PlaceRobot(s.ghostY, s.spin);
    glScalef(s.ghostScale, s.ghostScale, s.ghostScale);
    e->drawObject("robot01");
    glDepthMask(GL_TRUE);

    e->DisableFeatures(kDepthTest | kCullFace | kLighting);
    e->set2D();
    e->Blend(2);
    e->EnableQuadTransform();
    e->SetQuadTransform(0, s.ringScale);
    e->SetFade(s.ringFade);
    e->sprite(455, 64, 64, 64, "rengas");
    if (s.nextFade != 0) {
        e->SetFade(s.nextFade);
        e->SetQuadTransform(0, s.nextScale);
        e->sprite(0, 0, 640, 256, "tausta03");
    }
    e->DisableQuadTransform();
}

SceneEnd Scene2() {
    Lighting& light = g_engine->light;
    Lighting::EnableCap(GL_LIGHT0);
    Lighting::EnableCap(GL_LIGHT1);
    light.SetAmbient(0.2f, 0.2f, 0.2f, GL_LIGHT0);
    light.SetAmbient(0.2f, 0.2f, 0.2f, GL_LIGHT1);
    light.SetDiffuse(1, 1, 1, GL_LIGHT0);
    light.SetDiffuse(0.1f, 0.2f, 0.9f, GL_LIGHT1);
    light.SetSpecular(1, 1, 1, GL_LIGHT0);
    light.SetSpecular(1, 0.2f, 0.1f, GL_LIGHT1);
    light.SetShininess(90);
    light.SetMaterial(0.4f, 0.05f, 0.8f, GL_SPECULAR);
    light.SetMaterial(0.4f, 0.05f, 0.8f, GL_DIFFUSE);
    glEnable(GL_NORMALIZE);
    glShadeModel(GL_SMOOTH);
    g_engine->setFOV(65);
    glClearColor(0, 0, 0, 0);

    SwayingRobot s;
    s.calm = CalmShow();
    g_tickTimer.Reset();
    return RunScene<SwayingRobot, SwayingRobotTick, Draw>(2, s);
}
