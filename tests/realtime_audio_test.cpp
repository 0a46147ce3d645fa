// Real-time playback on the silent output: the fallback from the default
// device, a position that moves with the clock, and syncs called from the
// sound side's own thread on the row being heard. And the arithmetic of the
// heard frame with a sound server's latency and the user's offset.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "sound/heard_frame.h"
#include "sound/row_ring.h"
#include "platform/runtime.h"
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
    while (music.GetRow() < 7 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GE(music.GetRow(), 7u);
    EXPECT_EQ(music.GetOrder(), 0u);
}

// The ring the audio callback hands its rows to the sync thread through:
// first in, first out across its end, and a full ring refuses a row rather
// than overwrite one not yet read.
TEST(RowRingTest, RowsComeOutInOrderAcrossTheEndAndAFullRingRefuses) {
    platform::sound::RowRing ring;
    ring.Reserve(3);
    platform::sound::RowStart row{};
    EXPECT_FALSE(ring.Pop(&row));
    for (uint32_t round = 0; round < 4; ++round) {
        for (uint32_t i = 0; i < 3; ++i) EXPECT_TRUE(ring.Push({round * 10 + i, round, i}));
        EXPECT_FALSE(ring.Push({99, 99, 99}));
        for (uint32_t i = 0; i < 3; ++i) {
            ASSERT_TRUE(ring.Pop(&row));
            EXPECT_EQ(row.frame, round * 10 + i);
            EXPECT_EQ(row.row, i);
        }
        EXPECT_FALSE(ring.Pop(&row));
    }
}

std::atomic<int> g_lastSyncRow{-1};
std::atomic<bool> g_syncsOutOfOrder{false};

void CALLBACK RecordRow(HSYNC, DWORD, DWORD data, DWORD) {
    int row = static_cast<int>(data >> 16);
    if (row <= g_lastSyncRow.load()) g_syncsOutOfOrder = true;
    g_lastSyncRow = row;
}

// The audio callback takes no lock: while it decodes on the device's thread
// and the sync thread files its rows, two threads read the position and the
// decoder's lead as fast as they can. The positions never go back and every
// sync comes, in order, on its row (run under ThreadSanitizer too).
TEST(RealtimeAudioTest, TheCallbackRunsOnWhilePositionsAreReadWithoutPause) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    platform::Configure(platform::RunOptions{});
    std::vector<test::CueAt> cues;
    for (int row = 2; row <= 14; row += 3) cues.push_back({0, row, 1});
    std::string path = test::WriteTemp("load.xm", test::MakeTestModule(2, cues));
    EngineWindow music(2, 1);
    music.LoadMusic(path.c_str());
    DWORD channel = music.GetMusicChannel();
    ASSERT_NE(channel, 0u);
    BASS_ChannelSetSync(channel, BASS_SYNC_MUSICFX, 0, RecordRow, 0);
    music.PlayMusic();

    // Both readers stop once the last sync has come (or after a generous time).
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::atomic<bool> wentBack{false};
    auto read = [&] {
        DWORD last = 0;
        while (g_lastSyncRow < 14 && std::chrono::steady_clock::now() < deadline) {
            DWORD position = BASS_ChannelGetPosition(channel);
            if ((position & 0xFFFF) == (last & 0xFFFF) && (position >> 16) < (last >> 16)) wentBack = true;
            last = position;
            platform::MusicDecodeLeadFrames();
        }
    };
    std::thread reader(read);
    read();
    reader.join();
    EXPECT_EQ(g_lastSyncRow.load(), 14);
    EXPECT_FALSE(g_syncsOutOfOrder.load());
    EXPECT_FALSE(wentBack.load());
}

// Rows of 5512 frames from channel frame 0; the row a heard frame falls in.
int RowAt(uint64_t heard) { return static_cast<int>(heard / 5512); }

// Without a server: 1024 frames in the device buffer and a 50 ms offset
// (2205 frames). Row 1 is reported exactly when its first frame has gone
// through both, and not a frame before.
TEST(HeardFrameTest, WithoutAServerTheRowChangesWhenItsFirstFrameHasPassedTheBufferAndTheOffset) {
    platform::HeardClock noServer;
    platform::HeardEstimate e;
    e.bufferFrames = 1024;
    e.startDeviceFrame = 4096;
    e.offsetFrames = 2205;
    e.sinceCallbackFrames = 0;
    uint64_t reported = 0;
    e.deliveredFrames = 4096 + 1024 + 2205 + 5512 - 1;
    EXPECT_EQ(RowAt(platform::HeardFrameNow(e, noServer, &reported)), 0);
    e.sinceCallbackFrames = 1;  // one frame's time later
    EXPECT_EQ(platform::HeardFrameNow(e, noServer, &reported), 5512u);
    EXPECT_EQ(RowAt(reported), 1);
    // Time since the last callback counts up to one buffer, no further.
    e.sinceCallbackFrames = 5000;
    EXPECT_EQ(platform::HeardFrameNow(e, noServer, &reported), 5512u - 1 + 1024);
    // Before the first frame has gone through, frame 0 is heard.
    uint64_t early = 0;
    e.deliveredFrames = 4096;
    e.sinceCallbackFrames = 0;
    EXPECT_EQ(platform::HeardFrameNow(e, noServer, &early), 0u);
}

