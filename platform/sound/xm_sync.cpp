// Walks the packed pattern data of an XM file (version 0x0104).
#include "sound/xm_sync.h"

#include <cstring>

namespace xmsync {

namespace {

uint32_t Read16(const std::vector<uint8_t>& d, size_t at) { return d[at] | (d[at + 1] << 8); }
uint32_t Read32(const std::vector<uint8_t>& d, size_t at) {
    return d[at] | (d[at + 1] << 8) | (d[at + 2] << 16) | (static_cast<uint32_t>(d[at + 3]) << 24);
}

constexpr uint8_t kEffectE = 0x0E;

}  // namespace

bool ClearSyncEffects(std::vector<uint8_t>* module, CueTable* cues) {
    std::vector<uint8_t>& d = *module;
    if (d.size() < 80 || std::memcmp(d.data(), "Extended Module: ", 17) != 0) return false;
    if (Read16(d, 58) < 0x0104) return false;
    uint64_t headerSize = Read32(d, 60);
    uint32_t channels = Read16(d, 68);
    uint32_t patterns = Read16(d, 70);
    uint64_t at = 60 + headerSize;
    for (uint32_t p = 0; p < patterns; ++p) {
        if (at + 9 > d.size()) break;
        uint64_t patternHeader = Read32(d, static_cast<size_t>(at));
        uint32_t rows = Read16(d, static_cast<size_t>(at + 5));
        uint64_t packedSize = Read16(d, static_cast<size_t>(at + 7));
        uint64_t cell = at + patternHeader;
        uint64_t end = cell + packedSize;
        if (patternHeader < 9 || end > d.size()) break;
        for (uint32_t row = 0; row < rows && cell < end; ++row) {
            for (uint32_t ch = 0; ch < channels && cell < end; ++ch) {
                uint8_t first = d[cell];
                uint64_t effect = 0, param = 0;
                bool hasEffect = false, hasParam = false;
                if (first & 0x80) {
                    uint64_t next = cell + 1;
                    if (first & 1) ++next;
                    if (first & 2) ++next;
                    if (first & 4) ++next;
                    if (first & 8) { effect = next++; hasEffect = true; }
                    if (first & 16) { param = next++; hasParam = true; }
                    cell = next;
                } else {
                    effect = cell + 3;
                    param = cell + 4;
                    hasEffect = hasParam = true;
                    cell += 5;
                }
                if (cell > end) break;
                if (hasEffect && hasParam && d[effect] == kEffectE && (d[param] >> 4) == 8) {
                    cues->Add(p, row, d[param] & 15);
                    d[effect] = 0;
                    d[param] = 0;
                }
            }
        }
        at = end;
    }
    return true;
}

}  // namespace xmsync
