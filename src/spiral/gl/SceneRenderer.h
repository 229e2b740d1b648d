#pragma once

#include "spiral/TSceneBuffer.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

// Draws a frame of a buffer's scene with the fixed-function pipeline of
// OpenGL 1.1, in the rendering context current at the call. Cached meshes are
// compiled into display lists (one per mesh, freed when the mesh is no longer
// drawn); meshes of UncachedGeometry objects are sent anew every frame.
class SceneRenderer {
public:
    SceneRenderer() = default;
    SceneRenderer(const SceneRenderer&) = delete;
    SceneRenderer& operator=(const SceneRenderer&) = delete;

    // deviceWidth/Height: the drawing surface in device pixels;
    // blueBits: blue bits of the frame buffer (dithering below 8).
    void Render(TSceneBuffer& buffer, int deviceWidth, int deviceHeight, int blueBits);
    // Frees the display lists; the context must be current.
    void ReleaseResources();

private:
    void setupState(const TSceneBuffer& buffer, int blueBits);
    void setupLights(const TSceneBuffer& buffer, const Matrix4f& view);
    void applyMaterial(const TSceneBuffer& buffer, TBaseSceneObject* object);
    void drawMesh(TBaseSceneObject* object);
    static void sendMesh(const TMesh& mesh, std::vector<unsigned>& indices);

    struct CachedList {
        unsigned list = 0;
        std::uint64_t frame = 0;
    };
    std::unordered_map<std::uint64_t, CachedList> m_lists; // by mesh id
    std::uint64_t m_frame = 0;
    std::vector<TDrawItem> m_items;
    std::vector<unsigned> m_indices;
};