// With a server (a fake one: its answers are given here). An answer of 30 ms
// (1323 frames) when the device had taken 20000 frames at clock 50000 means
// frame 20000 - 1323 is heard at 50000 at the latest; later frames follow the
// clock. With a 50 ms offset and a frame seen 6 ms (265 frames) after it is
// drawn, row 1 of a channel started at device frame 4096 is reported exactly
// when the clock brings its first frame through all of them.
TEST(HeardFrameTest, WithAServerTheRowChangesWhenItsFirstFrameHasPassedTheServerTheOffsetAndTheFrame) {
    platform::HeardClock server;
    platform::NoteServerAnswer(server, 20000, 50000, 1323);
    platform::HeardEstimate e;
    e.bufferFrames = 1024;
    e.deliveredFrames = 40000;
    e.startDeviceFrame = 4096;
    e.offsetFrames = 2205;
    e.aheadFrames = 265;
    uint64_t reported = 0;
    int64_t rowOneAt = 50000 - (20000 - 1323) + 4096 + 5512 + 2205 - 265;  // the clock when row 1 is heard
    e.clockFrames = rowOneAt - 1;
    EXPECT_EQ(RowAt(platform::HeardFrameNow(e, server, &reported)), 0);
    e.clockFrames = rowOneAt;
    EXPECT_EQ(platform::HeardFrameNow(e, server, &reported), 5512u);
    // What the device has not yet taken is not heard, whatever the clock says.
    e.clockFrames = rowOneAt + 100000;
    EXPECT_EQ(platform::HeardFrameNow(e, server, &reported), 40000u - 4096 - 2205);
}

// An answer can catch SDL still holding part of its last buffer (or that
// buffer on its way to the server): the frames taken less the latency then
// overstate what is heard. The least lead of the recent answers counts, so
// such answers do not move the estimate; once the answers that showed the
// true lead are old enough to be forgotten, the next least does.
TEST(HeardFrameTest, TheAnswerThatLeadsLeastCounts) {
    platform::HeardClock server;
    platform::NoteServerAnswer(server, 10000, 1000, 2000);  // lead 7000: nothing held back
    for (int i = 1; i < platform::HeardClock::kAnswers; ++i)
        platform::NoteServerAnswer(server, 10000 + 1024, 1000 + i, 2000);  // a buffer held: lead 8024 - i
    platform::HeardEstimate e;
    e.deliveredFrames = 1000000;
    e.clockFrames = 100000;
    uint64_t reported = 0;
    EXPECT_EQ(platform::HeardFrameNow(e, server, &reported), 107000u);
    platform::NoteServerAnswer(server, 11024, 1000 + platform::HeardClock::kAnswers, 2000);  // the first is forgotten
    EXPECT_EQ(platform::HeardFrameNow(e, server, &reported),
              static_cast<uint64_t>(100000 + 8024 - platform::HeardClock::kAnswers));
}

// A latency that grows mid-show holds the reported position (it never goes
// back) until the sound catches up; one that shrinks moves it on once the
// larger answers are forgotten. A negative offset counts the other way.
TEST(HeardFrameTest, ALatencyChangeMovesThePositionButNeverBack) {
    platform::HeardClock server;
    platform::NoteServerAnswer(server, 100000, 0, 882);  // 20 ms
    platform::HeardEstimate e;
    e.deliveredFrames = 200000;
    e.clockFrames = 10000;
    uint64_t reported = 0;
    uint64_t before = platform::HeardFrameNow(e, server, &reported);
    EXPECT_EQ(before, 100000u - 882 + 10000);
    platform::NoteServerAnswer(server, 100000 + 10000, 10000, 4410);  // now 100 ms: the position holds
    EXPECT_EQ(platform::HeardFrameNow(e, server, &reported), before);
    e.clockFrames += 2000;
    EXPECT_EQ(platform::HeardFrameNow(e, server, &reported), before);
    e.clockFrames += 2000;  // the sound has caught up
    EXPECT_EQ(platform::HeardFrameNow(e, server, &reported), 100000u - 4410 + 14000);
    for (int i = 0; i < platform::HeardClock::kAnswers; ++i)
        platform::NoteServerAnswer(server, 100000 + 14000, 14000, 0);  // the latency gone
    EXPECT_EQ(platform::HeardFrameNow(e, server, &reported), 100000u + 14000);
    e.offsetFrames = -441;
    EXPECT_EQ(platform::HeardFrameNow(e, server, &reported), 100000u + 14000 + 441);
}

}  // namespace
