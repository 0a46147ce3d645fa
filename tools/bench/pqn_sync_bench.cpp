// pqn-sync-bench: how far the picture is from the sound, as a viewer would
// measure it (see scripts/sync_bench.sh).
//   pqn-sync-bench --record-sound SOURCE SECONDS SOUND.raw
//       records a sound server's source (a sink's monitor) as 44.1 kHz mono,
//       and beside it SOUND.raw.times: per fragment read, the samples so far,
//       the wall clock and the server's latency for the last of them
//   pqn-sync-bench GRABS.mkv SOUND.raw CAPTURE-DIR CAPTURE-TRACE LIVE-TRACE MODULE [EVENTS.txt]
//       reads screen grabs stamped with the wall clock (ffmpeg's x11grab), the
//       recorded sound, a capture of the same stretch (frames, sound and
//       trace) and the trace of the recorded run; prints picture minus sound
//       for the ring flashes of scene 2 and for the readout's row changes, and
//       sync calls minus sound (the program's own estimate, before any
//       drawing), and lists every event in EVENTS.txt ("flash"/"row"/"sync",
//       seconds into the recording, picture or call minus sound in ms)
// The sound of each cue row is placed by aligning the recorded sound with the
// capture's (whose first sample is the start of the capture's first order),
// quarter second by quarter second, so that gaps the sound server leaves do
// not move the events after them;
// each picture event is found in the grabbed
// frames: a flash as the ring's area brightening most at once, a row as the first
// grab whose readout shows it (the readout's pixels are looked up among the
// capture's frames, whose texts the trace gives).
#include <libopenmpt/libopenmpt.hpp>
#include <pulse/pulseaudio.h>

#include <ctime>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "formats/trace_file.h"
#include "platform/png_file.h"
#include "sound/pulse_context.h"

namespace {

constexpr int kRate = 44100;
constexpr int kWidth = 640, kHeight = 480;
// The readout's box lies in the top left corner; rows 0-15, columns 0-199 hold
// every position text of scene 2.
constexpr int kBoxRows = 16, kBoxColumns = 200;
// The ring is drawn at window pixels (455, 176) to (519, 240), over the robot.
constexpr int kRingX0 = 463, kRingY0 = 184, kRingX1 = 511, kRingY1 = 232;

std::string Run(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
    pclose(pipe);
    return out;
}

// Signed 16-bit little-endian samples as floats in [-1, 1).
std::vector<float> SamplesFromS16le(const std::string& bytes) {
    std::vector<float> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        int16_t s = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) | (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
        samples[i] = s / 32768.0f;
    }
    return samples;
}

// One channel at 44100 Hz, the packets' samples one after another.
std::vector<float> ReadSound(const std::string& file, const char* stream) {
    return SamplesFromS16le(Run("ffmpeg -v error -i '" + file + "' -map " + stream + " -ac 1 -ar 44100 -f s16le -"));
}

// When a recorded sample was heard: the recorder notes, for each fragment it
// reads, the wall clock and the latency the server reports; their difference
// is when the fragment's last sample is heard, and the sink's clock keeps
// samples at their rate, so that less the samples before it is the time of
// sample 0; the median of these leaves out reads that were late.
double SoundStartTime(const std::string& stampsPath) {
    std::ifstream file(stampsPath);
    std::vector<double> starts;
    double samplesAfter = 0, readTime = 0, latency = 0;
    while (file >> samplesAfter >> readTime >> latency) starts.push_back(readTime - latency - samplesAfter / kRate);
    if (starts.empty()) return 0;
    std::sort(starts.begin(), starts.end());
    return starts[starts.size() / 2];
}

std::vector<float> ReadRawSound(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return SamplesFromS16le(std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>()));
}

void Signal(void* loop) { pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0); }
void OnStreamEvent(pa_stream*, void* loop) { Signal(loop); }
void OnReadable(pa_stream*, size_t, void* loop) { Signal(loop); }

