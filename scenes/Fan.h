// The glowing fan of fifteen turning squares that scenes 4 and 5 draw.
#pragma once

// Additive, depth test off, culling on; each square turned by g_fanAngle more
// than the one before it. Leaves the perspective projection in place.
void DrawFan(float alpha);
