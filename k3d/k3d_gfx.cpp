// Drawing helpers: projections, the letterbox band, textured 2D quads with an
// optional turn and scale about their centre, clears, swap, blend presets.
#include "k3d.h"

void Kestrel3D::setFOV(float degrees) { fieldOfView = degrees; }

void Kestrel3D::setFOV() { perspective(fieldOfView); }

void Kestrel3D::changeFOV(float degrees) { perspective(degrees); }

void Kestrel3D::perspective(float degrees) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    double aspect = static_cast<double>(ow->GetWidth()) / static_cast<double>(ow->GetHeight());
    gluPerspective(degrees, aspect, static_cast<double>(0.1f), farPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (useDefault) {
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
    }
}

void Kestrel3D::set2D() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, ow->GetWidth(), ow->GetHeight(), 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (useDefault) {
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
    }
}

void Kestrel3D::setWideScreen(unsigned int width, unsigned int height) {
    wsw = width;
    wsh = height;
    wwadd = static_cast<int>((static_cast<unsigned int>(ow->GetWidth()) - width) >> 1);
    whadd = static_cast<int>((static_cast<unsigned int>(ow->GetHeight()) - height) >> 1);
    glScissor(wwadd, whadd, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    glEnable(GL_SCISSOR_TEST);
}

void Kestrel3D::sprite(int x, int y, int width, int height, int slot) {
    useTexture(slot);
    quad(x, y, width, height);
}

void Kestrel3D::sprite(int x, int y, int width, int height, const std::string& name) {
    useTexture(name);
    quad(x, y, width, height);
}

// The quad of `sprite`, after its texture is bound.
void Kestrel3D::quad(int x, int y, int width, int height) {
    x += wwadd;
    y += whadd;
    int right = x + width;
    int bottom = y + height;
    glLoadIdentity();
    if (quadTransform) {
        float cx = static_cast<float>(x + (width >> 1));
        float cy = static_cast<float>(y + (height >> 1));
        glTranslatef(cx, cy, 0);
        glRotatef(quadAngle, 0, 0, 1);
        glScalef(quadScale, quadScale, quadScale);
        glTranslatef(-cx, -cy, 0);
    }
    glBegin(GL_QUADS);
    glTexCoord2i(0, 0);
    glVertex2i(x, y);
    glTexCoord2i(1, 0);
    glVertex2i(right, y);
    glTexCoord2i(1, 1);
    glVertex2i(right, bottom);
    glTexCoord2i(0, 1);
    glVertex2i(x, bottom);
    glEnd();
}

void Kestrel3D::Image(int slot) { sprite(0, 0, static_cast<int>(wsw), static_cast<int>(wsh), slot); }

void Kestrel3D::Image(const std::string& name) { sprite(0, 0, static_cast<int>(wsw), static_cast<int>(wsh), name); }

void Kestrel3D::SetQuadTransform(float angle, float scale) {
    quadAngle = angle;
    quadScale = scale;
}

void Kestrel3D::EnableQuadTransform() { quadTransform = true; }
void Kestrel3D::DisableQuadTransform() { quadTransform = false; }

void Kestrel3D::cls() {
    glColor3f(0, 0, 0);
    glClearColor(0, 0, 0, 0);
    for (int i = 0; i < 2; ++i) {
        glClear(GL_COLOR_BUFFER_BIT);
        SwapBuffers(hDC);
    }
}

void Kestrel3D::fill(float red, float green, float blue) {
    glColor3f(red, green, blue);
    glClear(GL_COLOR_BUFFER_BIT);
}

void Kestrel3D::pswap() { SwapBuffers(hDC); }

void Kestrel3D::Blend(int mode) {
    if (mode == 3) {
        glDisable(GL_BLEND);
        return;
    }
    glEnable(GL_BLEND);
    if (mode == 1) glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (mode == 2) glBlendFunc(GL_SRC_ALPHA, GL_ONE);
}

void Kestrel3D::SetAlpha(float alpha) { glColor4f(1, 1, 1, alpha); }

void Kestrel3D::SetFade(float level) { glColor4f(level, level, level, level); }

static const GLenum kFeatureCaps[] = {GL_DEPTH_TEST, GL_CULL_FACE, GL_LIGHTING, GL_BLEND};

void Kestrel3D::EnableFeatures(int flags) {
    for (int bit = 0; bit < 4; ++bit)
        if (flags & (1 << bit)) glEnable(kFeatureCaps[bit]);
}

void Kestrel3D::DisableFeatures(int flags) {
    for (int bit = 0; bit < 4; ++bit)
        if (flags & (1 << bit)) glDisable(kFeatureCaps[bit]);
}

void Kestrel3D::SetTextureOffset(float s, float t, float r) {
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glTranslatef(s, t, r);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void Kestrel3D::ResetTextureMatrix() {
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
