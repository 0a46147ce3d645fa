// Sprites drawn with fewer pixels on the shader path: a quad whose texture
// is blended over what lies under it leaves every pixel unchanged where the
// texels it reads are see-through, so drawing only the part of the quad
// over the texture's visible texels (and a texel around them, for the
// filter) draws the same picture. Plain arithmetic: what part of a picture
// can show, found once when it is uploaded, and the part of a quad over it.
#pragma once

#include <cstdint>

#include "gl/es3/state.h"

namespace platform::gl::es3 {

// The texels both boxes hold.
TexelBox Overlap(const TexelBox& a, const TexelBox& b);

// Reads an 8-bit picture of 1 to 4 components (grey, grey and alpha, RGB,
// RGBA) whose rows start at multiples of `rowAlignment` bytes, as
// glTexImage2D reads it. A picture without alpha is opaque.
VisibleTexels FindVisibleTexels(const uint8_t* pixels, int widthPx, int heightPx, int components, int rowAlignment);

enum class QuadTrim { kUnchanged, kTrimmed, kHidden };

// Cuts a quad, its four corners in glBegin(GL_QUADS) order, to the part
// over `box` of a `widthPx` x `heightPx` texture, one texel of margin
// around it for linear filtering. Only a parallelogram of one colour whose
// texture coordinates lie in 0..1 and run along its sides is cut (a sprite,
// however it is turned or scaled later); a box that reaches the texture's
// edge leaves that direction whole, as a repeating texture filters across
// the edge. kHidden: nothing of the quad can show.
QuadTrim TrimQuad(const TexelBox& box, int widthPx, int heightPx, ImmediateVertex corners[4]);

}  // namespace platform::gl::es3
