// The soundtrack "biisi.xm": synthesised instruments and a composition in A
// minor whose sections follow the scenes, with the show's sync cues (E8x) on
// a channel of their own. 125 BPM, speed 6, 64-row patterns, one per order;
// each section slows into its cut over its last 16 rows, so the pictures'
// closing zooms and fades have the time they need, and the next section
// starts in tempo again.
#include "soundtrack.h"

#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "canvas.h"
#include "xm_writer.h"

namespace gen {

namespace {

constexpr double kRate = 44100;
constexpr double kPi = 3.14159265358979;

// ---- synthesis ------------------------------------------------------------------

using Wave = std::vector<float>;

Wave Silence(double seconds) { return Wave(static_cast<size_t>(seconds * kRate), 0.0f); }

double PolyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1;
    }
    if (t > 1 - dt) {
        t = (t - 1) / dt;
        return t * t + t + t + 1;
    }
    return 0;
}

struct Oscillator {
    double phase = 0;
    double Saw(double hz) {
        double dt = hz / kRate;
        double v = 2 * phase - 1 - PolyBlep(phase, dt);
        phase = std::fmod(phase + dt, 1.0);
        return v;
    }
    double Pulse(double hz, double duty) {
        double dt = hz / kRate;
        double v = (phase < duty ? 1 : -1) + PolyBlep(phase, dt) - PolyBlep(std::fmod(phase + 1 - duty, 1.0), dt);
        phase = std::fmod(phase + dt, 1.0);
        return v;
    }
    double Sine(double hz) {
        double v = std::sin(2 * kPi * phase);
        phase = std::fmod(phase + hz / kRate, 1.0);
        return v;
    }
};

// Chamberlin state-variable filter.
struct Filter {
    double low = 0, band = 0;
    void Run(double in, double cutoffHz, double resonance) {
        double f = 2 * std::sin(kPi * std::min(cutoffHz, kRate / 6) / kRate);
        double q = 1 / resonance;
        low += f * band;
        double high = in - low - q * band;
        band += f * high;
    }
};

struct Noise {
    Random random{1234};
    double Next() { return random.Uniform() * 2 - 1; }
};

void RemoveDc(Wave& w) {
    double previousIn = 0, previousOut = 0;
    for (float& s : w) {
        double out = s - previousIn + 0.995 * previousOut;
        previousIn = s;
        previousOut = out;
        s = static_cast<float>(out);
    }
}

void Fade(Wave& w, double inSeconds, double outSeconds) {
    size_t in = static_cast<size_t>(inSeconds * kRate), out = static_cast<size_t>(outSeconds * kRate);
    for (size_t i = 0; i < in && i < w.size(); ++i) w[i] *= static_cast<float>(i) / in;
    for (size_t i = 0; i < out && i < w.size(); ++i) w[w.size() - 1 - i] *= static_cast<float>(i) / out;
}

Wave Kick() {
    Wave w = Silence(0.5);
    Oscillator osc;
    Noise noise;
    for (size_t i = 0; i < w.size(); ++i) {
        double t = i / kRate;
        double hz = 44 + 120 * std::exp(-t * 30);
        double body = osc.Sine(hz) * std::exp(-t * 6.5);
        double click = noise.Next() * std::exp(-t * 400) * 0.35;
        w[i] = static_cast<float>(std::tanh(1.6 * (body + click)));
    }
    Fade(w, 0, 0.02);
    return w;
}

Wave Snare() {
    Wave w = Silence(0.4);
    Oscillator osc;
    Noise noise;
    Filter filter;
    for (size_t i = 0; i < w.size(); ++i) {
        double t = i / kRate;
        double tone = osc.Sine(185 + 40 * std::exp(-t * 60)) * std::exp(-t * 22) * 0.55;
        filter.Run(noise.Next(), 3800, 0.9);
        double clap = 0;
        for (double at : {0.0, 0.011, 0.023}) clap += t >= at ? std::exp(-(t - at) * (at < 0.02 ? 90 : 13)) : 0;
        double hiss = (noise.Next() * 0.4 + filter.band * 1.2) * clap * 0.6;
        w[i] = static_cast<float>(std::tanh(1.3 * (tone + hiss)));
    }
    Fade(w, 0, 0.03);
    return w;
}

