// The fixed function of GL 1.1 as GLSL ES 3.00 shaders (see programs.h).
// Lighting is GL 1.1's, per vertex in eye space, with an infinitely distant
// viewer and one-sided lighting as GL's defaults are: for each light,
//   ambient + max(n.L, 0) diffuse + (n.L > 0 ? max(n.H, 0)^shininess : 0) specular
// (each the light's colour times the material's), L towards the light (the
// light's direction when its w is 0), H = normalize(L + (0, 0, 1)); added to
// the emission and the material's ambient times the scene's ambient, clamped,
// with the material's diffuse alpha. Unlit, the colour given is clamped the
// same way (a fade below 0 draws nothing, even where blending takes the
// alpha as a factor). Texturing modulates the colour by the texture read at
// the texture matrix's coordinates. Two sprites drawn as one (see draw.cpp)
// read a second texture at the same coordinates under a texture matrix of
// its own, modulated by a colour of its own, and blend the upper layer over
// the lower one in the shader: the result leaves the pixel under them
// weighted as the two blends would.
#include <cstdio>
#include <string>

#include "gl/es3/programs.h"
#include "platform/trace.h"
#include "base/frame_costs.h"

namespace platform::gl::es3 {

namespace {

enum ProgramSwitch : unsigned {  // what a program does, one bit each
    kUsesTexture = 1,
    kUsesLighting = 2,
    kUsesLight0 = 4,
    kUsesLight1 = 8,
    kUsesNormalize = 16,
    kUsesFlat = 32,
    kUsesProjectiveTexture = 64,  // the texture matrix gives a q other than 1
    kUsesUpperOver = 128,         // a second layer over-blended on the first
    kUsesUpperAdded = 256,        // a second layer added to the first
    kSwitchCombinations = 512,
};

const float kSceneAmbient[4] = {0.2f, 0.2f, 0.2f, 1};

const char* const kVertexShader = R"(
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec4 aColor;
layout(location = 2) in vec2 aTexCoord;
layout(location = 3) in vec3 aNormal;
uniform mat4 uModelViewProjection;
SHADING out vec4 vColor;
#ifdef TEXTURE
uniform mat4 uTextureMatrix;
out vec2 vTexCoord;
#endif
#ifdef PROJECTIVE_TEXTURE
uniform mat4 uTextureMatrix;
out vec3 vTexCoord;
#endif
#if defined(UPPER_OVER) || defined(UPPER_ADDED)
uniform mat4 uUpperTextureMatrix;
out vec2 vUpperTexCoord;
#endif
#ifdef LIGHTING
uniform mat4 uModelView;
uniform mat3 uNormalMatrix;
uniform vec4 uSceneColor;          // emission + material ambient * scene ambient; w: diffuse alpha
uniform vec4 uLightPosition[2];    // in eye space
uniform vec3 uLightAmbient[2];     // each times the material's
uniform vec3 uLightDiffuse[2];
uniform vec3 uLightSpecular[2];
uniform float uShininess;

vec3 LightFrom(int i, vec3 eye, vec3 n) {
    vec4 p = uLightPosition[i];
    vec3 toLight = normalize(p.w == 0.0 ? p.xyz : p.xyz / p.w - eye);
    float nDotL = dot(n, toLight);
    vec3 colour = uLightAmbient[i] + max(nDotL, 0.0) * uLightDiffuse[i];
    if (nDotL > 0.0) {
        // pow(0, s) is 0, but GLSL ES lets pow be exp2(s * log2(x)) with log2(0)
        // undefined: some implementations give up to 0.9 there for a small s.
        float nDotH = dot(n, normalize(toLight + vec3(0.0, 0.0, 1.0)));
        colour += (uShininess == 0.0 ? 1.0 : nDotH > 0.0 ? pow(nDotH, uShininess) : 0.0) * uLightSpecular[i];
    }
    return colour;
}
#endif

void main() {
    gl_Position = uModelViewProjection * aPosition;
#ifdef TEXTURE
    vTexCoord = (uTextureMatrix * vec4(aTexCoord, 0.0, 1.0)).xy;
#endif
#ifdef PROJECTIVE_TEXTURE
    vTexCoord = (uTextureMatrix * vec4(aTexCoord, 0.0, 1.0)).xyw;
#endif
#if defined(UPPER_OVER) || defined(UPPER_ADDED)
    vUpperTexCoord = (uUpperTextureMatrix * vec4(aTexCoord, 0.0, 1.0)).xy;
#endif
#ifdef LIGHTING
    vec4 eye = uModelView * aPosition;
    vec3 n = uNormalMatrix * aNormal;
#ifdef NORMALIZE
    n = normalize(n);
#endif
    vec3 colour = uSceneColor.rgb;
#ifdef LIGHT0
    colour += LightFrom(0, eye.xyz / eye.w, n);
#endif
#ifdef LIGHT1
    colour += LightFrom(1, eye.xyz / eye.w, n);
#endif
    vColor = clamp(vec4(colour, uSceneColor.a), 0.0, 1.0);
#else
    vColor = clamp(aColor, 0.0, 1.0);
#endif
}
)";

const char* const kFragmentShader = R"(
precision highp float;
SHADING in vec4 vColor;
#ifdef TEXTURE
uniform sampler2D uTexture;
in vec2 vTexCoord;
#endif
#ifdef PROJECTIVE_TEXTURE
uniform sampler2D uTexture;
in vec3 vTexCoord;
#endif
#if defined(UPPER_OVER) || defined(UPPER_ADDED)
uniform sampler2D uUpperTexture;
uniform vec4 uUpperColor;
in vec2 vUpperTexCoord;
#endif
out vec4 fragColor;

void main() {
#if defined(UPPER_OVER) || defined(UPPER_ADDED)
    vec4 lower = vColor * texture(uTexture, vTexCoord);
    vec4 upper = uUpperColor * texture(uUpperTexture, vUpperTexCoord);
#endif
#if defined(UPPER_OVER)
    // Drawn with (1, 1 - source alpha): what both add, and what both leave.
    fragColor = vec4(upper.rgb * upper.a + lower.rgb * lower.a * (1.0 - upper.a), 1.0 - (1.0 - lower.a) * (1.0 - upper.a));
#elif defined(UPPER_ADDED)
    // Drawn with (1, 1): the sum of both, alpha as the two blends add it.
    fragColor = vec4(lower.rgb * lower.a + upper.rgb * upper.a, lower.a * lower.a + upper.a * upper.a);
#elif defined(TEXTURE)
    fragColor = vColor * texture(uTexture, vTexCoord);
#elif defined(PROJECTIVE_TEXTURE)
    fragColor = vColor * textureProj(uTexture, vTexCoord);
#else
    fragColor = vColor;
#endif
}
)";

