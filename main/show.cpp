// The scene chain: start-up in its order (the window and its GL context,
// the data, the band, the music and the tick timer), the nine scenes one
// after another, and the window closed at the end of the show.
#include "show.h"

#include "demo.h"
#include "platform/capture.h"
#include "platform/runtime.h"
#include "../scenes/Checkpoints.h"
#include "../scenes/Player.h"
#include "../scenes/Scenes.h"
#include "../scenes/TickTimer.h"

namespace {

SceneEnd (*const kScenes[kSceneCount])() = {Scene1, Scene2, Scene3, Scene4, Scene5, Scene6, Scene7, Scene8, Scene9};

// The scenes before `first` run every frame of a full run, unseen and
// unheard (see BeginWarp, called before the music plays), so that what they
// leave behind (the random numbers drawn, the GL state, the sync flags, the
// values they hand on) is what a full run leaves.
void RunEarlierScenesUnseen(int first) {
    for (int scene = 1; scene < first && g_running; ++scene) g_running = kScenes[scene - 1]() == SceneEnd::kDone;
    platform::EndWarp(g_engine ? g_engine->ow->GetMusicChannel() : 0, SceneStartOrder(first));
}

// Seconds of show a capture from scene `first` (or --at) takes: to the end
// of the show (or --to). Asked before the music plays, while the module can
// still be timed.
double CaptureSeconds(int first) {
    const platform::RunOptions& o = platform::Options();
    if (o.captureOut.empty()) return 0;
    DWORD music = g_engine->ow->GetMusicChannel();
    double end = o.hasEnd ? platform::MusicSecondsAt(music, o.end)
                          : platform::MusicSecondsAtOrder(music, SceneEndOrder(kSceneCount));
    double start = o.hasStart ? platform::MusicSecondsAt(music, o.start)
                              : platform::MusicSecondsAtOrder(music, SceneStartOrder(first));
    return end > start ? end - start : 0;
}

// A real-time player runs the whole show once, unseen, as it starts, so that
// there are checkpoints everywhere to seek from.
bool RunsCheckpointPass() { return platform::Options().player && !platform::Options().headless; }

platform::SeekTarget PastTheShow() {
    platform::SeekTarget target;
    target.position = {SceneEndOrder(kSceneCount) + 1, 0};
    return target;
}

// A capture starts with the first scene shown.
bool StartCapture(double seconds) {
    const platform::RunOptions& options = platform::Options();
    if (options.captureOut.empty()) return true;
    int widthPx = 0, heightPx = 0;
    platform::FrameSizePx(&widthPx, &heightPx);
    return platform::capture::Start(options.captureOut, options.framesPerSecond, seconds, widthPx, heightPx);
}

void BlankScreen() {
    g_engine->cls();
    g_engine->cls();
    for (int i = 0; i < 2; ++i) {
        g_engine->fill(0, 0, 0);
        g_engine->pswap();
    }
}

}  // namespace

bool StartShow(HINSTANCE instance, int showCommand) {
    g_running = true;
    if (!OpenEngine(2, instance, showCommand)) return false;

    BlankScreen();
    LoadAssets();
    BlankScreen();
    for (int i = 0; i < 2; ++i) {
        glClear(GL_COLOR_BUFFER_BIT);
        SwapBuffers(g_engine->ow->GetDC());
    }
    g_engine->setWideScreen(640, 256);
    g_engine->edTexture(true);
    int first = platform::Options().firstScene;
    double captureSeconds = CaptureSeconds(first);
    PlanBenchSeeks();
    DescribePlayerShow();
    // A run that keeps checkpoints starts with a seek from the show's start,
    // --scene's too, so that the first checkpoint is the show's start.
    bool seeks = KeepsCheckpoints();
    if (seeks) StartSeek(RunsCheckpointPass() ? PastTheShow() : PlayerStartTarget());
    else if (first > 1) platform::BeginWarp();
    g_engine->ow->PlayMusic();
    g_tickTimer.Start();
    if (first > 1 && !seeks) RunEarlierScenesUnseen(first);
    if (!g_engine) return false;  // the window was closed while the earlier scenes ran
    if (!StartCapture(captureSeconds)) g_running = false;
    return true;
}

// The scene after a scene's end: the next one, or at the show's end the
// start of the real run after the checkpoint pass, or a loop's start;
// past the last one the show is over.
int NextScene(int scene) {
    if (scene < kSceneCount) return scene + 1;
    if (platform::Seeking() && RunsCheckpointPass()) return StartSeek(PlayerStartTarget());
    if (PlayerLoopsAtShowEnd() || PlayerStartsBenchSeeks()) return StartSeek(PlayerSeekTarget());
    return kSceneCount + 1;
}

int WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    if (!StartShow(instance, showCommand)) return 0;
    int scene = KeepsCheckpoints() ? 1 : platform::Options().firstScene;
    while (scene <= kSceneCount && g_running) {
        SceneEnd end = kScenes[scene - 1]();
        if (end == SceneEnd::kQuit) g_running = false;
        else if (end == SceneEnd::kSeek) scene = StartSeek(PlayerSeekTarget());
        else scene = NextScene(scene);
    }
    // The show is over: the program closes its own window.
    if (g_engine) SendMessageA(g_engine->ow->GetWindow(), WM_CLOSE, 0, 0);
    return 0;
}
