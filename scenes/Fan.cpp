// The fan: fifteen squares of "env01", each composed onto the previous one's matrix.
#include "Fan.h"

#include "../main/demo.h"

void DrawFan(float alpha) {
    g_engine->changeFOV(105);
    g_engine->Blend(2);
    g_engine->DisableFeatures(kDepthTest);
    glColor4f(1, 1, 1, alpha);
    glLoadIdentity();
    glTranslatef(0, 0, -0.2f);
    g_engine->useTexture("env01");
    for (int j = 0; j < 15; ++j) {
        glRotatef(g_fanAngle, 0, 1, 0);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex3f(-1, -1, 0);
        glTexCoord2f(1, 0);
        glVertex3f(1, -1, 0);
        glTexCoord2f(1, 1);
        glVertex3f(1, 1, 0);
        glTexCoord2f(0, 1);
        glVertex3f(-1, 1, 0);
        glEnd();
    }
}