struct Program {
    GLuint id = 0;
    bool failed = false;
    uint64_t transformSerial = 0, lightingSerial = 0;  // of the state last handed to it
    GLint modelViewProjection = -1, textureMatrix = -1, modelView = -1, normalMatrix = -1;
    GLint sceneColor = -1, lightPosition = -1, lightAmbient = -1, lightDiffuse = -1, lightSpecular = -1,
          shininess = -1, upperColor = -1, upperTextureMatrix = -1;
};

Program g_programs[kSwitchCombinations];
GLuint g_programInUse = 0;

void Use(GLuint program) {
    if (program == g_programInUse) return;
    glUseProgram(program);
    ++base::costs::Counted().stateChanges;
    g_programInUse = program;
}

unsigned SwitchesOf(const State& state) {
    unsigned switches = 0;
    if (state.texturing && BoundTextureComplete(state))
        switches |= AffineTexture(state.texture) ? kUsesTexture : kUsesProjectiveTexture;
    if (state.drawingTwoLayers) switches |= state.blendDestination == GL_ONE ? kUsesUpperAdded : kUsesUpperOver;
    if (state.flat) switches |= kUsesFlat;
    if (!state.lighting) return switches;
    switches |= kUsesLighting;
    if (state.lights[0].enabled) switches |= kUsesLight0;
    if (state.lights[1].enabled) switches |= kUsesLight1;
    if (state.normalize) switches |= kUsesNormalize;
    return switches;
}

std::string Preamble(unsigned switches) {
    std::string text = "#version 300 es\n";
    text += switches & kUsesFlat ? "#define SHADING flat\n" : "#define SHADING smooth\n";
    if (switches & kUsesTexture) text += "#define TEXTURE\n";
    if (switches & kUsesProjectiveTexture) text += "#define PROJECTIVE_TEXTURE\n";
    if (switches & kUsesLighting) text += "#define LIGHTING\n";
    if (switches & kUsesLight0) text += "#define LIGHT0\n";
    if (switches & kUsesLight1) text += "#define LIGHT1\n";
    if (switches & kUsesNormalize) text += "#define NORMALIZE\n";
    if (switches & kUsesUpperOver) text += "#define UPPER_OVER\n";
    if (switches & kUsesUpperAdded) text += "#define UPPER_ADDED\n";
    return text;
}

GLuint Compile(GLenum type, const std::string& source) {
    GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled) return shader;
    char log[1024] = "";
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    std::fprintf(stderr, "pqn: the OpenGL ES driver does not compile a shader: %s\n", log);
    glDeleteShader(shader);
    return 0;
}

