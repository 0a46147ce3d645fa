// The browser host: the page's canvas is always there, follows the page
// (SDL gives it the pixels of its box on screen times the device's pixel
// ratio, which the picture then fills at --scale auto, as in a desktop
// window), and is made full screen by the page. There are no threads, and
// the program hands control back to the browser after each frame. Sound
// that cannot play (no output device, the AudioContext held suspended by
// the browser, or suspended later) does not stop the show: the frames ask
// SDL's sound callback for what the device would have taken by the wall
// clock and throw it away, as a silent device does on the desktop, until
// the AudioContext runs again. A context that was closed is made anew.
#include "host/host.h"

#include <SDL.h>
#include <emscripten.h>

#include <cstdint>

namespace platform::host {

namespace {

// The time of each animation frame the show waited for goes to the page's
// Module.pqnFrameTimes when the page asks for them (a pacing benchmark does).
EM_ASYNC_JS(void, AwaitAnimationFrame, (), {
    await new Promise(function(shown) {
        requestAnimationFrame(function(timeMs) {
            if (Module.pqnFrameTimes) Module.pqnFrameTimes.push(timeMs);
            shown();
        });
    });
});

// How long the AudioContext may stay stopped before the show goes on without
// it, and the most sound one frame makes for it: after a tab was hidden, the
// silent show goes on from where it stood rather than racing to catch up.
EM_JS(void, KeepSoundGoing, (), {
    const SDL2 = Module.SDL2;
    const node = SDL2 && SDL2.audio && SDL2.audio.scriptProcessorNode;
    if (!node) return;
    const kStoppedMostMs = 1000, kMostMsPerFrame = 250;
    const nowMs = performance.now();
    const pump = Module.pqnSoundPump || (Module.pqnSoundPump = {runningAtMs: nowMs, startMs: 0, frames: 0});
    // A closed AudioContext (its device gone) never runs again: the sound
    // goes on in a new one, from the same callback, once the browser lets it run.
    if (SDL2.audioContext.state === 'closed' && typeof AudioContext !== 'undefined') {
        const context = new AudioContext({sampleRate: SDL2.audioContext.sampleRate});
        const renewed = context.createScriptProcessor(node.bufferSize, 0, node.channelCount || 2);
        renewed.onaudioprocess = node.onaudioprocess;
        renewed.connect(context.destination);
        SDL2.audioContext = context;
        SDL2.audio.scriptProcessorNode = renewed;
        context.resume().catch(function() {});
        console.warn('pqn: the sound device went away; the show goes on silent until the sound runs again');
    }
    if (SDL2.audioContext.state === 'running') {
        pump.runningAtMs = nowMs;
        Module.pqnSilent = false;
        return;
    }
    if (nowMs - pump.runningAtMs < kStoppedMostMs) return;
    if (!Module.pqnSilent) {
        Module.pqnSilent = true;
        pump.startMs = nowMs;
        pump.frames = 0;
        // The program's output is stereo; SDL writes each buffer's channels from it.
        pump.event = {outputBuffer: {numberOfChannels: 2, getChannelData: function() { return pump.channel; }}};
        pump.channel = new Float32Array(node.bufferSize);
    }
    const rate = SDL2.audioContext.sampleRate, mostFrames = kMostMsPerFrame / 1000 * rate;
    const behindFrames = (nowMs - pump.startMs) / 1000 * rate - pump.frames;
    if (behindFrames > mostFrames) pump.startMs += (behindFrames - mostFrames) / rate * 1000;
    for (let left = Math.min(behindFrames, mostFrames); left >= node.bufferSize; left -= node.bufferSize) {
        node.onaudioprocess(pump.event);
        pump.frames += node.bufferSize;
    }
});

}  // namespace

bool DisplayAvailable() { return true; }

// The program is the page's; its data set is packed with it.
std::string ProgramFolder() { return std::string(); }

// A headless run draws on the page's canvas too, on the virtual clock.
void PrepareVideo(bool) {}

bool WindowResizable(bool, bool headless) { return !headless; }

bool ProgramSwitchesFullScreen() { return false; }

std::vector<GlContextKind> ShaderContexts() { return {{SDL_GL_CONTEXT_PROFILE_ES, 3, 0, "OpenGL ES 3.0"}}; }

bool SyncsHaveAThread() { return false; }

void QuietSoundLibraries() {}

void KeepLibrariesLoaded() {}

// In real time the browser gets its turn until it shows the next frame (it
// paces the show as a display does); on the virtual clock (headless, or the
// unseen frames before the first scene) every tenth of a second of work, so
// that the page stays alive while frames are made as fast as they can be
// (each yield costs a few milliseconds).
void AfterFrame(bool virtualClock) {
    if (!virtualClock) {
        KeepSoundGoing();
        return AwaitAnimationFrame();
    }
    static uint32_t lastYieldMs = 0;
    if (SDL_GetTicks() - lastYieldMs < 100) return;
    emscripten_sleep(0);
    lastYieldMs = SDL_GetTicks();
}

// The page reads Module.pqnShow and Module.pqnStatus for its timeline.
EM_JS(void, SetShowDescription, (const char* json), { Module.pqnShow = JSON.parse(UTF8ToString(json)); });
EM_JS(void, SetPlayerStatus, (int scene, int order, int row, double showMs, int paused, int volume, int muted), {
    Module.pqnStatus = {scene: scene, order: order, row: row, ms: showMs, paused: !!paused, volume: volume, muted: !!muted};
});

void ShowDescribed(const std::string& json) { SetShowDescription(json.c_str()); }

void PlayerStatus(int scene, uint32_t order, uint32_t row, uint32_t showMs, bool paused, int volumePercent, bool muted) {
    SetPlayerStatus(scene, static_cast<int>(order), static_cast<int>(row), showMs, paused ? 1 : 0, volumePercent, muted ? 1 : 0);
}

}  // namespace platform::host
