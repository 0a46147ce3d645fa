// Module playback headless: the position of each row from its first frame,
// sync callbacks on the rows of their E8x cells, the flags they raise, and
// the E8x cells cleared from the copy that is played.
#include <gtest/gtest.h>

#include "platform/runtime.h"
#include "sound/xm_sync.h"
#include "support.h"

namespace {

constexpr uint64_t kRowFrames = 5292;  // speed 6 at 125 BPM, 44100 Hz

struct Heard {
    DWORD data;
    DWORD position;
};
std::vector<Heard> g_heard;
DWORD g_channel = 0;

void CALLBACK RecordSync(HSYNC, DWORD, DWORD data, DWORD) { g_heard.push_back({data, BASS_ChannelGetPosition(g_channel)}); }

class MusicTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ConfigureHeadless();
        for (auto& flag : g_syncFlags) flag.store(0);
        g_heard.clear();
    }
    EngineWindow* Play(const std::vector<test::CueAt>& cues, int orders = 8) {
        static int count = 0;
        std::string path = test::WriteTemp("module" + std::to_string(count++) + ".xm", test::MakeTestModule(orders, cues));
        window = std::make_unique<EngineWindow>(2, 1);
        window->LoadMusic(path.c_str());
        g_channel = window->GetMusicChannel();
        BASS_ChannelSetSync(g_channel, BASS_SYNC_MUSICFX, 1, MusicSyncProc, 0);
        BASS_ChannelSetSync(g_channel, BASS_SYNC_MUSICFX, 1, RecordSync, 0);
        window->PlayMusic();
        return window.get();
    }
    std::unique_ptr<EngineWindow> window;
};

TEST_F(MusicTest, EachRowStartsOnItsExactFrame) {
    EngineWindow* music = Play({});
    EXPECT_EQ(music->GetOrder(), 0u);
    EXPECT_EQ(music->GetRow(), 0u);
    uint64_t order5row32 = (5 * 64 + 32) * kRowFrames;
    platform::AdvanceMusicTo(order5row32 - 1);
    EXPECT_EQ(music->GetOrder(), 5u);
    EXPECT_EQ(music->GetRow(), 31u);
    platform::AdvanceMusicTo(order5row32);
    EXPECT_EQ(BASS_ChannelGetPosition(music->GetMusicChannel()), (32u << 16) | 5u);
    EXPECT_EQ(music->GetOrder(), 5u);
    EXPECT_EQ(music->GetRow(), 32u);
}

TEST_F(MusicTest, SyncsArriveOnTheirRowAndOnlyFlagsZeroToSixAreRaised) {
    const int values[] = {0, 1, 2, 3, 4, 5, 6, 7, 15};
    std::vector<test::CueAt> cues;
    for (int i = 0; i < 9; ++i) cues.push_back({1, 4 * i + 2, values[i]});
    Play(cues);
    for (int i = 0; i < 9; ++i) {
        uint64_t rowStart = (64 + 4 * i + 2) * kRowFrames;
        platform::AdvanceMusicTo(rowStart - 1);
        ASSERT_EQ(g_heard.size(), static_cast<size_t>(i));
        platform::AdvanceMusicTo(rowStart);
        ASSERT_EQ(g_heard.size(), static_cast<size_t>(i + 1));
        EXPECT_EQ(g_heard.back().data, static_cast<DWORD>(values[i]));
        EXPECT_EQ(g_heard.back().position, (static_cast<DWORD>(4 * i + 2) << 16) | 1u);
        int raised = 0;
        for (int flag = 0; flag < 7; ++flag) raised += g_syncFlags[flag].load();
        EXPECT_EQ(raised, values[i] <= 6 ? 1 : 0) << values[i];
        if (values[i] <= 6) {
            EXPECT_EQ(g_syncFlags[values[i]].load(), 1);
        }
        for (auto& flag : g_syncFlags) flag.store(0);
    }
}

TEST_F(MusicTest, ARepeatedSyncLeavesItsFlagSet) {
    Play({{0, 1, 3}, {0, 2, 3}});
    platform::AdvanceMusicTo(2 * kRowFrames);
    EXPECT_EQ(g_syncFlags[3].load(), 1);
    EXPECT_EQ(g_heard.size(), 2u);
}

