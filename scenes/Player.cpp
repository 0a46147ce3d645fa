// The player (see Player.h): keys to seeks, pause and loops; the frame last
// shown and its overlay.
#include "Player.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../main/demo.h"
#include "Checkpoints.h"
#include "platform/bench.h"
#include "platform/clock.h"
#include "platform/player.h"
#include "platform/runtime.h"

namespace {

// Windows' virtual-key codes of the player's keys.
constexpr uint32_t kSpace = 0x20, kPageUp = 0x21, kPageDown = 0x22, kHome = 0x24, kLeft = 0x25, kRight = 0x27;
constexpr uint32_t kF1 = 0x70, kComma = 0xBC, kPeriod = 0xBE, kOpenBracket = 0xDB, kCloseBracket = 0xDD;

struct PlayerState {
    bool paused = false;
    bool overlay = false;
    bool looping = false;  // a loop of the scene or of the viewer's own ends
    MusicPosition loopFrom{0, 0}, loopTo{0, 0};
    bool hasLoopStart = false;  // [ pressed, ] not yet
    platform::SeekTarget target;
    // The frame shown last.
    int scene = 1;
    MusicPosition position{0, 0};
    uint64_t showFrame = 0;
    std::vector<MusicPosition> benchTargets;
    size_t benchSeek = 0;
    bool benchSeeking = false;
    double drawMs = 0;
    std::string positionLine;
    bool started = false;
};

PlayerState& State() {
    static PlayerState state = [] {
        PlayerState s;
        const platform::RunOptions& o = platform::Options();
        s.paused = o.startPaused;
        s.looping = o.hasLoopRange;
        s.loopFrom = o.loopFrom;
        s.loopTo = o.loopTo;
        return s;
    }();
    return state;
}

DWORD Music() { return g_engine ? g_engine->ow->GetMusicChannel() : 0; }

MusicPosition SceneStart(int scene) { return {SceneStartOrder(scene), 0}; }
// The last order the show plays: its end order is where it stops.
uint32_t LastOrder() { return SceneEndOrder(kSceneCount) - 1; }

PlayerStep SeekTo(MusicPosition position, int scene = 0) {
    PlayerState& s = State();
    s.target = platform::SeekTarget{};
    s.target.position = position;
    s.target.scene = scene;
    s.target.heard = !s.paused;
    return PlayerStep::kSeek;
}

// A scene's first frame: the first it draws.
PlayerStep SeekToScene(int scene) { return SeekTo(SceneStart(scene), scene); }

PlayerStep StepTo(uint64_t showFrame) {
    PlayerState& s = State();
    s.target = platform::SeekTarget{};
    s.target.byFrame = true;
    s.target.frame = showFrame;
    s.target.heard = false;
    return PlayerStep::kSeek;
}

void Pause(bool paused) {
    PlayerState& s = State();
    if (s.paused == paused) return;
    s.paused = paused;
    platform::player::PauseShow(Music(), paused);
}

void ToggleSceneLoop(int scene) {
    PlayerState& s = State();
    s.looping = !s.looping;
    s.hasLoopStart = false;
    s.loopFrom = SceneStart(scene);
    s.loopTo = {SceneEndOrder(scene), 0};
}

void SetLoopEnd(bool start) {
    PlayerState& s = State();
    if (start) {
        s.hasLoopStart = true;
        s.looping = false;
        s.loopFrom = s.position;
    } else if (s.hasLoopStart && s.loopFrom < s.position) {
        s.looping = true;
        s.hasLoopStart = false;
        s.loopTo = s.position;
    }
}

// What a key does; kGoOn when it changes nothing of the frames.
PlayerStep Press(uint32_t key, int scene) {
    PlayerState& s = State();
    MusicPosition at = s.position;
    switch (key) {
        case kSpace: Pause(!s.paused); return PlayerStep::kGoOn;
        case kLeft: return SeekTo({at.order > 0 ? at.order - 1 : 0, at.order > 0 ? at.row : 0});
        case kRight: return at.order < LastOrder() ? SeekTo({at.order + 1, at.row}) : PlayerStep::kGoOn;
        case kPageUp: return SeekToScene(scene > 1 ? scene - 1 : 1);
        case kPageDown: return scene < kSceneCount ? SeekToScene(scene + 1) : PlayerStep::kGoOn;
        case kHome: return SeekToScene(1);
        case kPeriod: return s.paused ? StepTo(s.showFrame + 1) : PlayerStep::kGoOn;
        case kComma: return s.paused && s.showFrame > 0 ? StepTo(s.showFrame - 1) : PlayerStep::kGoOn;
        case 'L': ToggleSceneLoop(scene); return PlayerStep::kGoOn;
        case kOpenBracket: SetLoopEnd(true); return PlayerStep::kGoOn;
        case kCloseBracket: SetLoopEnd(false); return PlayerStep::kGoOn;
        case kF1: s.overlay = !s.overlay; return PlayerStep::kGoOn;
        default:
            if (key >= '1' && key <= '9') return SeekToScene(static_cast<int>(key - '0'));
            return PlayerStep::kGoOn;
    }
}

std::string Flags() {
    std::string raised;
    for (int flag = 0; flag < 7; ++flag)
        if (SyncFlag(flag)) raised += (raised.empty() ? "" : " ") + std::to_string(flag);
    return raised.empty() ? "none" : raised;
}

// The overlay over the lower bar, under the band.
void PrintOverlay() {
    const PlayerState& s = State();
    char lines[4][160];
    uint32_t ms = platform::ShowTimeMs();
    std::snprintf(lines[0], sizeof lines[0], "scene %d, %s   %u:%02u   %u:%02u.%03u   frame %llu%s", s.scene,
                  kSceneNames[s.scene - 1], s.position.order, s.position.row, ms / 60000, ms / 1000 % 60, ms % 1000,
                  static_cast<unsigned long long>(s.showFrame), s.paused ? "   paused" : "");
    char loop[48] = "off";
    if (s.looping) std::snprintf(loop, sizeof loop, "%u:%02u to %u:%02u", s.loopFrom.order, s.loopFrom.row, s.loopTo.order, s.loopTo.row);
    else if (s.hasLoopStart) std::snprintf(loop, sizeof loop, "from %u:%02u ...", s.loopFrom.order, s.loopFrom.row);
    char volume[16] = "muted";
    if (!platform::player::Muted()) std::snprintf(volume, sizeof volume, "%d", platform::player::VolumePercent());
    std::snprintf(lines[1], sizeof lines[1], "drawn in %.1f ms   flags raised: %s   loop: %s   volume %s", s.drawMs,
                  Flags().c_str(), loop, volume);
    std::snprintf(lines[2], sizeof lines[2], "Space pause   Left/Right order   PgUp/PgDn scene   Home start   1-9 scene");
    std::snprintf(lines[3], sizeof lines[3], ". , frame (paused)   L loop scene   [ ] loop ends   + - M volume   F1 hide   Esc end");
    for (int i = 0; i < 4; ++i)
        TextOutA(g_engine->ow->GetDC(), 4, 384 + 22 * i, lines[i], static_cast<int>(std::strlen(lines[i])));
}

}  // namespace

