// The GL the engine and the scenes call: the part of OpenGL 1.1 and GLU they
// use, declared here and nowhere else for them, so that a call outside it
// does not build. The platform carries each call out (gl/ holds its side).
// Calls that take window pixels are mapped onto the drawing surface, which
// may have more pixels than the window (a higher internal resolution) and
// place the picture inside a larger frame. A file that needs more of GL (a
// test reading GL's state back) includes <GL/gl.h> before this header.
#pragma once

#include "platform/gl_calls.h"
// glBegin for platform::gl::Begin and so on, made from gl_call_list.h.
#include "platform/gl_names.h"

#define GL_FALSE 0
#define GL_TRUE 1
#define GL_LINES 0x0001
#define GL_TRIANGLES 0x0004
#define GL_QUADS 0x0007
#define GL_UNSIGNED_BYTE 0x1401
#define GL_UNSIGNED_INT 0x1405
#define GL_FLOAT 0x1406
#define GL_COLOR_BUFFER_BIT 0x00004000
#define GL_DEPTH_BUFFER_BIT 0x00000100
#define GL_COMPILE 0x1300
#define GL_MODELVIEW 0x1700
#define GL_PROJECTION 0x1701
#define GL_TEXTURE 0x1702
#define GL_VERTEX_ARRAY 0x8074
#define GL_NORMAL_ARRAY 0x8075
#define GL_TEXTURE_COORD_ARRAY 0x8078
#define GL_BLEND 0x0BE2
#define GL_CULL_FACE 0x0B44
#define GL_DEPTH_TEST 0x0B71
#define GL_LIGHTING 0x0B50
#define GL_NORMALIZE 0x0BA1
#define GL_SCISSOR_TEST 0x0C11
#define GL_TEXTURE_2D 0x0DE1
#define GL_LIGHT0 0x4000
#define GL_LIGHT1 0x4001
#define GL_AMBIENT 0x1200
#define GL_DIFFUSE 0x1201
#define GL_SPECULAR 0x1202
#define GL_POSITION 0x1203
#define GL_SHININESS 0x1601
#define GL_AMBIENT_AND_DIFFUSE 0x1602
#define GL_FRONT 0x0404
#define GL_FRONT_AND_BACK 0x0408
#define GL_FLAT 0x1D00
#define GL_SMOOTH 0x1D01
#define GL_LEQUAL 0x0203
#define GL_ONE 1
#define GL_SRC_ALPHA 0x0302
#define GL_ONE_MINUS_SRC_ALPHA 0x0303
#define GL_RGB 0x1907
#define GL_RGBA 0x1908
#define GL_LINEAR 0x2601
#define GL_LINEAR_MIPMAP_LINEAR 0x2703
#define GL_TEXTURE_MAG_FILTER 0x2800
#define GL_TEXTURE_MIN_FILTER 0x2801
#define GL_UNPACK_ALIGNMENT 0x0CF5

