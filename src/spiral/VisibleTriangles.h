#pragma once

// Before a mesh is handed to a software rasteriser, the triangles that cannot
// produce a single fragment are dropped: back faces (when culled) and
// triangles whose window-space bounding box holds no pixel centre, which is
// most of a small sphere's triangles. The triangles that remain are the
// mesh's own, in the same vertex order (so the same orientation and the same
// last vertex for flat shading), and their vertices keep their normals; the
// picture is the same, with less work for the rasteriser.

#include "spiral/TMesh.h"

#include <functional>
#include <vector>

// A vertex in window coordinates as the rasteriser sees it: x, y in pixels
// from the lower left corner of the viewport, z the window depth (0 at the
// near plane, 1 at the far plane). `safe`: in front of the near plane, inside
// the depth range and not far outside the window, so that the rasteriser
// takes the triangles it starts as they are, unclipped; x, y, z are only
// meaningful then.
struct TWindowVertex {
    float x = 0, y = 0, z = 0;
    bool safe = false;
};

struct TTriangleBatch {
    std::vector<Vector3f> vertices;
    std::vector<Vector3f> normals;
    std::vector<TWindowVertex> window; // where each vertex lands (filled by SelectVisibleTriangles)
    std::vector<unsigned> indices;     // three per triangle
    void Clear() {
        vertices.clear();
        normals.clear();
        window.clear();
        indices.clear();
    }
    bool Empty() const { return indices.empty(); }
};

// Above this viewport size (pixels, either side) nothing is dropped: the
// window coordinates would no longer fit the integer ranges used here.
constexpr int kMaxCulledViewport = 2048;

// Slack, in pixels, for the rasteriser's own rounding: it snaps vertices to
// a fraction of a pixel (1/256 for the software one), far below this. See
// PixelMargin for coarser ones.
constexpr float kPixelMargin = 1.0f / 32;
// The slack for a rasteriser with this many bits of sub-pixel precision:
// kPixelMargin, or four snapping steps when that is wider.
inline float PixelMargin(int subpixelBits) {
    const float step = subpixelBits >= 0 && subpixelBits < 16 ? 1.0f / float(1 << subpixelBits) : 0.0f;
    return 4 * step > kPixelMargin ? 4 * step : kPixelMargin;
}

// toClip: object frame to clip coordinates (world x view x projection);
// width, height: the viewport in device pixels. With keepAll every triangle
// of the strips is kept (the reference for tests). margin: see kPixelMargin.
void SelectVisibleTriangles(const TMesh& mesh, const Matrix4f& toClip, int width, int height, bool cullBackFaces,
                            TTriangleBatch& batch, bool keepAll = false, float margin = kPixelMargin);

// Runs work(begin, end) over [0, count) split in two parts, one of them on a
// second thread when the machine has two cores and there is enough to share.
// The parts must be independent.
void RunInParallel(std::size_t count, const std::function<void(std::size_t, std::size_t)>& work);
