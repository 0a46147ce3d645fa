// A module decoded row-exactly on libopenmpt (see module_decoder.h).
#include "sound/module_decoder.h"

#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cstring>
#include <map>
#include <sstream>
#include <string>

namespace platform::sound {

namespace {

constexpr int32_t kTimedOrders = 64;  // orders whose start time and rows are known

// E8x cues of a non-XM module, read through libopenmpt's pattern view.
void ScanCues(openmpt::module& module, xmsync::CueTable* cues) {
    int32_t channels = module.get_num_channels();
    for (int32_t p = 0; p < module.get_num_patterns(); ++p) {
        for (int32_t r = 0; r < module.get_pattern_num_rows(p); ++r) {
            for (int32_t c = 0; c < channels; ++c) {
                std::string letter = module.format_pattern_row_channel_command(p, r, c, openmpt::module::command_effect);
                uint8_t param = module.get_pattern_row_channel_command(p, r, c, openmpt::module::command_parameter);
                if (letter == "E" && (param >> 4) == 8) cues->Add(static_cast<uint32_t>(p), static_cast<uint32_t>(r), param & 15);
            }
        }
    }
}

}  // namespace

std::unique_ptr<ModuleDecoder> ModuleDecoder::Load(std::vector<uint8_t> bytes, bool loop) {
    std::unique_ptr<ModuleDecoder> decoder(new ModuleDecoder);
    bool isXm = xmsync::ClearSyncEffects(&bytes, &decoder->cues_);
    std::ostringstream noWarnings;
    try {
        // The song's length and subsongs are not needed; working them out
        // replays the whole song at load.
        const std::map<std::string, std::string> loadOptions = {{"load.skip_subsongs_init", "1"}};
        decoder->module_ = std::make_unique<openmpt::module>(bytes, noWarnings, loadOptions);
    } catch (const std::exception&) {
        return nullptr;
    }
    if (!isXm) ScanCues(*decoder->module_, &decoder->cues_);
    // No dither: the same module gives the same samples on every run.
    decoder->module_->ctl_set_integer("dither", 0);
    decoder->module_->set_repeat_count(loop ? -1 : 0);
    return decoder;
}

ModuleDecoder::~ModuleDecoder() = default;

void ModuleDecoder::Decode(uint64_t firstFrame, int16_t* out, int count, std::vector<RowStart>* rows) {
    uint64_t frame = firstFrame;
    while (count > 0) {
        bool bulk = bulkLeft_ > 0;
        int chunk = bulk ? static_cast<int>(std::min<int64_t>(bulkLeft_, count)) : 1;
        size_t got = outOfSamples_ ? 0 : module_->read_interleaved_stereo(kSampleRate, chunk, out);
        if (got == 0) {
            if (!finished_) rows->push_back({frame, kFinished, kFinished});
            finished_ = true;
            outOfSamples_ = true;
            std::memset(out, 0, sizeof(int16_t) * 2 * count);
            return;
        }
        if (bulk) bulkLeft_ -= static_cast<int64_t>(got);
        int32_t order = module_->get_current_order();
        int32_t row = module_->get_current_row();
        if (order != lastOrder_ || row != lastRow_) {
            bool loopedBack = lastOrder_ >= 0 && order < lastOrder_;
            lastOrder_ = order;
            lastRow_ = row;
            if (loopedBack && !finished_) rows->push_back({frame + got - 1, kFinished, kFinished});
            finished_ = finished_ || loopedBack;
            if (!finished_) rows->push_back({frame + got - 1, static_cast<uint32_t>(order), static_cast<uint32_t>(row)});
            int32_t tempo = std::max<int32_t>(module_->get_current_tempo(), 1);
            int32_t speed = std::max<int32_t>(module_->get_current_speed(), 1);
            int64_t rowFrames = static_cast<int64_t>(speed) * kSampleRate * 5 / (2 * tempo);
            bulkLeft_ = rowFrames - 64;
        }
        frame += got;
        out += 2 * got;
        count -= static_cast<int>(got);
    }
}

void ModuleDecoder::SetPosition(uint32_t order, uint32_t row) {
    module_->set_position_order_row(static_cast<int32_t>(order), static_cast<int32_t>(row));
    lastOrder_ = lastRow_ = -1;
    bulkLeft_ = 0;
    outOfSamples_ = false;
    finished_ = false;
}

double ModuleDecoder::SecondsAt(uint32_t order, uint32_t row) {
    if (order >= OrderCount() || row >= RowsAt(order)) return -1;
    int32_t standingOrder = module_->get_current_order(), standingRow = module_->get_current_row();
    double seconds = module_->set_position_order_row(static_cast<int32_t>(order), static_cast<int32_t>(row));
    module_->set_position_order_row(standingOrder, standingRow);
    return seconds;
}

uint32_t ModuleDecoder::OrderCount() const { return static_cast<uint32_t>(std::max(module_->get_num_orders(), 0)); }

uint32_t ModuleDecoder::RowsAt(uint32_t order) const {
    if (order >= OrderCount()) return 0;
    int32_t pattern = module_->get_order_pattern(static_cast<int32_t>(order));
    return static_cast<uint32_t>(std::max(module_->get_pattern_num_rows(pattern), 0));
}

const std::vector<uint8_t>* ModuleDecoder::CuesAt(uint32_t order, uint32_t row) const {
    return cues_.At(static_cast<uint32_t>(module_->get_order_pattern(static_cast<int32_t>(order))), row);
}

void ModuleDecoder::TimeOrders() {
    if (timed_) return;
    timed_ = true;
    int32_t standingOrder = module_->get_current_order(), standingRow = module_->get_current_row();
    int32_t timedOrders = std::min(module_->get_num_orders(), kTimedOrders);
    for (int32_t order = 0; order < timedOrders; ++order)
        orderSeconds_.push_back(module_->set_position_order_row(order, 0));
    module_->set_position_order_row(standingOrder, standingRow);
}

double ModuleDecoder::SecondsAtOrder(uint32_t order) const {
    return order < orderSeconds_.size() ? orderSeconds_[order] : -1;
}

}  // namespace platform::sound
