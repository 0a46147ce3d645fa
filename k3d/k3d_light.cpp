// The light and material record: each setter stores its values, then hands them to GL.
#include "k3d.h"

Lighting::Lighting()
    : position{0, 0, 0, 1}, ambient{0, 0, 0, 1}, diffuse{0, 0, 0, 1}, specular{0, 0, 0, 1},
      material{0, 0, 0, 1}, shininess(0) {
    glDisable(GL_LIGHTING);
}

static void Store(float* record, float a, float b, float c) {
    record[0] = a;
    record[1] = b;
    record[2] = c;
    record[3] = 1.0f;
}

void Lighting::SetAmbient(float r, float g, float b, GLenum light) {
    Store(ambient, r, g, b);
    glLightfv(light, GL_AMBIENT, ambient);
}

void Lighting::SetDiffuse(float r, float g, float b, GLenum light) {
    Store(diffuse, r, g, b);
    glLightfv(light, GL_DIFFUSE, diffuse);
}

void Lighting::SetSpecular(float r, float g, float b, GLenum light) {
    Store(specular, r, g, b);
    glLightfv(light, GL_SPECULAR, specular);
}

void Lighting::SetPosition(float x, float y, float z, GLenum light) {
    Store(position, x, y, z);
    glLightfv(light, GL_POSITION, position);
}

void Lighting::SetMaterial(float r, float g, float b, GLenum pname) {
    Store(material, r, g, b);
    glMaterialfv(GL_FRONT_AND_BACK, pname, material);
}

void Lighting::SetShininess(float s) {
    shininess = s;
    glMaterialfv(GL_FRONT_AND_BACK, GL_SHININESS, &shininess);
}

void Lighting::EnableCap(GLenum cap) { glEnable(cap); }
