// Real-time playback on the silent output: the fallback from the default
// device, a position that moves with the clock, and syncs called from the
// sound side's own thread on the row being heard.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "../platform/runtime.h"
#include "support.h"

namespace {

std::atomic<int> g_calls{0};
std::atomic<DWORD> g_positionAtSync{0};
std::thread::id g_syncThread;
DWORD g_channel = 0;

void CALLBACK Record(HSYNC, DWORD, DWORD, DWORD) {
    g_syncThread = std::this_thread::get_id();
    g_positionAtSync = BASS_ChannelGetPosition(g_channel);
    g_calls++;
}

TEST(RealtimeAudioTest, FallsBackToTheSilentOutputAndSyncsOnTheHeardRow) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    platform::RunOptions options;
    platform::Configure(options);

    std::string path = test::WriteTemp("realtime.xm", test::MakeTestModule(2, {{0, 6, 4}}));
    EngineWindow music(2, 1);
    music.LoadMusic(path.c_str());
    EXPECT_EQ(platform::AudioInitDevices(), (std::vector<int>{-1, -2}));
    g_channel = music.GetMusicChannel();
    ASSERT_NE(g_channel, 0u);
    BASS_ChannelSetSync(g_channel, BASS_SYNC_MUSICFX, 1, MusicSyncProc, 0);
    BASS_ChannelSetSync(g_channel, BASS_SYNC_MUSICFX, 1, Record, 0);
    music.PlayMusic();

    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (g_calls == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(g_calls.load(), 1);
    EXPECT_NE(g_syncThread, std::this_thread::get_id());
    EXPECT_EQ(g_syncFlags[4].load(), 1);
    EXPECT_EQ(g_positionAtSync.load(), 6u << 16);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_GE(music.GetRow(), 7u);
    EXPECT_EQ(music.GetOrder(), 0u);
}

}  // namespace
