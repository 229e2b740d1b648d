#pragma once

#include "spiral/TCamera.h"

#include <cstdint>
#include <functional>
#include <vector>

class TLightSource;
class TScene;

// Options of a viewer's rendering context, as bits of the set.
enum TContextOption : unsigned {
    roDoubleBuffer = 1,
    roStencilBuffer = 2,
    roRenderToWindow = 4,
    roTwoSideLighting = 8,
    roStereo = 16,
    roDestinationAlpha = 32,
    roNoColorBuffer = 64,
};

enum TShadeModel { smDefault, smSmooth, smFlat };

// One object to draw, with its world matrix, in drawing order.
struct TDrawItem {
    TBaseSceneObject* object = nullptr;
    Matrix4f world;
};

// A rectangle in viewer pixels, y downwards.
struct TPickRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// One object hit by a picking pass, with the nearest and farthest window
// depths (0 at the near plane, 1 at the far plane) of what it drew there.
struct TPickInfo {
    TBaseSceneObject* object = nullptr;
    double zNear = 0;
    double zFar = 0;
};
// Hits sorted by zNear, nearest first.
using TPickList = std::vector<TPickInfo>;

// The rendering state of a viewer: its camera, background, context options,
// viewport; it also answers which object is drawn at a pixel (picking by
// geometry, so it needs no rendering context).
class TSceneBuffer : public TFreeNotifiable {
public:
    TSceneBuffer() = default;
    TSceneBuffer(const TSceneBuffer&) = delete;
    TSceneBuffer& operator=(const TSceneBuffer&) = delete;
    ~TSceneBuffer();

    TCamera* Camera() const { return m_camera; }
    void SetCamera(TCamera* camera);
    TScene* Scene() const { return m_scene; }

    // A window colour 0x00BBGGRR.
    std::uint32_t BackgroundColor() const { return m_backgroundColor; }
    void SetBackgroundColor(std::uint32_t color);
    // Red, green, blue each / 255, alpha 1.
    Vector4f BackgroundColorVector() const { return WindowColorToVector(m_backgroundColor); }

    // The stored set; the viewer recreates its context when it changes.
    unsigned ContextOptions() const { return m_contextOptions; }
    void SetContextOptions(unsigned options) { m_contextOptions = options; }

    TShadeModel ShadeModel() const { return m_shadeModel; }
    void SetShadeModel(TShadeModel v);
    bool DepthTest() const { return m_depthTest; }
    void SetDepthTest(bool v);
    bool FaceCulling() const { return m_faceCulling; }
    void SetFaceCulling(bool v);
    bool Lighting() const { return m_lighting; }
    void SetLighting(bool v);
    bool FogEnable() const { return m_fogEnable; }
    void SetFogEnable(bool v);

    // Viewport in pixels, each kept at 1 or more.
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void SetViewport(int width, int height);

    // The camera's projection for the whole viewport and its view.
    Matrix4f ProjectionMatrix() const;
    Matrix4f ViewMatrix() const;

    // The objects with a mesh, in drawing order: each parent's opaque
    // children in child order, then its visible blended children farthest
    // from the camera first; invisible objects are skipped with their children.
    void CollectDrawList(std::vector<TDrawItem>& items) const;
    // The same, less the objects `take` takes: it is shown each object with
    // its world matrix, and answers true to take it.
    using TTakeItem = std::function<bool(TBaseSceneObject*, const Matrix4f&)>;
    void CollectDrawList(std::vector<TDrawItem>& items, const TTakeItem& take) const;
    // Every light of the scene.
    std::vector<TLightSource*> Lights() const;

    // The nearest object drawn in the 2 x 2 pixels around (x, y), or none.
    TBaseSceneObject* PickAt(int x, int y);
    // Every object drawn in the rectangle, nearest first.
    void PickInRect(const TPickRect& rect, TPickList& list, int expectedCount = 64);

    // Asked for a repaint after a change of the scene (the viewer connects it
    // to its update, so that many changes give one paint).
    std::function<void()> OnChange;
    void NotifyChange();

    // Set while a frame is drawn or a picking pass runs; changes then ask no repaint.
    bool Busy() const { return m_busy; }
    class BusyGuard {
    public:
        explicit BusyGuard(TSceneBuffer& b) : m_b(b), m_was(b.m_busy) { b.m_busy = true; }
        ~BusyGuard() { m_b.m_busy = m_was; }
        BusyGuard(const BusyGuard&) = delete;
        BusyGuard& operator=(const BusyGuard&) = delete;

    private:
        TSceneBuffer& m_b;
        bool m_was;
    };

    void FreeNotification(TBaseSceneObject* freed) override;
    void SceneDestroyed(TScene* scene);

private:
    void pick(const TPickRect& rect, TPickList& list, bool nearestOnly);

    // What picking keeps from one pick to the next while nothing that
    // places, shapes or blends an object changed, the camera stayed and the
    // viewport too (hovering over a million markers): the drawn objects in
    // drawing order, and a grid of cells of the viewport, each listing the
    // objects whose bounding sphere's picture may reach it.
    struct PickCache {
        bool valid = false;
        std::uint64_t placeChanges = 0, frees = 0, tree = 0;
        const TScene* scene = nullptr;
        const TCamera* camera = nullptr;
        Matrix4f view, projection;
        int width = 0, height = 0, columns = 0, rows = 0;
        std::vector<TBaseSceneObject*> objects;
        std::vector<std::uint32_t> cellStart; // into entries, columns * rows + 1
        std::vector<std::uint32_t> entries;   // numbers in objects
        std::vector<std::uint32_t> everywhere; // whose picture could not be bounded
    };
    bool pickCacheHolds() const;
    PickCache m_pickCache;
    template <class T> void set(T& field, T v) {
        if (field == v)
            return;
        field = v;
        NotifyChange();
    }

    TCamera* m_camera = nullptr;
    TScene* m_scene = nullptr;
    std::uint32_t m_backgroundColor = 0x00000000;
    unsigned m_contextOptions = roDoubleBuffer | roRenderToWindow;
    TShadeModel m_shadeModel = smDefault;
    bool m_depthTest = true;
    bool m_faceCulling = true;
    bool m_lighting = true;
    bool m_fogEnable = false;
    int m_width = 1;
    int m_height = 1;
    bool m_busy = false;
};
