// Fixtures shared by the 3D renderer tests.
#pragma once
#include <cstdint>
#include <vector>

#include "render/Camera3D.h"
#include "render/DepthBuffer.h"
#include "render/PixelTypes.h"
#include "tests/support/TestSupport.h"

namespace mesh_fixtures {

// The camera every effect sets up: viewport = frame, 120 degrees, the default
// look-at (eye (0, 0, 1) at the origin, so z' = z + 1), model-view selected.
inline void standardCamera(int width, int height) {
    resetTransforms();
    setViewport(0, 0, width, height);
    setProjection(120.0f, 0, 200.0f, 0.0f);
    selectMatrix(1);
    loadIdentity();
    selectMatrix(2);
    loadIdentity();
    lookAt(0, 0, 1, 0, 0, 0, 0, 1, 0);
}

// A rows x cols grid whose vertices project to screen (x0 + j * stepX, y0 +
// i * stepY) at depth 0 under standardCamera: model z = -1 gives z' = 0 and a
// perspective factor of exactly 1.
inline std::vector<MeshVertex> screenAlignedGrid(int rows, int cols, int width, int height, float x0, float y0,
                                                 float stepX, float stepY) {
    std::vector<MeshVertex> g(static_cast<size_t>(rows) * cols);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j)
            g[i * cols + j] = MeshVertex{x0 + j * stepX - width * 0.5f, y0 + i * stepY - height * 0.5f, -1.0f, 0};
    transformGrid(g.data(), rows, cols);
    return g;
}

// A picture with a distinct colour in every pixel (low bits vary fastest).
inline void fillDistinct(vt_test::GuardedBuffer& b) {
    for (int y = -kBufferMargin; y < b.height() + kBufferMargin; ++y)
        for (int x = -kBufferMargin; x < b.width() + kBufferMargin; ++x)
            b.at(x, y) = (static_cast<uint32_t>((y * 37 + 11) & 0xFF) << 16) | (static_cast<uint32_t>((x * 13) & 0xFF) << 8) |
                         static_cast<uint32_t>((x * 7 + y * 3) & 0xFF);
}

// Clears the shared depth buffer over a whole frame with its margin.
inline void clearDepth(const vt_test::GuardedBuffer& b) {
    clearDepthRect(Rect{-kBufferMargin, -kBufferMargin, b.width() + kBufferMargin, b.height() + kBufferMargin},
                   b.pitch());
}

// A frame of the given size and fill under standardCamera, its depth cleared.
inline vt_test::GuardedBuffer cameraFrame(int width, int height, Pixel fill) {
    standardCamera(width, height);
    vt_test::GuardedBuffer frame(width, height, fill);
    clearDepth(frame);
    return frame;
}

}  // namespace mesh_fixtures