TEST_F(MusicTest, ABadHandleReadsAsTheLibrarysErrorValue) {
    EngineWindow missing(2, 1);
    missing.LoadMusic("no such module.xm");
    EXPECT_EQ(missing.GetMusicChannel(), 0u);
    EXPECT_EQ(missing.GetOrder(), 65535u);
    EXPECT_EQ(missing.GetRow(), 65535u);
    std::string notModule = test::WriteTemp("not-a-module.xm", {'h', 'e', 'l', 'l', 'o'});
    EngineWindow garbage(2, 1);
    garbage.LoadMusic(notModule.c_str());
    EXPECT_EQ(garbage.GetMusicChannel(), 0u);
}

TEST_F(MusicTest, MusicModeOneDoesNothing) {
    size_t attempts = platform::AudioInitDevices().size();
    EngineWindow silent(1, 1);
    silent.LoadMusic("biisi.xm");
    silent.PlayMusic();
    EXPECT_EQ(silent.GetOrder(), 0u);
    EXPECT_EQ(silent.GetRow(), 0u);
    EXPECT_EQ(silent.GetMusicChannel(), 0u);
    EXPECT_EQ(platform::AudioInitDevices().size(), attempts);
}

// A module shorter than the show loops back to its start; from then it reads
// as finished (order and row 65535), so every scene still waiting ends, and
// the cues of the repeat raise no flags.
TEST_F(MusicTest, AModuleThatLoopsBackReadsAsFinished) {
    EngineWindow* music = Play({{0, 1, 3}}, 3);
    platform::AdvanceMusicTo(3 * 64 * kRowFrames - 1);
    EXPECT_EQ(music->GetOrder(), 2u);
    EXPECT_EQ(music->GetRow(), 63u);
    platform::AdvanceMusicTo(3 * 64 * kRowFrames + 2 * kRowFrames);
    EXPECT_EQ(music->GetOrder(), 65535u);
    EXPECT_EQ(music->GetRow(), 65535u);
    EXPECT_EQ(g_heard.size(), 1u);
}

// Sampled audio (music mode 3): order and row both read the byte position.
TEST_F(MusicTest, AStreamReportsItsBytePositionAsBothHalves) {
    std::vector<uint8_t> wav = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 2, 0,
                                0x44, 0xAC, 0, 0, 0x10, 0xB1, 0x02, 0, 4, 0, 16, 0, 'd', 'a', 't', 'a'};
    const uint32_t frames = 44100;
    uint32_t bytes = frames * 4;
    for (int i = 0; i < 4; ++i) wav.push_back(static_cast<uint8_t>(bytes >> (8 * i)));
    wav.resize(wav.size() + bytes, 0);
    uint32_t riff = static_cast<uint32_t>(wav.size() - 8);
    for (int i = 0; i < 4; ++i) wav[4 + i] = static_cast<uint8_t>(riff >> (8 * i));
    std::string path = test::WriteTemp("stream.wav", wav);
    EngineWindow stream(3, 1);
    stream.LoadMusic(path.c_str());
    ASSERT_NE(stream.GetMusicChannel(), 0u);
    stream.PlayMusic();
    platform::AdvanceMusicTo(1000);
    EXPECT_EQ(stream.GetOrder(), 4000u);
    EXPECT_EQ(stream.GetRow(), 4000u);
}

TEST(XmSyncTest, CuesAreFoundAndClearedInThePlayedCopy) {
    std::vector<uint8_t> module = test::MakeTestModule(3, {{0, 5, 2}, {2, 63, 6}, {1, 0, 15}});
    xmsync::CueTable cues;
    ASSERT_TRUE(xmsync::ClearSyncEffects(&module, &cues));
    EXPECT_EQ(cues.Count(), 3u);
    ASSERT_NE(cues.At(2, 63), nullptr);
    EXPECT_EQ(cues.At(2, 63)->front(), 6);
    EXPECT_EQ(cues.At(1, 0)->front(), 15);
    xmsync::CueTable again;
    xmsync::ClearSyncEffects(&module, &again);
    EXPECT_EQ(again.Count(), 0u);

    std::vector<uint8_t> notXm = {'M', 'T', 'h', 'd'};
    EXPECT_FALSE(xmsync::ClearSyncEffects(&notXm, &again));
}

TEST(XmSyncTest, TruncatedModulesAreWalkedWithoutReadingPastTheEnd) {
    std::vector<uint8_t> module = test::MakeTestModule(2, {{0, 5, 2}, {1, 7, 3}});
    for (size_t keep : {size_t{0}, size_t{60}, size_t{80}, size_t{340}, module.size() / 2, module.size() - 1}) {
        std::vector<uint8_t> cut(module.begin(), module.begin() + static_cast<long>(keep));
        xmsync::CueTable cues;
        xmsync::ClearSyncEffects(&cut, &cues);
        EXPECT_LE(cues.Count(), 2u);
    }
}

}  // namespace
