// A small writer of FastTracker 2 XM modules (version 0x0104): header, order
// table, packed patterns, instruments with one delta-coded 16-bit sample each.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xm {

struct Cell {
    uint8_t note = 0;        // 1 = C-0 ... 96 = B-7, 97 = key off, 0 = none
    uint8_t instrument = 0;  // 1-based, 0 = none
    uint8_t volume = 0;      // volume column: 0x10 + 0..64 sets the volume, 0 = none
    uint8_t effect = 0;
    uint8_t param = 0;
};

struct Pattern {
    int rows = 64;
    std::vector<Cell> cells;  // rows x channels
    Pattern(int rowCount, int channels) : rows(rowCount), cells(static_cast<size_t>(rowCount) * channels) {}
};

struct EnvelopePoint {
    uint16_t tick;
    uint16_t value;  // 0 to 64
};

struct Instrument {
    std::string name;
    std::vector<int16_t> sample;  // mono 16-bit
    uint32_t loopStart = 0, loopLength = 0;  // in samples; length 0 = no loop
    uint8_t volume = 64;
    int8_t finetune = 0;
    int8_t relativeNote = 0;
    uint8_t panning = 128;
    std::vector<EnvelopePoint> envelope;  // volume envelope, empty = none
    uint8_t sustainPoint = 0;
    uint16_t fadeout = 0;
};

struct Module {
    std::string name;
    int channels = 8;
    int speed = 6;
    int bpm = 125;
    int restart = 0;
    std::vector<uint8_t> orders;
    std::vector<Pattern> patterns;
    std::vector<Instrument> instruments;
};

std::vector<uint8_t> Write(const Module& module);

// Relative note and finetune that make a sample recorded at `sampleRate`, whose
// tone is `toneHz`, sound at its own pitch when played as C-4.
void TuneSample(Instrument& instrument, double sampleRate, double toneHz);

}  // namespace xm
