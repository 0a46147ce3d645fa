// A capture as a video, in two steps: the frames and the sound are piped to
// two ffmpeg processes that encode them while the show renders, each into a
// file of its own; at the end a third ffmpeg copies both into the output. So
// an interrupted capture still ends as a playable file of what was rendered,
// and no encoding is left for the end. The encoders run in their own process
// group, so Ctrl+C reaches only pqn, which then finishes cleanly.
// Frames reach the encoder through a queue and a writer thread, which also
// turns them into the encoder's own YUV 4:2:0, so that drawing the next frame,
// converting and encoding the last ones overlap on the cores.
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#include "capture/sink.h"
#include "capture/yuv.h"
#include "platform/outputs.h"
#include "run/clock.h"
#include "system/process.h"

namespace platform::capture {

namespace {

// Frames waiting for the encoder: at most 64, and at most about 128 MB of
// them, so that a 4K capture holds a few frames, not gigabytes.
constexpr size_t kQueuedFramesMost = 64;
constexpr size_t kQueuedBytesMost = 128u << 20;
// The encoders and the frame converter are background work at the lowest
// priority: on average they keep up with the renderer, which goes first when
// the cores are busy, so they mostly use the time it leaves while its own
// threads wait for each other (the whole show on two cores: 50-60 s instead
// of about 69 s at normal priority).
constexpr int kEncoderNice = 19;
// Room in an encoder's pipe for about six seconds of sound, so that the render
// thread, which writes the sound, never waits for the sound encoder's turn.
constexpr int kPipeBytes = 1 << 20;

bool IsMatroska(const std::string& out) {
    return out.size() >= 4 && strcasecmp(out.c_str() + out.size() - 4, ".mkv") == 0;
}

// An encoder reading from a pipe, at the lowest priority, in its own group.
pid_t StartEncoder(const std::vector<std::string>& args, int* input) {
    process::Options options;
    options.input = input;
    options.inputPipeBytes = kPipeBytes;
    options.ownProcessGroup = true;
    options.nice = kEncoderNice;
    return process::Start(args, options);
}

class VideoSink : public Sink {
public:
    VideoSink(const std::string& out, int framesPerSecond, int widthPx, int heightPx)
        : out_(out), fps_(framesPerSecond), widthPx_(widthPx), heightPx_(heightPx) {
        size_t frameBytes = static_cast<size_t>(widthPx) * heightPx * 4;
        queuedFramesMost_ = std::min(kQueuedFramesMost, std::max<size_t>(2, kQueuedBytesMost / frameBytes));
        videoTemp_ = out + ".video.mkv";
        // An MP4-family file keeps the AAC encoder's start-up delay, so the
        // sound stays as long as the frames when it is copied into the output.
        audioTemp_ = out + (IsMatroska(out) ? ".audio.mka" : ".audio.m4a");
    }

    // A way out that never reached Finish still ends the writer thread (a
    // thread left running would end the program with std::terminate) and
    // the encoders.
    ~VideoSink() override {
        StopWriter();
        CloseInputs();
        if (videoEncoder_ > 0) process::Wait(videoEncoder_);
        if (audioEncoder_ > 0) process::Wait(audioEncoder_);
    }

    bool Start() {
        signal(SIGPIPE, SIG_IGN);
        // The video says which colour standard its frames were converted with.
        const char* const bt601[] = {"bt470bg", "bt470bg", "smpte170m"};
        const char* const bt709[] = {"bt709", "bt709", "bt709"};
        const char* const* colour = matrix_ == YuvMatrix::Bt709 ? bt709 : bt601;
        videoEncoder_ = StartEncoder({"ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-f", "rawvideo", "-pix_fmt", "yuv420p",
                                      "-s", std::to_string(widthPx_) + "x" + std::to_string(heightPx_), "-r", std::to_string(fps_), "-i", "-", "-c:v", "libx264",
                                      "-preset", "ultrafast", "-crf", "16", "-colorspace", colour[0], "-color_primaries", colour[1],
                                      "-color_trc", colour[2], "-color_range", "tv", videoTemp_},
                                     &videoInput_);
        std::vector<std::string> audioArgs = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-f", "s16le",
                                              "-ar", std::to_string(sdl::kSampleRate), "-ac", "2", "-i", "-"};
        if (IsMatroska(out_)) audioArgs.insert(audioArgs.end(), {"-c:a", "flac"});
        // At this rate ffmpeg's constant-quantiser AAC coder is the better and
        // the much faster one (a third of the default's time).
        else audioArgs.insert(audioArgs.end(), {"-c:a", "aac", "-aac_coder", "fast", "-b:a", "256k"});
        audioArgs.push_back(audioTemp_);
        if (videoEncoder_ > 0) audioEncoder_ = StartEncoder(audioArgs, &audioInput_);
        if (videoEncoder_ <= 0 || audioEncoder_ <= 0) {
            ReportOutputFailure(out_, "ffmpeg cannot be started");
            return false;
        }
        writer_ = std::thread([this] { WriteFrames(); });
        return true;
    }

