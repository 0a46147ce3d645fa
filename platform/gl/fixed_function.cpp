// The program's GL calls carried out by the driver's own OpenGL 1.1 and GLU
// (the fixed-function pipeline), each as it is.
#include <SDL_video.h>
#include <GL/glu.h>

#include "gl/backend.h"
#include "gl/pixel_counter.h"
#include "base/frame_costs.h"

namespace platform::gl {

namespace {

void Nothing() {}

// GLU 1.3's error for a call it cannot make (not named in every glu.h).
constexpr GLint kGluInvalidOperation = 100904;

// GLU reads GL's version string, which is null without a current context
// (GLU then crashes): without one this does nothing and reports an error, as
// GL's own calls then do nothing.
GLint GluBuild2DMipmaps(GLenum target, GLint components, GLint width, GLint height, GLenum format, GLenum type,
                        const void* pixels) {
    if (!SDL_GL_GetCurrentContext()) return kGluInvalidOperation;
    return ::gluBuild2DMipmaps(target, components, width, height, format, type, pixels);
}

// The driver's draws, state changes and uploads the benchmark counts: the
// calls that draw, those that change the state a draw depends on, and
// those that hand the driver a picture; and the pixels of the frames it
// counts them in.
void CountDraw() { ++base::costs::Counted().draws; }
void CountStateChange() { ++base::costs::Counted().stateChanges; }
void CountUpload() { ++base::costs::Counted().bufferUploads; }

// A draw of a frame whose pixels are counted runs between the counter's queries.
void CountedBegin(GLenum mode) { pixels::BeforeDraw(), ::glBegin(mode); }
void CountedEnd() { CountDraw(), ::glEnd(), pixels::AfterDraw(); }
void CountedDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices) {
    CountDraw(), pixels::BeforeDraw(), ::glDrawElements(mode, count, type, indices), pixels::AfterDraw();
}
void CountedCallList(GLuint list) { CountDraw(), pixels::BeforeDraw(), ::glCallList(list), pixels::AfterDraw(); }
void CountedClear(GLbitfield mask) { pixels::Cleared(mask), ::glClear(mask); }
void CountedLoadIdentity() { CountStateChange(), ::glLoadIdentity(); }
void CountedTranslatef(GLfloat x, GLfloat y, GLfloat z) { CountStateChange(), ::glTranslatef(x, y, z); }
void CountedRotatef(GLfloat angleDegrees, GLfloat x, GLfloat y, GLfloat z) {
    CountStateChange(), ::glRotatef(angleDegrees, x, y, z);
}
void CountedScalef(GLfloat x, GLfloat y, GLfloat z) { CountStateChange(), ::glScalef(x, y, z); }
void CountedLightfv(GLenum light, GLenum pname, const GLfloat* params) { CountStateChange(), ::glLightfv(light, pname, params); }
void CountedMaterialfv(GLenum face, GLenum pname, const GLfloat* params) {
    CountStateChange(), ::glMaterialfv(face, pname, params);
}
void CountedBindTexture(GLenum target, GLuint texture) { CountStateChange(), ::glBindTexture(target, texture); }
void CountedEnable(GLenum cap) { CountStateChange(), ::glEnable(cap); }
void CountedDisable(GLenum cap) { CountStateChange(), ::glDisable(cap); }
void CountedBlendFunc(GLenum sourceFactor, GLenum destinationFactor) {
    CountStateChange(), ::glBlendFunc(sourceFactor, destinationFactor);
}
void CountedTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                       GLenum format, GLenum type, const GLvoid* pixels) {
    CountUpload(), ::glTexImage2D(target, level, internalFormat, width, height, border, format, type, pixels);
}
GLint CountedBuild2DMipmaps(GLenum target, GLint components, GLint width, GLint height, GLenum format, GLenum type,
                            const void* pixels) {
    CountUpload();
    return GluBuild2DMipmaps(target, components, width, height, format, type, pixels);
}

void Counted(Backend* table) {
    table->Begin = CountedBegin;
    table->End = CountedEnd;
    table->Clear = CountedClear;
    table->DrawElements = CountedDrawElements;
    table->CallList = CountedCallList;
    table->LoadIdentity = CountedLoadIdentity;
    table->Translatef = CountedTranslatef;
    table->Rotatef = CountedRotatef;
    table->Scalef = CountedScalef;
    table->Lightfv = CountedLightfv;
    table->Materialfv = CountedMaterialfv;
    table->BindTexture = CountedBindTexture;
    table->Enable = CountedEnable;
    table->Disable = CountedDisable;
    table->BlendFunc = CountedBlendFunc;
    table->TexImage2D = CountedTexImage2D;
    table->Build2DMipmaps = CountedBuild2DMipmaps;
}

Backend FixedFunctionTable() {
    Backend table{};
    table.contextCreated = Nothing;
    table.contextDeleting = Nothing;
    table.shaders = false;
    table.drawPending = Nothing;
#define PQN_GL_FILL(returnType, Name, glName, parameters, arguments) table.Name = ::glName;
    PQN_GL_BACKEND_CALLS(PQN_GL_FILL)
#undef PQN_GL_FILL
    Counted(&table);
    return table;
}

}  // namespace

const Backend& FixedFunction() {
    static const Backend table = FixedFunctionTable();
    return table;
}

}  // namespace platform::gl
