// On Windows a video is not encoded yet (ffmpeg.exe is not started): a
// capture goes to a folder of PNG frames and audio.wav instead.
#include <cstdio>

#include "capture/sink.h"

namespace platform::capture {

std::unique_ptr<Sink> StartVideoSink(const std::string& out, bool, int, int, int) {
    std::fprintf(stderr, "pqn: cannot capture %s: on Windows a capture is a folder of PNG frames and audio.wav\n",
                 out.c_str());
    return nullptr;
}

}  // namespace platform::capture