Wave Hat(double seconds, double decay) {
    Wave w = Silence(seconds);
    Noise noise;
    Filter filter;
    for (size_t i = 0; i < w.size(); ++i) {
        double t = i / kRate;
        double n = noise.Next();
        filter.Run(n, 7000, 1.2);
        double high = n - filter.low - filter.band;
        w[i] = static_cast<float>(high * std::exp(-t * decay) * 0.8);
    }
    Fade(w, 0, 0.01);
    return w;
}

Wave Bass() {  // tone at C-3
    const double hz = 130.8128;
    Wave w = Silence(0.9);
    Oscillator saw, sub;
    Filter filter;
    for (size_t i = 0; i < w.size(); ++i) {
        double t = i / kRate;
        double cutoff = 250 + 2200 * std::exp(-t * 9);
        filter.Run(saw.Saw(hz) * 0.7, cutoff, 1.6);
        double v = filter.low * 0.9 + sub.Sine(hz / 2) * 0.45;
        w[i] = static_cast<float>(std::tanh(1.4 * v) * std::exp(-t * 1.6));
    }
    Fade(w, 0.002, 0.05);
    return w;
}

// A warm chord voice at C-4 whose middle part loops seamlessly (cross-faded).
Wave Pad(uint32_t* loopStart, uint32_t* loopLength) {
    const double hz = 261.6256;
    Wave w = Silence(3.2);
    Oscillator a, b, c, lfo;
    Filter filter;
    for (size_t i = 0; i < w.size(); ++i) {
        double wobble = lfo.Sine(0.5);
        double v = a.Saw(hz * 0.996) + b.Saw(hz * 1.004) + c.Pulse(hz * 0.5, 0.5) * 0.6;
        filter.Run(v, 1400 + 300 * wobble, 0.8);
        w[i] = static_cast<float>(filter.low * 0.32);
    }
    size_t start = static_cast<size_t>(0.8 * kRate), end = w.size() - 1, blend = static_cast<size_t>(0.3 * kRate);
    for (size_t k = 0; k < blend; ++k) {  // the loop's end flows into its start
        float mix = static_cast<float>(k) / blend;
        w[end - blend + k] = w[end - blend + k] * (1 - mix) + w[start - blend + k] * mix;
    }
    *loopStart = static_cast<uint32_t>(start);
    *loopLength = static_cast<uint32_t>(end - start);
    return w;
}

Wave Lead() {  // tone at C-4
    const double hz = 261.6256;
    Wave w = Silence(1.6);
    Oscillator osc, vibrato;
    Filter filter;
    for (size_t i = 0; i < w.size(); ++i) {
        double t = i / kRate;
        double depth = std::min(1.0, t / 0.3) * 0.006;
        double v = osc.Pulse(hz * (1 + depth * vibrato.Sine(5.5)), 0.32);
        filter.Run(v, 1800 + 2500 * std::exp(-t * 4), 1.1);
        w[i] = static_cast<float>(filter.low * 0.75 * std::exp(-t * 1.1));
    }
    Fade(w, 0.003, 0.1);
    return w;
}

Wave Pluck() {  // tone at C-4
    const double hz = 261.6256;
    Wave w = Silence(0.45);
    Oscillator saw, square;
    Filter filter;
    for (size_t i = 0; i < w.size(); ++i) {
        double t = i / kRate;
        double v = saw.Saw(hz) * 0.6 + square.Pulse(hz * 2, 0.5) * 0.3;
        filter.Run(v, 600 + 5000 * std::exp(-t * 18), 1.4);
        w[i] = static_cast<float>(filter.low * 0.8 * std::exp(-t * 8));
    }
    Fade(w, 0.001, 0.04);
    return w;
}

