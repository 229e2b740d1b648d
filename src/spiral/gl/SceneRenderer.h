#pragma once

#include "spiral/FrameGeometry.h"
#include "spiral/TSceneBuffer.h"
#include "spiral/VisibleTriangles.h"

#include <cstdint>
#include <memory>
#include <vector>

// Draws a frame of a buffer's scene with the fixed-function pipeline of
// OpenGL 1.1, in the rendering context current at the call. Each mesh is sent
// as its vertex arrays with the indices of the triangles that can leave a
// fragment in the frame (see FrameGeometry.h, which keeps them from frame to frame). Nothing
// is kept in the context between frames.
class SceneRenderer {
public:
    SceneRenderer() = default;
    SceneRenderer(const SceneRenderer&) = delete;
    SceneRenderer& operator=(const SceneRenderer&) = delete;

    // deviceWidth/Height: the drawing surface in device pixels;
    // blueBits: blue bits of the frame buffer (dithering below 8).
    void Render(TSceneBuffer& buffer, int deviceWidth, int deviceHeight, int blueBits);
    // Sends every triangle, as the meshes list them (the reference picture for tests).
    void SetSendAllTriangles(bool on) { m_sendAll = on; }

private:
    void setupState(const TSceneBuffer& buffer, int blueBits);
    void setupLights(const TSceneBuffer& buffer, const Matrix4f& view);
    void applyMaterial(const TSceneBuffer& buffer, TBaseSceneObject* object);
    void drawBatch(const TMesh& mesh, const TTriangleBatch& batch);
    // The reference: the mesh as it is built now, every one of its
    // triangles in m_batch.
    const TMesh& allTriangles(TBaseSceneObject* object);

    // The material last set in this frame, so that the same one is not set again.
    struct AppliedMaterial {
        bool valid = false;
        Vector4f ambient, diffuse, specular, emission, colour;
        int shininess = 0;
        TBlendingMode blending = bmOpaque;
    };

    std::vector<TDrawItem> m_items;
    TFrameGeometry m_geometry;
    AppliedMaterial m_applied;
    TMesh m_scratch;
    const TMesh* m_arraysOf = nullptr; // whose arrays are set, in this frame
    std::shared_ptr<const TMesh> m_allMesh;
    TTriangleBatch m_batch;
    // The vertices drawn for a batch.
    std::vector<std::uint16_t> m_short;
    std::vector<std::uint32_t> m_int;
    int m_width = 1, m_height = 1;
    bool m_sendAll = false;
};
