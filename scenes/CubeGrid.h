// The 16 x 16 cell positions of the cube scenes, and the noise bars of the last two scenes.
#pragma once

struct GridCell {
    float x, y;
};

// Built by repeated float addition, row 0 at the top: x = -1.6 + 0.2 j, y = 1.6 - 0.2 i.
void BuildGrid(GridCell cells[256]);

constexpr int kNoiseWidth = 256;
constexpr int kNoiseHeight = 128;
constexpr int kNoiseBytes = kNoiseWidth * kNoiseHeight;

// Fills the noise picture from rand() and uploads it into texture slot 50;
// each frame makes it anew, so it is no scene's state.
void UploadNoise();

// Four full-width bars of the noise picture, placed by the bar phases between
// band rows 1 and 255, in the current colour and blending.
void DrawNoiseBars();
