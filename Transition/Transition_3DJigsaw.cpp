// Dir 0 flies the incoming picture's pieces together over the outgoing one,
// dir 1 blows the outgoing picture apart over the incoming one.
#include "Transition/Transition_3DJigsaw.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "Transition/TransitionFrame.h"
#include "Transition/Transition_3DShared.h"
#include "render/Camera3D.h"
#include "render/CrtRandom.h"
#include "render/DepthBuffer.h"
#include "render/MeshRaster.h"
#include "render/RandomGeometry.h"
#include "render/SeedFill.h"
#include "render/TrigTables.h"

namespace {

enum class Cut { Square, Round, Curve };

// Edge slots going round the piece (thirds from the top or the left).
enum Slot { kTop1, kTop2, kRight1, kRight2, kBottom2, kBottom1, kLeft2, kLeft1 };

struct PuzzlePiece {
    uint8_t spin;       // 0..127
    uint8_t delay;      // 1/256 of the transition, 0..63
    int8_t dx, dy;      // sideways drift, -64..64
    int8_t dz;          // towards the viewer, -7..0
    MeshVertex axisA, axisB;
    int32_t corners[8];   // home corners in 1/16 pixel
    int8_t edges[8];      // +1 tab, -1 notch, 0 straight; the curved cut uses the first two (right, bottom)
};

// Where the curved cut keeps its tile buffer and mask, past the pieces.
constexpr size_t kPieceBytes = 336;
static_assert(sizeof(PuzzlePiece) <= kPieceBytes);
// The largest grid that fits the scratch buffer with room for the frame mask.
constexpr int32_t kMaxPieces = 1024;

struct Jigsaw {
    TransitionFrame f;
    int32_t cols, rows;
    int32_t nw, nh;   // nominal piece size
    const Pixel* background;
    const Pixel* picture;
    int32_t flight;   // T: 256 x m
    PuzzlePiece* pieces;

