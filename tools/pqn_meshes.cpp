// pqn-meshes OUTDIR: renders each mesh of the default data set with the
// engine, lit by two lights as the scenes light them, one PNG per mesh.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <GL/gl.h>  // glReadPixels, before the program's GL names

#include "headless_engine.h"
#include "platform/png_file.h"
#include "platform/runtime.h"

namespace {

struct View {
    const char* mesh;
    float distance, scale, turnX;
    int textureSlot;  // -1: untextured
};

const View kViews[] = {
    {"robot01", 1.2f, 0.2f, 110, -1}, {"trendy02_t", 1.3f, 1, 30, -1}, {"trendy01", 1.3f, 1, 20, -1},
    {"piikki1", 1.4f, 1, 15, -1},     {"piikki2", 1.4f, 1, 15, -1},    {"cuube", 0.5f, 1, 25, -1},
    {"greetings1", 1.6f, 1, 180, 38}, {"greetings2", 1.6f, 1, 180, -1},
};

void Light() {
    Lighting& light = g_engine->light;
    Lighting::EnableCap(GL_LIGHT0);
    Lighting::EnableCap(GL_LIGHT1);
    light.SetAmbient(0.2f, 0.2f, 0.25f, GL_LIGHT0);
    light.SetDiffuse(1, 1, 1, GL_LIGHT0);
    light.SetDiffuse(0.3f, 0.4f, 0.9f, GL_LIGHT1);
    light.SetSpecular(1, 1, 1, GL_LIGHT0);
    light.SetShininess(60);
    light.SetMaterial(0.7f, 0.7f, 0.8f, GL_DIFFUSE);
    light.SetMaterial(0.5f, 0.5f, 0.5f, GL_SPECULAR);
    glEnable(GL_NORMALIZE);
    glShadeModel(GL_SMOOTH);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pqn-meshes OUTDIR\n");
        return 2;
    }
    char here[4096];
    std::string out = argv[1][0] == '/' ? argv[1] : std::string(getcwd(here, sizeof here)) + "/" + argv[1];
    if (chdir(PQN_BUILD_DATA_DIR) != 0) return 1;
    OpenHeadlessEngine(1);
    Light();
    for (const View& view : kViews) {
        glClearColor(0.08f, 0.06f, 0.14f, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        g_engine->setFOV(45);
        g_engine->setFOV();
        glLoadIdentity();
        g_engine->light.SetPosition(1.5f, 1.5f, 1, GL_LIGHT0);
        g_engine->light.SetPosition(-2, -0.5f, -0.5f, GL_LIGHT1);
        g_engine->EnableFeatures(kLighting);
        bool textured = view.textureSlot >= 0;
        g_engine->edTexture(textured);
        if (textured) {
            g_engine->DisableFeatures(kLighting | kCullFace);
            g_engine->useTexture(view.textureSlot);
        }
        glColor3f(1, 1, 1);
        glTranslatef(0, 0, -view.distance);
        glRotatef(view.turnX, 1, 0, 0);
        glRotatef(25, 0, 1, 0);
        glScalef(view.scale, view.scale, view.scale);
        g_engine->drawObject(view.mesh);
        std::vector<unsigned char> rgb(640 * 480 * 3), flipped(rgb.size());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, 640, 480, GL_RGB, GL_UNSIGNED_BYTE, flipped.data());
        for (int y = 0; y < 480; ++y)
            std::copy_n(&flipped[(479 - y) * 640 * 3], 640 * 3, &rgb[y * 640 * 3]);
        std::string path = out + "/" + view.mesh + ".png";
        if (!platform::WritePng(path, 640, 480, 3, rgb.data())) std::fprintf(stderr, "pqn-meshes: cannot write %s\n", path.c_str());
    }
    SendMessageA(g_engine->ow->GetWindow(), WM_CLOSE, 0, 0);
    platform::Shutdown();
    return 0;
}
