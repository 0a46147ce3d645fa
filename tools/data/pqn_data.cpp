// pqn-data: writes the show's default data set (pictures, glyphs, meshes and
// the module) into a folder, the same bytes on every run; optionally a
// contact sheet of every picture for review.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/png_file.h"
#include "canvas.h"
#include "meshes.h"
#include "pictures.h"
#include "soundtrack.h"

namespace fs = std::filesystem;

namespace {

bool WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file) std::fprintf(stderr, "pqn-data: cannot write %s\n", path.string().c_str());
    return static_cast<bool>(file);
}

// Every picture in a grid, scaled to fit its cell, with its name under it.
void ContactSheet(const std::vector<gen::Picture>& pictures, const std::string& path) {
    const int cellW = 208, cellH = 136, columns = 7;
    int rows = static_cast<int>((pictures.size() + columns - 1) / columns);
    gen::Canvas sheet(columns * cellW, rows * cellH, gen::Rgb(0x202028));
    for (size_t i = 0; i < pictures.size(); ++i) {
        const gen::Picture& p = pictures[i];
        int x0 = static_cast<int>(i % columns) * cellW + 8, y0 = static_cast<int>(i / columns) * cellH + 6;
        float scale = std::min(192.0f / p.width, 104.0f / p.height);
        int w = std::max(1, static_cast<int>(p.width * scale)), h = std::max(1, static_cast<int>(p.height * scale));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                int sx = std::min(p.width - 1, static_cast<int>(x / scale)), sy = std::min(p.height - 1, static_cast<int>(y / scale));
                const uint8_t* px = &p.bytes[(static_cast<size_t>(sy) * p.width + sx) * p.channels];
                float checker = ((x / 8 + y / 8) % 2) ? 0.35f : 0.25f;
                gen::Color c = p.channels == 1 ? gen::Color{px[0] / 255.0f, px[0] / 255.0f, px[0] / 255.0f, 1}
                                               : gen::Color{px[0] / 255.0f, px[1] / 255.0f, px[2] / 255.0f, 1};
                float alpha = p.channels == 4 ? px[3] / 255.0f : 1;
                sheet.at(x0 + x, y0 + y) = gen::Mix({checker, checker, checker, 1}, c, alpha);
            }
        gen::Mask label = gen::TextMask(p.name, gen::Font::Mono, 13, sheet.width(), sheet.height(),
                                        static_cast<float>(x0 + 96), static_cast<float>(y0 + 116));
        gen::PaintMask(sheet, label, gen::Rgb(0xe0e0e0));
    }
    std::vector<uint8_t> rgb = sheet.Bytes(3);
    if (!platform::WritePng(path, sheet.width(), sheet.height(), 3, rgb.data()))
        std::fprintf(stderr, "pqn-data: cannot write %s\n", path.c_str());
}

// The program's icon at the hicolor theme's sizes: the robot's head from the
// show's own picture (a square around it, transparent where it reaches past
// the picture), each pixel the mean of 4x4 bilinear samples.
bool WriteIcons(const std::vector<gen::Picture>& pictures, const fs::path& dir) {
    const gen::Picture* head = nullptr;
    for (const gen::Picture& p : pictures)
        if (p.name == "robopaa01") head = &p;
    if (!head || head->channels != 4) return false;
    const float cropX = 58, cropY = 0, cropSize = 140;
    auto texel = [&](int x, int y, int c) -> float {
        if (x < 0 || y < 0 || x >= head->width || y >= head->height) return 0;
        return head->bytes[(static_cast<size_t>(y) * head->width + x) * 4 + c];
    };
    bool ok = true;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        std::vector<uint8_t> rgba(static_cast<size_t>(size) * size * 4);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                float sum[4] = {0, 0, 0, 0};
                for (int sy = 0; sy < 4; ++sy)
                    for (int sx = 0; sx < 4; ++sx) {
                        float u = cropX + (x + (sx + 0.5f) / 4) * cropSize / size - 0.5f;
                        float v = cropY + (y + (sy + 0.5f) / 4) * cropSize / size - 0.5f;
                        int x0 = static_cast<int>(std::floor(u)), y0 = static_cast<int>(std::floor(v));
                        float fx = u - x0, fy = v - y0;
                        for (int c = 0; c < 4; ++c) {
                            // Colours weighted by their alpha, so no dark fringe comes from transparent texels.
                            auto weighted = [&](int tx, int ty) { return c == 3 ? texel(tx, ty, 3) : texel(tx, ty, c) * texel(tx, ty, 3) / 255; };
                            float top = weighted(x0, y0) * (1 - fx) + weighted(x0 + 1, y0) * fx;
                            float bottom = weighted(x0, y0 + 1) * (1 - fx) + weighted(x0 + 1, y0 + 1) * fx;
                            sum[c] += (top * (1 - fy) + bottom * fy) / 16;
                        }
                    }
                uint8_t* out = &rgba[(static_cast<size_t>(y) * size + x) * 4];
                for (int c = 0; c < 3; ++c)
                    out[c] = static_cast<uint8_t>(sum[3] > 0 ? std::min(255.0f, sum[c] * 255 / sum[3] + 0.5f) : 0);
                out[3] = static_cast<uint8_t>(sum[3] + 0.5f);
            }
        std::string sizeName = std::to_string(size) + "x" + std::to_string(size);
        fs::path folder = dir / sizeName / "apps";
        std::error_code error;
        fs::create_directories(folder, error);
        if (error || !platform::WritePng((folder / "pqn.png").string(), size, size, 4, rgba.data())) {
            std::fprintf(stderr, "pqn-data: cannot write the %s icon in %s\n", sizeName.c_str(), dir.string().c_str());
            ok = false;
        }
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--icons") return WriteIcons(gen::MakePictures(), argv[2]) ? 0 : 1;
    if (argc != 2 && !(argc == 4 && std::string(argv[2]) == "--sheet")) {
        std::fprintf(stderr, "usage: pqn-data OUTDIR [--sheet CONTACT.png]\n       pqn-data --icons HICOLOR-DIR\n");
        return 2;
    }
    fs::path out = argv[1];
    std::error_code error;
    fs::create_directories(out / "images", error);
    fs::create_directories(out / "objects", error);
    if (error) {
        std::fprintf(stderr, "pqn-data: cannot create %s: %s\n", out.string().c_str(), error.message().c_str());
        return 1;
    }
    bool ok = true;
    std::vector<gen::Picture> pictures = gen::MakePictures();
    for (const gen::Picture& p : pictures) ok &= WriteFile(out / "images" / (p.name + ".raw"), p.bytes);

    std::vector<uint8_t> data;
    std::string list;
    for (const gen::Mesh& mesh : gen::MakeMeshes()) {
        list += mesh.name + " " + std::to_string(data.size()) + "\n";
        std::vector<uint8_t> record = gen::EncodeR3D(mesh);
        data.insert(data.end(), record.begin(), record.end());
    }
    ok &= WriteFile(out / "objects" / "objects.r3d", data);
    ok &= WriteFile(out / "objects" / "r3d.log", std::vector<uint8_t>(list.begin(), list.end()));
    ok &= WriteFile(out / "biisi.xm", gen::MakeSoundtrack());
    if (argc == 4) ContactSheet(pictures, argv[3]);
    return ok ? 0 : 1;
}