// The next of the benchmark's seeks, once the one before has shown its frame.
PlayerStep NextBenchSeek() {
    PlayerState& s = State();
    platform::bench::SeekShown(platform::PresentedFrames() - 1);
    if (++s.benchSeek >= s.benchTargets.size()) {
        platform::bench::NoteCheckpoints(CheckpointCount(), CheckpointBytes());
        return PlayerStep::kQuit;
    }
    platform::bench::SeekStarted(s.benchSeek);
    return SeekTo(s.benchTargets[s.benchSeek]);
}

PlayerStep PlayerBeforeFrame(int scene) {
    PlayerState& s = State();
    if (s.benchSeeking && !platform::Seeking()) return NextBenchSeek();
    if (!s.started) {
        s.started = true;
        if (s.paused) platform::player::PauseShow(Music(), true);
    }
    if (!platform::player::On() || platform::Seeking()) return PlayerStep::kGoOn;
    MusicPosition asked{0, 0};
    if (platform::player::TakeSeek(&asked)) return SeekTo(asked);
    uint32_t key = 0;
    while (platform::player::TakeKey(&key)) {
        PlayerStep step = Press(key, scene);
        if (step != PlayerStep::kGoOn) return step;
    }
    return s.paused ? PlayerStep::kHold : PlayerStep::kGoOn;
}