Wave Riser() {  // noise and a rising tone over two seconds
    Wave w = Silence(2.0);
    Noise noise;
    Filter filter;
    Oscillator osc;
    for (size_t i = 0; i < w.size(); ++i) {
        double t = i / kRate;
        double p = t / 2.0;
        filter.Run(noise.Next(), 300 * std::pow(25.0, p), 3.0);
        double tone = osc.Saw(110 * std::pow(8.0, p)) * 0.15;
        w[i] = static_cast<float>((filter.band * 0.55 + tone) * p * p);
    }
    Fade(w, 0.01, 0.02);
    return w;
}

Wave Crash() {
    Wave w = Silence(2.2);
    Noise noise;
    Filter filter;
    for (size_t i = 0; i < w.size(); ++i) {
        double t = i / kRate;
        double n = noise.Next();
        filter.Run(n, 5000, 0.7);
        double high = n - filter.low;
        w[i] = static_cast<float>(high * 0.55 * std::exp(-t * 2.0));
    }
    Fade(w, 0.001, 0.2);
    return w;
}

xm::Instrument Make(const char* name, Wave wave, double toneHz, uint8_t volume) {
    RemoveDc(wave);
    xm::Instrument in;
    in.name = name;
    in.volume = volume;
    in.sample.reserve(wave.size());
    for (float s : wave) in.sample.push_back(static_cast<int16_t>(std::lround(std::clamp(s, -1.0f, 1.0f) * 32000)));
    xm::TuneSample(in, kRate, toneHz);
    return in;
}

// ---- composition ------------------------------------------------------------------------

enum Instrument { kKick = 1, kSnare, kHatClosed, kHatOpen, kBass, kPad, kLead, kPluck, kRiser, kCrash };
enum Channel { chKick, chSnare, chHat, chBass, chPad1, chPad2, chPad3, chLead, chArp, chFx, chSync, chPerc, kChannels };

// Note numbers: C-0 is 1, A-4 is 58.
int Note(const char* name) {
    static const int semitone[] = {9, 11, 0, 2, 4, 5, 7};
    int n = semitone[name[0] - 'A'];
    if (name[1] == '#') ++n;
    return (name[2] - '0') * 12 + n + 1;
}

struct Chord {
    int root;        // bass note, octave 1 to 2
    int voices[3];   // pad voicing around C-4
};

Chord MakeChord(const char* bass, const char* a, const char* b, const char* c) {
    return {Note(bass), {Note(a), Note(b), Note(c)}};
}

const Chord kAm = MakeChord("A-1", "A-3", "C-4", "E-4");
const Chord kF = MakeChord("F-1", "A-3", "C-4", "F-4");
const Chord kC = MakeChord("C-2", "G-3", "C-4", "E-4");
const Chord kG = MakeChord("G-1", "G-3", "B-3", "D-4");
const Chord kDm = MakeChord("D-2", "A-3", "D-4", "F-4");
const Chord kEm = MakeChord("E-2", "G-3", "B-3", "E-4");

struct Section {
    Chord bars[4];
    int drums;   // 0 none, 1 light, 2 half, 3 full
    int bass;    // 0 none, 1 beats, 2 eighths
    bool pad, lead, arp;
    int leadVariant;
};

Section SectionOf(int order) {
    Section main{{kAm, kF, kC, kG}, 3, 2, true, false, false, 0};
    if (order == 0) return {{kAm, kF, kC, kG}, 0, 0, true, false, false, 0};
    if (order == 1) return {{kAm, kF, kC, kG}, 1, 1, true, false, false, 0};
    if (order == 2) return {{kAm, kF, kC, kG}, 2, 1, true, false, true, 0};
    if (order <= 5) return main;
    if (order == 6) return {{kF, kG, kAm, kAm}, 1, 1, true, true, false, 0};
    if (order <= 8) return {{kF, kG, kAm, kAm}, 3, 2, true, true, false, 1};
    if (order <= 10) return {{kDm, kAm, kF, kG}, order == 9 ? 0 : 1, 1, true, false, true, 0};
    if (order <= 12) return {{kDm, kAm, kF, kG}, 2, 2, true, false, true, 0};
    if (order <= 16) return {{kAm, kF, kC, kG}, 3, 2, true, order >= 15, true, 2};
    if (order == 17) return {{kF, kG, kEm, kAm}, 0, 1, true, false, true, 0};
    if (order <= 20) return {{kAm, kF, kC, kG}, 3, 2, true, true, false, 0};
    if (order <= 22) return {{kF, kG, kAm, kEm}, 3, 2, true, true, true, 1};
    if (order <= 26) return {{kAm, kF, kC, kG}, 3, 2, true, true, true, order >= 25 ? 2 : 0};
    return {{kAm, kAm, kAm, kAm}, 0, 0, true, false, false, 0};
}

