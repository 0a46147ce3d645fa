// A test fixture for what frames shade: a fresh headless engine drawing in
// window pixels, pixel counts kept (the suite configures the platform with
// test::ConfigureHeadlessGl), and frames ended as at a swap.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "support.h"  // first: GL's own header before the program's GL names

#include "gl/backend.h"
#include "gl/pixel_counter.h"

namespace test {

class CountingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::OpenEngine(1, nullptr, 1);
        ASSERT_NE(g_engine, nullptr);
        DrawInWindowPixels();
    }
    void TearDown() override {
        platform::gl::pixels::CountEveryNthFrame(0);
        CloseEngine();
    }
    // What the table holds back is drawn, as at a swap, and the frame ends.
    static void FrameDrawn(uint64_t presented) {
        platform::gl::ChosenBackend().drawPending();
        platform::gl::pixels::FrameDrawn(presented);
    }
};

}  // namespace test
