#pragma once

// Before a mesh is handed to a software rasteriser, the triangles that cannot
// produce a single fragment are dropped: back faces (when culled) and
// triangles whose window-space bounding box holds no pixel centre, which is
// most of a small sphere's triangles. The triangles that remain are the
// mesh's own, in the same vertex order (so the same orientation and the same
// last vertex for flat shading), and their vertices keep their normals; the
// picture is the same, with less work for the rasteriser.

#include "spiral/TMesh.h"

#include <vector>

struct TTriangleBatch {
    std::vector<Vector3f> vertices;
    std::vector<Vector3f> normals;
    std::vector<unsigned> indices; // three per triangle
    void Clear() {
        vertices.clear();
        normals.clear();
        indices.clear();
    }
};

// toClip: object frame to clip coordinates (world x view x projection);
// width, height: the viewport in device pixels. With keepAll every triangle
// of the strips is kept (the reference for tests).
void SelectVisibleTriangles(const TMesh& mesh, const Matrix4f& toClip, int width, int height, bool cullBackFaces,
                            TTriangleBatch& batch, bool keepAll = false);
