// The ways the program's GL calls are carried out, each a table of the calls
// of gl_call_list.h: the driver's own fixed-function GL 1.1 and GLU
// (fixed_function.cpp) and our implementation on OpenGL ES 3.0 shaders
// (es3/), with the log of the state set in front of either (state_log.h).
// The calls of gl_calls.h go to the table in use (gl_calls.cpp); the
// viewport, the scissor and the line width are the drawing surface's, the
// same on every table.
#pragma once

#include "platform/gl_call_list.h"

namespace platform::gl {

struct Backend {
    // A context was made current for the first time, or is about to go.
    void (*contextCreated)();
    void (*contextDeleting)();
    // Whether the calls are carried out by the program's own shaders, so the
    // context is an OpenGL ES (or WebGL 2) one.
    bool shaders;
    // Carries out what the table has held back (the shader path gathers
    // immediate-mode primitives into one draw), before the surface's viewport,
    // scissor or line width change under it.
    void (*drawPending)();
#define PQN_GL_MEMBER(returnType, Name, glName, parameters, arguments) returnType(*Name) parameters;
    PQN_GL_BACKEND_CALLS(PQN_GL_MEMBER)
#undef PQN_GL_MEMBER
};

// The tables, made on first use. The fixed function is not there where the
// driver has none (the browser): its file is then not built.
const Backend& FixedFunction();
const Backend& Es3();

// The table this run draws with, from --gl and what the platform has (a
// file per host: backend_desktop.cpp on Linux and Windows, backend_web.cpp). Every call goes
// to it, and the context is made for it.
const Backend& ChosenBackend();
// The table that logs the state calls (state_log.h) and hands every call
// to `drawing`: what ChosenBackend gives.
const Backend& Logged(const Backend& drawing);
// Whether the program's shaders draw (so the context is OpenGL ES).
inline bool ShadersDraw() { return ChosenBackend().shaders; }

}  // namespace platform::gl
