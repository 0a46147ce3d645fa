// The lighting scenes 3 and 4 set up before their first frame.
#include "BlueLights.h"

#include "../main/demo.h"

void SetUpBlueLights() {
    Lighting& light = g_engine->light;
    Lighting::EnableCap(GL_LIGHT0);
    light.SetAmbient(0, 0.4f, 0.8f, GL_LIGHT0);
    light.SetDiffuse(1, 1, 1, GL_LIGHT0);
    light.SetSpecular(1, 1, 1, GL_LIGHT0);
    light.SetShininess(165);
    light.SetMaterial(0, 0.4f, 0.8f, GL_SPECULAR);
    light.SetMaterial(0, 0.4f, 0.8f, GL_DIFFUSE);
    Lighting::EnableCap(GL_LIGHT1);
    light.SetAmbient(0, 0.4f, 0.8f, GL_LIGHT1);
    light.SetDiffuse(1, 1, 1, GL_LIGHT1);
    light.SetSpecular(1, 1, 1, GL_LIGHT1);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_NORMALIZE);
}