    Rect home(int32_t i, int32_t j) const {
        return {i * f.w / cols, j * f.h / rows, (i + 1) * f.w / cols, (j + 1) * f.h / rows};
    }
    int32_t count() const { return cols * rows; }
};

void makeEdges(Jigsaw& g) {
    auto piece = [&](int32_t i, int32_t j) -> PuzzlePiece& { return g.pieces[j * g.cols + i]; };
    for (int32_t j = 0; j < g.rows; ++j) {
        piece(0, j).edges[kLeft1] = piece(0, j).edges[kLeft2] = 0;
        piece(g.cols - 1, j).edges[kRight1] = piece(g.cols - 1, j).edges[kRight2] = 0;
        for (int32_t i = 0; i + 1 < g.cols; ++i) {
            const int r1 = crtRand() % 3 - 1;
            piece(i, j).edges[kRight1] = static_cast<int8_t>(-r1);
            piece(i + 1, j).edges[kLeft1] = static_cast<int8_t>(r1);
            const int r2 = crtRand() % 3 - 1;
            piece(i, j).edges[kRight2] = static_cast<int8_t>(-r2);
            piece(i + 1, j).edges[kLeft2] = static_cast<int8_t>(r2);
        }
    }
    for (int32_t i = 0; i < g.cols; ++i) {
        piece(i, 0).edges[kTop1] = piece(i, 0).edges[kTop2] = 0;
        piece(i, g.rows - 1).edges[kBottom1] = piece(i, g.rows - 1).edges[kBottom2] = 0;
        for (int32_t j = 0; j + 1 < g.rows; ++j) {
            const int r1 = crtRand() % 3 - 1;
            piece(i, j).edges[kBottom1] = static_cast<int8_t>(r1);
            piece(i, j + 1).edges[kTop1] = static_cast<int8_t>(-r1);
            const int r2 = crtRand() % 3 - 1;
            piece(i, j).edges[kBottom2] = static_cast<int8_t>(r2);
            piece(i, j + 1).edges[kTop2] = static_cast<int8_t>(-r2);
        }
    }
}

void makeMotion(Jigsaw& g, Cut cut) {
    for (int32_t j = 0; j < g.rows; ++j)
        for (int32_t i = 0; i < g.cols; ++i) {
            PuzzlePiece& p = g.pieces[j * g.cols + i];
            p.dx = static_cast<int8_t>(crtRand() % 129 - 64);
            p.dy = static_cast<int8_t>(crtRand() % 129 - 64);
            p.dz = static_cast<int8_t>(-(crtRand() & 7));
            const Rect r = g.home(i, j);
            const float cx = static_cast<float>((r.left + r.right) / 2), cy = static_cast<float>((r.top + r.bottom) / 2);
            const int32_t a = (crtRand() & 0xFF) - 128, b = (crtRand() & 0xFF) - 128, c = (crtRand() & 0xFF) - 128;
            const float ax = static_cast<float>(cut == Cut::Square ? a / 16 : a);
            p.axisA = {cx + ax, cy + b, static_cast<float>(c), 0};
            p.axisB = {cx - ax, cy - b, static_cast<float>(-c), 0};
            p.spin = static_cast<uint8_t>(crtRand() & 0x7F);
            p.delay = static_cast<uint8_t>(crtRand() & 0x3F);
            const int32_t corners[8] = {r.left * 16, r.top * 16,   r.right * 16, r.top * 16,
                                        r.left * 16, r.bottom * 16, r.right * 16, r.bottom * 16};
            std::memcpy(p.corners, corners, sizeof corners);
        }
}

// One piece's quad (its home grown by gx, gy), tumbled, drifted and projected,
// drawn with its texture of tw x th pixels.
void drawPiece(const Jigsaw& g, EffectParams* t, const PuzzlePiece& p, const Rect& r, int32_t gx, int32_t gy,
               const Pixel* texture, int32_t stride, int32_t tw, int32_t th) {
    const TransitionFrame& f = g.f;
    const int32_t flight = std::max(0, g.flight - p.delay);
    const float angle = static_cast<float>(p.spin * flight) * 0.00048828125f;
    MeshVertex c[4] = {{static_cast<float>(r.left - gx), static_cast<float>(r.top - gy), 0, 0},
                       {static_cast<float>(r.right + gx), static_cast<float>(r.top - gy), 0, 0},
                       {static_cast<float>(r.left - gx), static_cast<float>(r.bottom + gy), 0, 0},
                       {static_cast<float>(r.right + gx), static_cast<float>(r.bottom + gy), 0, 0}};
    for (MeshVertex& v : c) {
        // Unturned pieces skip the turn: its float round trip leaves corners a hair
        // below whole pixels, which the cell filler truncates into a skewed piece.
        if (angle != 0.0f) rotateAboutAxis(&v, p.axisA, p.axisB, angle);
        translatePoint(&v.x, &v.y, &v.z, p.dx * flight / 16 - f.w / 2 + t->rect.left,
                       p.dy * flight / 16 - f.h / 2 + t->rect.top, p.dz * flight / 16);
        projectPoint(&v.x, &v.y, &v.z, 600);
        translatePoint(&v.x, &v.y, &v.z, f.w / 2, f.h / 2, 0);
    }
    const MeshVertex light{1.0f, 1.0f, 0.0f, 0}, halfway{0.57735026f, 0.57735026f, 0.57735026f, 0};
    const FaceLight fl = litQuad(c[0], c[1], c[2], light, halfway);
    const int32_t tex[4][2] = {{0, 0}, {16 * tw, 0}, {0, 16 * th}, {16 * tw, 16 * th}};
    renderMeshCell(f.canvas, &c[0], &c[1], &c[2], &c[3], texture, tex[0], tex[1], tex[2], tex[3], f.rect, f.pitch,
                   stride, fl.highlight, fl.highlight, fl.highlight, fl.highlight, fl.light, fl.light, fl.light,
                   fl.light, kCellModeTitle);
}

// The frame's set-up shared by the three cuts; false when there is nothing
// more than the background to draw.
bool startJigsaw(EffectParams* t, int32_t dir, int32_t cols, int32_t rows, Jigsaw* g) {
    g->f = frameOf(t);
    const TransitionFrame& f = g->f;
    if (f.empty()) return false;
    const MovingPicture mp = movingPicture(f, dir, t->progress);
    g->background = mp.background;
    g->picture = mp.mover;
    g->flight = static_cast<int32_t>(mp.m * 256.0f);
    g->cols = cols;
    g->rows = rows;
    g->nw = cols > 0 ? f.w / cols : 0;
    g->nh = rows > 0 ? f.h / rows : 0;

    if (t->firstFrame) t->buffers[0] = t->acquireBuffer(&t->slots[0]);
    if (t->buffers[0]) t->keepBuffer(t->slots[0]);
    f.copyWhole(g->background);
    clearDepthRect(t->rect, t->pitch);
    g->pieces = reinterpret_cast<PuzzlePiece*>(t->buffers[0]);
    // Pieces narrower than a few pixels have no room for their tabs.
    return g->pieces && g->nw >= 2 && g->nh >= 2 && cols * rows <= kMaxPieces;
}

// The t x t square of one edge slot, in piece coordinates: where a tab
// (outside the edge) or a notch (inside it) lies.
Rect slotSquare(int slot, int32_t sign, int32_t bw, int32_t bh, int32_t across, int32_t down, int32_t t) {
    const int32_t third = slot == kTop1 || slot == kBottom1 ? across / 3 : 2 * across / 3;
    const int32_t thirdDown = slot == kLeft1 || slot == kRight1 ? down / 3 : 2 * down / 3;
    const int32_t x = third - t / 2, y = thirdDown - t / 2;
    switch (slot) {
        case kTop1: case kTop2: return sign > 0 ? Rect{x, -t, x + t, 0} : Rect{x, 0, x + t, t};
        case kBottom1: case kBottom2: return sign > 0 ? Rect{x, bh, x + t, bh + t} : Rect{x, bh - t, x + t, bh};
        case kLeft1: case kLeft2: return sign > 0 ? Rect{-t, y, 0, y + t} : Rect{0, y, t, y + t};
        default: return sign > 0 ? Rect{bw, y, bw + t, y + t} : Rect{bw - t, y, bw, y + t};
    }
}

void renderTabbed(EffectParams* t, int32_t dir, int32_t cols, int32_t rows, Cut cut) {
    Jigsaw g;
    if (!startJigsaw(t, dir, cols, rows, &g)) return;
    if (t->firstFrame) {
        makeEdges(g);
        makeMotion(g, cut);
    }
    const int32_t tab = std::min(g.nw, g.nh) / (cut == Cut::Square ? 5 : 4);
    const int32_t radius = std::min(g.nw, g.nh) / 8;
    // A piece can be a pixel wider and taller than the nominal size; room for
    // that and for the sample one past the last column and row.
    static std::vector<Pixel> buffer;
    const size_t size = static_cast<size_t>(g.nw + 3 + 2 * tab) * (g.nh + 3 + 2 * tab);
    if (buffer.size() < size) buffer.resize(size);

    for (int32_t j = 0; j < rows; ++j)
        for (int32_t i = 0; i < cols; ++i) {
            const PuzzlePiece& p = g.pieces[j * cols + i];
            const Rect r = g.home(i, j);
            const int32_t bw = r.right - r.left, bh = r.bottom - r.top;
            const int32_t stride = bw + 2 + 2 * tab;
            std::fill(buffer.begin(), buffer.begin() + static_cast<ptrdiff_t>(stride) * (bh + 2 + 2 * tab), 0);
            // Buffer (u, v) shows picture pixel (x0 - tab + u, y0 - tab + v).
            Pixel* origin = buffer.data() + static_cast<ptrdiff_t>(tab) * stride + tab;
            const Pixel* from = g.picture + static_cast<ptrdiff_t>(r.top) * g.f.pitch + r.left;
            copyRect(origin, from, 0, 0, Rect{0, 0, bw, bh}, stride, g.f.pitch);
            for (int slot = 0; slot < 8; ++slot) {
                const int32_t sign = p.edges[slot];
                if (sign == 0) continue;
                const int32_t across = cut == Cut::Square ? g.nw : bw, down = cut == Cut::Square ? g.nh : bh;
                const Rect s = slotSquare(slot, sign, bw, bh, across, down, tab);
                for (int32_t k = 0; k < tab; ++k) {
                    int32_t c0 = s.left, c1 = s.right;
                    if (cut == Cut::Round) {
                        const int32_t index = std::clamp(radius * radius - (k - radius) * (k - radius), 0, kTrigTableSize - 1);
                        const int32_t half = SqrtTable[index] >> 10;
                        c0 = s.left + radius - half;
                        c1 = std::min(s.right, s.left + radius + half);
                    }
                    const int32_t y = s.top + k;
                    for (int32_t x = c0; x < c1; ++x) {
                        // Frame pixels only: a tab on an outer edge never happens, but keep the reads inside.
                        const int32_t px = r.left + x, py = r.top + y;
                        const bool inside = px >= 0 && px < g.f.w && py >= 0 && py < g.f.h;
                        origin[static_cast<ptrdiff_t>(y) * stride + x] =
                            sign > 0 && inside ? from[static_cast<ptrdiff_t>(y) * g.f.pitch + x] : 0;
                    }
                }
            }
            drawPiece(g, t, p, r, tab, tab, buffer.data(), stride, bw + 2 * tab, bh + 2 * tab);
        }
}

}  // namespace

