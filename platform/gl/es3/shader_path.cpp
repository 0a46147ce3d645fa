// The shader path as a backend: its calls, and its state made and let go
// with the context.
#include "gl/backend.h"
#include "gl/es3/es3_calls.h"
#include "gl/es3/programs.h"
#include "gl/es3/state.h"

namespace platform::gl {

namespace {

// A new context starts from GL's defaults, with none of the old one's objects.
void Es3ContextCreated() {
    es3::ResetState();
    es3::ForgetPrograms();
    es3::MakeShowPrograms();
}

void Es3ContextDeleting() {
    es3::ReleaseDrawBuffers();
    es3::ReleasePrograms();
}

Backend Es3Table() {
    Backend table{};
    table.contextCreated = Es3ContextCreated;
    table.contextDeleting = Es3ContextDeleting;
    table.shaders = true;
    table.drawPending = es3::DrawBatch;
#define PQN_GL_FILL(returnType, Name, glName, parameters, arguments) table.Name = es3::calls::Name;
    PQN_GL_BACKEND_CALLS(PQN_GL_FILL)
#undef PQN_GL_FILL
    return table;
}

}  // namespace

const Backend& Es3() {
    static const Backend table = Es3Table();
    return table;
}

}  // namespace platform::gl
