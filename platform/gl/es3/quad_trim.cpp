// What part of a picture can show through a blend, and the parts of a sprite
// quad over it (see quad_trim.h).
#include "gl/es3/quad_trim.h"

#include <algorithm>
#include <cstddef>

namespace platform::gl::es3 {

namespace {

constexpr uint8_t kUnveiled = 1, kLit = 2;

void Include(TexelBox* box, int x, int y) {
    if (box->x0 >= box->x1) {
        *box = {x, y, x + 1, y + 1};
        return;
    }
    box->x0 = std::min(box->x0, x), box->x1 = std::max(box->x1, x + 1);
    box->y0 = std::min(box->y0, y), box->y1 = std::max(box->y1, y + 1);
}

TexelBox Overlap(const TexelBox& a, const TexelBox& b) {
    return {std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
}

// The texels cell `index` of `sizePx` covers, a texel beyond each side: the
// texels linear filtering reads over it, from `first` (-1 at the earliest:
// the last texel, as the texture repeats) to before `end` (at most one past
// the last: the first texel).
void CellTexels(int index, int sizePx, int* first, int* end) {
    *first = index * sizePx / kCellsAcross - 1;
    *end = ((index + 1) * sizePx + kCellsAcross - 1) / kCellsAcross + 1;
}

// The kinds among texels [first, end) of a line of `sizePx` (`stride` apart), wrapped into it.
uint8_t KindsAlong(const uint8_t* line, size_t stride, int sizePx, int first, int end) {
    uint8_t found = 0;
    for (int i = std::max(first, 0); i < std::min(end, sizePx); ++i) found |= line[i * stride];
    if (first < 0) found |= line[(sizePx - 1) * stride];
    if (end > sizePx) found |= line[0];
    return found;
}

// The kinds of a row of texels of `components`.
void RowKinds(const uint8_t* t, int widthPx, int components, uint8_t* kinds) {
    switch (components) {
        case 1:
            for (int x = 0; x < widthPx; ++x) kinds[x] = kUnveiled | (t[x] ? kLit : 0);
            break;
        case 2:
            for (int x = 0; x < widthPx; ++x) kinds[x] = (t[2 * x + 1] ? kUnveiled : 0) | (t[2 * x] ? kLit : 0);
            break;
        case 3:
            for (int x = 0; x < widthPx; ++x) kinds[x] = kUnveiled | ((t[3 * x] | t[3 * x + 1] | t[3 * x + 2]) ? kLit : 0);
            break;
        default:
            for (int x = 0; x < widthPx; ++x)
                kinds[x] = (t[4 * x + 3] ? kUnveiled : 0) | ((t[4 * x] | t[4 * x + 1] | t[4 * x + 2]) ? kLit : 0);
    }
}

// The box around each kind of texel, from the kinds found in each row and column.
void FindBoxes(const std::vector<uint8_t>& inRow, const std::vector<uint8_t>& inColumn, VisibleTexels* found) {
    for (uint8_t kind : {kUnveiled, kLit}) {
        TexelBox rows, columns;
        for (int y = 0; y < static_cast<int>(inRow.size()); ++y)
            if (inRow[y] & kind) Include(&rows, 0, y);
        for (int x = 0; x < static_cast<int>(inColumn.size()); ++x)
            if (inColumn[x] & kind) Include(&columns, x, 0);
        if (rows.y0 < rows.y1) (kind == kUnveiled ? found->unveiled : found->lit) = {columns.x0, rows.y0, columns.x1, rows.y1};
    }
}

// For each cell, whether what is read over it holds each kind of texel,
// from the kinds read over each row's part in each column of cells.
void FindCells(const std::vector<uint8_t>& rowCells, int heightPx, VisibleTexels* found) {
    for (int row = 0; row < kCellsAcross; ++row) {
        int first, end;
        CellTexels(row, heightPx, &first, &end);
        for (int column = 0; column < kCellsAcross; ++column) {
            uint8_t kindsHere = KindsAlong(rowCells.data() + column, kCellsAcross, heightPx, first, end);
            found->unveiledCells[row * kCellsAcross + column] = (kindsHere & kUnveiled) != 0;
            found->litCells[row * kCellsAcross + column] = (kindsHere & kLit) != 0;
        }
    }
}

// The texture coordinates, along one of its directions, that can read a
// texel of [first, end) of `sizePx` texels by linear filtering; the whole
// 0..1 where the texels reach the edge (a repeating texture reads across it).
void VisibleRange(int first, int end, int sizePx, float* low, float* high) {
    if (first - 1 <= 0 || end + 1 >= sizePx) {
        *low = 0, *high = 1;
        return;
    }
    *low = static_cast<float>(first - 1) / static_cast<float>(sizePx);
    *high = static_cast<float>(end + 1) / static_cast<float>(sizePx);
}

bool SameColor(const ImmediateVertex& a, const ImmediateVertex& b) {
    return std::equal(a.color, a.color + 4, b.color);
}

bool InUnitSquare(const ImmediateVertex& v) {
    return v.texCoord[0] >= 0 && v.texCoord[0] <= 1 && v.texCoord[1] >= 0 && v.texCoord[1] <= 1;
}

// The point of the parallelogram at (u, v) of its sides from corner 0 to 1
// and from 0 to 3; its own corners exactly at theirs.
ImmediateVertex At(const ImmediateVertex q[4], float u, float v) {
    if ((u == 0 || u == 1) && (v == 0 || v == 1)) return q[u == 0 ? (v == 0 ? 0 : 3) : (v == 0 ? 1 : 2)];
    ImmediateVertex out = q[0];
    for (int i = 0; i < 4; ++i)
        out.position[i] = q[0].position[i] + u * (q[1].position[i] - q[0].position[i]) +
                          v * (q[3].position[i] - q[0].position[i]);
    for (int i = 0; i < 2; ++i)
        out.texCoord[i] = q[0].texCoord[i] + u * (q[1].texCoord[i] - q[0].texCoord[i]) +
                          v * (q[3].texCoord[i] - q[0].texCoord[i]);
    return out;
}

// One side of a quad along which one texture coordinate runs from `start` by
// `delta`: where it is cut (0 and 1 among them, at most the cell borders and
// the visible range's two ends between), and for each piece between cuts
// whether it lies in the visible range and which cell it is in.
constexpr int kCutsMost = kCellsAcross + 3;
struct SideCuts {
    int count = 0;
    float at[kCutsMost];
    bool visible[kCutsMost];
    int cell[kCutsMost];
    int pieces() const { return count - 1; }
};

SideCuts CutSide(float start, float delta, float low, float high) {
    SideCuts side;
    side.at[side.count++] = 0;
    side.at[side.count++] = 1;
    auto cutAt = [&](float coordinate) {
        float u = (coordinate - start) / delta;
        if (u > 0 && u < 1) side.at[side.count++] = u;
    };
    for (int k = 1; k < kCellsAcross; ++k) cutAt(static_cast<float>(k) / kCellsAcross);
    cutAt(low);
    cutAt(high);
    std::sort(side.at, side.at + side.count);
    side.count = static_cast<int>(std::unique(side.at, side.at + side.count) - side.at);
    for (int i = 0; i < side.pieces(); ++i) {
        float middle = start + delta * (side.at[i] + side.at[i + 1]) / 2;
        side.visible[i] = middle >= low && middle <= high;
        side.cell[i] = std::clamp(static_cast<int>(middle * kCellsAcross), 0, kCellsAcross - 1);
    }
    return side;
}

}  // namespace

VisibleTexels FindVisibleTexels(const uint8_t* pixels, int widthPx, int heightPx, int components, int rowAlignment) {
    VisibleTexels found;
    if (!pixels || widthPx <= 0 || heightPx <= 0 || components < 1 || components > 4 || rowAlignment < 1) return found;
    size_t rowBytes = static_cast<size_t>(widthPx) * static_cast<size_t>(components);
    size_t align = static_cast<size_t>(rowAlignment);
    size_t stride = (rowBytes + align - 1) / align * align;
    int cellFirst[kCellsAcross], cellEnd[kCellsAcross];
    for (int column = 0; column < kCellsAcross; ++column) CellTexels(column, widthPx, &cellFirst[column], &cellEnd[column]);
    std::vector<uint8_t> kinds(widthPx), inRow(heightPx, 0), inColumn(widthPx, 0);
    std::vector<uint8_t> rowCells(static_cast<size_t>(heightPx) * kCellsAcross);
    for (int y = 0; y < heightPx; ++y) {
        RowKinds(pixels + static_cast<size_t>(y) * stride, widthPx, components, kinds.data());
        for (int x = 0; x < widthPx; ++x) inColumn[x] |= kinds[x];
        uint8_t* cells = rowCells.data() + static_cast<size_t>(y) * kCellsAcross;
        for (int column = 0; column < kCellsAcross; ++column) {
            cells[column] = KindsAlong(kinds.data(), 1, widthPx, cellFirst[column], cellEnd[column]);
            inRow[y] |= cells[column];
        }
    }
    FindBoxes(inRow, inColumn, &found);
    FindCells(rowCells, heightPx, &found);
    found.known = true;
    return found;
}

Showing ShowingWhen(const VisibleTexels& visible, bool adding) {
    if (!adding) return {visible.unveiled, visible.unveiledCells};
    return {Overlap(visible.unveiled, visible.lit), visible.unveiledCells & visible.litCells};
}

bool AllShows(const Showing& showing, int widthPx, int heightPx) {
    const TexelBox& box = showing.box;
    return showing.cells.all() && box.x0 - 1 <= 0 && box.y0 - 1 <= 0 && box.x1 + 1 >= widthPx && box.y1 + 1 >= heightPx;
}

bool CutQuad(const Showing& showing, int widthPx, int heightPx, const ImmediateVertex q[4],
             std::vector<ImmediateVertex>* pieces) {
    for (int i = 1; i < 4; ++i)
        if (!SameColor(q[0], q[i])) return false;
    for (int i = 0; i < 4; ++i)
        if (!InUnitSquare(q[i])) return false;
    for (int i = 0; i < 4; ++i)
        if (q[0].position[i] + q[2].position[i] != q[1].position[i] + q[3].position[i]) return false;
    for (int i = 0; i < 2; ++i)
        if (q[0].texCoord[i] + q[2].texCoord[i] != q[1].texCoord[i] + q[3].texCoord[i]) return false;
    float ds1 = q[1].texCoord[0] - q[0].texCoord[0], dt1 = q[1].texCoord[1] - q[0].texCoord[1];
    float ds3 = q[3].texCoord[0] - q[0].texCoord[0], dt3 = q[3].texCoord[1] - q[0].texCoord[1];
    // Which texture direction (0: s, 1: t) the first side, from corner 0 to 1, runs along.
    int first;
    if (dt1 == 0 && ds3 == 0 && ds1 != 0 && dt3 != 0) first = 0;
    else if (ds1 == 0 && dt3 == 0 && dt1 != 0 && ds3 != 0) first = 1;
    else return false;
    const TexelBox& box = showing.box;
    if (box.x0 >= box.x1 || box.y0 >= box.y1 || showing.cells.none()) return true;

    float low[2], high[2];
    VisibleRange(box.x0, box.x1, widthPx, &low[0], &high[0]);
    VisibleRange(box.y0, box.y1, heightPx, &low[1], &high[1]);
    int second = 1 - first;
    SideCuts u = CutSide(q[0].texCoord[first], first == 0 ? ds1 : dt1, low[first], high[first]);
    SideCuts v = CutSide(q[0].texCoord[second], second == 0 ? ds3 : dt3, low[second], high[second]);
    int across = u.pieces(), down = v.pieces();
    bool shows[kCutsMost * kCutsMost];
    int showingPieces = 0;
    for (int b = 0; b < down; ++b)
        for (int a = 0; a < across; ++a) {
            int column = first == 0 ? u.cell[a] : v.cell[b], row = first == 0 ? v.cell[b] : u.cell[a];
            shows[b * across + a] = u.visible[a] && v.visible[b] && showing.cells[row * kCellsAcross + column];
            showingPieces += shows[b * across + a];
        }
    if (showingPieces == across * down) return false;
    // The corners where the cuts cross, each worked out once so that
    // neighbouring pieces share them.
    ImmediateVertex corner[kCutsMost * kCutsMost];
    for (int b = 0; b <= down; ++b)
        for (int a = 0; a <= across; ++a) corner[b * (across + 1) + a] = At(q, u.at[a], v.at[b]);
    for (int b = 0; b < down; ++b)
        for (int a = 0; a < across; ++a) {
            if (!shows[b * across + a]) continue;
            int at = b * (across + 1) + a;
            for (int c : {at, at + 1, at + across + 2, at + across + 1}) pieces->push_back(corner[c]);
        }
    return true;
}

}  // namespace platform::gl::es3
