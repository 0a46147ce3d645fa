// Sprites drawn with fewer pixels on the shader path: a quad whose texture
// is blended over what lies under it leaves every pixel unchanged where the
// texels it reads are see-through, so drawing only the parts of the quad
// that read visible texels draws the same picture. Plain arithmetic: what
// part of a picture can show, found once when it is uploaded, and the parts
// of a quad over it.
//
// A quad is cut along lines that run right across it (the picture's cell
// borders and the sides of the box of what shows, a texel out), and only the
// pieces that can show are drawn. Neighbouring pieces share their corners
// exactly, so every pixel is drawn once, as by the whole quad.
#pragma once

#include <cstdint>
#include <vector>

#include "gl/es3/state.h"

namespace platform::gl::es3 {

// Reads an 8-bit picture of 1 to 4 components (grey, grey and alpha, RGB,
// RGBA) whose rows start at multiples of `rowAlignment` bytes, as
// glTexImage2D reads it. A picture without alpha is opaque.
VisibleTexels FindVisibleTexels(const uint8_t* pixels, int widthPx, int heightPx, int components, int rowAlignment);

// What of a picture can show under a blend: over-blending, or adding.
struct Showing {
    TexelBox box;
    CellSet cells;
};
Showing ShowingWhen(const VisibleTexels& visible, bool adding);
// Whether every piece of a quad of that texture can show: nothing to cut.
bool AllShows(const Showing& showing, int widthPx, int heightPx);

// Appends to `pieces` the parts of a quad (its four corners in
// glBegin(GL_QUADS) order) of a `widthPx` x `heightPx` texture that can show,
// four corners each in the quad's order; none where nothing can. Returns
// false, appending nothing, where the quad is to be drawn whole: it is not a
// parallelogram of one colour whose texture coordinates lie in 0..1 and run
// along its sides (a sprite, however it is turned or scaled later), or all
// of it can show.
bool CutQuad(const Showing& showing, int widthPx, int heightPx, const ImmediateVertex quad[4],
             std::vector<ImmediateVertex>* pieces);

}  // namespace platform::gl::es3