// Connects a record stream to `source`, with the main loop locked; null when
// the server or the source cannot be had.
pa_stream* ConnectRecording(pa_threaded_mainloop* loop, pa_context* context, const char* source) {
    if (!platform::sound::pulse::ConnectAndWait(loop, context)) return nullptr;
    pa_sample_spec format{PA_SAMPLE_S16LE, kRate, 1};
    pa_stream* stream = pa_stream_new(context, "recording", &format, nullptr);
    if (!stream) return nullptr;
    pa_stream_set_state_callback(stream, OnStreamEvent, loop);
    pa_stream_set_read_callback(stream, OnReadable, loop);
    uint32_t serverChooses = static_cast<uint32_t>(-1);
    pa_buffer_attr attr{serverChooses, serverChooses, serverChooses, serverChooses, kRate / 100 * 2};
    auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE |
                                                PA_STREAM_ADJUST_LATENCY);
    if (pa_stream_connect_record(stream, source, &attr, flags) >= 0) {
        while (pa_stream_get_state(stream) == PA_STREAM_CREATING) pa_threaded_mainloop_wait(loop);
        if (pa_stream_get_state(stream) == PA_STREAM_READY) return stream;
    }
    pa_stream_unref(stream);
    return nullptr;
}

// Reads 10 ms fragments (or what the server hands over) for `seconds`; for
// each, notes the samples so far, the wall clock and the stream's latency
// (the last sample is heard at the one less the other). The latency keeps its
// sign: a sink's monitor hands out sound before the sink plays it and says so
// with a negative latency, which the simple API would clamp to zero (and the
// sound would seem heard early).
void ReadFragments(pa_threaded_mainloop* loop, pa_stream* stream, double seconds, FILE* raw, FILE* stamps) {
    long samples = 0;
    while (samples < seconds * kRate && pa_stream_get_state(stream) == PA_STREAM_READY) {
        const void* data = nullptr;
        size_t bytes = 0;
        if (pa_stream_peek(stream, &data, &bytes) < 0) return;
        if (bytes == 0) {
            pa_threaded_mainloop_wait(loop);
            continue;
        }
        std::vector<char> silence(data ? 0 : bytes, 0);  // a hole in the stream reads as silence
        std::fwrite(data ? data : silence.data(), 1, bytes, raw);
        samples += static_cast<long>(bytes / 2);
        pa_stream_drop(stream);
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        pa_usec_t latencyUs = 0;
        int negative = 0;
        if (pa_stream_get_latency(stream, &latencyUs, &negative) < 0) continue;  // no timing yet
        double latency = (negative ? -1.0 : 1.0) * static_cast<double>(latencyUs) / 1e6;
        std::fprintf(stamps, "%ld %.6f %.6f\n", samples, now.tv_sec + now.tv_nsec / 1e9, latency);
    }
}

