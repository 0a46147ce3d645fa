// 4x4 matrices kept as GL keeps them (column by column, float) and the
// transforms of GL 1.1 and GLU that build them, as plain arithmetic: what
// the shader path multiplies on the CPU before a draw.
#pragma once

namespace platform::gl::es3 {

struct Matrix4 {
    float m[16];  // column by column: m[12..14] is the translation
};

struct Vector4 {
    float x, y, z, w;
};

// The upper-left 3x3 of a matrix, column by column.
struct Matrix3 {
    float m[9];
};

Matrix4 Identity();
// Whether two matrices hold the same values.
bool SameMatrix(const Matrix4& a, const Matrix4& b);
// Whether a texture matrix's last row is (0 0 0 1), leaving q at 1: the
// texture is read at (s, t) with no division for each pixel.
bool AffineTexture(const Matrix4& texture);
// a * b: b is applied first, as glMultMatrix applies it to the current matrix.
Matrix4 Multiply(const Matrix4& a, const Matrix4& b);
Vector4 Transform(const Matrix4& matrix, Vector4 v);

// The matrices glTranslatef, glRotatef and glScalef multiply by. A rotation
// about a zero axis is the identity, as GL leaves the matrix alone then.
Matrix4 Translation(float x, float y, float z);
Matrix4 Rotation(float angleDegrees, float x, float y, float z);
Matrix4 Scaling(float x, float y, float z);

// The matrices gluPerspective and gluOrtho2D multiply by, worked out in
// double as GLU does. A degenerate perspective (no depth range, no field of
// view or no aspect) is the identity: GLU leaves the matrix alone then.
Matrix4 Perspective(double fovyDegrees, double aspect, double zNear, double zFar);
Matrix4 Ortho2D(double left, double right, double bottom, double top);

// What transforms normals to eye space: the inverse transpose of the
// modelview's upper-left 3x3. A singular matrix gives zeros (normals then
// light nothing, as GL leaves them undefined).
Matrix3 NormalMatrix(const Matrix4& modelview);

}  // namespace platform::gl::es3
