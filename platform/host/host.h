// What differs between the hosts the program runs on, one file each behind
// this interface: host_linux.cpp (a Linux desktop with X11 or Wayland),
// host_windows.cpp (a Windows desktop) and host_web.cpp (a page in a
// browser). The rest of the platform is the same source everywhere.
#pragma once

#include <string>
#include <vector>

namespace platform::host {

// Whether a run that is not headless has somewhere to show the show.
bool DisplayAvailable();
// The folder the program's own file is in; empty where there is none.
std::string ProgramFolder();
// Before SDL's video starts: a headless run draws offscreen, whatever
// display there is.
void PrepareVideo(bool headless);
// Whether a window can be resized by its user (and the picture follows it).
bool WindowResizable(bool framed, bool headless);
// Whether the program switches to full screen itself; in a browser the page
// does it, on the click that browsers require.
bool ProgramSwitchesFullScreen();
// A kind of GL context: SDL's profile mask and version, and its name for
// messages.
struct GlContextKind {
    int profileMask;
    int majorVersion;
    int minorVersion;
    const char* name;
};
// The kinds tried in turn for the shaders, OpenGL ES 3.0 first.
std::vector<GlContextKind> ShaderContexts();
// Whether the syncs have a thread of their own; where there are no threads
// the frame loop delivers them after each frame.
bool SyncsHaveAThread();
// Before the sound device is looked for: libraries under SDL that print
// their own errors (ALSA's "cannot find card" on a machine without one) are
// kept quiet; the program says in its own words what it could not open.
void QuietSoundLibraries();
// Before SDL quits: every library loaded so far stays mapped to the
// process's end. SDL and the GL driver still end their threads, and a leak
// check at exit still finds each allocation's library by its address.
void KeepLibrariesLoaded();
// After each frame, the host's turn: in a browser the page shows the canvas
// and runs its timers and sound only while the program has handed control
// back. On the virtual clock the program makes frames as fast as it can.
void AfterFrame(bool virtualClock);
// The player's side a page shows (its timeline): the show described once,
// and the frame shown with the volume. Nothing takes them on a desktop.
void ShowDescribed(const std::string& json);
void PlayerStatus(int scene, uint32_t order, uint32_t row, uint32_t showMs, bool paused, int volumePercent, bool muted);

}  // namespace platform::host
