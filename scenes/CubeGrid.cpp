// Shared pieces of the cube scenes: the grid table and the noise texture.
#include "CubeGrid.h"

#include <cmath>
#include <cstdlib>

#include "../main/demo.h"

void BuildGrid(GridCell cells[256]) {
    float y = 1.6f;
    for (int i = 0; i < 16; ++i) {
        float x = -1.6f;
        for (int j = 0; j < 16; ++j) {
            cells[16 * i + j] = {x, y};
            x += 0.2f;
        }
        y -= 0.2f;
    }
}

void UploadNoise() {
    static unsigned char noise[kNoiseBytes];
    for (int i = 0; i < kNoiseBytes; ++i) noise[i] = static_cast<unsigned char>(std::rand() % 256);
    g_engine->MakeTexture(noise, 50, kNoiseWidth, kNoiseHeight);
}

void DrawNoiseBars() {
    Kestrel3D* e = g_engine;
    e->sprite(0, static_cast<int>(127 * std::sin(static_cast<double>(g_barPhase1)) + 128), 640, 12, 50);
    e->sprite(0, static_cast<int>(127 * std::cos(static_cast<double>(g_barPhase2)) + 128), 640, 16, 50);
    e->sprite(0, static_cast<int>(127 * std::sin(static_cast<double>(g_barPhase3)) + 128), 640, 8, 50);
    e->sprite(0, static_cast<int>(127 * std::cos(std::sin(static_cast<double>(g_barPhase4))) + 128), 640, 13, 50);
}
