// Scene 9, closing cube wall (orders 23 to 27): noise bars sway over the band
// while a wall of lit cubes grows and wobbles; in order 26 both fade away,
// and the show closes after this scene.
#include <cmath>

#include "../main/demo.h"
#include "CubeGrid.h"
#include "FrameLoop.h"
#include "Scenes.h"
#include "TickTimer.h"

namespace {
GridCell g_wallCells[256];
}

void CubeWallTick(CubeWall& s, MusicPosition p) {
    if (p.order == 26) {
        if (s.barAlpha > 0) s.barAlpha -= 0.00007f;
        s.cubeScale = 2 * s.barAlpha;
    }
    s.wobble3 += 0.0006f;
    s.wobble2 += 0.0004f;
    s.wobble1 += 0.0008f;
    AdvanceBarPhases();
    if (p.order < 26 && s.cubeScale < 1) s.cubeScale += 0.0001f;
}

static void Draw(const CubeWall& s, MusicPosition) {
    Kestrel3D* e = g_engine;
    UploadNoise();
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    e->set2D();
    e->Blend(2);
    e->SetAlpha(s.barAlpha);
    DrawNoiseBars();

    e->changeFOV(65);
    e->EnableFeatures(kDepthTest | kCullFace | kLighting);
    e->edTexture(false);
    e->Blend(3);
    double w2 = s.wobble2, w3 = s.wobble3;
    e->light.SetPosition(static_cast<float>(1.2 * std::sin(w2)), 0, static_cast<float>(1.2 * std::cos(w2) - 1.6), GL_LIGHT0);
    e->light.SetPosition(0, static_cast<float>(2.4 * std::cos(w3 + 3.14)), static_cast<float>(1.2 * std::sin(w3 + 3.14) - 1.6),
                         GL_LIGHT1);
    if (s.cubeScale > 0.05f) {
        for (const GridCell& cell : g_wallCells) {
            glLoadIdentity();
            glTranslatef(0, 0, -1.9f);
            glRotatef(12 * std::sin(s.wobble1), 0, 0, 1);
            glRotatef(25 * std::cos(s.wobble2), 0, 1, 0);
            glRotatef(45 * std::sin(std::cos(s.wobble3)), 1, 0, 0);
            glTranslatef(cell.x, cell.y, 0);
            glScalef(s.cubeScale, s.cubeScale, s.cubeScale);
            e->drawObject("cuube");
        }
    }
    e->edTexture(true);
    e->DisableFeatures(kDepthTest | kCullFace | kLighting);
}

SceneEnd Scene9() {
    CubeWall s;
    Lighting& light = g_engine->light;
    Lighting::EnableCap(GL_LIGHT0);
    Lighting::EnableCap(GL_LIGHT1);
    light.SetAmbient(0.4f, 0.5f, 0.8f, GL_LIGHT0);
    light.SetAmbient(0.4f, 0.5f, 0.8f, GL_LIGHT1);
    light.SetDiffuse(1, 1, 1, GL_LIGHT0);
    light.SetDiffuse(0.1f, 0.2f, 0.9f, GL_LIGHT1);
    light.SetSpecular(1, 1, 1, GL_LIGHT0);
    light.SetSpecular(1, 0.2f, 0.1f, GL_LIGHT1);
    light.SetShininess(160);
    light.SetMaterial(0.4f, 0.05f, 0.8f, GL_SPECULAR);
    light.SetMaterial(0.4f, 0.05f, 0.8f, GL_DIFFUSE);
    glEnable(GL_NORMALIZE);
    glShadeModel(GL_SMOOTH);
    BuildGrid(g_wallCells);
    g_engine->GSTexture();
    g_engine->noAlphaMap();
    g_engine->TextureLinear();
    g_engine->setFOV(65);
    g_engine->getHDC();
    ClearSyncFlag(3);
    ClearSyncFlag(2);
    ClearSyncFlag(1);

    g_tickTimer.Reset();
    return RunScene<CubeWall, CubeWallTick, Draw>(9, s);
}
