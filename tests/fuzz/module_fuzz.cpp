// Fuzzes module loading through the sound-library layer, headless: loading
// (which walks the E8x cues first), sync installation and the first 23 ms of
// lockstep playback (the walker alone is fuzzed far faster by xm_sync_fuzz).
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/bass.h"
#include "platform/runtime.h"

namespace {
void CALLBACK Ignore(HSYNC, DWORD, DWORD, DWORD) {}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = [] {
        platform::RunOptions options;
        options.headless = true;
        platform::Configure(options);
        return BASS_Init(-1, 44100, 0, nullptr) != 0;
    }();
    if (!ready) return 0;
    static const std::string path = "/tmp/pqn-module-fuzz-" + std::to_string(getpid()) + ".xm";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    HMUSIC music = BASS_MusicLoad(0, path.c_str(), 0, 0, 5);
    if (!music) return 0;
    BASS_ChannelSetSync(music, BASS_SYNC_MUSICFX, 1, Ignore, 0);
    BASS_MusicPlay(music);
    platform::AdvanceMusicTo(1024);
    BASS_ChannelGetPosition(music);
    BASS_MusicFree(music);
    return 0;
}