    bool WantsBgra() const override { return true; }

    bool Frame(std::vector<uint8_t>&& pixels, int, int, uint64_t) override {
        std::unique_lock<std::mutex> guard(lock_);
        changed_.wait(guard, [&] { return queue_.size() < queuedFramesMost_ || encoderFailed_; });
        if (encoderFailed_) {
            ReportOutputFailure(out_, "ffmpeg stopped taking the picture");
            return false;
        }
        queue_.push_back(std::move(pixels));
        guard.unlock();
        changed_.notify_all();
        return true;
    }

    void Sound(const int16_t* stereo, size_t frames) override {
        if (audioInput_ < 0) return;
        if (!process::WriteAll(audioInput_, stereo, frames * sizeof(int16_t) * 2)) {
            ReportOutputFailure(out_, "ffmpeg stopped taking the sound");
            soundFailed_ = true;
            close(audioInput_);
            audioInput_ = -1;
        }
    }

    bool Finish(uint64_t) override {
        StopWriter();
        CloseInputs();
        bool ok = Ended(videoEncoder_, "the picture") && !soundFailed_;
        ok = Ended(audioEncoder_, "the sound") && ok;
        videoEncoder_ = audioEncoder_ = -1;
        std::vector<std::string> mux = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-i", videoTemp_,
                                        "-i", audioTemp_, "-c", "copy"};
        if (!IsMatroska(out_)) mux.insert(mux.end(), {"-movflags", "+faststart"});
        mux.push_back(out_);
        if (ok) ok = Ended(process::Start(mux, process::Options()), "the picture and the sound together");
        std::remove(videoTemp_.c_str());
        std::remove(audioTemp_.c_str());
        return ok;
    }

private:
    // Waits for an ffmpeg; one that failed is said with what it was writing
    // (ffmpeg has printed its own reason above).
    bool Ended(pid_t ffmpeg, const char* what) {
        int status = process::Wait(ffmpeg);
        if (status == 0) return true;
        ReportOutputFailure(out_, std::string("ffmpeg could not write ") + what +
                                      (status > 0 ? " (exit status " + std::to_string(status) + ")" : " (it was killed)"));
        return false;
    }

    void WriteFrames() {
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kEncoderNice);  // this thread only, on Linux
        std::vector<uint8_t> yuv;
        for (;;) {
            std::vector<uint8_t> frame;
            {
                std::unique_lock<std::mutex> guard(lock_);
                changed_.wait(guard, [&] { return !queue_.empty() || closing_; });
                if (queue_.empty()) return;
                frame = std::move(queue_.front());
                queue_.pop_front();
            }
            changed_.notify_all();
            ToYuv420(frame.data(), widthPx_, heightPx_, matrix_, &yuv);
            if (!process::WriteAll(videoInput_, yuv.data(), yuv.size())) {
                {
                    std::lock_guard<std::mutex> guard(lock_);
                    encoderFailed_ = true;
                    queue_.clear();
                }
                changed_.notify_all();  // the renderer may be waiting for room in the queue
                return;
            }
        }
    }

    void StopWriter() {
        {
            std::lock_guard<std::mutex> guard(lock_);
            closing_ = true;
        }
        changed_.notify_all();
        if (writer_.joinable()) writer_.join();
    }

    void CloseInputs() {
        if (videoInput_ >= 0) close(videoInput_);
        if (audioInput_ >= 0) close(audioInput_);
        videoInput_ = audioInput_ = -1;
    }

    std::string out_, videoTemp_, audioTemp_;
    int fps_, widthPx_, heightPx_;
    YuvMatrix matrix_ = MatrixForHeight(heightPx_);
    size_t queuedFramesMost_ = kQueuedFramesMost;
    pid_t videoEncoder_ = -1, audioEncoder_ = -1;
    int videoInput_ = -1, audioInput_ = -1;
    bool soundFailed_ = false;

    // Frames on their way to the encoder
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<std::vector<uint8_t>> queue_;
    bool closing_ = false;
    bool encoderFailed_ = false;
    std::thread writer_;
};

}  // namespace

std::unique_ptr<Sink> StartVideoSink(const std::string& out, int framesPerSecond, int widthPx, int heightPx) {
    auto sink = std::make_unique<VideoSink>(out, framesPerSecond, widthPx, heightPx);
    if (!sink->Start()) return nullptr;  // its destructor ends an encoder that did start
    return sink;
}

}  // namespace platform::capture
