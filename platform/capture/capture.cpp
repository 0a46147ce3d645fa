// Capture to ffmpeg or to PNG frames and a WAV file, with a progress line.
//
// A video is made in two steps: the frames and the sound are piped to two
// ffmpeg processes that encode them while the show renders, each into a file
// of its own; at the end a third ffmpeg copies both into the output. So an
// interrupted capture still ends as a playable file of what was rendered, and
// no encoding is left for the end. The encoders run in their own process
// group, so Ctrl+C reaches only pqn, which then finishes cleanly.
// Frames reach the encoder through a queue and a writer thread, which also
// turns them into the encoder's own YUV 4:2:0, so that drawing the next frame,
// converting and encoding the last ones overlap on the cores.
// The sound is decoded a little ahead of the frames; samples are held back
// until a frame covers them, so the sound ends exactly with the last frame.
#include "platform/capture.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "run/clock.h"
#include "platform/png_file.h"

namespace platform::capture {

namespace {

using Clock = std::chrono::steady_clock;

struct State {
    bool open = false;    // started and not yet finished
    bool active = false;  // taking frames and sound
    bool video = false;
    std::string out, videoTemp, audioPath;
    int fps = 60;
    int widthPx = 640, heightPx = 480;
    size_t queuedFramesMost = 64;
    pid_t encoder = -1;
    int encoderInput = -1;
    pid_t audioEncoder = -1;
    int audioEncoderInput = -1;
    FILE* wav = nullptr;
    uint64_t frames = 0;
    uint64_t audioFrames = 0;           // sample frames written out
    std::vector<int16_t> heldAudio;     // decoded, not yet covered by a frame
    uint64_t expectedFrames = 0;
    Clock::time_point started;
    Clock::time_point lastProgress;
    bool progress = false;

    // Frames on their way to the encoder
    std::mutex lock;
    std::condition_variable changed;
    std::deque<std::vector<uint8_t>> queue;
    bool closing = false;
    bool encoderFailed = false;
    std::thread writer;

    // A way out that never reached Finish still ends the writer thread
    // (a thread left running would end the program with std::terminate).
    ~State() {
        {
            std::lock_guard<std::mutex> guard(lock);
            closing = true;
        }
        changed.notify_all();
        if (writer.joinable()) writer.join();
    }
};

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

State& S() {
    static State state;
    return state;
}

bool EndsWith(const std::string& text, const char* suffix) {
    size_t n = std::strlen(suffix);
    if (text.size() < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - n + i])) != suffix[i]) return false;
    return true;
}

bool HaveFfmpeg() { return std::system("command -v ffmpeg > /dev/null 2>&1") == 0; }