PlayerStep PlayerBeforeDraw(MusicPosition position) {
    const PlayerState& s = State();
    const platform::RunOptions& o = platform::Options();
    if (o.hasEnd && position >= o.end && !platform::Seeking()) return PlayerStep::kQuit;
    if (s.looping && position >= s.loopTo && !platform::Seeking()) return SeekTo(s.loopFrom);
    return PlayerStep::kGoOn;
}

void PlayerAfterFrame(int scene, MusicPosition position, uint64_t showFrame, double drawMs, const char* positionLine) {
    PlayerState& s = State();
    s.scene = scene;
    s.position = position;
    s.showFrame = showFrame;
    s.drawMs = drawMs;
    if (!platform::player::On()) return;
    s.positionLine = positionLine;
    if (s.overlay) PrintOverlay();
    platform::player::PublishStatus({scene, position, platform::ShowTimeMs(), s.paused});
}

void HoldPausedFrame() {
    const PlayerState& s = State();
    platform::player::HoldFrame();
    TextOutA(g_engine->ow->GetDC(), 0, 0, s.positionLine.c_str(), static_cast<int>(s.positionLine.size()));
    if (s.overlay) PrintOverlay();
    platform::player::PublishStatus({s.scene, s.position, platform::ShowTimeMs(), s.paused});
    platform::player::Rest();
}

const platform::SeekTarget& PlayerSeekTarget() { return State().target; }

bool PlayerSeeksToTheMomentShown() {
    PlayerState& s = State();
    if (platform::Seeking()) return false;
    s.target = platform::SeekTarget{};
    s.target.byFrame = true;
    s.target.frame = s.showFrame;
    s.target.heard = !s.paused;
    return true;
}

bool PlayerLoopsAtShowEnd() {
    PlayerState& s = State();
    if (platform::Options().loopShow || s.looping) {
        SeekTo(s.looping ? s.loopFrom : SceneStart(1));
        return true;
    }
    return false;
}

void DescribePlayerShow() {
    std::vector<uint32_t> rows;
    if (!platform::player::On() || !platform::MusicRanges(Music(), &rows)) return;
    std::string json = "{\"scenes\":[";
    for (int scene = 1; scene <= kSceneCount; ++scene)
        json += std::string(scene > 1 ? "," : "") + "{\"name\":\"" + kSceneNames[scene - 1] + "\",\"start\":" +
                std::to_string(SceneStartOrder(scene)) + ",\"end\":" + std::to_string(SceneEndOrder(scene)) + "}";
    json += "],\"orders\":[";
    char order[64];
    for (uint32_t o = 0; o <= SceneEndOrder(kSceneCount); ++o) {
        double seconds = platform::MusicSecondsAtOrder(Music(), o);
        std::snprintf(order, sizeof order, "%s{\"seconds\":%.3f,\"rows\":%u}", o ? "," : "", seconds,
                      o < rows.size() ? rows[o] : 0);
        json += order;
    }
    platform::player::DescribeShow(json + "]}");
}

void PlanBenchSeeks() {
    PlayerState& s = State();
    std::vector<uint32_t> rows;
    if (!platform::Options().bench || !platform::MusicRanges(Music(), &rows)) return;
    uint32_t orders = static_cast<uint32_t>(rows.size());
    // Forty moments of the show, the same every run.
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t below) {
        seed = seed * 1103515245u + 12345u;
        return below ? (seed >> 8) % below : 0;
    };
    uint32_t shownOrders = std::min(orders, LastOrder() + 1);
    for (int i = 0; i < 40 && shownOrders > 0; ++i) {
        uint32_t order = next(shownOrders);
        s.benchTargets.push_back({order, next(rows[order])});
    }
    platform::bench::PlanSeeks(s.benchTargets);
}

bool PlayerStartsBenchSeeks() {
    PlayerState& s = State();
    if (s.benchTargets.empty() || s.benchSeeking || platform::Options().frameLimit) return false;
    s.benchSeeking = true;
    s.benchSeek = 0;
    platform::bench::SeekStarted(0);
    SeekTo(s.benchTargets[0]);
    return true;
}

platform::SeekTarget PlayerStartTarget() {
    const platform::RunOptions& o = platform::Options();
    platform::SeekTarget target;
    target.position = o.hasStart ? o.start : o.hasLoopRange ? o.loopFrom : SceneStart(o.firstScene);
    if (!o.hasStart && !o.hasLoopRange) target.scene = o.firstScene;
    target.heard = !o.startPaused;
    return target;
}
