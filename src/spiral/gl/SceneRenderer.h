#pragma once

#include "spiral/FrameGeometry.h"
#include "spiral/KeptPicture.h"
#include "spiral/StandIns.h"
#include "spiral/TSceneBuffer.h"
#include "spiral/VisibleTriangles.h"

#include <cstdint>
#include <memory>
#include <vector>

class QOpenGLFramebufferObject;
class TLightSource;
class TScene;

// Draws a frame of a buffer's scene with the fixed-function pipeline of
// OpenGL 1.1, in the rendering context current at the call. Each mesh is sent
// as its vertex arrays with the indices of the triangles that can leave a
// fragment in the frame (see FrameGeometry.h, which keeps them from frame to frame).
//
// With SetKeepPicture, the frame goes to the context's default frame buffer
// and the picture of its opaque part (colour, depth and stencil) is kept in a
// frame buffer object of the context: while that picture holds
// (KeptPicture.h: only the date sphere moved), a frame copies it and draws
// the blended objects alone over it. The picture is the same bit for bit.
class SceneRenderer {
public:
    SceneRenderer();
    ~SceneRenderer();
    SceneRenderer(const SceneRenderer&) = delete;
    SceneRenderer& operator=(const SceneRenderer&) = delete;

    // deviceWidth/Height: the drawing surface in device pixels;
    // blueBits: blue bits of the frame buffer (dithering below 8).
    void Render(TSceneBuffer& buffer, int deviceWidth, int deviceHeight, int blueBits);
    // Sends every triangle, as the meshes list them (the reference picture for tests).
    void SetSendAllTriangles(bool on) { m_sendAll = on; }

    // Keeps the picture of the opaque part between frames (see above); only
    // where frame buffer objects and their copies exist.
    void SetKeepPicture(bool on);
    // Frees the kept picture; with the context current (before it goes).
    void ReleaseKeptPicture();
    // Whether the next frame of `buffer` would be drawn over the kept picture
    // (at the size of the last frame).
    bool KeptPictureHolds(const TSceneBuffer& buffer) const;
    // Whole spheres a frame must hold before the small ones are drawn as
    // stand-ins (StandIns.h).
    void SetStandInThreshold(std::size_t n) { m_standInThreshold = n; }
    std::size_t StandInsDrawn() const { return m_standIns.Drawn(); }
    // Frames drawn over the kept picture so far (for tests and measurements).
    int FramesOverKeptPicture() const { return m_framesOverKept; }

private:
    // Fixed state, the clear (unless over the kept picture), projection and
    // lights; false without a camera.
    bool begin(TSceneBuffer& buffer, int blueBits, bool clear, Matrix4f& view);
    // Draws items[first, end) with the batches of m_geometry, or with every
    // triangle of their meshes.
    void drawItems(const TSceneBuffer& buffer, const std::vector<TDrawItem>& items, const Matrix4f& view,
                   std::size_t first, std::size_t end, bool everyTriangle);
    // Binds the frame buffer object of the kept picture, made at the frame's
    // size; false (and no more keeping) where it cannot be made.
    bool bindKeptPicture();
    // Copies the kept picture into the default frame buffer and binds that
    // one; false (and no more keeping) when the copy fails.
    bool copyKeptPicture();
    void drawStandIns(const TSceneBuffer& buffer);
    void setupState(const TSceneBuffer& buffer, int blueBits);
    void setupLights(const Matrix4f& view);
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
    int m_width = 1, m_height = 1, m_blueBits = 8;
    bool m_sendAll = false;
    bool m_keep = false;
    std::unique_ptr<QOpenGLFramebufferObject> m_kept;
    TKeptPicture m_keptStamp;
    std::vector<TDrawItem> m_tail;
    // The scene's lights, and the tree they were found in.
    std::vector<TLightSource*> m_lights;
    std::uint64_t m_lightsTree = ~std::uint64_t(0), m_lightsFrees = 0;
    const TScene* m_lightsScene = nullptr;
    int m_framesOverKept = 0;
    TStandIns m_standIns;
    std::size_t m_standInThreshold = kStandInThreshold;
};
