// OpenGL 1.1 and GLU, as the engine and the scenes call them.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>
