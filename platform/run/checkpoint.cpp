// The platform's side of a checkpoint (see platform/checkpoint.h), gathered
// from the floors that hold it.
#include "platform/checkpoint.h"

#include "base/clock.h"
#include "gl/state_log.h"
#include "present/surface.h"
#include "sound/channels.h"
#include "sound/lockstep.h"
#include "system/glibc_random.h"

namespace platform {

struct RunCheckpoint {
    base::ClockReading clock;
    system::GlibcRandom random;
    gl::GlStateLog gl;
    present::SurfaceCalls surface;
    bool hasMusic = false;
    sound::LockstepReading music;
};

std::shared_ptr<const RunCheckpoint> SaveRunState(DWORD music) {
    auto checkpoint = std::make_shared<RunCheckpoint>();
    checkpoint->clock = base::CurrentClock();
    checkpoint->random = system::CRandomState();
    checkpoint->gl = gl::CurrentGlState();
    checkpoint->surface = present::CurrentSurfaceCalls();
    if (sound::Channel* ch = sound::FindChannel(music)) {
        checkpoint->hasMusic = true;
        checkpoint->music = sound::CurrentLockstep(*ch);
    }
    return checkpoint;
}

void RestoreRunState(const RunCheckpoint& checkpoint, DWORD music) {
    base::RestoreClock(checkpoint.clock);
    system::SetCRandomState(checkpoint.random);
    gl::RestoreGlState(checkpoint.gl);
    present::RestoreSurfaceCalls(checkpoint.surface);
    sound::Channel* ch = sound::FindChannel(music);
    if (ch && checkpoint.hasMusic) sound::RestoreLockstep(*ch, checkpoint.music);
}

size_t RunCheckpointBytes(const RunCheckpoint& c) {
    size_t bytes = sizeof c + c.music.pending.size() * sizeof(sound::PendingSync);
    for (const auto& entry : c.gl.calls) bytes += sizeof entry + 48 + entry.second.modelview.size() * sizeof(gl::MatrixCall);
    for (const gl::MatrixCalls& matrix : c.gl.matrices) bytes += matrix.size() * sizeof(gl::MatrixCall);
    return bytes;
}

}  // namespace platform