// Two-bar lead phrases: (row, note) pairs, 0 for a note-off.
struct Step {
    int row;
    const char* note;
};
const std::vector<std::vector<Step>> kPhrases = {
    {{0, "E-5"}, {3, "D-5"}, {6, "C-5"}, {8, "D-5"}, {10, "E-5"}, {14, "G-5"}, {16, "A-5"}, {22, "G-5"}, {24, "E-5"}, {28, "D-5"}},
    {{0, "C-5"}, {2, "D-5"}, {4, "E-5"}, {8, "G-5"}, {12, "E-5"}, {16, "D-5"}, {18, "C-5"}, {20, "A-4"}, {24, "C-5"}, {28, "B-4"}},
    {{0, "A-5"}, {2, "G-5"}, {4, "E-5"}, {6, "G-5"}, {8, "A-5"}, {12, "C-6"}, {16, "B-5"}, {20, "G-5"}, {24, "E-5"}, {26, "G-5"}},
};

xm::Cell& At(xm::Pattern& p, int row, int channel) { return p.cells[static_cast<size_t>(row) * kChannels + channel]; }

void Play(xm::Pattern& p, int row, int channel, int note, int instrument, int volume = 64) {
    xm::Cell& c = At(p, row, channel);
    c.note = static_cast<uint8_t>(note);
    c.instrument = static_cast<uint8_t>(instrument);
    c.volume = static_cast<uint8_t>(0x10 + std::clamp(volume, 0, 64));
}

void Cue(xm::Pattern& p, int row, int x) {
    xm::Cell& c = At(p, row, chSync);
    c.effect = 0x0E;
    c.param = static_cast<uint8_t>(0x80 | x);
}

// Sync cues: which order and row raise which flag.
void AddCues(xm::Pattern& p, int order) {
    if (order == 1) {
        for (int row : {16, 48}) Cue(p, row, 2);
        for (int row : {24, 56}) Cue(p, row, 1);
    }
    if (order == 2) {
        for (int row : {16, 32}) Cue(p, row, 2);
        for (int row : {20, 40}) Cue(p, row, 1);
    }
    if (order == 3 || order == 4)
        for (int row = 0; row < 64; row += 8) Cue(p, row, 0);
    if (order == 5)
        for (int row = 0; row <= 40; row += 8) Cue(p, row, 0);
    if (order == 6) {
        Cue(p, 16, 1);
        Cue(p, 32, 2);
        Cue(p, 48, 3);
    }
    if (order == 7 || order == 8)
        for (int row : {0, 16, 32, 48}) Cue(p, row, 4);
    if (order == 9) Cue(p, 32, 1);
    if (order == 10) {
        Cue(p, 0, 2);
        Cue(p, 48, 3);
    }
    if (order == 11 || order == 12) {
        for (int row : {16, 48}) Cue(p, row, 4);
        for (int row : {0, 32}) Cue(p, row, 0);
    }
    // The credits come in one after another and leave one after another,
    // so one of them is always moving until the closing zoom.
    if (order == 18) {
        Cue(p, 16, 1);
        Cue(p, 40, 3);
    }
    if (order == 19) {
        Cue(p, 0, 2);
        Cue(p, 32, 1);
        Cue(p, 56, 3);
    }
    if (order == 20) Cue(p, 16, 2);
}

bool RampOrder(int order) {
    return order == 2 || order == 5 || order == 8 || order == 12 || order == 16 || order == 17 || order == 20 || order == 22;
}

