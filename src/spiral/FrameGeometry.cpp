#include "spiral/FrameGeometry.h"

#include <atomic>
#include <exception>
#include <thread>
#include <iterator>
#include <typeinfo>
#include <utility>

namespace {

// Hidden triangles exist only under the depth test, and the selection of
// visible triangles stops beyond its largest viewport.
bool occlusionApplies(const TFrameOptions& o) {
    return o.depthTest && o.width <= kMaxCulledViewport && o.height <= kMaxCulledViewport;
}

} // namespace

std::size_t TFrameGeometry::KeyHash::operator()(const TGeometryKey& k) const {
    std::size_t h = k.type ? k.type->hash_code() : 0;
    for (int i = 0; i < k.count; ++i)
        h = (h ^ k.words[std::size_t(i)]) * 1099511628211ull;
    return h;
}

TPlacedBatch TFrameGeometry::placed(const Entry& e) {
    TPlacedBatch p;
    p.triangles = &e.candidates;
    p.corners = &e.mesh->Corners();
    p.vertices = &e.mesh->Vertices();
    p.toClip = e.toClip;
    if (e.setUps.size() == e.candidates.triangles.size() && !e.setUps.empty()) {
        p.setUps = &e.setUps;
        p.recorded = e.recorded;
    }
    return p;
}

std::shared_ptr<const TMesh> TFrameGeometry::keyedMesh(const TGeometryKey& key, const TBaseSceneObject& object,
                                                      const TGeometryKey*& stored) {
    const auto it = m_keyedMeshes.try_emplace(key).first;
    stored = &it->first;
    std::weak_ptr<const TMesh>& slot = it->second;
    std::shared_ptr<const TMesh> mesh = slot.lock();
    if (!mesh) {
        auto built = std::make_shared<TMesh>();
        object.BuildGeometry(*built);
        mesh = built;
        slot = mesh;
    }
    return mesh;
}

bool TFrameGeometry::update(Entry& e, TBaseSceneObject* object, const Matrix4f& toClip,
                            const TFrameOptions& options) {
    bool same = e.options == options && SameBits(e.toClip, toClip);
    if (!object->UncachedGeometry()) {
        // The object's own cache: a rebuilt mesh has a new identity.
        std::shared_ptr<const TMesh> mesh = object->Mesh();
        same = same && e.source == Source::MeshId && e.meshId == mesh->Id();
        e.source = Source::MeshId;
        e.meshId = mesh->Id();
        e.key = nullptr;
        e.mesh = std::move(mesh);
    } else {
        TGeometryKey key;
        key.type = &typeid(*object);
        if (object->GeometryKey(key)) {
            // The values the mesh is made of, as they are now (see the header).
            const bool sameKey = e.source == Source::Key && e.key && *e.key == key && e.mesh;
            same = same && sameKey;
            if (!sameKey) {
                e.source = Source::Key;
                e.mesh = keyedMesh(key, *object, e.key);
            }
        } else {
            auto built = std::make_shared<TMesh>();
            object->BuildGeometry(*built);
            same = same && e.source == Source::Content && e.mesh && e.mesh->SameContent(*built);
            e.source = Source::Content;
            e.key = nullptr;
            e.mesh = std::move(built);
        }
    }
    if (same)
        return false;
    e.toClip = toClip;
    e.options = options;
    e.version = ++m_versions;
    ++m_selected;
    return true;
}

TFrameGeometry::~TFrameGeometry() {
    try {
        Finish();
    } catch (...) {
        // Nothing is drawn any more: what the last frame met does not matter.
    }
}

void TFrameGeometry::sortOut(std::size_t count) {
    // While the renderer draws the first objects, the helper thread sorts out
    // the following ones, in drawing order; Batch(k) waits for object k.
    m_ready.store(0, std::memory_order_relaxed);
    m_pendingEnd = count;
    m_pending = StartInBackground([this, count] {
        try {
            for (std::size_t b = 0; b < count; ++b) {
                m_occlusion.SortOut(m_in, b, *m_out[b]);
                m_ready.store(b + 1, std::memory_order_release);
            }
        } catch (...) {
            m_ready.store(count, std::memory_order_release); // nobody waits for ever; Finish rethrows
            throw;
        }
    });
    if (!m_pending) {
        // The helper is taken: both halves here, now.
        RunInParallel(count, [this](std::size_t begin, std::size_t end) {
            for (std::size_t b = begin; b < end; ++b)
                m_occlusion.SortOut(m_in, b, *m_out[b]);
        });
        m_pendingEnd = 0;
    }
}

void TFrameGeometry::waitFor(std::size_t k) const {
    while (m_ready.load(std::memory_order_acquire) <= k)
        std::this_thread::yield();
}

void TFrameGeometry::Finish() {
    std::exception_ptr error;
    if (m_pending) {
        m_pending = false;
        try {
            WaitForBackground();
        } catch (...) {
            error = std::current_exception();
        }
        m_pendingEnd = 0;
    }
    // The set-ups served this frame's occlusion pass only.
    for (Entry* e : m_changed)
        std::vector<TOcclusionSetUp>().swap(e->setUps);
    m_changed.clear();
    if (error)
        std::rethrow_exception(error);
}