// Records `source` for `seconds` as 44.1 kHz mono, with the stamps beside it.
int RecordSound(const char* source, double seconds, const std::string& rawPath) {
    FILE* raw = std::fopen(rawPath.c_str(), "wb");
    FILE* stamps = std::fopen((rawPath + ".times").c_str(), "w");
    pa_threaded_mainloop* loop = pa_threaded_mainloop_new();
    pa_context* context = loop ? pa_context_new(pa_threaded_mainloop_get_api(loop), "pqn-sync-bench") : nullptr;
    bool recorded = false;
    if (raw && stamps && context && pa_threaded_mainloop_start(loop) >= 0) {
        pa_threaded_mainloop_lock(loop);
        if (pa_stream* stream = ConnectRecording(loop, context, source)) {
            ReadFragments(loop, stream, seconds, raw, stamps);
            pa_stream_disconnect(stream);
            pa_stream_unref(stream);
            recorded = true;
        }
        pa_threaded_mainloop_unlock(loop);
        pa_threaded_mainloop_stop(loop);
    }
    if (!recorded) std::fprintf(stderr, "pqn-sync-bench: cannot record %s\n", source);
    if (context) {
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
    if (loop) pa_threaded_mainloop_free(loop);
    if (raw) std::fclose(raw);
    if (stamps) std::fclose(stamps);
    return recorded ? 0 : 1;
}

std::vector<double> PacketTimes(const std::string& file, const char* stream) {
    std::istringstream lines(Run("ffprobe -v error -select_streams " + std::string(stream) +
                                 " -show_entries frame=pts_time -of csv=p=0 '" + file + "'"));
    std::vector<double> times;
    for (std::string line; std::getline(lines, line);)
        if (!line.empty()) times.push_back(std::atof(line.c_str()));
    return times;
}

// Sums of |sample| over blocks of `block` samples.
std::vector<float> Envelope(const std::vector<float>& s, size_t block) {
    std::vector<float> e(s.size() / block);
    for (size_t i = 0; i < e.size(); ++i) {
        float sum = 0;
        for (size_t k = 0; k < block; ++k) sum += std::fabs(s[i * block + k]);
        e[i] = sum;
    }
    return e;
}

// The lag in [from, to] at which `part` best matches `whole` (normalised
// correlation, written to *correlation).
long BestLag(const std::vector<float>& whole, const std::vector<float>& part, long from, long to, double* correlation) {
    long best = from;
    double bestScore = -2;
    for (long lag = from; lag <= to; ++lag) {
        double score = 0, pp = 0, ww = 0;
        for (size_t i = 0; i < part.size(); ++i) {
            long j = lag + static_cast<long>(i);
            if (j < 0 || j >= static_cast<long>(whole.size())) continue;
            score += part[i] * whole[j];
            pp += part[i] * part[i];
            ww += whole[j] * whole[j];
        }
        double normalised = pp > 0 && ww > 0 ? score / std::sqrt(pp * ww) : 0;
        if (normalised > bestScore) bestScore = normalised, best = lag;
    }
    *correlation = bestScore;
    return best;
}

// Where each quarter second of the capture's sound lies in the recording,
// as the recording's sample at which the capture's first one would be. A
// sound server that falls behind (this machine stalls every process for a
// tenth of a second or more every few seconds) plays silence and then goes
// on where it was, so the lag grows by each such gap: it is followed from
// one quarter to the next, its half second of sound found within a quarter
// second of the lag before (where it is found at all). The show's sound is
// the first the recording hears, and the music repeats, so the first three
// seconds are looked for within half a second of that alone.
std::vector<long> LagsByQuarter(const std::vector<float>& recorded, const std::vector<float>& captured, double* correlation) {
    long firstHeard = 0;
    while (firstHeard < static_cast<long>(recorded.size()) && std::fabs(recorded[static_cast<size_t>(firstHeard)]) * 32768 <= 8)
        ++firstHeard;
    std::vector<float> start(captured.begin(), captured.begin() + std::min<size_t>(captured.size(), 3 * kRate));
    std::vector<float> recordedEnvelope = Envelope(recorded, 32);
    long near = BestLag(recordedEnvelope, Envelope(start, 32), (firstHeard - kRate / 2) / 32, (firstHeard + kRate / 2) / 32, correlation);
    long lag = BestLag(recorded, start, near * 32 - 48, near * 32 + 48, correlation);
    std::vector<long> lags;
    const size_t quarter = kRate / 4, piece = kRate / 2;
    for (size_t from = 0; from + piece <= captured.size(); from += quarter) {
        std::vector<float> part(captured.begin() + static_cast<long>(from), captured.begin() + static_cast<long>(from + piece));
        long centre = lag + static_cast<long>(from);
        double match = 0;
        long middle = BestLag(recordedEnvelope, Envelope(part, 32), (centre - static_cast<long>(quarter)) / 32,
                              (centre + static_cast<long>(quarter)) / 32, &match);
        long found = BestLag(recorded, part, middle * 32 - 48, middle * 32 + 48, &match) - static_cast<long>(from);
        // A piece not heard (the show ended, or a gap fills it) keeps the lag before.
        if (match >= 0.9) lag = found;
        lags.push_back(lag);
    }
    if (lags.empty()) lags.push_back(lag);
    return lags;
}

using platform::TraceEntry;

std::string BoxKey(const uint8_t* rgb) {
    std::string key;
    key.reserve(kBoxRows * kBoxColumns);
    for (int y = 0; y < kBoxRows; ++y)
        for (int x = 0; x < kBoxColumns; ++x) key.push_back(static_cast<char>(rgb[(y * kWidth + x) * 3 + 1]));
    return key;
}

double RingLevel(const uint8_t* rgb) {
    double sum = 0;
    for (int y = kRingY0; y < kRingY1; ++y)
        for (int x = kRingX0; x < kRingX1; ++x)
            for (int c = 0; c < 3; ++c) sum += rgb[(y * kWidth + x) * 3 + c];
    return sum / (3.0 * (kRingY1 - kRingY0) * (kRingX1 - kRingX0));
}

void Report(const char* what, const char* measured, std::vector<double> ms, double gradePeriodMs) {
    if (ms.empty()) {
        std::printf("%s: no events found\n", what);
        return;
    }
    std::sort(ms.begin(), ms.end());
    double median = ms[ms.size() / 2] - gradePeriodMs / 2;
    double q1 = ms[ms.size() / 4] - gradePeriodMs / 2, q3 = ms[ms.size() * 3 / 4] - gradePeriodMs / 2;
    std::printf("%s: %zu events, %s minus sound median %+.1f ms (quartiles %+.1f, %+.1f; range %+.1f to %+.1f)\n",
                what, ms.size(), measured, median, q1, q3, ms.front() - gradePeriodMs / 2, ms.back() - gradePeriodMs / 2);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--record-sound") return RecordSound(argv[2], std::atof(argv[3]), argv[4]);
    if (argc != 7 && argc != 8) {
        std::fprintf(stderr, "usage: pqn-sync-bench --record-sound SOURCE SECONDS SOUND.raw\n"
                             "       pqn-sync-bench GRABS.mkv SOUND.raw CAPTURE-DIR CAPTURE-TRACE LIVE-TRACE MODULE [EVENTS.txt]\n");
        return 2;
    }
    std::string recording = argv[1], soundPath = argv[2], captureDir = argv[3];
    std::vector<TraceEntry> trace = platform::ReadTraceFile(argv[4]), live = platform::ReadTraceFile(argv[5]);

    // Module time of every order and row start, and of the capture's first
    // sample: the capture's sound starts with its first frame, at the show
    // time that frame's trace line gives (a headless show's clock is the module's).
    std::ifstream moduleFile(argv[6], std::ios::binary);
    std::vector<char> moduleBytes((std::istreambuf_iterator<char>(moduleFile)), std::istreambuf_iterator<char>());
    openmpt::module module(moduleBytes);
    auto secondsAt = [&](int order, int row) { return module.set_position_order_row(order, row); };
    double captureStart = -1;
    for (const TraceEntry& e : trace)
        if (e.type == "frame") {
            captureStart = e.ms / 1000.0;
            break;
        }
    if (captureStart < 0) {
        std::fprintf(stderr, "pqn-sync-bench: no frames in the capture's trace\n");
        return 1;
    }

    // The recorded sound against the capture's: the capture's first sample in wall-clock time.
    std::vector<float> recorded = ReadRawSound(soundPath), captured = ReadSound(captureDir + "/audio.wav", "0:a");
    double soundStart = SoundStartTime(soundPath + ".times");
    if (recorded.empty() || captured.empty() || soundStart == 0) {
        std::fprintf(stderr, "pqn-sync-bench: no sound in the recording or the capture\n");
        return 1;
    }
    double correlation = 0;
    std::vector<long> lags = LagsByQuarter(recorded, captured, &correlation);
    auto soundAt = [&](double moduleSeconds) {
        double captureSeconds = moduleSeconds - captureStart;
        size_t quarter = static_cast<size_t>(std::clamp(captureSeconds * 4, 0.0, static_cast<double>(lags.size() - 1)));
        return soundStart + static_cast<double>(lags[quarter]) / kRate + captureSeconds;
    };
    std::printf("sound aligned with the capture: correlation %.3f; the sound heard %.0f ms later at the end than at the start\n",
                correlation, 1000.0 * static_cast<double>(lags.back() - lags.front()) / kRate);

    // The capture's readouts: each frame's box, with the text the trace gives it.
    std::map<std::string, std::pair<int, int>> rowOfBox;
    size_t frame = 0;
    for (const TraceEntry& e : trace) {
        if (e.type != "text") continue;
        char name[64];
        std::snprintf(name, sizeof name, "/frame-%06zu.png", frame++);
        int w = 0, h = 0;
        std::vector<uint8_t> rgb;
        if (!platform::ReadPngRgb(captureDir + name, &w, &h, &rgb) || w != kWidth || h != kHeight) break;
        int order = -1, row = -1;
        if (std::sscanf(e.text.c_str(), "order: %d, row: %d", &order, &row) == 2)
            rowOfBox.emplace(BoxKey(rgb.data()), std::make_pair(order, row));
    }

    // The grabbed frames: first sight of each row, and the ring's level.
    std::vector<double> videoTimes = PacketTimes(recording, "v");
    FILE* video = popen(("ffmpeg -v error -i '" + recording + "' -map 0:v -fps_mode passthrough -f rawvideo -pix_fmt rgb24 -").c_str(), "r");
    std::vector<uint8_t> rgb(kWidth * kHeight * 3);
    std::map<std::pair<int, int>, double> rowSeen;
    std::vector<std::pair<double, double>> ring;  // time, level
    for (size_t i = 0; video && fread(rgb.data(), 1, rgb.size(), video) == rgb.size() && i < videoTimes.size(); ++i) {
        auto found = rowOfBox.find(BoxKey(rgb.data()));
        if (found != rowOfBox.end()) rowSeen.emplace(found->second, videoTimes[i]);
        ring.emplace_back(videoTimes[i], RingLevel(rgb.data()));
    }
    if (video) pclose(video);
    double grabPeriodMs = videoTimes.size() > 1 ? 1000 * (videoTimes.back() - videoTimes.front()) / (videoTimes.size() - 1) : 0;
    std::printf("grabbed %zu frames, one every %.1f ms: half of that is taken off each event's picture time\n",
                videoTimes.size(), grabPeriodMs);

    // Readout: a row's first grab against the row's first sound.
    FILE* events = argc == 8 ? std::fopen(argv[7], "w") : nullptr;
    auto list = [&](const char* kind, double sound, double ms) {
        if (events) std::fprintf(events, "%s %.3f %+.1f\n", kind, sound - soundStart, ms - grabPeriodMs / 2);
    };
    std::vector<double> readout;
    for (const auto& [position, seen] : rowSeen) {
        double sound = soundAt(secondsAt(position.first, position.second));
        if (std::fabs(seen - sound) >= 0.5) continue;
        readout.push_back(1000 * (seen - sound));
        list("row", sound, readout.back());
    }

    // Flashes: sync 0 on its row; the grab within 200 ms before to 300 ms
    // after its sound where the ring's area brightens most at once.
    std::vector<double> flashes;
    for (const TraceEntry& e : trace) {
        if (e.type != "sync" || e.x != 0) continue;
        double sound = soundAt(secondsAt(e.order, e.row));
        double bestJump = 0, bestTime = 0;
        for (size_t i = 1; i < ring.size(); ++i) {
            if (ring[i].first < sound - 0.2 || ring[i].first > sound + 0.3) continue;
            double jump = ring[i].second - ring[i - 1].second;
            if (jump > bestJump) bestJump = jump, bestTime = ring[i].first;
        }
        if (bestJump <= 2) continue;
        flashes.push_back(1000 * (bestTime - sound));
        list("flash", sound, flashes.back());
    }

    // Sync calls: when the program called each sync procedure, by its own
    // estimate of the row being heard.
    std::vector<double> calls;
    for (const TraceEntry& e : live) {
        if (e.type != "sync" || e.wall == 0) continue;
        double sound = soundAt(secondsAt(e.order, e.row));
        calls.push_back(1000 * (e.wall - sound));
        if (events) std::fprintf(events, "sync %.3f %+.1f\n", sound - soundStart, calls.back());
    }
    if (events) std::fclose(events);
    Report("ring flashes", "picture", flashes, grabPeriodMs);
    Report("readout rows", "picture", readout, grabPeriodMs);
    Report("sync calls", "call", calls, 0);
    return 0;
}
