// Engine life: construction, device context, pixel format and GL context,
// destruction, and the settings kept for a seek.
#include "k3d.h"

Kestrel3D::Kestrel3D() = default;

HDC Kestrel3D::getHDC() {
    hDC = ow->GetDC();
    return hDC;
}

void Kestrel3D::InitAPI() {
    PIXELFORMATDESCRIPTOR descriptor{};
    descriptor.nSize = 40;
    descriptor.nVersion = 1;
    descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = 16;
    descriptor.cDepthBits = 16;
    descriptor.iLayerType = PFD_MAIN_PLANE;

    int format = ChoosePixelFormat(ow->GetDC(), &descriptor);
    if (format == 0) {
        ow->WNDError("Can't find suitable pixel format!");
        PostQuitMessage(1);
    }
    if (!SetPixelFormat(ow->GetDC(), format, &descriptor)) {
        ow->WNDError("Can't set desired pixel format!");
        PostQuitMessage(1);
    }
    glContext = wglCreateContext(ow->GetDC());
    if (!glContext) {
        ow->WNDError("Can't create GL rendering context!");
        PostQuitMessage(1);
    }
    if (!wglMakeCurrent(ow->GetDC(), glContext)) {
        ow->WNDError("Can't activate GLRC!");
        PostQuitMessage(1);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glDepthFunc(GL_LEQUAL);
    glClearDepth(1.0);
    glCullFace(GL_FRONT);
}

Kestrel3D::~Kestrel3D() {
    FreeTextures();
    FreeObjects();
    wglDeleteContext(glContext);
    if (ow) ReleaseDC(ow->GetWindow(), hDC);
    delete ow;
}

Kestrel3D::Settings Kestrel3D::CurrentSettings() const {
    return {textureMode, textureFilter, fieldOfView, farPlane, useDefault, wsw, wsh, wwadd, whadd,
            quadAngle, quadScale, quadTransform, AlphaMap, light};
}

void Kestrel3D::RestoreSettings(const Settings& s) {
    textureMode = s.textureMode, textureFilter = s.textureFilter;
    fieldOfView = s.fieldOfView, farPlane = s.farPlane;
    useDefault = s.useDefault;
    wsw = s.wsw, wsh = s.wsh, wwadd = s.wwadd, whadd = s.whadd;
    quadAngle = s.quadAngle, quadScale = s.quadScale, quadTransform = s.quadTransform;
    AlphaMap = s.alphaMap;
    light = s.light;
}
