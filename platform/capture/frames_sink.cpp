// A capture as numbered PNG frames and a WAV file in a folder.
#include <cstdio>

#include "capture/sink.h"
#include "platform/outputs.h"
#include "platform/png_file.h"
#include "base/sample_rate.h"

namespace platform::capture {

namespace {

void Put32(FILE* f, uint32_t v) {
    uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    std::fwrite(b, 1, 4, f);
}
void Put16(FILE* f, uint16_t v) {
    uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
    std::fwrite(b, 1, 2, f);
}

// 16-bit stereo PCM at the show's rate.
void WriteWavHeader(FILE* f, uint32_t frames) {
    std::fseek(f, 0, SEEK_SET);
    std::fwrite("RIFF", 1, 4, f);
    Put32(f, 36 + frames * 4);
    std::fwrite("WAVEfmt ", 1, 8, f);
    Put32(f, 16);
    Put16(f, 1);
    Put16(f, 2);
    Put32(f, kSampleRate);
    Put32(f, kSampleRate * 4);
    Put16(f, 4);
    Put16(f, 16);
    std::fwrite("data", 1, 4, f);
    Put32(f, frames * 4);
}

class FramesSink : public Sink {
public:
    FramesSink(std::string out, std::string wavPath, FILE* wav) : out_(std::move(out)), wavPath_(std::move(wavPath)), wav_(wav) {}
    ~FramesSink() override {
        if (wav_) std::fclose(wav_);
    }

    bool WantsRgba() const override { return false; }

    bool Frame(std::vector<uint8_t>* pixels, int widthPx, int heightPx, uint64_t index) override {
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%06llu.png", static_cast<unsigned long long>(index));
        if (WritePng(out_ + name, widthPx, heightPx, 3, pixels->data(), true)) return true;
        ReportOutputFailure(out_ + name, SystemReason());
        return false;
    }

    void Sound(const int16_t* stereo, size_t frames) override {
        if (soundFailed_ || std::fwrite(stereo, sizeof(int16_t) * 2, frames, wav_) == frames) return;
        ReportOutputFailure(wavPath_, SystemReason());
        soundFailed_ = true;
    }

    // The header gets the length; a file that cannot be completed is said.
    bool Finish(uint64_t soundFrames) override {
        WriteWavHeader(wav_, static_cast<uint32_t>(soundFrames));
        bool ok = std::ferror(wav_) == 0 && std::fflush(wav_) == 0;
        ok = std::fclose(wav_) == 0 && ok;
        wav_ = nullptr;
        if (!ok && !soundFailed_) ReportOutputFailure(wavPath_, SystemReason());
        return ok && !soundFailed_;
    }

private:
    std::string out_, wavPath_;
    FILE* wav_;
    bool soundFailed_ = false;
};

}  // namespace

std::unique_ptr<Sink> StartFramesSink(const std::string& out) {
    std::string wavPath = out + "/audio.wav";
    FILE* wav = std::fopen(wavPath.c_str(), "wb");
    if (!wav) {
        ReportOutputFailure(wavPath, SystemReason());
        return nullptr;
    }
    WriteWavHeader(wav, 0);
    return std::make_unique<FramesSink>(out, wavPath, wav);
}

}  // namespace platform::capture
