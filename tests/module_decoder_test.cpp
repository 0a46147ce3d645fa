// The module decoder on its own, with no sound device: the exact first frame
// of each row, the E8x cues found and cleared, the end of a module, a move to
// an order, and the orders' start times.
#include <gtest/gtest.h>

#include <vector>

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

}  // namespace
