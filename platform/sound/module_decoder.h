// A tracker module decoded row-exactly, with no sound device involved: the
// module (libopenmpt), its E8x cues, and the exact first frame of every row.
//
// After each row starts, the decoder reads in bulk up to just before the
// row's expected end and then one frame at a time, so the first frame of
// every row is known exactly. libopenmpt would pan on E8x, which here is only
// a sync marker, so the copy of an XM module that is decoded has its E8x
// cells cleared.
//
// A module that comes to its end, or loops back to an earlier order, has
// finished: that moment is reported as a row of order and row kFinished, and
// no row after it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/sample_rate.h"
#include "sound/xm_sync.h"

namespace openmpt {
class module;
}

namespace platform::sound {

constexpr uint32_t kFinished = 0xFFFF;  // order and row of a module that has finished

struct RowStart {
    uint64_t frame;  // frame of the decoded sound at which the row starts
    uint32_t order;
    uint32_t row;
};

class ModuleDecoder {
public:
    // Null when the bytes are no module libopenmpt can read. A looping module
    // plays on from its start when it ends.
    static std::unique_ptr<ModuleDecoder> Load(std::vector<uint8_t> bytes, bool loop);
    ~ModuleDecoder();

    // Decodes `count` stereo frames into `out`, the first being frame
    // `firstFrame` of the decoded sound, and appends each row that starts
    // among them to `rows` (at most count + 1 entries: room for them is the
    // caller's, so decoding allocates nothing).
    void Decode(uint64_t firstFrame, int16_t* out, int count, std::vector<RowStart>* rows);
    // Moves to the start of a row; what follows decodes from there.
    void SetPosition(uint32_t order, uint32_t row);

    // The E8x values of a row of an order, in channel order (null if none).
    const std::vector<uint8_t>* CuesAt(uint32_t order, uint32_t row) const;
    size_t CueCount() const { return cues_.Count(); }

    // Finds the start time of the first 64 orders, once. It replays
    // the song, so it is done before decoding starts; the module is put back
    // where it stood.
    void TimeOrders();
    // Seconds from the start to an order's start (-1 if unknown), once the
    // orders are timed.
    double SecondsAtOrder(uint32_t order) const;
    // Seconds from the start to a row's start (-1 if the module has no such
    // row). It replays the song too, so it is asked before decoding starts.
    double SecondsAt(uint32_t order, uint32_t row);
    // How many orders the module has, and the rows of one (0 if none).
    uint32_t OrderCount() const;
    uint32_t RowsAt(uint32_t order) const;

private:
    ModuleDecoder() = default;

    std::unique_ptr<openmpt::module> module_;
    xmsync::CueTable cues_;    // E8x values by pattern and row
    int64_t bulkLeft_ = 0;     // frames that can be read before the next row check
    int32_t lastOrder_ = -1, lastRow_ = -1;
    bool outOfSamples_ = false;  // the module gave no more sound: silence from here
    bool finished_ = false;      // out of samples or looped back: no more rows
    bool timed_ = false;
    std::vector<double> orderSeconds_;
};

}  // namespace platform::sound
