// The flash check: a headless run whose every frame is read back and counted
// for flashes (see capture/flashes.h), then reported per second of the run
// and per scene, as a table or as JSON.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/options.h"

namespace platform::flash_check {

// A show frame read back (RGB, tightly packed) with its scene and position.
void FramePresented(int scene, MusicPosition position, const std::vector<uint8_t>& rgb, int widthPx, int heightPx);
void Report(bool json);

}  // namespace platform::flash_check
