// Frame-exact capture of a headless run: every frame of the show and the
// module's samples rendered in lockstep, to a video through ffmpeg or to
// numbered PNG frames and a WAV file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::capture {

// Whether the output can be made here: a video needs ffmpeg and a folder that
// can be written, PNG frames a folder (made if missing); prints why not.
bool Preflight(const std::string& out);
// Starts writing frames of `widthPx` x `heightPx`; false with a message
// printed when it cannot, or when the file system has far too little room
// for about `expectedSeconds` of show.
bool Start(const std::string& out, int framesPerSecond, double expectedSeconds, int widthPx, int heightPx);
bool Active();
// Frames for a video come as RGBA, for PNG files as RGB.
bool WantsRgba();
// Takes a frame's rows as GL reads them: bottom row first, tightly packed.
// Pixels it keeps are replaced by a buffer it is done with, or none.
void Frame(std::vector<uint8_t>* pixels, int width, int height);
void Audio(const int16_t* stereo, size_t frames);
// Completes the files; what was captured before an interruption stays playable.
void Finish(bool interrupted);

}  // namespace platform::capture
