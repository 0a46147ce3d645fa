// Fuzzes the E8x walker alone: any bytes, read as an XM module, are walked and
// cleared in place without reading or writing outside the buffer, and a
// second walk of the cleared copy finds no cue left (when the patterns start
// after the header's counts, so clearing cannot change what is walked).
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "sound/xm_sync.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    xmsync::CueTable cues;
    bool isXm = xmsync::ClearSyncEffects(&bytes, &cues);
    if (!isXm && cues.Count() != 0) std::abort();
    if (!isXm && bytes != std::vector<uint8_t>(data, data + size)) std::abort();
    uint32_t headerSize = size >= 64 ? data[60] | data[61] << 8 | data[62] << 16 | uint32_t{data[63]} << 24 : 0;
    if (!isXm || headerSize < 20) return 0;
    xmsync::CueTable left;
    xmsync::ClearSyncEffects(&bytes, &left);
    if (left.Count() != 0) std::abort();
    return 0;
}