// Starts a program in its own process group; with `input`, its standard input
// is a pipe whose writing end is returned there.
pid_t Spawn(const std::vector<std::string>& args, int* input) {
    int fds[2] = {-1, -1};
    if (input && pipe(fds) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        setpriority(PRIO_PROCESS, 0, kEncoderNice);
        if (input) {
            dup2(fds[0], 0);
            close(fds[0]);
            close(fds[1]);
        }
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    if (input) {
        close(fds[0]);
        fcntl(fds[1], F_SETPIPE_SZ, kPipeBytes);
        *input = pid > 0 ? fds[1] : -1;
        if (pid < 0) close(fds[1]);
    }
    return pid;
}

int Wait(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Put32(FILE* f, uint32_t v) {
    uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    std::fwrite(b, 1, 4, f);
}
void Put16(FILE* f, uint16_t v) {
    uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
    std::fwrite(b, 1, 2, f);
}

void WriteWavHeader(FILE* f, uint32_t frames) {
    std::fseek(f, 0, SEEK_SET);
    std::fwrite("RIFF", 1, 4, f);
    Put32(f, 36 + frames * 4);
    std::fwrite("WAVEfmt ", 1, 8, f);
    Put32(f, 16);
    Put16(f, 1);
    Put16(f, 2);
    Put32(f, sdl::kSampleRate);
    Put32(f, sdl::kSampleRate * 4);
    Put16(f, 4);
    Put16(f, 16);
    std::fwrite("data", 1, 4, f);
    Put32(f, frames * 4);
}

bool WriteAll(int fd, const uint8_t* data, size_t bytes) {
    size_t written = 0;
    while (written < bytes) {
        ssize_t n = write(fd, data + written, bytes - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        written += static_cast<size_t>(n);
    }
    return true;
}

// BGRA rows, bottom row first, to planar YUV 4:2:0 with BT.601 studio-range
// coefficients, as ffmpeg assumes for standard-definition video. Written as
// plain loops over rows so that the compiler vectorises them.
void ToYuv420(const uint8_t* bgra, int width, int height, std::vector<uint8_t>* yuv) {
    yuv->resize(static_cast<size_t>(width) * height * 3 / 2);
    uint8_t* yPlane = yuv->data();
    uint8_t* uPlane = yPlane + width * height;
    uint8_t* vPlane = uPlane + width * height / 4;
    size_t rowBytes = static_cast<size_t>(width) * 4;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = bgra + (height - 1 - y) * rowBytes;
        uint8_t* out = yPlane + y * width;
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = row + x * 4;
            out[x] = static_cast<uint8_t>(((66 * p[2] + 129 * p[1] + 25 * p[0] + 128) >> 8) + 16);
        }
    }
    int half = width / 2;
    for (int y = 0; y < height; y += 2) {
        const uint8_t* upper = bgra + (height - 1 - y) * rowBytes;
        const uint8_t* lower = upper - rowBytes;
        uint8_t* u = uPlane + (y / 2) * half;
        uint8_t* v = vPlane + (y / 2) * half;
        for (int x = 0; x < half; ++x) {
            const uint8_t* a = upper + x * 8;
            const uint8_t* c = lower + x * 8;
            int b = a[0] + a[4] + c[0] + c[4];
            int g = a[1] + a[5] + c[1] + c[5];
            int r = a[2] + a[6] + c[2] + c[6];
            u[x] = static_cast<uint8_t>(((-38 * r - 74 * g + 112 * b + 512) >> 10) + 128);
            v[x] = static_cast<uint8_t>(((112 * r - 94 * g - 18 * b + 512) >> 10) + 128);
        }
    }
}

void WriterThread() {
    State& s = S();
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kEncoderNice);  // this thread only, on Linux
    std::vector<uint8_t> yuv;
    for (;;) {
        std::vector<uint8_t> frame;
        {
            std::unique_lock<std::mutex> guard(s.lock);
            s.changed.wait(guard, [&] { return !s.queue.empty() || s.closing; });
            if (s.queue.empty()) return;
            frame = std::move(s.queue.front());
            s.queue.pop_front();
        }
        s.changed.notify_all();
        ToYuv420(frame.data(), s.widthPx, s.heightPx, &yuv);
        if (!WriteAll(s.encoderInput, yuv.data(), yuv.size())) {
            {
                std::lock_guard<std::mutex> guard(s.lock);
                s.encoderFailed = true;
                s.queue.clear();
            }
            s.changed.notify_all();  // the renderer may be waiting for room in the queue
            return;
        }
    }
}

uint64_t SampleFramesFor(uint64_t videoFrames) {
    return videoFrames * sdl::kSampleRate / static_cast<uint64_t>(S().fps);
}

void WriteSamples(const int16_t* stereo, size_t frames) {
    State& s = S();
    if (s.wav) std::fwrite(stereo, sizeof(int16_t) * 2, frames, s.wav);
    if (s.audioEncoderInput >= 0 &&
        !WriteAll(s.audioEncoderInput, reinterpret_cast<const uint8_t*>(stereo), frames * sizeof(int16_t) * 2)) {
        std::fprintf(stderr, "\npqn: ffmpeg stopped taking the sound\n");
        close(s.audioEncoderInput);
        s.audioEncoderInput = -1;
    }
    s.audioFrames += frames;
}

// Writes the held samples that the first `videoFrames` frames cover.
void WriteCoveredAudio(uint64_t videoFrames) {
    State& s = S();
    uint64_t covered = SampleFramesFor(videoFrames);
    if (covered <= s.audioFrames) return;
    size_t n = static_cast<size_t>(std::min<uint64_t>(covered - s.audioFrames, s.heldAudio.size() / 2));
    WriteSamples(s.heldAudio.data(), n);
    s.heldAudio.erase(s.heldAudio.begin(), s.heldAudio.begin() + n * 2);
}

