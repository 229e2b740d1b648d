#pragma once

// The triangles each object of a frame hands to the rasteriser, kept from
// frame to frame while nothing that determines them changes.
//
// For every object of the draw list, the triangles that can reach a pixel
// centre (VisibleTriangles.h) depend only on its mesh, its matrix to clip
// coordinates and the viewport; they are selected again only when one of
// these changes. Then the opaque objects drawn before any blended one leave
// out the triangles certainly hidden behind others (OcclusionBuffer.h), and
// the objects drawn after them those hidden behind that opaque part; this
// pass runs again only when one of those opaque objects changed. While the
// user turns a dial only the date sphere moves, and it is blended: a frame
// then selects the triangles of that sphere alone.
//
// Meshes of UncachedGeometry objects. Such an object's mesh must not be taken
// from a cache that could hold a mesh its properties no longer give. Its mesh
// is a function of the values its class's BuildGeometry reads; when the class
// can list them (GeometryKey: the sphere's radius, slices, stacks and
// bounds), those values as they are now are the key: objects and frames with
// equal keys have the same mesh bit for bit, so one mesh is built per key and
// the triangles selected from it are kept while the key and the matrix stay.
// A changed value is a new key, hence a new mesh: no stale mesh is ever
// drawn. An uncached object whose class cannot list them has its mesh built
// anew at every frame, and compared with the previous one.

#include "spiral/OcclusionBuffer.h"
#include "spiral/TSceneBuffer.h"
#include "spiral/VisibleTriangles.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

struct TFrameOptions {
    int width = 1, height = 1;         // viewport, device pixels
    bool cullBackFaces = true;         // back faces are not drawn
    bool depthTest = true;             // the depth test "less" with depth writes
    float pixelMargin = kPixelMargin; // see PixelMargin
    bool operator==(const TFrameOptions& o) const {
        return width == o.width && height == o.height && cullBackFaces == o.cullBackFaces &&
               depthTest == o.depthTest && pixelMargin == o.pixelMargin;
    }
};

class TFrameGeometry {
public:
    TFrameGeometry() = default;
    ~TFrameGeometry();
    TFrameGeometry(const TFrameGeometry&) = delete;
    TFrameGeometry& operator=(const TFrameGeometry&) = delete;

    // Makes the batches of a frame: items in drawing order (CollectDrawList),
    // the camera's view and projection.
    void Prepare(const std::vector<TDrawItem>& items, const Matrix4f& view, const Matrix4f& projection,
                 const TFrameOptions& options);
    // The triangles to send for items[k] of the last Prepare, by their
    // numbers in Mesh(k) (in the object's own frame); both valid until the
    // next Prepare.
    // The hidden triangles of the opaque part may still be being left out on
    // the helper thread, in drawing order: Batch(k) waits for object k.
    const TTriangleBatch& Batch(std::size_t k) const {
        if (k < m_pendingEnd)
            waitFor(k);
        return *m_batches[k];
    }
    const TMesh& Mesh(std::size_t k) const { return *m_meshes[k]; }

    // Waits until the work the last Prepare left running is done (rethrowing
    // what it met) and frees what only that frame needed. Prepare and the
    // destructor call it; a renderer calls it once the frame is drawn.
    void Finish();

    // What the last Prepare did, for tests: objects whose triangles were
    // selected again, and whether the hidden triangles of the opaque part
    // were looked for again.
    int SelectedCount() const { return m_selected; }
    bool OcclusionRebuilt() const { return m_occlusionRebuilt; }

private:
    // Where an object's mesh comes from: its own cache (told apart by the
    // mesh's Id), a key, or a build at every frame (compared by content).
    enum class Source { None, MeshId, Key, Content };
    // One per object drawn: a million markers make a million of them, so
    // they are kept small (the key lives in m_keyedMeshes, whose node stays
    // while the entry holds its mesh; counters are 32-bit, compared for
    // equality only).
    struct Entry {
        Source source = Source::None;
        std::uint32_t version = 0; // of candidates
        std::uint64_t meshId = 0;
        const TGeometryKey* key = nullptr;
        std::shared_ptr<const TMesh> mesh;
        Matrix4f toClip;
        TFrameOptions options;
        TTriangleBatch candidates; // triangles that can reach a pixel centre
        TTriangleBatch visible;    // candidates less the hidden ones
        std::vector<TOcclusionSetUp> setUps; // of the candidates, in the frame that selected them
        std::uint32_t visibleFrom = 0, visibleOcclusion = 0;
        std::uint32_t frame = 0; // last frame that drew the object
        bool occluder = false;   // in this frame's opaque part
        bool recorded = false;   // its set-ups recorded by its selection, this frame
    };

    struct KeyHash {
        std::size_t operator()(const TGeometryKey& k) const;
    };

    // Brings the entry's mesh, matrix and options up to date; true when its
    // candidates must be selected again.
    bool update(Entry& e, TBaseSceneObject* object, const Matrix4f& toClip, const TFrameOptions& options);
    // Sorts out the first `count` batches of m_in into m_out: on the helper
    // thread while Batch is called (m_pending), or here when it is taken.
    void sortOut(std::size_t count);
    void waitFor(std::size_t k) const;
    // The entry's candidates placed in the window, for the occlusion pass.
    static TPlacedBatch placed(const Entry& e);
    // The mesh of the key, built by `object` unless another holder of the key
    // has it; `stored` points at the key as the map keeps it.
    std::shared_ptr<const TMesh> keyedMesh(const TGeometryKey& key, const TBaseSceneObject& object,
                                           const TGeometryKey*& stored);

    std::unordered_map<const TBaseSceneObject*, Entry> m_entries;
    // Held by the entries; gone when no entry holds it.
    std::unordered_map<TGeometryKey, std::weak_ptr<const TMesh>, KeyHash> m_keyedMeshes;
    std::vector<const TTriangleBatch*> m_batches;
    std::vector<const TMesh*> m_meshes;
    std::vector<Entry*> m_order;
    TOcclusionBuffer m_occlusion;
    std::vector<TPlacedBatch> m_in;      // the opaque part, for the occlusion pass
    std::vector<TTriangleBatch*> m_out;  // their visible triangles
    std::vector<Entry*> m_changed;       // selected again by the last Prepare
    std::atomic<std::size_t> m_ready{0}; // batches sorted out so far
    std::size_t m_pendingEnd = 0;        // Batch(k) waits below this
    bool m_pending = false;
    // The opaque part the occlusion buffer was made from: object and candidate version.
    std::vector<std::pair<const TBaseSceneObject*, std::uint32_t>> m_occluders, m_nextOccluders;
    TFrameOptions m_occlusionOptions;
    std::uint32_t m_occlusionVersion = 0;
    std::uint32_t m_versions = 0;
    std::uint32_t m_frame = 0;
    int m_selected = 0;
    bool m_occlusionRebuilt = false;
};
