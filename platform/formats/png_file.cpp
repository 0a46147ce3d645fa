// PNG files through libpng's simplified API.
#include "platform/png_file.h"

#include <png.h>

#include <cstring>

namespace platform {

bool WritePng(const std::string& path, int width, int height, int channels,
              const uint8_t* pixels, bool bottomRowFirst) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = channels == 1   ? PNG_FORMAT_GRAY
                   : channels == 4 ? PNG_FORMAT_RGBA
                                   : PNG_FORMAT_RGB;
    // A negative stride tells libpng that the buffer holds the bottom row first.
    png_int_32 rowStride = width * channels * (bottomRowFirst ? -1 : 1);
    bool ok = png_image_write_to_file(&image, path.c_str(), 0, pixels, rowStride, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

bool ReadPngRgb(const std::string& path, int* width, int* height, std::vector<uint8_t>* rgb) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    rgb->assign(PNG_IMAGE_SIZE(image), 0);
    bool ok = png_image_finish_read(&image, nullptr, rgb->data(), 0, nullptr) != 0;
    *width = static_cast<int>(image.width);
    *height = static_cast<int>(image.height);
    png_image_free(&image);
    return ok;
}

}  // namespace platform
