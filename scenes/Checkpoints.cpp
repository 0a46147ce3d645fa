// The show's checkpoints and seeks (see Checkpoints.h).
#include "Checkpoints.h"

#include <cstring>
#include <map>
#include <memory>

#include "../main/demo.h"
#include "TickTimer.h"
#include "platform/checkpoint.h"

namespace {

struct ShowCheckpoint {
    int scene = 1;
    bool hasLast = false;
    MusicPosition lastPosition{0, 0};
    std::shared_ptr<void> sceneState;
    Kestrel3D::Settings engine{};
    int32_t syncFlags[7] = {};
    float fanAngle = 0, barPhases[4] = {};
    bool hasGlyphAt = false;
    unsigned char glyphAt[256] = {};
    TickTimer tickTimer;
    std::shared_ptr<const platform::RunCheckpoint> run;
};

struct CheckpointStore {
    std::map<uint64_t, ShowCheckpoint> byFrame;  // by the show frame drawn next
    const ShowCheckpoint* chosen = nullptr;      // put back as its scene starts
    bool hasLast = false;                        // the position of the frame drawn last
    MusicPosition lastPosition{0, 0};
};

CheckpointStore& Store() {
    static CheckpointStore store;
    return store;
}

// Half a second of show between checkpoints.
uint64_t FramesBetweenCheckpoints() {
    int frames = platform::Options().framesPerSecond / 2;
    return static_cast<uint64_t>(frames > 0 ? frames : 1);
}

DWORD Music() { return g_engine ? g_engine->ow->GetMusicChannel() : 0; }

float* BarPhases[4] = {&g_barPhase1, &g_barPhase2, &g_barPhase3, &g_barPhase4};

ShowCheckpoint Keep(const SceneFrame& frame) {
    ShowCheckpoint c;
    c.scene = frame.scene;
    c.hasLast = Store().hasLast;
    c.lastPosition = Store().lastPosition;
    c.sceneState = frame.keepState(frame.state);
    c.engine = g_engine->CurrentSettings();
    for (int flag = 0; flag < 7; ++flag) c.syncFlags[flag] = g_syncFlags[flag].load(std::memory_order_relaxed);
    c.fanAngle = g_fanAngle;
    for (int i = 0; i < 4; ++i) c.barPhases[i] = *BarPhases[i];
    c.hasGlyphAt = g_glyphAt != nullptr;
    if (g_glyphAt) std::memcpy(c.glyphAt, g_glyphAt, sizeof c.glyphAt);
    c.tickTimer = g_tickTimer;
    c.run = platform::SaveRunState(Music());
    return c;
}

void PutBack(const ShowCheckpoint& c, const SceneFrame& frame) {
    frame.putBackState(frame.state, c.sceneState.get());
    g_engine->RestoreSettings(c.engine);
    for (int flag = 0; flag < 7; ++flag) g_syncFlags[flag].store(c.syncFlags[flag], std::memory_order_relaxed);
    g_fanAngle = c.fanAngle;
    for (int i = 0; i < 4; ++i) *BarPhases[i] = c.barPhases[i];
    if (g_glyphAt && c.hasGlyphAt) std::memcpy(g_glyphAt, c.glyphAt, sizeof c.glyphAt);
    g_tickTimer = c.tickTimer;
    Store().hasLast = c.hasLast;
    Store().lastPosition = c.lastPosition;
    platform::RestoreRunState(*c.run, Music());
}

// The last checkpoint whose next frame can be the target's or one before it.
const ShowCheckpoint* Nearest(const platform::SeekTarget& target) {
    const ShowCheckpoint* nearest = nullptr;
    for (const auto& [frame, c] : Store().byFrame) {
        bool before = target.byFrame ? frame <= target.frame : (!c.hasLast || c.lastPosition < target.position);
        if (before) nearest = &c;
    }
    return nearest;
}

}  // namespace

bool KeepsCheckpoints() {
    const platform::RunOptions& o = platform::Options();
    return o.player || o.loopShow || o.hasLoopRange || o.hasStart || o.bench;
}

void NoteFrameDrawn(MusicPosition position) {
    Store().hasLast = true;
    Store().lastPosition = position;
}

void KeepCheckpointIfDue(const SceneFrame& frame) {
    if (!KeepsCheckpoints() || !g_engine) return;
    if (!platform::Options().headless && !platform::Seeking()) return;  // real frame times are no whole run's
    uint64_t now = platform::ShowFrameNow();
    if (now % FramesBetweenCheckpoints() != 0 || Store().byFrame.count(now)) return;
    Store().byFrame.emplace(now, Keep(frame));
}

int StartSeek(const platform::SeekTarget& target) {
    platform::BeginSeek(Music(), target);
    Store().chosen = Nearest(target);
    return Store().chosen ? Store().chosen->scene : 1;
}

void PutBackChosenCheckpoint(const SceneFrame& frame) {
    const ShowCheckpoint* c = Store().chosen;
    if (!c || c->scene != frame.scene) return;
    Store().chosen = nullptr;
    PutBack(*c, frame);
}

void DropCheckpointsAfterStart() {
    auto& byFrame = Store().byFrame;
    if (!byFrame.empty()) byFrame.erase(std::next(byFrame.begin()), byFrame.end());
}

size_t CheckpointCount() { return Store().byFrame.size(); }

size_t CheckpointBytes() {
    size_t bytes = 0;
    for (const auto& entry : Store().byFrame) bytes += sizeof entry + platform::RunCheckpointBytes(*entry.second.run);
    return bytes;
}