void render3dRealBlockExplode(EffectParams* t, int32_t dir, int32_t cols, int32_t rows) {
    renderTabbed(t, dir, cols, rows, Cut::Square);
}

void render3dRealBlockExplode2(EffectParams* t, int32_t dir, int32_t cols, int32_t rows) {
    renderTabbed(t, dir, cols, rows, Cut::Round);
}

void render3dRealBlockExplode3(EffectParams* t, int32_t dir, int32_t cols, int32_t rows) {
    Jigsaw g;
    if (!startJigsaw(t, dir, cols, rows, &g)) return;
    const TransitionFrame& f = g.f;
    const int32_t stride = 5 * g.nw / 2, tileRows = 5 * g.nh / 2;
    auto* bytes = reinterpret_cast<uint8_t*>(t->buffers[0]);
    auto* tile = reinterpret_cast<Pixel*>(bytes + kPieceBytes * g.count());
    uint8_t* mask = reinterpret_cast<uint8_t*>(tile + static_cast<ptrdiff_t>(stride) * tileRows);
    const Rect frame{0, 0, f.w, f.h};

    if (t->firstFrame) {
        for (int32_t j = 0; j < rows; ++j)
            for (int32_t i = 0; i < cols; ++i) {
                PuzzlePiece& p = g.pieces[j * cols + i];
                p.edges[0] = static_cast<int8_t>(2 * (crtRand() & 1) - 1);
                p.edges[1] = static_cast<int8_t>(2 * (crtRand() & 1) - 1);
                if (i == cols - 1) p.edges[0] = 0;
                if (j == rows - 1) p.edges[1] = 0;
            }
        makeMotion(g, Cut::Curve);
        std::memset(mask, 0, static_cast<size_t>(f.pitch) * f.h);
        for (int32_t j = 0; j < rows; ++j)
            for (int32_t i = 0; i < cols; ++i) {
                const PuzzlePiece& p = g.pieces[j * cols + i];
                const Rect r = g.home(i, j);
                const int32_t bw = r.right - r.left, bh = r.bottom - r.top;
                if (p.edges[0] != 0) {
                    const int32_t a = p.edges[0] * bh / 8;
                    const int16_t xs[7] = {int16_t(r.left + bw), int16_t(r.left + bw), int16_t(r.left + bw + a),
                                           int16_t(r.left + bw + 2 * a), int16_t(r.left + bw + a),
                                           int16_t(r.left + bw), int16_t(r.left + bw)};
                    const int16_t ys[7] = {int16_t(r.top), int16_t(r.top + 13 * bh / 32), int16_t(r.top + 11 * bh / 32),
                                           int16_t(r.top + bh / 2), int16_t(r.top + bh - 11 * bh / 32),
                                           int16_t(r.top + bh - 13 * bh / 32), int16_t(r.top + bh)};
                    smoothMaskOutline(mask, frame, f.pitch, xs, ys, 7, 0xFF, 1);
                }
                if (p.edges[1] != 0) {
                    const int32_t b = p.edges[1] * bw / 8;
                    const int16_t xs[7] = {int16_t(r.left), int16_t(r.left + 13 * bw / 32), int16_t(r.left + 11 * bw / 32),
                                           int16_t(r.left + bw / 2), int16_t(r.left + bw - 11 * bw / 32),
                                           int16_t(r.left + bw - 13 * bw / 32), int16_t(r.left + bw)};
                    const int16_t ys[7] = {int16_t(r.top + bh), int16_t(r.top + bh), int16_t(r.top + bh + b),
                                           int16_t(r.top + bh + 2 * b), int16_t(r.top + bh + b), int16_t(r.top + bh),
                                           int16_t(r.top + bh)};
                    smoothMaskOutline(mask, frame, f.pitch, xs, ys, 7, 0xFF, 1);
                }
            }
    }

    for (int32_t j = 0; j < rows; ++j)
        for (int32_t i = 0; i < cols; ++i) {
            const PuzzlePiece& p = g.pieces[j * cols + i];
            const Rect r = g.home(i, j);
            const int32_t bw = r.right - r.left, bh = r.bottom - r.top;
            // Only the texels the piece's quad reads (one past its texture) need clearing.
            const int32_t usedCols = std::min(stride, 2 * bw + 2), usedRows = std::min(tileRows, 2 * bh + 2);
            for (int32_t y = 0; y < usedRows; ++y) std::fill_n(tile + static_cast<ptrdiff_t>(y) * stride, usedCols, 0);
            // Picture pixel (x, y) lands on tile (x - x0 + bw/2, y - y0 + bh/2). The
            // fill is bounded by the tile as well as by the frame, so a region the
            // outlines do not close can never write past the tile.
            const int32_t ox = r.left - bw / 2, oy = r.top - bh / 2;
            const Rect bound{std::max(0, ox), std::max(0, oy), std::min(f.w, ox + stride), std::min(f.h, oy + tileRows)};
            setFillTargets(tile, stride, g.picture, f.pitch, mask, bound, f.pitch);
            setFillTargetOrigin(ox, oy);
            fillMaskSeedCopy(r.left + bw / 2, r.top + bh / 2, 0xFF, 0, 0, 0);
            drawPiece(g, t, p, r, bw / 2, bh / 2, tile, stride, 2 * bw, 2 * bh);
        }
}