bool SectionStart(int order) {
    return order == 3 || order == 6 || order == 9 || order == 13 || order == 17 || order == 18 || order == 21 || order == 23;
}

constexpr int kTempoBpm = 125;

// The greetings (orders 21 and 22) are played slower, so that all twelve
// names, which change once a second, show before the panel flies away.
int SectionTempoBpm(int order) { return order == 21 || order == 22 ? 104 : kTempoBpm; }

// The tempo of rows 48 to 63 of an order that ends a section: a ritardando
// from the section's tempo down to 60 BPM, which draws those 16 rows out
// from 1.92 s to about 2.9 s at 125 BPM.
int ClosingTempoBpm(int order, int row) {
    float t = (row - 47) / 16.0f;
    int from = SectionTempoBpm(order);
    return static_cast<int>(std::lround(from - (from - 60) * std::pow(t, 0.8f)));
}

void SetTempo(xm::Pattern& p, int row, int bpm) {
    xm::Cell& c = At(p, row, chFx);
    c.effect = 0x0F;
    c.param = static_cast<uint8_t>(bpm);
}

xm::Pattern Compose(int order) {
    xm::Pattern p(64, kChannels);
    Section s = SectionOf(order);
    bool fill = RampOrder(order);
    int fade = order == 26 ? 1 : 0;  // the finale thins out over its last order
    for (int bar = 0; bar < 4; ++bar) {
        const Chord& chord = s.bars[bar];
        int base = bar * 16;
        int level = fade ? 64 - bar * 12 : 64;
        if (s.pad) {
            int padVolume = order == 0 ? 14 + bar * 8 : order == 27 ? 40 - bar * 9 : 40;
            for (int v = 0; v < 3; ++v) Play(p, base, chPad1 + v, chord.voices[v], kPad, padVolume * level / 64);
        }
        for (int step = 0; step < 16; ++step) {
            int row = base + step;
            bool fillZone = fill && row >= 48;
            if (s.drums >= 2 && step % 4 == 0 && !(fillZone && row >= 56)) Play(p, row, chKick, Note("C-4"), kKick, 64 * level / 64);
            if (s.drums == 1 && step == 0) Play(p, row, chKick, Note("C-4"), kKick, 52);
            if (s.drums >= 2 && (step == 4 || step == 12)) Play(p, row, chSnare, Note("C-4"), kSnare, (s.drums == 2 ? 44 : 54) * level / 64);
            if (s.drums >= 1 && step % 4 == 2) Play(p, row, chHat, Note("C-4"), kHatClosed, 38 * level / 64);
            if (s.drums == 3 && step % 2 == 1) Play(p, row, chHat, Note("C-4"), kHatClosed, 18 * level / 64);
            if (s.drums == 3 && step == 14 && bar % 2 == 1) Play(p, row, chPerc, Note("C-4"), kHatOpen, 30 * level / 64);
            if (s.bass == 1 && step % 4 == 0) Play(p, row, chBass, chord.root + 12, kBass, 56);
            if (s.bass == 2 && step % 2 == 0) {
                int octave = (step % 8 == 6) ? 24 : 12;
                Play(p, row, chBass, chord.root + octave, kBass, (step % 4 == 0 ? 60 : 46) * level / 64);
            }
            if (s.arp) {
                const int pattern[] = {0, 1, 2, 1};
                int note = chord.voices[pattern[step % 4]] + 12 + (step >= 8 ? 12 : 0);
                Play(p, row, chArp, note, kPluck, (step % 4 == 0 ? 34 : 24) * level / 64);
            }
        }
    }
    if (s.lead) {
        const std::vector<Step>& phrase = kPhrases[s.leadVariant];
        for (int half = 0; half < 2; ++half)
            for (const Step& step : phrase) {
                int row = half * 32 + step.row;
                if (fill && row >= 48) continue;
                int transpose = half == 1 && s.leadVariant == 0 ? -2 : 0;
                Play(p, row, chLead, Note(step.note) + transpose - 12, kLead, 46);
            }
    }
    if (fill) {
        Play(p, 48, chFx, Note("C-4"), kRiser, 56);
        if (s.drums >= 2)
            for (int row = 56; row < 64; ++row) Play(p, row, chSnare, Note("C-4"), kSnare, 26 + (row - 56) * 4);
    }
    if (SectionStart(order) || order == 27) Play(p, 0, chFx, Note("C-4"), kCrash, order == 27 ? 36 : 48);
    if (order == 1 || order == 2) {  // the shouts land on claps
        for (int row : order == 1 ? std::vector<int>{16, 48} : std::vector<int>{16, 32}) Play(p, row, chPerc, Note("D-4"), kSnare, 40);
    }
    AddCues(p, order);
    if (SectionStart(order)) SetTempo(p, 0, SectionTempoBpm(order));
    if (RampOrder(order))
        for (int row = 48; row < 64; ++row) SetTempo(p, row, ClosingTempoBpm(order, row));
    return p;
}

