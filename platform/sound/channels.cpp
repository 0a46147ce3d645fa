// The channel table, decoding a channel, and its timeline of rows and syncs
// (see channels.h).
#include "sound/channels.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "platform/trace.h"

namespace platform::sound {

namespace {

struct Table {
    std::mutex lock;
    std::vector<std::unique_ptr<Channel>> channels;
};

Table& TheTable() {
    static Table table;
    return table;
}

void DecodeStream(Channel& ch, int16_t* out, int count) {
    uint64_t total = ch.pcm.size() / 2;
    for (int i = 0; i < count; ++i) {
        uint64_t frame = ch.decoded + i;
        if (frame >= total && ch.loop && total > 0) frame %= total;
        bool audible = frame < total;
        out[2 * i] = audible ? ch.pcm[2 * frame] : 0;
        out[2 * i + 1] = audible ? ch.pcm[2 * frame + 1] : 0;
    }
}

void RecordRow(Channel& ch, const RowStart& start) {
    ch.timeline.push_back(start);
    const std::vector<uint8_t>* values = ch.module->CuesAt(start.order, start.row);
    if (!values) return;
    for (uint8_t x : *values) {
        for (const SyncRegistration& sync : ch.syncs) {
            DWORD data = sync.param ? x : (start.order | (start.row << 16));
            ch.pending.push_back({start.frame, data, sync, start.order, start.row});
        }
    }
}

}  // namespace

std::mutex& ChannelsLock() { return TheTable().lock; }

Channel* FindChannel(DWORD handle) {
    Table& table = TheTable();
    if (handle == 0 || handle > table.channels.size()) return nullptr;
    return table.channels[handle - 1].get();
}

DWORD AddChannel(std::unique_ptr<Channel> channel) {
    Table& table = TheTable();
    std::lock_guard<std::mutex> guard(table.lock);
    channel->handle = static_cast<DWORD>(table.channels.size() + 1);
    table.channels.push_back(std::move(channel));
    return table.channels.back()->handle;
}

void FreeChannel(DWORD handle) {
    Table& table = TheTable();
    std::lock_guard<std::mutex> guard(table.lock);
    if (handle >= 1 && handle <= table.channels.size()) table.channels[handle - 1].reset();
}

std::vector<std::unique_ptr<Channel>>& AllChannels() { return TheTable().channels; }

void DecodeChannel(Channel& ch, int16_t* out, int count, std::vector<RowStart>* rows) {
    if (ch.module) ch.module->Decode(ch.decoded, out, count, rows);
    else DecodeStream(ch, out, count);
    ch.decoded += static_cast<uint64_t>(count);
}

void FileRow(Channel& ch, const RowStart& row) {
    if (row.order == kFinished) ch.timeline.push_back(row);
    else RecordRow(ch, row);
}

void FileRows(Channel& ch, const std::vector<RowStart>& rows) {
    for (const RowStart& r : rows) FileRow(ch, r);
}

DWORD PositionAt(const Channel& ch, uint64_t heardFrame) {
    auto after = std::upper_bound(ch.timeline.begin(), ch.timeline.end(), heardFrame,
                                  [](uint64_t frame, const RowStart& start) { return frame < start.frame; });
    if (after == ch.timeline.begin()) return ch.startPosition;
    const RowStart& heard = *std::prev(after);
    return heard.order | (heard.row << 16);
}

void TakeDueSyncs(Channel& ch, uint64_t heardFrame, std::vector<PendingSync>* due) {
    while (!ch.pending.empty() && ch.pending.front().frame <= heardFrame) {
        due->push_back(ch.pending.front());
        ch.pending.pop_front();
    }
}

void DeliverSync(const PendingSync& sync, bool realTime) {
    uint32_t x = sync.target.param ? sync.data : 0xFFFFFFFFu;
    char wall[40] = "";
    if (realTime) {
        auto sinceEpochUs = std::chrono::duration_cast<std::chrono::microseconds>(
                                std::chrono::system_clock::now().time_since_epoch()).count();
        std::snprintf(wall, sizeof wall, ",\"wall\":%lld.%06lld", static_cast<long long>(sinceEpochUs / 1000000),
                      static_cast<long long>(sinceEpochUs % 1000000));
    }
    char line[200];
    std::snprintf(line, sizeof line, "{\"type\":\"sync\",\"x\":%d,\"ms\":%llu,\"order\":%u,\"row\":%u%s}",
                  x == 0xFFFFFFFFu ? -1 : static_cast<int>(x),
                  static_cast<unsigned long long>(sync.frame * 1000 / kSampleRate), sync.order, sync.row, wall);
    TraceShowLine(line);
    sync.target.proc(0, 0, sync.data, sync.target.user);
}

}  // namespace platform::sound
