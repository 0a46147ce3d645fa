// Matrix arithmetic of the shader path (see matrix.h).
#include "gl/es3/matrix.h"

#include <algorithm>
#include <cmath>

namespace platform::gl::es3 {

namespace {

constexpr double kPi = 3.14159265358979323846;

Matrix4 FromDoubles(const double (&d)[16]) {
    Matrix4 result;
    for (int i = 0; i < 16; ++i) result.m[i] = static_cast<float>(d[i]);
    return result;
}

}  // namespace

Matrix4 Identity() { return {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}; }

bool SameMatrix(const Matrix4& a, const Matrix4& b) { return std::equal(a.m, a.m + 16, b.m); }

bool AffineTexture(const Matrix4& texture) {
    return texture.m[3] == 0 && texture.m[7] == 0 && texture.m[11] == 0 && texture.m[15] == 1;
}

Matrix4 Multiply(const Matrix4& a, const Matrix4& b) {
    Matrix4 result;
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) sum += a.m[k * 4 + row] * b.m[column * 4 + k];
            result.m[column * 4 + row] = sum;
        }
    return result;
}

Vector4 Transform(const Matrix4& matrix, Vector4 v) {
    const float* m = matrix.m;
    return {m[0] * v.x + m[4] * v.y + m[8] * v.z + m[12] * v.w, m[1] * v.x + m[5] * v.y + m[9] * v.z + m[13] * v.w,
            m[2] * v.x + m[6] * v.y + m[10] * v.z + m[14] * v.w, m[3] * v.x + m[7] * v.y + m[11] * v.z + m[15] * v.w};
}

Matrix4 Translation(float x, float y, float z) {
    Matrix4 result = Identity();
    result.m[12] = x;
    result.m[13] = y;
    result.m[14] = z;
    return result;
}

Matrix4 Rotation(float angleDegrees, float x, float y, float z) {
    float length = std::sqrt(x * x + y * y + z * z);
    if (length == 0) return Identity();
    x /= length, y /= length, z /= length;
    float radians = static_cast<float>(angleDegrees * kPi / 180.0);
    float s = std::sin(radians), c = std::cos(radians), t = 1 - c;
    return {{x * x * t + c, y * x * t + z * s, x * z * t - y * s, 0,
             x * y * t - z * s, y * y * t + c, y * z * t + x * s, 0,
             x * z * t + y * s, y * z * t - x * s, z * z * t + c, 0,
             0, 0, 0, 1}};
}

Matrix4 Scaling(float x, float y, float z) {
    Matrix4 result = Identity();
    result.m[0] = x;
    result.m[5] = y;
    result.m[10] = z;
    return result;
}

Matrix4 Perspective(double fovyDegrees, double aspect, double zNear, double zFar) {
    double radians = fovyDegrees / 2 * kPi / 180;
    double depth = zFar - zNear, sine = std::sin(radians);
    if (depth == 0 || sine == 0 || aspect == 0) return Identity();
    double cotangent = std::cos(radians) / sine;
    return FromDoubles({cotangent / aspect, 0, 0, 0,
                        0, cotangent, 0, 0,
                        0, 0, -(zFar + zNear) / depth, -1,
                        0, 0, -2 * zNear * zFar / depth, 0});
}

Matrix4 Ortho2D(double left, double right, double bottom, double top) {
    double width = right - left, height = top - bottom;
    if (width == 0 || height == 0) return Identity();
    return FromDoubles({2 / width, 0, 0, 0,
                        0, 2 / height, 0, 0,
                        0, 0, -1, 0,
                        -(right + left) / width, -(top + bottom) / height, 0, 1});
}

Matrix3 NormalMatrix(const Matrix4& modelview) {
    const float* m = modelview.m;
    // The upper-left 3x3 as a[row][column].
    double a[3][3];
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) a[row][column] = m[column * 4 + row];
    // Cofactors: the inverse transpose is the cofactor matrix over the determinant.
    double cofactor[3][3];
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            int r0 = (row + 1) % 3, r1 = (row + 2) % 3, c0 = (column + 1) % 3, c1 = (column + 2) % 3;
            cofactor[row][column] = a[r0][c0] * a[r1][c1] - a[r0][c1] * a[r1][c0];
        }
    double determinant = a[0][0] * cofactor[0][0] + a[0][1] * cofactor[0][1] + a[0][2] * cofactor[0][2];
    Matrix3 result{};
    if (determinant == 0) return result;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            result.m[column * 3 + row] = static_cast<float>(cofactor[row][column] / determinant);
    return result;
}

}  // namespace platform::gl::es3
