// How this run of the program behaves below the Windows calls: in a real
// window or headless on a virtual clock, the frame trace, screenshots at music
// positions, and the record of every message box shown.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct MusicPosition {
    uint32_t order;
    uint32_t row;
};

struct RunOptions {
    bool headless = false;            // offscreen GL, virtual clock, lockstep music
    bool forceWindowed = false;       // window mode 1 opens a normal window instead
    int framesPerSecond = 60;         // virtual frame rate of headless runs
    std::string traceFile;            // JSON lines of frames, syncs and errors
    std::vector<MusicPosition> shots; // headless: save the first frame at or after each
    std::string shotDir;              // where the shots go, as shot-OOO-RR.png
    std::string captureOut;           // headless: every frame and the sound to a video or folder
    int firstScene = 1;               // the show starts at this scene
    bool bench = false;               // headless: time every frame, report per scene
    bool benchJson = false;
    int audioOffsetMs = 0;            // real time: the sound is heard this much later than reported

    // How many pixels stand behind the program's 640x480 window pixels.
    double scale = 1;                 // drawing surface pixels per window pixel, 1 to 4
    bool scaleAuto = false;           // in a window: as large as the picture gets on screen
    bool scaleGiven = false;          // --scale was given; otherwise auto on a hardware renderer
    int msaaSamples = 0;              // multisampled surface, resolved before it is shown or read
    int frameWidthPx = 0;             // headless: frames of this size (0: the picture's own)
    int frameHeightPx = 0;
    bool fitWidth = false;            // with a frame size: the picture's width fills the frame
};

// Called once before anything else of the platform; fixes the mode of the run.
// From then on SIGINT and SIGTERM end the show as closing the window does (a
// capture is finished cleanly); a second one ends the program at once.
void Configure(const RunOptions& options);
const RunOptions& Options();
// After Configure: whether drawing can start (a display answered, or headless
// drawing was set up); if not, the reason has been printed.
bool VideoReady();

// The scene loop reports the position each frame used, so that the trace and
// the screenshots can name it. Scene numbers are 1 to 9.
void NoteFrame(int scene, uint32_t order, uint32_t row);
// Text put over the frame (TextOutA) goes into the trace as given.
void NoteText(const std::string& text);

// Every message box of the run, in order, for tests and the trace.
const std::vector<std::string>& MessageBoxTexts();

// Milliseconds of show time: since the music was told to play (0 before).
uint32_t ShowTimeMs();

// Frames presented so far.
uint64_t PresentedFrames();

// Writes one line of JSON to the trace, if a trace is open.
void TraceLine(const std::string& json);
std::string JsonEscape(const std::string& text);

// Moves the tick count so that the next reading is `ticks` (tests of wrap-around).
void SetTickCountForTest(uint32_t ticks);

// Runs the scenes before the chosen first one in a moment, so that what they
// leave behind is as a full run leaves it. While warping nothing is shown or
// heard. The frames run are frames of a full run at the run's frame rate, with
// that frame's position and tick count: the first frame to see each row, so
// every per-tick ramp starts and stops on the same tick as in a full run, and
// every frame of a scene's last two seconds, drawn without rasterising, so
// state that its last draws leave (a material fading out, say) is the same.
// A scene's last frame is drawn in full. Headless, the show's clock then
// stands where a full run's would, so the next scene starts on the same frame.
struct OrderTiming {
    int64_t startSample;  // from the start of the module, at 44100 Hz (-1 if unknown)
    uint32_t rows;
};
void BeginWarp();
// The frames of a scene from `fromOrder` until it sees `toOrder`; `timing`
// holds every order up to `toOrder` included.
void WarpThrough(uint32_t fromOrder, uint32_t toOrder, const std::vector<OrderTiming>& timing);
bool WarpDrawsThisFrame();
void EndWarp();

// Closes the trace, the capture and the platform; called once at exit.
void Shutdown();

}  // namespace platform
