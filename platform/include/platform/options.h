// The options of this run of the program, as the command line gave them, and
// the music position they are given in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct MusicPosition {
    uint32_t order;
    uint32_t row;
};

enum class GlWay { kPlatformDefault, kFixedFunction, kEs3 };

struct RunOptions {
    bool headless = false;            // offscreen GL, virtual clock, lockstep music
    bool forceWindowed = false;       // window mode 1 opens a normal window instead
    int framesPerSecond = 60;         // virtual frame rate of headless runs
    std::string traceFile;            // JSON lines of frames, syncs and errors
    std::vector<MusicPosition> shots; // headless: save the first frame at or after each
    std::string shotDir;              // where the shots go, as shot-OOO-RR.png
    std::string captureOut;           // headless: every frame and the sound to a video or folder
    int firstScene = 1;               // the show starts at this scene
    int frameLimit = 0;               // headless: the run ends after this many frames of the show (0: no end)
    bool bench = false;               // headless: time every frame, report per scene
    bool benchJson = false;           // --json: --bench and --flash-check print JSON
    bool flashCheck = false;          // headless: count the flashes of every frame, report per second and scene
    bool calm = false;                // the show's flashes held under three a second
    int audioOffsetMs = 0;            // real time: the sound is heard this much later than reported
    int volumePercent = 100;          // the sound's loudness, 0 to 100; never its timing
    std::string audioDevice;          // the sound device by name (empty: the system's default, followed)
    int display = 0;                  // the screen for full screen and a window's first place (0: the first)
    bool displayGiven = false;

    // How many pixels stand behind the program's 640x480 window pixels.
    double scale = 1;                 // drawing surface pixels per window pixel, 1 to 4
    bool scaleAuto = false;           // in a window: as large as the picture gets on screen
    bool scaleGiven = false;          // --scale was given; otherwise auto on a hardware renderer
    int msaaSamples = 0;              // multisampled surface, resolved before it is shown or read
    int frameWidthPx = 0;             // headless: frames of this size (0: the picture's own)
    int frameHeightPx = 0;
    bool fitWidth = false;            // with a frame size: the picture's width fills the frame

    // What carries out the program's GL: the platform's own choice (the
    // driver's fixed function where there is one), the driver's fixed function
    // (OpenGL 1.1), or our shaders on an OpenGL ES 3.0 context.
    GlWay gl = GlWay::kPlatformDefault;
    // Watching as a player: the keys pause, step, seek and loop (off, every
    // key but Escape and F12 does nothing, as at a party).
    bool player = false;              // --player, --paused and --watch ask for it
    bool startPaused = false;
    bool watch = false;               // changed data files are loaded again as the show runs
    bool hasStart = false;            // --at: the show starts at this position, exactly
    MusicPosition start{0, 0};
    bool hasEnd = false;              // --to: the run ends at the first frame at or after it
    MusicPosition end{0, 0};
    bool loopShow = false;            // --loop: the show plays again from its start at its end
    bool hasLoopRange = false;        // --loop-range: from `loopTo` back to `loopFrom`
    MusicPosition loopFrom{0, 0};
    MusicPosition loopTo{0, 0};
};

inline bool operator<(MusicPosition a, MusicPosition b) { return a.order != b.order ? a.order < b.order : a.row < b.row; }
inline bool operator>=(MusicPosition a, MusicPosition b) { return !(a < b); }
inline bool operator==(MusicPosition a, MusicPosition b) { return a.order == b.order && a.row == b.row; }

// The options of the run (set once by Configure).
const RunOptions& Options();
void SetOptions(const RunOptions& options);

}  // namespace platform
