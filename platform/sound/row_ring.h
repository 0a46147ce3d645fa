// Rows handed from the audio callback to the sync thread without a lock or an
// allocation: a ring with one writer (the callback) and one reader (the sync
// thread), its room made before the sound starts.
#pragma once

#include <atomic>
#include <cstddef>
#include <vector>

#include "sound/module_decoder.h"

namespace platform::sound {

class RowRing {
public:
    // Room for `rows` rows in flight; not while either side runs.
    void Reserve(size_t rows) { slots_.assign(rows + 1, RowStart{}); }
    // The writer's side: false, with nothing written, when the ring is full.
    bool Push(const RowStart& row) {
        size_t tail = tail_.load(std::memory_order_relaxed);
        size_t next = tail + 1 == slots_.size() ? 0 : tail + 1;
        if (slots_.empty() || next == head_.load(std::memory_order_acquire)) return false;
        slots_[tail] = row;
        tail_.store(next, std::memory_order_release);
        return true;
    }
    // The reader's side: false when nothing is waiting.
    bool Pop(RowStart* row) {
        size_t head = head_.load(std::memory_order_relaxed);
        if (head == tail_.load(std::memory_order_acquire)) return false;
        *row = slots_[head];
        head_.store(head + 1 == slots_.size() ? 0 : head + 1, std::memory_order_release);
        return true;
    }
    // Empties it; only while neither side runs.
    void Clear() {
        head_.store(0, std::memory_order_relaxed);
        tail_.store(0, std::memory_order_relaxed);
    }

private:
    std::vector<RowStart> slots_;
    std::atomic<size_t> head_{0};
    std::atomic<size_t> tail_{0};
};

}  // namespace platform::sound
