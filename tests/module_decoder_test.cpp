// The module decoder on its own, with no sound device: the exact first frame
// of each row, the E8x cues found and cleared, the end of a module, a move to
// an order, and the orders' start times. Also the capture's colour conversion.
#include <gtest/gtest.h>

#include <vector>

#include "capture/yuv.h"
#include "sound/module_decoder.h"
#include "support.h"

namespace {

using platform::sound::ModuleDecoder;
using platform::sound::RowStart;

constexpr uint64_t kRowFrames = 5292;  // speed 6 at 125 BPM, 44100 Hz

// Decodes `frames` in pieces of `piece` and returns the rows seen.
std::vector<RowStart> DecodeRows(ModuleDecoder& decoder, uint64_t frames, int piece) {
    std::vector<RowStart> rows;
    std::vector<int16_t> sound(static_cast<size_t>(piece) * 2);
    for (uint64_t at = 0; at < frames; at += static_cast<uint64_t>(piece)) decoder.Decode(at, sound.data(), piece, &rows);
    return rows;
}

TEST(ModuleDecoderTest, EveryRowIsFoundOnItsFirstFrameWhateverThePieces) {
    for (int piece : {1024, 777, 4096}) {
        auto decoder = ModuleDecoder::Load(test::MakeTestModule(2, {}), false);
        ASSERT_TRUE(decoder);
        std::vector<RowStart> rows = DecodeRows(*decoder, 70 * kRowFrames, piece);
        ASSERT_GE(rows.size(), 70u) << "pieces of " << piece;
        for (uint32_t i = 0; i < 70; ++i) {
            EXPECT_EQ(rows[i].frame, i * kRowFrames) << "row " << i << ", pieces of " << piece;
            EXPECT_EQ(rows[i].order, i / 64);
            EXPECT_EQ(rows[i].row, i % 64);
        }
    }
}

TEST(ModuleDecoderTest, TheEndIsReportedOnceThenSilence) {
    auto decoder = ModuleDecoder::Load(test::MakeTestModule(2, {}), false);
    ASSERT_TRUE(decoder);
    std::vector<RowStart> rows = DecodeRows(*decoder, 130 * kRowFrames, 1024);
    ASSERT_EQ(rows.size(), 129u);
    EXPECT_EQ(rows.back().order, platform::sound::kFinished);
    EXPECT_EQ(rows.back().row, platform::sound::kFinished);
    EXPECT_EQ(rows.back().frame, 128 * kRowFrames);
    std::vector<int16_t> sound(2048, 1);
    decoder->Decode(130 * kRowFrames, sound.data(), 1024, &rows);
    EXPECT_EQ(rows.size(), 129u);
    for (int16_t sample : sound) ASSERT_EQ(sample, 0);
}

TEST(ModuleDecoderTest, CuesAreFoundByOrderAndRow) {
    auto decoder = ModuleDecoder::Load(test::MakeTestModule(3, {{0, 6, 4}, {2, 10, 1}, {2, 11, 6}}), false);
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->CueCount(), 3u);
    ASSERT_TRUE(decoder->CuesAt(0, 6));
    EXPECT_EQ(*decoder->CuesAt(0, 6), std::vector<uint8_t>{4});
    ASSERT_TRUE(decoder->CuesAt(2, 11));
    EXPECT_EQ(*decoder->CuesAt(2, 11), std::vector<uint8_t>{6});
    EXPECT_EQ(decoder->CuesAt(1, 6), nullptr);
}

TEST(ModuleDecoderTest, OrdersAreTimedAndAMoveDecodesFromThere) {
    auto decoder = ModuleDecoder::Load(test::MakeTestModule(4, {}), false);
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->SecondsAtOrder(2), -1);  // not timed yet
    decoder->TimeOrders();
    EXPECT_NEAR(decoder->SecondsAtOrder(2), 2 * 64 * kRowFrames / 44100.0, 1e-6);
    EXPECT_EQ(decoder->RowsAtOrder(3), 64u);
    EXPECT_EQ(decoder->RowsAtOrder(4), 0u);
    decoder->SetPosition(3, 0);
    std::vector<RowStart> rows = DecodeRows(*decoder, 2 * kRowFrames, 1024);
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[0].order, 3u);
    EXPECT_EQ(rows[0].frame, 0u);
    EXPECT_EQ(rows[1].row, 1u);
    EXPECT_EQ(rows[1].frame, kRowFrames);
}

TEST(ModuleDecoderTest, BytesThatAreNoModuleGiveNoDecoder) {
    EXPECT_FALSE(ModuleDecoder::Load(std::vector<uint8_t>(300, 0x55), false));
    EXPECT_FALSE(ModuleDecoder::Load({}, false));
}

// BT.601 studio range: black at 16, white at 235, grey without colour at
// 128, and the colour planes from 2x2 blocks; the rows come bottom first.
TEST(YuvTest, FramesBecomeStudioRangeBt601WithTheTopRowFirst) {
    const int w = 4, h = 2;
    std::vector<uint8_t> bgra(w * h * 4);
    auto set = [&](int x, int yFromBottom, uint8_t b, uint8_t g, uint8_t r) {
        uint8_t* p = &bgra[(yFromBottom * w + x) * 4];
        p[0] = b, p[1] = g, p[2] = r, p[3] = 255;
    };
    for (int x = 0; x < 2; ++x)
        for (int y = 0; y < 2; ++y) set(x, y, 0, 0, 0);
    for (int x = 2; x < 4; ++x) set(x, 0, 0, 0, 255), set(x, 1, 255, 255, 255);  // red under white
    std::vector<uint8_t> yuv;
    platform::capture::ToYuv420(bgra.data(), w, h, &yuv);
    ASSERT_EQ(yuv.size(), 12u);
    EXPECT_EQ(yuv[0], 16);   // black
    EXPECT_EQ(yuv[2], 235);  // white, in the top row
    EXPECT_EQ(yuv[6], 82);   // red, in the bottom row
    EXPECT_EQ(yuv[8], 128);  // the black block has no colour
    EXPECT_EQ(yuv[10], 128);
    EXPECT_GT(yuv[11], 128);  // half red: V above grey
    EXPECT_LT(yuv[9], 128);   // and U below
}

}  // namespace
