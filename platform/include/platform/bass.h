// The sound-library calls the show makes: output initialisation, module and
// stream loading, playback, position, and the sync on a module's E8x effect.
// Implemented in bass_openmpt.cpp with libopenmpt and SDL2 audio; headless
// runs render the module offline in lockstep with the virtual clock.
#pragma once

#include <vector>

#include "platform/options.h"
#include "platform/win32.h"

typedef DWORD HMUSIC;
typedef DWORD HSTREAM;
typedef DWORD HSYNC;
typedef uint64_t QWORD;

typedef void(CALLBACK SYNCPROC)(HSYNC handle, DWORD channel, DWORD data, DWORD user);

#define BASS_SAMPLE_LOOP 4
#define BASS_SYNC_MUSICFX 3

// device -1: the default output; -2: a silent output that still plays in real time.
BOOL BASS_Init(int device, DWORD freq, DWORD flags, HWND window);
BOOL BASS_Start();
// A module from a file; flags with BASS_SAMPLE_LOOP make it loop. 0 on failure.
HMUSIC BASS_MusicLoad(BOOL fromMemory, const void* file, QWORD offset, DWORD length, DWORD flags);
BOOL BASS_MusicPlay(HMUSIC music);
// Stops and releases a module; its handle is no longer valid.
BOOL BASS_MusicFree(HMUSIC music);
// Sampled audio (WAV) from a file. 0 on failure.
HSTREAM BASS_StreamCreateFile(BOOL fromMemory, const void* file, QWORD offset, QWORD length,
                              DWORD flags);
BOOL BASS_StreamPlay(HSTREAM stream, BOOL flush, DWORD flags);
// Module: order in the low 16 bits, row in the high 16 bits. Stream: the byte
// position. A bad handle gives 0xFFFFFFFF.
DWORD BASS_ChannelGetPosition(DWORD handle);
// Module: moves playback to order LOWORD(position), row HIWORD(position).
BOOL BASS_ChannelSetPosition(DWORD handle, DWORD position);
// Type BASS_SYNC_MUSICFX: `proc` is called as each E8x of the module plays,
// with data = x when param is 1, or the position (order | row << 16) when 0.
HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD param, SYNCPROC* proc, DWORD user);

namespace platform {
// How many times output initialisation was attempted, and on which devices.
const std::vector<int>& AudioInitDevices();
// Decodes the music playing in lock-step up to the virtual clock's time,
// delivering each sync of the elapsed span on the calling thread.
void AdvanceMusicTo(uint64_t showSampleFrames);
// Real time: frames behind between the position decoded and the one heard.
int64_t MusicDecodeLeadFrames();
// Seconds from the start of a module to the start of an order (-1 if none);
// known for the first 64 orders when first asked for before the music plays.
double MusicSecondsAtOrder(DWORD handle, uint32_t order);
// The same for a row (-1 if the module has none such), asked before the music plays.
double MusicSecondsAt(DWORD handle, MusicPosition position);
// The rows of each order of a module, playing or in a file of the data
// set; false when there is no module there.
bool MusicRanges(DWORD handle, std::vector<uint32_t>* rowsPerOrder);
bool ModuleFileRanges(const char* file, std::vector<uint32_t>* rowsPerOrder);
// A module's file read again (its decoder replaced whole, where it starts):
// false, and the module as it was, when the file does not load now.
bool ReloadMusic(DWORD handle, const char* file);
// While on, music told to play is decoded unheard in lock-step with the
// virtual clock, as a headless run always decodes it (a real-time run's warp).
void PlayMusicUnheard(bool on);
// Real time, after the warp: the module's unheard decoding stops and it is
// heard on the device from the start of `order`.
void HearMusicFromOrder(DWORD handle, uint32_t order);
// Real time: the module stops being heard where its decoding stands (a pause,
// or a seek, whose frames then decode it unheard), and is heard again on the
// device from where its decoding then stands, the show clock going on.
void StopHearingMusic(DWORD handle);
void HearMusicFromHere(DWORD handle);
// Real time, at a seek: the syncs of the sound not yet heard are dropped (the
// seek's own frames raise theirs), and when it returns none is on its way to
// the show, so none lands on the state the seek puts back.
void ForgetUnheardSyncs(DWORD handle);
// Closes the sound output and stops the sync thread: no sync is delivered after it.
void StopAudio();
}  // namespace platform
