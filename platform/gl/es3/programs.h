// The shader programs that stand for GL 1.1's fixed function: one for each
// combination of the switches in use (texturing, lighting and each light,
// normalising, flat shading), with the state's matrices, lights and
// material handed to it before a draw. Those the show uses are made with the
// context; any other when first needed.
#pragma once

#include "gl/es3/state.h"

namespace platform::gl::es3 {

// Makes the program for the current state current, its uniforms up to date.
// False when it cannot be built (the draw is then left out).
bool UseProgramFor(const State& state);
// Makes the programs of the combinations the show uses (a new context).
void MakeShowPrograms();
// Forgets the programs (a new context has none of them).
void ForgetPrograms();
// Deletes them (before their context goes).
void ReleasePrograms();

}  // namespace platform::gl::es3
