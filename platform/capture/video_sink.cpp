// A capture as a video: one ffmpeg takes the frames on a pipe and the sound
// on another, encodes both while the show renders and writes them as they
// come into the output itself, as a fragmented MP4 or Matroska, a fragment or
// cluster every half second. A capture killed at any moment, even with
// its encoder, leaves one file at the output's name that plays up to about a
// second before the kill, and no other file; no encoding is left for the end.
// The encoder runs in its own process group, so Ctrl+C reaches only pqn,
// which then finishes cleanly.
// Frames reach the encoder through a queue and a writer thread, which also
// turns them into the encoder's own YUV 4:2:0, so that drawing the next frame,
// converting and encoding the last ones overlap on the cores. The writer
// hands the frames' buffers back once converted, for the next frames to be
// read into: a fresh frame-sized buffer each frame costs page faults (under
// wine about 3 ms a frame at 640x480).
#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>

#include "capture/sink.h"
#include "capture/yuv.h"
#include "platform/outputs.h"
#include "base/sample_rate.h"
#include "system/process.h"

namespace platform::capture {

namespace {

// Frames waiting for the encoder: at most half a second of them (what a
// capture killed hard loses on top of the last fragment), at most 64, and at
// most about 128 MB, so that a 4K capture holds a few frames, not gigabytes.
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

// The encoder: frames on its stdin, sound on descriptor 3, at the lowest
// priority, in its own group.
system::process::ProcessId StartEncoder(const std::vector<std::string>& args, int* videoInput, int* audioInput) {
    system::process::Options options;
    options.input = videoInput;
    options.input3 = audioInput;
    options.inputPipeBytes = kPipeBytes;
    options.ownProcessGroup = true;
    options.nice = kEncoderNice;
    return system::process::Start(args, options);
}

class VideoSink : public Sink {
public:
    VideoSink(const std::string& out, bool matroska, int framesPerSecond, int widthPx, int heightPx)
        : out_(out), matroska_(matroska), fps_(framesPerSecond), widthPx_(widthPx), heightPx_(heightPx) {
        size_t frameBytes = static_cast<size_t>(widthPx) * heightPx * 4;
        queuedFramesMost_ = std::max<size_t>(2, std::min({kQueuedFramesMost, kQueuedBytesMost / frameBytes,
                                                           static_cast<size_t>(framesPerSecond / 2)}));
    }

    // A way out that never reached Finish still ends the writer thread (a
    // thread left running would end the program with std::terminate) and
    // the encoders.
    ~VideoSink() override {
        StopWriter();
        CloseInputs();
        if (encoder_ > 0) system::process::Wait(encoder_);
    }

    bool Start() {
        // The video says which colour standard its frames were converted with.
        const char* const bt601[] = {"bt470bg", "bt470bg", "smpte170m"};
        const char* const bt709[] = {"bt709", "bt709", "bt709"};
        const char* const* colour = matrix_ == YuvMatrix::Bt709 ? bt709 : bt601;
        std::vector<std::string> args = {
            "ffmpeg", "-hide_banner", "-loglevel", "error", "-y",
            "-f", "rawvideo", "-pix_fmt", "yuv420p", "-s", std::to_string(widthPx_) + "x" + std::to_string(heightPx_),
            "-r", std::to_string(fps_), "-thread_queue_size", "8", "-probesize", "32", "-analyzeduration", "0", "-i", "pipe:0",
            "-f", "s16le", "-ar", std::to_string(kSampleRate), "-ac", "2", "-thread_queue_size", "1024",
            "-probesize", "32", "-analyzeduration", "0", "-i", "pipe:3",
            "-map", "0:v", "-map", "1:a",
            "-c:v", "libx264", "-preset", "ultrafast", "-crf", "16", "-colorspace", colour[0], "-color_primaries", colour[1],
            "-color_trc", colour[2], "-color_range", "tv"};
        if (matroska_) {
            args.insert(args.end(), {"-c:a", "flac", "-cluster_time_limit", "500"});
        } else {
            // At this rate ffmpeg's constant-quantiser AAC coder is the better
            // and the much faster one (a third of the default's time). The
            // first fragment waits for the sound's start, so the encoder's
            // start-up delay is marked as lying before the picture's start,
            // and the sound ends with the last frame.
            args.insert(args.end(), {"-c:a", "aac", "-aac_coder", "fast", "-b:a", "256k", "-movflags",
                                     "+empty_moov+default_base_moof+delay_moov", "-frag_duration", "500000"});
        }
        args.insert(args.end(), {"-flush_packets", "1", out_});
        encoder_ = StartEncoder(args, &videoInput_, &audioInput_);
        if (encoder_ <= 0) {
            ReportOutputFailure(out_, "ffmpeg cannot be started");
            return false;
        }
        writer_ = std::thread([this] { WriteFrames(); });
        return true;
    }

