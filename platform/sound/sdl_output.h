// Real-time sound on SDL2: the audio device, its callback that decodes every
// playing channel into the mix, the sync thread that calls each sync as its
// row is heard, and the estimate of the frame being heard.
#pragma once

#include <cstdint>
#include <mutex>

#include "sound/channels.h"

namespace platform::sound {

// device -1: the default output (the sound server's latency is then asked
// for too); -2: SDL's silent device, which still consumes in real time.
bool OpenOutput(int device);
void ResumeOutput();
// From the frame loop (real time): whether the device has gone away (a
// headset unplugged, the sound server stopped); if so the show goes on
// silent, on the clock, and a device is looked for every two seconds, on
// which the sound goes on in step.
void WatchOutput();
// The viewer's volume (0..100) and mute, applied to what goes to the device
// from its next buffer on, ramped; the sound's timing is not touched.
void SetOutputVolume(int volumePercent, bool muted);
void CloseOutput();
// Holds the audio callback off while the channel table or a channel's
// decoder changes (take it before ChannelsLock).
void LockOutput();
void UnlockOutput();
// A channel's frame heard when the frame being drawn is seen (under ChannelsLock).
uint64_t HeardFrame(Channel& ch);
// The display's time between frames (0 when unknown): the frame being drawn
// is seen about two of them later. Set after each frame shown.
void NoteFramePeriodUs(int64_t periodUs);
// Frames decoded ahead of the frame heard, for the first channel playing.
int64_t DecodeLeadFrames();
// Files the rows the callback decoded and calls each sync whose row is now
// heard: every millisecond on the sync thread, or from the frame loop where
// there are no threads (the browser).
void DeliverHeardSyncs();
// Held while syncs are taken and delivered: whoever holds it knows no sync
// is on its way to the show (take it before LockOutput).
std::mutex& SyncDeliveryLock();

}  // namespace platform::sound