// Starts an ffmpeg reading 16-bit stereo samples from a pipe.
bool StartAudioEncoder(const std::string& out) {
    State& s = S();
    std::vector<std::string> args = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-f", "s16le",
                                     "-ar", std::to_string(sdl::kSampleRate), "-ac", "2", "-i", "-"};
    if (EndsWith(out, ".mkv")) args.insert(args.end(), {"-c:a", "flac"});
    // At this rate ffmpeg's constant-quantiser AAC coder is the better and
    // the much faster one (a third of the default's time).
    else args.insert(args.end(), {"-c:a", "aac", "-aac_coder", "fast", "-b:a", "256k"});
    args.push_back(s.audioPath);
    s.audioEncoder = Spawn(args, &s.audioEncoderInput);
    return s.audioEncoder >= 0;
}

void ShowProgress(bool force) {
    State& s = S();
    if (!s.progress) return;
    Clock::time_point now = Clock::now();
    if (!force && now - s.lastProgress < std::chrono::milliseconds(200)) return;
    s.lastProgress = now;
    double elapsed = std::chrono::duration<double>(now - s.started).count();
    double rate = elapsed > 0 ? s.frames / elapsed : 0;
    uint64_t total = std::max(s.expectedFrames, s.frames);
    double fraction = total ? static_cast<double>(s.frames) / total : 0;
    double left = rate > 0 ? (total - s.frames) / rate : 0;
    char bar[31];
    int filled = static_cast<int>(fraction * 30);
    for (int i = 0; i < 30; ++i) bar[i] = i < filled ? '#' : '-';
    bar[30] = '\0';
    std::fprintf(stderr, "\r[%s] %llu/%llu frames %3.0f%% %5.0f fps %4.0f s left ", bar,
                 static_cast<unsigned long long>(s.frames), static_cast<unsigned long long>(total), fraction * 100, rate, left);
}

}  // namespace

bool Preflight(const std::string& out) {
    bool video = EndsWith(out, ".mp4") || EndsWith(out, ".mkv");
    if (video && !HaveFfmpeg()) {
        std::fprintf(stderr, "pqn: capturing to a video needs ffmpeg, which is not installed "
                             "(on Debian: sudo apt-get install ffmpeg); or capture to a folder of PNG frames\n");
        return false;
    }
    return true;
}

bool Start(const std::string& out, int framesPerSecond, double expectedSeconds, int widthPx, int heightPx) {
    State& s = S();
    s.out = out;
    s.fps = framesPerSecond;
    s.video = EndsWith(out, ".mp4") || EndsWith(out, ".mkv");
    s.widthPx = widthPx;
    s.heightPx = heightPx;
    size_t frameBytes = static_cast<size_t>(s.widthPx) * s.heightPx * 4;
    s.queuedFramesMost = std::min(kQueuedFramesMost, std::max<size_t>(2, kQueuedBytesMost / frameBytes));
    s.expectedFrames = static_cast<uint64_t>(expectedSeconds * framesPerSecond) + 1;
    signal(SIGPIPE, SIG_IGN);
    if (s.video) {
        s.videoTemp = out + ".video.mkv";
        // An MP4-family file keeps the AAC encoder's start-up delay, so the
        // sound stays as long as the frames when it is copied into the output.
        s.audioPath = out + (EndsWith(out, ".mkv") ? ".audio.mka" : ".audio.m4a");
        s.encoder = Spawn({"ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-f", "rawvideo", "-pix_fmt", "yuv420p",
                           "-s", std::to_string(s.widthPx) + "x" + std::to_string(s.heightPx), "-r", std::to_string(framesPerSecond), "-i", "-", "-c:v", "libx264",
                           "-preset", "ultrafast", "-crf", "16", "-colorspace", "bt470bg", "-color_primaries", "bt470bg",
                           "-color_trc", "smpte170m", "-color_range", "tv", s.videoTemp},
                          &s.encoderInput);
        if (s.encoder < 0 || !StartAudioEncoder(out)) {
            std::fprintf(stderr, "pqn: cannot start ffmpeg\n");
            return false;
        }
        s.writer = std::thread(WriterThread);
    } else {
        std::error_code error;
        std::filesystem::create_directories(out, error);
        s.audioPath = out + "/audio.wav";
        s.wav = std::fopen(s.audioPath.c_str(), "wb");
        if (!s.wav) {
            std::fprintf(stderr, "pqn: cannot write %s\n", s.audioPath.c_str());
            return false;
        }
        WriteWavHeader(s.wav, 0);
    }
    s.progress = isatty(2);
    s.started = s.lastProgress = Clock::now();
    s.open = s.active = true;
    return true;
}

