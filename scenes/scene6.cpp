// Scene 6, background zoom cut (order 17 to 18): from row 48 one background
// darkens while the next fades in additively, shrinking from three times its size.
#include "../main/demo.h"
#include "FrameLoop.h"
#include "Scenes.h"
#include "TickTimer.h"

void ZoomCutTick(ZoomCut& s, MusicPosition p) {
    if (p.row >= 48) {
        if (s.oldFade > 0) s.oldFade -= 0.0005f;
        if (s.newFade < 1) s.newFade += 0.0005f;
        if (s.newScale > 1) s.newScale -= 0.0009f;
    }
}

static void Draw(const ZoomCut& s, MusicPosition) {
    Kestrel3D* e = g_engine;
    e->set2D();
    e->SetFade(s.oldFade);
    e->Blend(3);
    e->Image("tausta06");
    if (s.newFade != 0.0f) {
        e->Blend(2);
        e->SetFade(s.newFade);
        e->EnableQuadTransform();
        e->SetQuadTransform(0, s.newScale);
        e->sprite(0, 0, 640, 256, "tausta07");
        e->DisableQuadTransform();
    }
}

SceneEnd Scene6() {
    g_engine->getHDC();
    ClearSyncFlag(3);
    ClearSyncFlag(2);
    ClearSyncFlag(1);
    ZoomCut s;
    g_tickTimer.Reset();
    return RunScene<ZoomCut, ZoomCutTick, Draw>(6, s);
}
