// The shared scene loop, written once; each scene supplies its ticks and drawing.
#include "FrameLoop.h"

#include <chrono>
#include <cstdio>
#include <cstring>

#include "../main/demo.h"
#include "Checkpoints.h"
#include "DataWatch.h"
#include "Player.h"
#include "platform/options.h"
#include "platform/runtime.h"
#include "TickTimer.h"

static void ReadPosition(MusicPosition* position) {
    position->order = g_engine->ow->GetOrder();
    position->row = g_engine->ow->GetRow();
}

static uint32_t RaisedFlags() {
    uint32_t raised = 0;
    for (int flag = 0; flag < 7; ++flag)
        if (SyncFlag(flag)) raised |= 1u << flag;
    return raised;
}

static double MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

SceneEnd RunSceneFrames(const SceneFrame& frame) {
    MusicPosition position{0, 0};
    char text[96];
    PutBackChosenCheckpoint(frame);
    for (;;) {
        KeepCheckpointIfDue(frame);
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!GetMessageA(&msg, nullptr, 0, 0)) return SceneEnd::kQuit;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            if (!g_engine) return SceneEnd::kQuit;  // the message closed the window
        }
        if (DataSetChanged() && PlayerSeeksToTheMomentShown()) return SceneEnd::kSeek;
        PlayerStep step = PlayerBeforeFrame(frame.scene);
        if (step == PlayerStep::kSeek) return SceneEnd::kSeek;
        if (step == PlayerStep::kQuit) return SceneEnd::kQuit;
        if (step == PlayerStep::kHold) {
            HoldPausedFrame();
            continue;
        }
        auto frameStart = std::chrono::steady_clock::now();
        if (!frame.positionEveryTick) ReadPosition(&position);
        g_tickTimer.Update();
        do {
            if (frame.positionEveryTick) ReadPosition(&position);
            frame.tick(frame.state, position);
            g_tickTimer.Advance();
        } while (g_tickTimer.Pending());

        step = PlayerBeforeDraw(position);
        if (step == PlayerStep::kSeek) return SceneEnd::kSeek;
        if (step == PlayerStep::kQuit) return SceneEnd::kQuit;
        uint64_t showFrame = platform::ShowFrameNow();
        platform::NoteFrame(frame.scene, position.order, position.row, RaisedFlags());
        frame.draw(frame.state, position);
        g_engine->pswap();
        NoteFrameDrawn(position);

        uint32_t row = g_engine->ow->GetRow();
        uint32_t order = g_engine->ow->GetOrder();
        if (frame.positionLine) frame.positionLine(frame.state, text, sizeof text, order, row);
        else std::snprintf(text, sizeof text, "order: %d, row: %d", static_cast<int>(order), static_cast<int>(row));
        TextOutA(g_engine->ow->GetDC(), 0, 0, text, static_cast<int>(std::strlen(text)));
        PlayerAfterFrame(frame.scene, position, showFrame, MsSince(frameStart), text);

        if (position.order >= frame.endOrder) return SceneEnd::kDone;
    }
}

bool CalmShow() { return platform::Options().calm; }