bool Active() { return S().active; }

bool WantsBgra() { return S().active && S().video; }

void Frame(std::vector<uint8_t>&& pixels, int width, int height) {
    State& s = S();
    if (!s.active) return;
    if (s.video) {
        std::unique_lock<std::mutex> guard(s.lock);
        s.changed.wait(guard, [&] { return s.queue.size() < s.queuedFramesMost || s.encoderFailed; });
        if (s.encoderFailed) {
            std::fprintf(stderr, "\npqn: ffmpeg stopped taking frames\n");
            s.active = false;
            return;
        }
        s.queue.push_back(std::move(pixels));
        guard.unlock();
        s.changed.notify_all();
    } else {
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%06llu.png", static_cast<unsigned long long>(s.frames));
        if (!WritePng(s.out + name, width, height, 3, pixels.data(), true)) std::fprintf(stderr, "pqn: cannot write %s%s\n", s.out.c_str(), name);
    }
    ++s.frames;
    WriteCoveredAudio(s.frames);
    ShowProgress(false);
}

void Audio(const int16_t* stereo, size_t frames) {
    State& s = S();
    if (!s.active) return;
    s.heldAudio.insert(s.heldAudio.end(), stereo, stereo + frames * 2);
    WriteCoveredAudio(s.frames);
}

void Finish(bool interrupted) {
    State& s = S();
    if (!s.open) return;
    s.expectedFrames = s.frames;  // the last line shows what was made
    ShowProgress(true);
    if (s.progress) std::fputc('\n', stderr);
    // The sound is as long as the frames: what was decoded beyond the last
    // one is dropped, and silence makes up for any shortfall.
    uint64_t wanted = SampleFramesFor(s.frames);
    WriteCoveredAudio(s.frames);
    std::vector<int16_t> silence(2 * 1024, 0);
    while (s.audioFrames < wanted)
        WriteSamples(silence.data(), static_cast<size_t>(std::min<uint64_t>(1024, wanted - s.audioFrames)));
    s.heldAudio.clear();
    s.open = s.active = false;

    bool ok = true;
    if (s.wav) {
        WriteWavHeader(s.wav, static_cast<uint32_t>(wanted));
        ok = std::fclose(s.wav) == 0;
        s.wav = nullptr;
        if (!ok) std::fprintf(stderr, "pqn: cannot write %s\n", s.audioPath.c_str());
    }
    if (s.video) {
        {
            std::lock_guard<std::mutex> guard(s.lock);
            s.closing = true;
        }
        s.changed.notify_all();
        if (s.writer.joinable()) s.writer.join();
        close(s.encoderInput);
        if (s.audioEncoderInput >= 0) close(s.audioEncoderInput);
        ok = Wait(s.encoder) == 0;
        ok = Wait(s.audioEncoder) == 0 && ok;
        std::vector<std::string> mux = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-i", s.videoTemp,
                                        "-i", s.audioPath, "-c", "copy"};
        if (!EndsWith(s.out, ".mkv")) mux.insert(mux.end(), {"-movflags", "+faststart"});
        mux.push_back(s.out);
        ok = ok && Wait(Spawn(mux, nullptr)) == 0;
        std::remove(s.videoTemp.c_str());
        std::remove(s.audioPath.c_str());
        if (!ok) std::fprintf(stderr, "pqn: ffmpeg could not write %s\n", s.out.c_str());
    }
    double wall = std::chrono::duration<double>(Clock::now() - s.started).count();
    double show = static_cast<double>(s.frames) / s.fps;
    std::fprintf(stderr, "pqn: %s %llu frames, %.2f s of show, in %.1f s (%.1fx real time) -> %s\n",
                 interrupted ? "interrupted after" : "captured", static_cast<unsigned long long>(s.frames), show, wall,
                 wall > 0 ? show / wall : 0, s.out.c_str());
}

}  // namespace platform::capture
