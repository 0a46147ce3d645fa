// Scene 4, reconnecting (orders 9 to 13): captions over a background, a robot
// head and three curve strips rising, the glowing fan from order 10, and
// after sync 3 an outlined tumbling mesh that syncs 4 and 0 switch; a long
// background zooms in at the end.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "../main/demo.h"
#include "BlueLights.h"
#include "Fan.h"
#include "FrameLoop.h"
#include "Scenes.h"
#include "TickTimer.h"

static const char* const kMeshes[] = {"trendy01", "piikki1", "piikki2"};

void TiltKick(Reconnecting& s) {
    if (std::rand() % 2) {
        s.tiltX = 45;
        s.tiltZ = -12;
    } else {
        s.tiltZ = 32;
        s.tiltX = -20;
    }
    if (s.calm) {
        s.tiltX *= kCalmKick;
        s.tiltZ *= kCalmKick;
    }
}

static void Settle(float& tilt) {
    if (tilt > 0) tilt -= 0.006f;
    if (tilt < 0) tilt += 0.006f;
}

void ReconnectingTick(Reconnecting& s, MusicPosition p) {
    uint32_t O = p.order, R = p.row;
    if (O == 12 && R > 48) {
        if (s.longFade < 1) s.longFade += 0.0005f;
        if (s.longScale > 1) s.longScale -= 0.0009f;
        if (s.headY < 256) s.headY += 0.08f;
        s.meshZ += 0.0007f;
        s.meshY -= 0.0001f;
    }
    if (O == 10 && R > 32 && s.fanAlpha < 0.3f) s.fanAlpha += 0.0002f;
    if (O == 11 && s.backdropFade > 0) s.backdropFade -= 0.0006f;
    if (O < 11) {
        if (s.headY > 129) s.headY -= 0.05f;
        if (s.headY <= 129 && s.curveY > 185) s.curveY -= 0.01f;
    }
    if (SyncFlag(4)) {
        ClearSyncFlag(4);
        s.meshIndex += 1;
        TiltKick(s);
    }
    if (O >= 11) {
        if (SyncFlag(0)) {
            ClearSyncFlag(0);
            s.fanAlpha = s.calm ? std::max(s.fanAlpha, kCalmFanAlpha) : 1;
            s.meshIndex += 1;
            TiltKick(s);
        }
        if (s.curveY < 260) s.curveY += 0.05f;
        if (s.fanAlpha > 0.3f) s.fanAlpha -= 0.002f;
    }
    if (s.meshIndex > 2) s.meshIndex = 0;
    Settle(s.tiltX);
    Settle(s.tiltZ);
    s.curveShift += 0.0003f;
    g_fanAngle += 0.02f;
    s.meshSpin += 0.08f;
}

static void PlaceMesh(const Reconnecting& s) {
    glLoadIdentity();
    glTranslatef(-0.5f, s.meshY, -1 + s.meshZ);
    glRotatef(s.tiltZ, 0, 0, 1);
    glRotatef(s.tiltX, 1, 0, 0);
    glRotatef(s.meshSpin, 0, 1, 0);
}

static void DrawOutlinedMesh(const Reconnecting& s) {
    Kestrel3D* e = g_engine;
    e->changeFOV(95);
    e->Blend(3);
    e->EnableFeatures(kDepthTest | kCullFace | kLighting);
    glClear(GL_DEPTH_BUFFER_BIT);
    e->edTexture(false);
    glLoadIdentity();
    e->light.SetPosition(2 * std::sin(s.meshSpin / 100) - 1, 1, 0.5f, GL_LIGHT0);
    e->light.SetPosition(2 * std::sin(-s.meshSpin / 100) - 1, 1, -2.5f, GL_LIGHT1);

    e->SetFade(0);
    glDepthMask(GL_FALSE);
    e->DisableFeatures(kLighting);
    PlaceMesh(s);
    glScalef(1.1f, 1.1f, 1.1f);
    e->drawObject(kMeshes[s.meshIndex]);

    e->EnableFeatures(kLighting);
    glDepthMask(GL_TRUE);
    PlaceMesh(s);
    e->drawObject(kMeshes[s.meshIndex]);

    e->DisableFeatures(kDepthTest | kCullFace | kLighting);
    e->edTexture(true);
    e->set2D();
}

static void Draw(const Reconnecting& s, MusicPosition p) {
    Kestrel3D* e = g_engine;
    e->set2D();
    e->SetFade(s.backdropFade);
    e->Blend(3);
    e->Image("tausta05");

    e->Blend(1);
    e->sprite(0, 0, 256, 32, "rekonnekting");
    if (SyncFlag(1)) e->sprite(384, 0, 256, 128, "connecting");
    if (SyncFlag(2)) e->sprite(384, 128, 256, 128, "nomatch");

    if (s.fanAlpha != 0 && p.order < 13) {
        DrawFan(s.fanAlpha);
        e->set2D();
    }
    if (SyncFlag(3)) DrawOutlinedMesh(s);

    int curveY = static_cast<int>(s.curveY);
    e->SetFade(2 * s.backdropFade);
    e->Blend(3);
    e->sprite(0, curveY, 640, 24, "kayra_tausta");
    e->Blend(2);
    e->SetTextureOffset(s.curveShift, 0, 0);
    e->sprite(0, curveY, 640, 24, "kayra");
    e->SetTextureOffset(-s.curveShift, 0, 0);
    e->sprite(0, curveY, 640, 24, "bitit");
    e->ResetTextureMatrix();

    e->Blend(1);
    e->SetFade(1);
    e->sprite(0, static_cast<int>(s.headY), 256, 128, "robo_paa01");

    if (s.longFade != 0) {
        e->Blend(2);
        e->SetFade(s.longFade);
        e->EnableQuadTransform();
        e->SetQuadTransform(0, s.longScale);
        e->sprite(0, 0, 1280, 256, "pitka_tausta");
        e->DisableQuadTransform();
    }
}

SceneEnd Scene4() {
    SetUpBlueLights();

    Reconnecting s;
    s.calm = CalmShow();
    g_fanAngle = 0;
    g_tickTimer.Reset();
    return RunScene<Reconnecting, ReconnectingTick, Draw>(4, s);
}
