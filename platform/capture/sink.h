// Where a capture's frames and sound go: a video made by ffmpeg, or numbered
// PNG frames with a WAV file. capture.cpp keeps the frames and the sound in
// step and hands both to one sink.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform::capture {

class Sink {
public:
    virtual ~Sink() = default;
    // Frames for a video come as RGBA, for PNG files as RGB.
    virtual bool WantsRgba() const = 0;
    // Takes frame number `index`, its rows as GL reads them (bottom row first,
    // tightly packed); false when the sink can take no more frames. A sink
    // that keeps the pixels leaves in their place a buffer it is done with
    // (or none), for the next frame to be read into.
    virtual bool Frame(std::vector<uint8_t>* pixels, int widthPx, int heightPx, uint64_t index) = 0;
    virtual void Sound(const int16_t* stereo, size_t frames) = 0;
    // Completes the files, `soundFrames` of sound having been given; false
    // when the output could not be made.
    virtual bool Finish(uint64_t soundFrames) = 0;
};

// H.264 video with AAC sound in an MP4, or with FLAC sound in Matroska,
// through ffmpeg into `out`; null with a message printed when ffmpeg cannot
// start.
std::unique_ptr<Sink> StartVideoSink(const std::string& out, bool matroska, int framesPerSecond, int widthPx,
                                     int heightPx);
// frame-NNNNNN.png files and audio.wav in the folder `out` (made by the
// capture's preflight); null with a message printed when the WAV file cannot
// be made.
std::unique_ptr<Sink> StartFramesSink(const std::string& out);

}  // namespace platform::capture
