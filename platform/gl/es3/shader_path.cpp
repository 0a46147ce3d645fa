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
}

void Es3ContextDeleting() {
    es3::ReleaseDrawBuffers();
    es3::ReleasePrograms();
}

// The table is filled by the files that carry the calls out.
Backend Es3Table() {
    Backend table{};
    table.contextCreated = Es3ContextCreated;
    table.contextDeleting = Es3ContextDeleting;
    es3::SetDrawingCalls(&table);
    es3::SetStateCalls(&table);
    return table;
}

}  // namespace

const Backend kEs3 = Es3Table();

}  // namespace platform::gl