void TFrameGeometry::Prepare(const std::vector<TDrawItem>& items, const Matrix4f& view, const Matrix4f& projection,
                             const TFrameOptions& options) {
    Finish();
    ++m_frame;
    m_selected = 0;
    m_occlusionRebuilt = false;
    m_batches.assign(items.size(), nullptr);
    m_meshes.assign(items.size(), nullptr);
    m_order.assign(items.size(), nullptr);
    m_nextOccluders.clear();
    // The opaque part: the objects drawn before the first blended one.
    std::size_t opaque = items.size();
    std::vector<Entry*> changed;
    for (std::size_t k = 0; k < items.size(); ++k) {
        const TDrawItem& item = items[k];
        Entry& e = m_entries[item.object];
        e.frame = m_frame;
        if (update(e, item.object, (item.world * view) * projection, options))
            changed.push_back(&e);
        m_order[k] = &e;
        m_meshes[k] = e.mesh.get();
        if (opaque == items.size() && item.object->IsBlended())
            opaque = k;
        e.occluder = k < opaque;
        e.recorded = false;
        if (k < opaque)
            m_nextOccluders.emplace_back(item.object, e.version);
    }
    // The selections are independent of each other: while the camera moves,
    // every object needs one, and two threads share them.
    // When the occlusion pass follows, the candidates are set up for it at
    // once, from the window positions of their corners the selection hands
    // over while they are at hand, for this frame only and within a bound
    // (64 bytes a triangle, 16 MB in all).
    // When the opaque part changed, its bounds are made anew: each thread
    // records the objects it selected into bounds of its own, merged after.
    const bool occlusion = occlusionApplies(options);
    const bool rebuild = occlusion && (m_nextOccluders != m_occluders || !(m_occlusionOptions == options));
    if (rebuild)
        m_occlusion.BeginShared(options.width, options.height, options.pixelMargin);
    constexpr std::size_t kSetUpBudget = std::size_t(1) << 18; // triangles
    std::atomic<std::size_t> setUpsMade{0};
    const std::thread::id caller = std::this_thread::get_id();
    RunInParallel(changed.size(), [&](std::size_t begin, std::size_t end) {
        static thread_local std::vector<TWindowVertex> corners;
        const int part = std::this_thread::get_id() == caller ? 0 : 1;
        for (std::size_t i = begin; i < end; ++i) {
            Entry& e = *changed[i];
            SelectVisibleTriangles(*e.mesh, e.toClip, e.options.width, e.options.height, e.options.cullBackFaces,
                                   e.candidates, false, e.options.pixelMargin, occlusion ? &corners : nullptr);
            const std::size_t n = e.candidates.triangles.size();
            if (occlusion && setUpsMade.fetch_add(n) + n <= kSetUpBudget) {
                TOcclusionBuffer::SetUp(corners.data(), n, options.width, options.height, options.pixelMargin,
                                        e.setUps);
                if (rebuild && e.occluder && !e.setUps.empty()) {
                    m_occlusion.RecordShared(e.setUps, options.cullBackFaces, part);
                    e.recorded = true;
                }
            }
        }
    });
    if (rebuild)
        m_occlusion.EndShared();

    if (!occlusion) {
        for (std::size_t k = 0; k < items.size(); ++k)
            m_batches[k] = &m_order[k]->candidates;
        m_occluders.clear();
    } else {
        if (rebuild) {
            // The opaque part hides its own triangles.
            m_in.assign(opaque, TPlacedBatch{});
            m_out.assign(opaque, nullptr);
            for (std::size_t k = 0; k < opaque; ++k) {
                Entry& e = *m_order[k];
                m_in[k] = placed(e);
                m_out[k] = &e.visible;
            }
            m_occlusion.RecordAmong(m_in, options.cullBackFaces);
            sortOut(opaque);
            std::swap(m_occluders, m_nextOccluders);
            m_occlusionOptions = options;
            ++m_occlusionVersion;
            m_occlusionRebuilt = true;
        }
        // ... and those of what follows it.
        for (std::size_t k = 0; k < items.size(); ++k) {
            Entry& e = *m_order[k];
            if (k < opaque && m_occlusionRebuilt) {
                e.visibleFrom = e.version;
                e.visibleOcclusion = m_occlusionVersion;
            } else if (e.visibleFrom != e.version || e.visibleOcclusion != m_occlusionVersion) {
                m_occlusion.RemoveHidden(placed(e), e.visible);
                e.visibleFrom = e.version;
                e.visibleOcclusion = m_occlusionVersion;
            }
            m_batches[k] = &e.visible;
        }
    }

    m_changed = std::move(changed);
    if (!m_pending)
        Finish();

    // Objects no longer drawn are forgotten, and the meshes no entry holds.
    bool erased = false;
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (it->second.frame != m_frame) {
            it = m_entries.erase(it);
            erased = true;
        } else {
            ++it;
        }
    }
    if (erased || m_selected > 0)
        for (auto it = m_keyedMeshes.begin(); it != m_keyedMeshes.end();)
            it = it->second.expired() ? m_keyedMeshes.erase(it) : std::next(it);
}