    bool WantsRgba() const override { return true; }

    bool Frame(std::vector<uint8_t>* pixels, int, int, uint64_t) override {
        std::unique_lock<std::mutex> guard(lock_);
        changed_.wait(guard, [&] { return queue_.size() < queuedFramesMost_ || encoderFailed_; });
        if (encoderFailed_) {
            ReportOutputFailure(out_, "ffmpeg stopped taking the picture");
            return false;
        }
        queue_.push_back(std::move(*pixels));
        pixels->clear();
        if (!done_.empty()) {
            pixels->swap(done_.back());
            done_.pop_back();
        }
        guard.unlock();
        changed_.notify_all();
        return true;
    }

    void Sound(const int16_t* stereo, size_t frames) override {
        if (audioInput_ < 0) return;
        if (!system::process::WriteAll(audioInput_, stereo, frames * sizeof(int16_t) * 2)) {
            ReportOutputFailure(out_, "ffmpeg stopped taking the sound");
            soundFailed_ = true;
            system::process::CloseInput(audioInput_);
            audioInput_ = -1;
        }
    }

    bool Finish(uint64_t) override {
        StopWriter();
        CloseInputs();
        bool ok = Ended(encoder_, "the video") && !soundFailed_;
        encoder_ = -1;
        return ok;
    }

private:
    // Waits for an ffmpeg; one that failed is said with what it was writing
    // (ffmpeg has printed its own reason above).
    bool Ended(system::process::ProcessId ffmpeg, const char* what) {
        int status = system::process::Wait(ffmpeg);
        if (status == 0) return true;
        ReportOutputFailure(out_, std::string("ffmpeg could not write ") + what +
                                      (status > 0 ? " (exit status " + std::to_string(status) + ")" : " (it was killed)"));
        return false;
    }

    void WriteFrames() {
        system::process::LowerThisThreadsPriority(kEncoderNice);
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
            {
                std::lock_guard<std::mutex> guard(lock_);
                if (done_.size() < 2) done_.push_back(std::move(frame));
            }
            if (!system::process::WriteAll(videoInput_, yuv.data(), yuv.size())) {
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
        if (videoInput_ >= 0) system::process::CloseInput(videoInput_);
        if (audioInput_ >= 0) system::process::CloseInput(audioInput_);
        videoInput_ = audioInput_ = -1;
    }

    std::string out_;
    bool matroska_;
    int fps_, widthPx_, heightPx_;
    YuvMatrix matrix_ = MatrixForHeight(heightPx_);
    size_t queuedFramesMost_ = kQueuedFramesMost;
    system::process::ProcessId encoder_ = -1;
    int videoInput_ = -1, audioInput_ = -1;
    bool soundFailed_ = false;

    // Frames on their way to the encoder
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<std::vector<uint8_t>> queue_;
    std::vector<std::vector<uint8_t>> done_;  // converted frames' buffers, for the next frames
    bool closing_ = false;
    bool encoderFailed_ = false;
    std::thread writer_;
};

}  // namespace

std::unique_ptr<Sink> StartVideoSink(const std::string& out, bool matroska, int framesPerSecond, int widthPx,
                                     int heightPx) {
    auto sink = std::make_unique<VideoSink>(out, matroska, framesPerSecond, widthPx, heightPx);
    if (!sink->Start()) return nullptr;  // its destructor ends an encoder that did start
    return sink;
}

}  // namespace platform::capture