void Build(Program& p, unsigned switches) {
    std::string preamble = Preamble(switches);
    GLuint vertex = Compile(GL_VERTEX_SHADER, preamble + kVertexShader);
    GLuint fragment = Compile(GL_FRAGMENT_SHADER, preamble + kFragmentShader);
    GLint linked = GL_FALSE;
    if (vertex && fragment) {
        p.id = glCreateProgram();
        glAttachShader(p.id, vertex);
        glAttachShader(p.id, fragment);
        glLinkProgram(p.id);
        glGetProgramiv(p.id, GL_LINK_STATUS, &linked);
    }
    if (vertex) glDeleteShader(vertex);
    if (fragment) glDeleteShader(fragment);
    if (!linked) {
        if (p.id) std::fprintf(stderr, "pqn: the OpenGL ES driver does not link a shader program\n");
        if (p.id) glDeleteProgram(p.id);
        p.id = 0;
        p.failed = true;
        return;
    }
    auto at = [&](const char* name) { return glGetUniformLocation(p.id, name); };
    p.modelViewProjection = at("uModelViewProjection");
    p.textureMatrix = at("uTextureMatrix");
    p.modelView = at("uModelView");
    p.normalMatrix = at("uNormalMatrix");
    p.sceneColor = at("uSceneColor");
    p.lightPosition = at("uLightPosition");
    p.lightAmbient = at("uLightAmbient");
    p.lightDiffuse = at("uLightDiffuse");
    p.lightSpecular = at("uLightSpecular");
    p.shininess = at("uShininess");
    p.upperColor = at("uUpperColor");
    p.upperTextureMatrix = at("uUpperTextureMatrix");
    Use(p.id);
    glUniform1i(at("uTexture"), 0);
    glUniform1i(at("uUpperTexture"), 1);
}

void HandTransforms(const Program& p, const State& state) {
    base::costs::Counted().stateChanges += p.textureMatrix >= 0 ? 2 : 1;
    if (p.modelView >= 0) base::costs::Counted().stateChanges += 2;
    Matrix4 modelViewProjection = Multiply(state.projection, state.modelview);
    glUniformMatrix4fv(p.modelViewProjection, 1, GL_FALSE, modelViewProjection.m);
    if (p.textureMatrix >= 0) glUniformMatrix4fv(p.textureMatrix, 1, GL_FALSE, state.texture.m);
    if (p.modelView < 0) return;
    glUniformMatrix4fv(p.modelView, 1, GL_FALSE, state.modelview.m);
    glUniformMatrix3fv(p.normalMatrix, 1, GL_FALSE, NormalMatrix(state.modelview).m);
}

// Each light's colours come multiplied by the material's, as GL's light products.
void HandLighting(const Program& p, const State& state) {
    const Material& material = state.material;
    float sceneColor[4], positions[8], ambient[6], diffuse[6], specular[6];
    for (int c = 0; c < 3; ++c) sceneColor[c] = material.emission[c] + material.ambient[c] * kSceneAmbient[c];
    sceneColor[3] = material.diffuse[3];
    for (int i = 0; i < 2; ++i) {
        const Light& light = state.lights[i];
        for (int c = 0; c < 4; ++c) positions[4 * i + c] = light.eyePosition[c];
        for (int c = 0; c < 3; ++c) {
            ambient[3 * i + c] = light.ambient[c] * material.ambient[c];
            diffuse[3 * i + c] = light.diffuse[c] * material.diffuse[c];
            specular[3 * i + c] = light.specular[c] * material.specular[c];
        }
    }
    base::costs::Counted().stateChanges += 6;
    glUniform4fv(p.sceneColor, 1, sceneColor);
    glUniform4fv(p.lightPosition, 2, positions);
    glUniform3fv(p.lightAmbient, 2, ambient);
    glUniform3fv(p.lightDiffuse, 2, diffuse);
    glUniform3fv(p.lightSpecular, 2, specular);
    glUniform1f(p.shininess, material.shininess);
}

// The combinations the show draws with: unlit, textured, and lit by both
// lights with normalising (what a run of the whole show compiled, read from
// its trace). They are made with the context, so that no frame of the show
// waits for a compile, which on a real GPU in a browser takes tens of
// milliseconds.
const unsigned kShowSwitches[] = {0, kUsesTexture, kUsesTexture | kUsesUpperOver, kUsesTexture | kUsesUpperAdded,
                                  kUsesLighting | kUsesLight0 | kUsesLight1 | kUsesNormalize};

}  // namespace

void MakeShowPrograms() {
    for (unsigned switches : kShowSwitches)
        if (!g_programs[switches].id && !g_programs[switches].failed) Build(g_programs[switches], switches);
}

// Any other combination is compiled when first drawn with, and said in the
// trace.
bool UseProgramFor(const State& state) {
    unsigned switches = SwitchesOf(state);
    Program& p = g_programs[switches];
    if (!p.id && !p.failed) {
        Build(p, switches);
        TraceLine("{\"type\":\"shader compiled\",\"switches\":" + std::to_string(switches) + "}");
    }
    if (!p.id) return false;
    Use(p.id);
    if (p.transformSerial != state.transformSerial) HandTransforms(p, state);
    if ((switches & kUsesLighting) && p.lightingSerial != state.lightingSerial) HandLighting(p, state);
    if (state.drawingTwoLayers) {
        glUniform4fv(p.upperColor, 1, state.upperColor);
        glUniformMatrix4fv(p.upperTextureMatrix, 1, GL_FALSE, state.upperTextureMatrix.m);
        base::costs::Counted().stateChanges += 2;
    }
    p.transformSerial = state.transformSerial;
    p.lightingSerial = state.lightingSerial;
    return true;
}

void ForgetPrograms() {
    for (Program& p : g_programs) p = Program{};
    g_programInUse = 0;
}

void ReleasePrograms() {
    for (Program& p : g_programs)
        if (p.id) glDeleteProgram(p.id);
    ForgetPrograms();
}

}  // namespace platform::gl::es3
