// Kestrel3D, the one engine object: GL context, projections and 2D quads,
// texture slots and names, raw pictures, glyphs, meshes, and the light record.
// Its operations live in k3d_init (life and GL context), k3d_gfx (drawing
// helpers), k3d_file (glyph files), k3d_light, k3d_textures and k3d_object.
#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "../KestrelWindow/EngineWindow.h"
#include "platform/gl.h"

// Capability bits of EnableFeatures / DisableFeatures.
enum FeatureBits { kDepthTest = 1, kCullFace = 2, kLighting = 4, kBlending = 8 };

class Lighting {
public:
    Lighting();
    void SetAmbient(float r, float g, float b, GLenum light);
    void SetDiffuse(float r, float g, float b, GLenum light);
    void SetSpecular(float r, float g, float b, GLenum light);
    void SetPosition(float x, float y, float z, GLenum light);
    void SetMaterial(float r, float g, float b, GLenum pname);
    void SetShininess(float s);
    static void EnableCap(GLenum cap);

    float position[4];
    float ambient[4];
    float diffuse[4];
    float specular[4];
    float material[4];
    float shininess;
};

struct vector2 { float u, v; };
struct vector3 { float x, y, z; };

// One mesh while it is read from the R3D file.
struct model {
    int numVertices = 0;
    int numFaces = 0;
    int numTexFaces = 0;
    int numTexVertices = 0;
    int normals = 0;
    vector2* texVertices = nullptr;
    vector3* vertices = nullptr;
    vector3* vertexNormals = nullptr;
    unsigned int* indices = nullptr;
};

struct ObjectNames {
    std::map<std::string, int> offset;
    std::map<std::string, int> object;
    std::vector<std::string> names;
};

class Kestrel3D {
public:
    Kestrel3D();
    ~Kestrel3D();

    // Life and GL context
    HDC getHDC();
    void InitAPI();
    void enableDefault() { useDefault = true; }
    void disableDefault() { useDefault = false; }

    // Drawing helpers
    void setFOV(float degrees);
    void setFOV();
    void changeFOV(float degrees);
    void set2D();
    void setWideScreen(unsigned int width, unsigned int height);
    void sprite(int x, int y, int width, int height, int slot);
    void sprite(int x, int y, int width, int height, const std::string& name);
    void Image(int slot);
    void Image(const std::string& name);
    void SetQuadTransform(float angle, float scale);
    void EnableQuadTransform();
    void DisableQuadTransform();
    void cls();
    void fill(float red, float green, float blue);
    void pswap();
    void Blend(int mode);
    void SetAlpha(float alpha);
    void SetFade(float level);
    void EnableFeatures(int flags);
    void DisableFeatures(int flags);
    void SetTextureOffset(float s, float t, float r);
    void ResetTextureMatrix();

    // Files
    unsigned char* LoadGlyphImage(const char* file, int size);

    // Texture bank
    void InitTextures(int count);
    void FreeTextures();
    void GSTexture();
    void TextureLinear();
    void TextureMipmap();
    void useAlphaMap();
    void noAlphaMap();
    void edTexture(bool on);
    void MakeTexture(const unsigned char* pixels, int slot, int width, int height);
    bool addTextureName(const std::string& name, int slot);
    void useTexture(int slot);
    void useTexture(const std::string& name);
    bool loadTexture(const char* file, int width, int height, int slot);

    // Mesh bank
    void setObjectListFile(const char* path);
    void set3DDataFile(const char* path);
    void InitObjects(int num);
    void FreeObjects();
    void addObjectName(const std::string& name, int num, int offset);
    void readListFile();
    bool loadObjects();
    // The list read again and its meshes loaded, replacing the bank, when the
    // list and every record it names read whole; if not, what is wrong.
    bool ReloadObjectList(std::string* problem);
    void drawObject(const std::string& name);

    // What the helpers keep from one call to the next (the projection, the
    // wide screen, the quad transform, the texture mode) and the light
    // record: kept at a checkpoint and put back for a seek.
    struct Settings {
        int textureMode;
        GLenum textureFilter;
        float fieldOfView, farPlane;
        bool useDefault;
        unsigned int wsw, wsh;
        int wwadd, whadd;
        float quadAngle, quadScale;
        bool quadTransform, alphaMap;
        Lighting light;
    };
    Settings CurrentSettings() const;
    void RestoreSettings(const Settings& settings);

private:
    void perspective(float degrees);
    void quad(int x, int y, int width, int height);
    void gsToRgb(const unsigned char* grey, unsigned char* out, int width, int height, bool withAlpha);
    void upload(const unsigned char* pixels, int slot, int width, int height, int components, GLenum format);
    bool loadR3D(const char* fname, int list, int offset);

    int textureCount = 0;
    int textureMode = 1;
    GLenum textureFilter = GL_LINEAR;
    int numObjects = 0;
    float fieldOfView = 65.0f;
    float farPlane = 100.0f;
    HGLRC glContext = nullptr;
    HDC hDC = nullptr;
    bool useDefault = true;
    unsigned int wsw = 640;
    unsigned int wsh = 480;
    int wwadd = 0;
    int whadd = 0;
    float quadAngle = 0.0f;
    float quadScale = 1.0f;
    bool quadTransform = false;
    GLuint* textureIds = nullptr;
    std::map<std::string, int> textureNames;
    bool AlphaMap = false;
    GLuint* Objects = nullptr;
    ObjectNames OName;
    const char* ODataFile = "";
    const char* OListFile = "";

public:
    EngineWindow* ow = nullptr;
    Lighting light;
};

void aseFree(model* m);

// The parts of the texture bank and the mesh bank that read files, apart from GL.
// A raw picture's first `bytes` bytes, zero where the file is shorter.
std::vector<unsigned char> ReadRawPicture(const char* file, size_t bytes, bool* opened);
// One grey byte to three (RGB) or four (RGBA) equal bytes per pixel.
void ExpandGrey(const unsigned char* grey, unsigned char* out, size_t pixels, bool withAlpha);
struct ObjectListEntry {
    std::string name;
    int offset;
};
// The accepted lines of an object list, in order.
std::vector<ObjectListEntry> ParseObjectList(FILE* file);
// Reads the R3D record at `offset` of a file of `fileSize` bytes into `m`;
// false when its counts, offset or indices do not fit (free `m` either way).
bool ReadR3DRecord(FILE* file, long long fileSize, int offset, model* m);
