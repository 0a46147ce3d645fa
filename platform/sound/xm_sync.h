// The E8x sync cues of an XM module: found by walking its packed patterns,
// and cleared from the copy that is played.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace xmsync {

// E8x values by pattern and row, in channel order.
class CueTable {
public:
    void Add(uint32_t pattern, uint32_t row, uint8_t x) { cues_[Key(pattern, row)].push_back(x); }
    const std::vector<uint8_t>* At(uint32_t pattern, uint32_t row) const {
        auto found = cues_.find(Key(pattern, row));
        return found == cues_.end() ? nullptr : &found->second;
    }
    size_t Count() const {
        size_t n = 0;
        for (const auto& entry : cues_) n += entry.second.size();
        return n;
    }

private:
    static uint64_t Key(uint32_t pattern, uint32_t row) { return (uint64_t{pattern} << 32) | row; }
    std::map<uint64_t, std::vector<uint8_t>> cues_;
};

// When `module` is an XM file: records every E8x cell in `cues`, clears its
// effect and parameter bytes in place and returns true. Other data is left
// alone and gives false. Never reads or writes outside the buffer.
bool ClearSyncEffects(std::vector<uint8_t>* module, CueTable* cues);

}  // namespace xmsync
