#pragma once

// Triangles hidden behind opaque ones. Where small spheres crowd along the
// spiral, most of the triangles that reach a pixel centre lose the depth test
// there to a nearer sphere. With the depth test "less" and the opaque objects
// drawn first, with depth writes and without blending, the colour and depth
// a pixel ends with come from the nearest of the fragments drawn there (the
// first one among equals). A fragment that is certainly farther than some
// other opaque fragment at that pixel changes nothing, before or after it in
// drawing order; a triangle whose every fragment is such can be left out and
// the frame stays the same, pixel for pixel.
//
// "Certainly" is bounded on both sides with margins wider than the
// rasteriser's own rounding: an occluder counts only at the pixel centres
// lying inside it by the pixel margin (1/32 pixel, see PixelMargin), so that
// it does produce a fragment there whatever the rasteriser's snapping, with
// an upper bound of its depth there; a triangle is hidden only when, at every
// pixel centre it may reach (its edges widened by the margin), a lower bound
// of its depth lies beyond that upper bound by more than those errors.

#include "spiral/VisibleTriangles.h"

#include <cstdint>
#include <vector>

// A triangle in window coordinates as this pass uses it: the pixel centres
// it may reach, its depth plane and the error bound of that plane. Stored as
// floats (window coordinates are floats to begin with), worked in doubles.
struct TOcclusionSetUp {
    enum State : std::uint8_t {
        Usable,
        NoPixel, // no pixel centre of the viewport within reach
        Unknown  // a vertex that is not safe, a triangle too thin for a depth plane, or too large
    };
    float xa, ya, za, xb, yb, xc, yc;
    float area;       // twice the signed area, counter-clockwise (front) positive
    float dzdx, dzdy; // depth per pixel
    float zmin, zmax;
    // Bound of the difference between the rasteriser's depth at a pixel
    // centre and this plane's: its float rounding, its snapping of the
    // vertices, its own window coordinates, its depth buffer steps.
    float error;
    std::int16_t loX, hiX, loY, hiY; // pixel centres the triangle may reach, within the viewport
    State state;
};

// One object's triangles as this pass sees them: their numbers, the three
// vertices of every triangle of the mesh (TMesh::Corners), and where those
// vertices land in the window: worked out from the vertices (the mesh's, in
// the object's frame) through toClip, or given as they are per vertex, or
// already set up.
struct TPlacedBatch {
    const TTriangleBatch* triangles = nullptr;
    const std::vector<int>* corners = nullptr;
    const std::vector<Vector3f>* vertices = nullptr;
    Matrix4f toClip;
    const std::vector<TWindowVertex>* window = nullptr; // when given, vertices and toClip are not read
    // When given, one a triangle of the batch, made by TOcclusionBuffer::SetUp
    // for this buffer's size and margin: nothing else is read but the triangles' count.
    const std::vector<TOcclusionSetUp>* setUps = nullptr;
    bool recorded = false; // with setUps: recorded already (RecordShared), RecordAmong leaves it
};

class TOcclusionBuffer {
public:
    TOcclusionBuffer() = default;
    TOcclusionBuffer(const TOcclusionBuffer&) = delete;
    TOcclusionBuffer& operator=(const TOcclusionBuffer&) = delete;

    // Nothing drawn yet on a viewport of width x height pixels (at most
    // kMaxCulledViewport each); margin: see PixelMargin.
    void Reset(int width, int height, float margin = kPixelMargin);
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    // Records the batch's triangles as drawn opaque with depth writes (back
    // faces left out when culled). Triangles with a vertex that is not safe,
    // and large ones, are not recorded: that only hides less.
    void AddOccluders(const TPlacedBatch& batch, bool cullBackFaces);

    // Puts into `out` the triangles of `in` that may leave a fragment that
    // is not certainly behind the recorded occluders; the order of the
    // triangles and of their vertices is kept.
    void RemoveHidden(const TPlacedBatch& in, TTriangleBatch& out) const;

    // For the batches drawn opaque one after the other: RecordAmong records
    // every batch; SortOut(in, b, out) then puts into `out` the triangles of
    // in[b] that RemoveHidden would keep once all of them are recorded, any b
    // in any order or thread (a caller sorts them out on another thread while
    // the first ones are drawn), until the next Reset or RecordAmong (and
    // with `in` unchanged).
    void RecordAmong(const std::vector<TPlacedBatch>& in, bool cullBackFaces);
    void SortOut(const std::vector<TPlacedBatch>& in, std::size_t b, TTriangleBatch& out) const;

    // Recording shared between two threads: BeginShared resets the buffer
    // (as Reset does) with a second set of bounds; RecordShared(setUps, cull,
    // part) records as AddOccluders does, part 0 and part 1 each into their
    // own bounds, one thread each; EndShared merges them (the least of the two
    // at each pixel: the same bounds as recording all of them in one).
    void BeginShared(int width, int height, float margin = kPixelMargin);
    void RecordShared(const std::vector<TOcclusionSetUp>& setUps, bool cullBackFaces, int part);
    void EndShared();

    // The set-ups of `count` triangles given by their corners' window
    // positions (three a triangle, as SelectVisibleTriangles hands them), for
    // a buffer Reset with this width, height and margin, into `out`.
    static void SetUp(const TWindowVertex* corners, std::size_t count, int width, int height, float margin,
                      std::vector<TOcclusionSetUp>& out);

    // The upper bound of the depth drawn at pixel (x, y) (from the lower left
    // corner), or a value above 1 where nothing is certainly drawn.
    float UpperDepth(int x, int y) const { return m_upper[std::size_t(y) * std::size_t(m_width) + std::size_t(x)]; }

private:
    int m_width = 0, m_height = 0;
    float m_margin = kPixelMargin;
    std::vector<float> m_upper, m_upper2; // the second for BeginShared's second thread
    // The set-ups RecordAmong makes for batches without their own, kept for
    // SortOut: batch b's start at m_first[b] when all of them fit (m_allKept).
    std::vector<TOcclusionSetUp> m_setUps;
    std::vector<std::size_t> m_first;
    bool m_allKept = false;
};
