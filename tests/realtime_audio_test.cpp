// Real-time playback on the silent output: the fallback from the default
// device, a position that moves with the clock, and syncs called from the
// sound side's own thread on the row being heard. And the arithmetic of the
// heard frame with a sound server's latency and the user's offset.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "../platform/heard_frame.h"
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

// Rows of 5512 frames from channel frame 0; the row a heard frame falls in.
int RowAt(uint64_t heard) { return static_cast<int>(heard / 5512); }

// 1024 frames in the device buffer, 30 ms in the server (1323 frames) and a
// 50 ms offset (2205): row 1 starts to be reported exactly when its first
// frame has gone through all three.
TEST(HeardFrameTest, TheRowChangesWhenItsFirstFrameHasPassedBufferServerAndOffset) {
    platform::HeardEstimate e;
    e.bufferFrames = 1024;
    e.startDeviceFrame = 4096;
    e.latencyFrames = 1323 + 2205;
    e.sinceCallbackFrames = 0;
    uint64_t reported = 0;
    e.deliveredFrames = 4096 + 1024 + 1323 + 2205 + 5512 - 1;
    EXPECT_EQ(RowAt(platform::HeardFrameNow(e, &reported)), 0);
    e.sinceCallbackFrames = 1;  // one frame's time later
    EXPECT_EQ(platform::HeardFrameNow(e, &reported), 5512u);
    EXPECT_EQ(RowAt(reported), 1);
    // Time since the last callback counts up to one buffer, no further.
    e.sinceCallbackFrames = 5000;
    EXPECT_EQ(platform::HeardFrameNow(e, &reported), 5512u - 1 + 1024);
    // Before the first frame has gone through, frame 0 is heard.
    uint64_t early = 0;
    e.deliveredFrames = 4096;
    e.sinceCallbackFrames = 0;
    EXPECT_EQ(platform::HeardFrameNow(e, &early), 0u);
}

TEST(HeardFrameTest, ALatencyChangeMovesThePositionButNeverBack) {
    platform::HeardEstimate e;
    e.bufferFrames = 1024;
    e.deliveredFrames = 100000;
    e.latencyFrames = 882;  // 20 ms
    uint64_t reported = 0;
    uint64_t before = platform::HeardFrameNow(e, &reported);
    EXPECT_EQ(before, 100000u - 1024 - 882);
    e.latencyFrames = 4410;  // the server now buffers 100 ms: the position holds
    EXPECT_EQ(platform::HeardFrameNow(e, &reported), before);
    e.deliveredFrames += 2000;
    EXPECT_EQ(platform::HeardFrameNow(e, &reported), before);
    e.deliveredFrames += 2000;  // the sound has caught up
    EXPECT_EQ(platform::HeardFrameNow(e, &reported), 104000u - 1024 - 4410);
    e.latencyFrames = 0;  // less latency moves it on at once
    EXPECT_EQ(platform::HeardFrameNow(e, &reported), 104000u - 1024);
    // A negative offset can outweigh the latency: the sound is heard earlier.
    e.latencyFrames = -441;
    EXPECT_EQ(platform::HeardFrameNow(e, &reported), 104000u - 1024 + 441);
}

}  // namespace
