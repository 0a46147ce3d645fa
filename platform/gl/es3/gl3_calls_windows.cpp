// Windows' opengl32.dll exports only OpenGL 1.1; the later calls the shaders
// make are the driver's, looked up on first use once a context is current.
// Each is defined here under its own name, so the shader path's source is
// the same as where the GL library exports them.
#include <GLES3/gl3.h>
#include <SDL.h>

#include <cstdio>
#include <cstdlib>

namespace {

void* DriverCall(const char* name) {
    void* call = SDL_GL_GetProcAddress(name);
    if (!call) {
        std::fprintf(stderr, "pqn: the OpenGL driver has no %s\n", name);
        std::abort();
    }
    return call;
}

}  // namespace

#define PQN_GL3_CALL(returnType, name, parameters, arguments)                                   \
    extern "C" returnType GL_APIENTRY name parameters {                                         \
        static const auto call = reinterpret_cast<returnType(GL_APIENTRY*) parameters>(DriverCall(#name)); \
        return call arguments;                                                                  \
    }

PQN_GL3_CALL(void, glActiveTexture, (GLenum texture), (texture))
PQN_GL3_CALL(void, glAttachShader, (GLuint program, GLuint shader), (program, shader))
PQN_GL3_CALL(void, glBindBuffer, (GLenum target, GLuint buffer), (target, buffer))
PQN_GL3_CALL(void, glBindVertexArray, (GLuint array), (array))
PQN_GL3_CALL(void, glBufferData, (GLenum target, GLsizeiptr size, const void* data, GLenum usage),
             (target, size, data, usage))
PQN_GL3_CALL(void, glClearDepthf, (GLfloat depth), (depth))
PQN_GL3_CALL(void, glCompileShader, (GLuint shader), (shader))
PQN_GL3_CALL(GLuint, glCreateProgram, (), ())
PQN_GL3_CALL(GLuint, glCreateShader, (GLenum type), (type))
PQN_GL3_CALL(void, glDeleteBuffers, (GLsizei n, const GLuint* buffers), (n, buffers))
PQN_GL3_CALL(void, glDeleteProgram, (GLuint program), (program))
PQN_GL3_CALL(void, glDeleteShader, (GLuint shader), (shader))
PQN_GL3_CALL(void, glDeleteVertexArrays, (GLsizei n, const GLuint* arrays), (n, arrays))
PQN_GL3_CALL(void, glEnableVertexAttribArray, (GLuint index), (index))
PQN_GL3_CALL(void, glGenBuffers, (GLsizei n, GLuint* buffers), (n, buffers))
PQN_GL3_CALL(void, glGenVertexArrays, (GLsizei n, GLuint* arrays), (n, arrays))
PQN_GL3_CALL(void, glGenerateMipmap, (GLenum target), (target))
PQN_GL3_CALL(void, glGetProgramiv, (GLuint program, GLenum name, GLint* value), (program, name, value))
PQN_GL3_CALL(void, glGetShaderInfoLog, (GLuint shader, GLsizei size, GLsizei* length, GLchar* log),
             (shader, size, length, log))
PQN_GL3_CALL(void, glGetShaderiv, (GLuint shader, GLenum name, GLint* value), (shader, name, value))
PQN_GL3_CALL(GLint, glGetUniformLocation, (GLuint program, const GLchar* name), (program, name))
PQN_GL3_CALL(void, glLinkProgram, (GLuint program), (program))
PQN_GL3_CALL(void, glShaderSource, (GLuint shader, GLsizei count, const GLchar* const* text, const GLint* length),
             (shader, count, text, length))
PQN_GL3_CALL(void, glUniform1f, (GLint location, GLfloat value), (location, value))
PQN_GL3_CALL(void, glUniform1i, (GLint location, GLint value), (location, value))
PQN_GL3_CALL(void, glUniform3fv, (GLint location, GLsizei count, const GLfloat* value), (location, count, value))
PQN_GL3_CALL(void, glUniform4fv, (GLint location, GLsizei count, const GLfloat* value), (location, count, value))
PQN_GL3_CALL(void, glUniformMatrix3fv, (GLint location, GLsizei count, GLboolean transpose, const GLfloat* value),
             (location, count, transpose, value))
PQN_GL3_CALL(void, glUniformMatrix4fv, (GLint location, GLsizei count, GLboolean transpose, const GLfloat* value),
             (location, count, transpose, value))
PQN_GL3_CALL(void, glUseProgram, (GLuint program), (program))
PQN_GL3_CALL(void, glVertexAttrib4f, (GLuint index, GLfloat x, GLfloat y, GLfloat z, GLfloat w), (index, x, y, z, w))
PQN_GL3_CALL(void, glVertexAttribPointer,
             (GLuint index, GLint size, GLenum type, GLboolean normalized, GLsizei stride, const void* pointer),
             (index, size, type, normalized, stride, pointer))
