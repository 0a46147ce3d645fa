// XM file layout, little-endian throughout.
#include "xm_writer.h"

#include <algorithm>
#include <cmath>

namespace xm {

namespace {

void Put8(std::vector<uint8_t>& out, uint32_t v) { out.push_back(static_cast<uint8_t>(v)); }
void Put16(std::vector<uint8_t>& out, uint32_t v) {
    Put8(out, v);
    Put8(out, v >> 8);
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v);
    Put16(out, v >> 16);
}
void PutText(std::vector<uint8_t>& out, const std::string& text, size_t size) {
    for (size_t i = 0; i < size; ++i) Put8(out, i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
}

std::vector<uint8_t> Pack(const Pattern& pattern, int channels) {
    std::vector<uint8_t> data;
    for (int row = 0; row < pattern.rows; ++row) {
        for (int ch = 0; ch < channels; ++ch) {
            const Cell& c = pattern.cells[static_cast<size_t>(row) * channels + ch];
            uint8_t flags = 0x80 | (c.note ? 1 : 0) | (c.instrument ? 2 : 0) | (c.volume ? 4 : 0) |
                            (c.effect ? 8 : 0) | (c.param ? 16 : 0);
            if (flags == 0x9F) {
                data.insert(data.end(), {c.note, c.instrument, c.volume, c.effect, c.param});
                continue;
            }
            Put8(data, flags);
            if (c.note) Put8(data, c.note);
            if (c.instrument) Put8(data, c.instrument);
            if (c.volume) Put8(data, c.volume);
            if (c.effect) Put8(data, c.effect);
            if (c.param) Put8(data, c.param);
        }
    }
    return data;
}

void PutInstrument(std::vector<uint8_t>& out, const Instrument& in) {
    const uint32_t headerSize = 263;
    size_t start = out.size();
    Put32(out, headerSize);
    PutText(out, in.name, 22);
    Put8(out, 0);
    Put16(out, 1);
    Put32(out, 40);
    for (int i = 0; i < 96; ++i) Put8(out, 0);  // every note plays sample 0
    for (int i = 0; i < 12; ++i) {
        EnvelopePoint p = i < static_cast<int>(in.envelope.size()) ? in.envelope[i] : EnvelopePoint{0, 0};
        Put16(out, p.tick);
        Put16(out, p.value);
    }
    for (int i = 0; i < 12; ++i) Put32(out, 0);  // panning envelope
    Put8(out, static_cast<uint32_t>(in.envelope.size()));
    Put8(out, 0);
    Put8(out, in.sustainPoint);
    Put8(out, 0);
    Put8(out, 0);
    Put8(out, 0);
    Put8(out, 0);
    Put8(out, 0);
    Put8(out, in.envelope.empty() ? 0 : 3);  // on, with sustain
    Put8(out, 0);
    for (int i = 0; i < 4; ++i) Put8(out, 0);  // vibrato
    Put16(out, in.fadeout);
    while (out.size() - start < headerSize) Put8(out, 0);

    bool loops = in.loopLength > 0;
    Put32(out, static_cast<uint32_t>(in.sample.size() * 2));
    Put32(out, in.loopStart * 2);
    Put32(out, in.loopLength * 2);
    Put8(out, in.volume);
    Put8(out, static_cast<uint8_t>(in.finetune));
    Put8(out, 0x10 | (loops ? 1 : 0));
    Put8(out, in.panning);
    Put8(out, static_cast<uint8_t>(in.relativeNote));
    Put8(out, 0);
    PutText(out, in.name, 22);
    int16_t previous = 0;
    for (int16_t s : in.sample) {
        Put16(out, static_cast<uint16_t>(static_cast<int16_t>(s - previous)));
        previous = s;
    }
}

}  // namespace

std::vector<uint8_t> Write(const Module& module) {
    std::vector<uint8_t> out;
    PutText(out, "Extended Module: ", 17);
    PutText(out, module.name, 20);
    Put8(out, 0x1A);
    PutText(out, "pqn-data", 20);
    Put16(out, 0x0104);
    Put32(out, 276);
    Put16(out, static_cast<uint32_t>(module.orders.size()));
    Put16(out, static_cast<uint32_t>(module.restart));
    Put16(out, static_cast<uint32_t>(module.channels));
    Put16(out, static_cast<uint32_t>(module.patterns.size()));
    Put16(out, static_cast<uint32_t>(module.instruments.size()));
    Put16(out, 1);  // linear frequency table
    Put16(out, static_cast<uint32_t>(module.speed));
    Put16(out, static_cast<uint32_t>(module.bpm));
    for (size_t i = 0; i < 256; ++i) Put8(out, i < module.orders.size() ? module.orders[i] : 0);
    for (const Pattern& pattern : module.patterns) {
        std::vector<uint8_t> packed = Pack(pattern, module.channels);
        Put32(out, 9);
        Put8(out, 0);
        Put16(out, static_cast<uint32_t>(pattern.rows));
        Put16(out, static_cast<uint32_t>(packed.size()));
        out.insert(out.end(), packed.begin(), packed.end());
    }
    for (const Instrument& instrument : module.instruments) PutInstrument(out, instrument);
    return out;
}

void TuneSample(Instrument& instrument, double sampleRate, double toneHz) {
    const double c4 = 261.6255653;
    double playbackRate = sampleRate * c4 / toneHz;
    double semitones = 12.0 * std::log2(playbackRate / 8363.0);
    int whole = static_cast<int>(std::lround(semitones));
    int fine = static_cast<int>(std::lround((semitones - whole) * 128));
    instrument.relativeNote = static_cast<int8_t>(whole);
    instrument.finetune = static_cast<int8_t>(std::clamp(fine, -128, 127));
}

}  // namespace xm