xm::Module Build() {
    xm::Module m;
    m.name = "biisi";
    m.channels = kChannels;
    m.speed = 6;
    m.bpm = kTempoBpm;
    uint32_t padLoopStart = 0, padLoopLength = 0;
    Wave pad = Pad(&padLoopStart, &padLoopLength);
    m.instruments = {Make("kick", Kick(), 261.6256, 64),          Make("snare", Snare(), 261.6256, 64),
                     Make("hat", Hat(0.08, 60), 261.6256, 64),     Make("open hat", Hat(0.4, 9), 261.6256, 64),
                     Make("bass", Bass(), 130.8128, 64),           Make("pad", pad, 261.6256, 64),
                     Make("lead", Lead(), 261.6256, 64),           Make("pluck", Pluck(), 261.6256, 64),
                     Make("riser", Riser(), 261.6256, 64),         Make("crash", Crash(), 261.6256, 64)};
    // A stereo picture: drums and bass in the middle, hats right, arpeggio left, lead a little right.
    const std::pair<Instrument, uint8_t> panning[] = {{kHatClosed, 168}, {kHatOpen, 176}, {kPluck, 84}, {kLead, 150}, {kCrash, 140}};
    for (const auto& entry : panning) m.instruments[entry.first - 1].panning = entry.second;
    xm::Instrument& padInstrument = m.instruments[kPad - 1];
    padInstrument.loopStart = padLoopStart;
    padInstrument.loopLength = padLoopLength;
    padInstrument.envelope = {{0, 0}, {10, 64}, {40, 0}};
    padInstrument.sustainPoint = 1;
    padInstrument.fadeout = 600;
    for (int order = 0; order < 28; ++order) {
        m.patterns.push_back(Compose(order));
        m.orders.push_back(static_cast<uint8_t>(order));
    }
    return m;
}

// Peak of the whole song as libopenmpt plays it.
float RenderedPeak(const std::vector<uint8_t>& bytes) {
    std::ostringstream log;
    openmpt::module module(bytes, log);
    std::vector<float> buffer(2 * 4096);
    float peak = 0;
    for (;;) {
        size_t got = module.read_interleaved_stereo(static_cast<int>(kRate), 4096, buffer.data());
        if (got == 0) break;
        for (size_t i = 0; i < 2 * got; ++i) peak = std::max(peak, std::fabs(buffer[i]));
    }
    return peak;
}

}  // namespace

std::vector<uint8_t> MakeSoundtrack() {
    xm::Module module = Build();
    std::vector<uint8_t> bytes = xm::Write(module);
    // Level the mix so the loudest moment peaks at about -1.5 dBFS.
    float peak = RenderedPeak(bytes);
    if (peak > 0) {
        float gain = 0.84f / peak;
        for (xm::Instrument& in : module.instruments) {
            int16_t loudest = 1;
            for (int16_t s : in.sample) loudest = std::max<int16_t>(loudest, static_cast<int16_t>(std::abs(s)));
            float applied = std::min(gain, 32767.0f / loudest);
            for (int16_t& s : in.sample) s = static_cast<int16_t>(std::lround(s * applied));
        }
        bytes = xm::Write(module);
    }
    return bytes;
}

}  // namespace gen
