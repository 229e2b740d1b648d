#pragma once

// Whether a picture of the opaque part of a frame, kept from an earlier
// frame, still shows what a new frame would draw, so that only the objects
// drawn after it need drawing over it.
//
// The draw list is the opaque part (every object before the first blended
// one) and the tail. A kept picture holds while nothing that places, shapes
// or colours any object other than the tail's changed (the scene's change
// counts tell that without looking at the objects), no object was freed, the
// camera's view and projection, the frame's size and the buffer's drawing
// states are the same, and the tail is what it was: blended objects without
// children under one parent, still blended and visible, and still in the same
// order from the camera. That is the frame of a dial step: only the date
// sphere moved.

#include "spiral/TSceneBuffer.h"

#include <cstdint>
#include <vector>

// The frame's surface: its size in device pixels and its blue bits.
struct TKeptFrame {
    int width = 1, height = 1, blueBits = 8;
    bool operator==(const TKeptFrame& o) const {
        return width == o.width && height == o.height && blueBits == o.blueBits;
    }
};

class TKeptPicture {
public:
    // After a frame drew `items` (CollectDrawList), the first `opaque` of
    // them into the picture kept: records what that picture depends on. False
    // (and nothing kept) when the tail is not one this class can redraw alone.
    bool Record(const TSceneBuffer& buffer, const TKeptFrame& frame, const std::vector<TDrawItem>& items,
                std::size_t opaque);
    // True when the picture still holds; `tail` then gets the objects to draw
    // over it, in drawing order, with their world matrices.
    bool Holds(const TSceneBuffer& buffer, const TKeptFrame& frame, std::vector<TDrawItem>& tail) const;
    void Clear() { m_valid = false; }
    bool Valid() const { return m_valid; }

private:
    // The buffer's values that change a frame's picture.
    struct States {
        std::uint32_t background = 0;
        unsigned options = 0;
        int shade = 0;
        bool depth = false, cull = false, lighting = false, fog = false;
        bool operator==(const States& o) const {
            return background == o.background && options == o.options && shade == o.shade && depth == o.depth &&
                   cull == o.cull && lighting == o.lighting && fog == o.fog;
        }
    };
    static States statesOf(const TSceneBuffer& buffer);
    // The changes counted over all objects, less the tail's own.
    std::uint64_t othersChanges() const;

    bool m_valid = false;
    TKeptFrame m_frame;
    States m_states;
    Matrix4f m_view, m_projection;
    std::uint64_t m_frees = 0;
    std::uint64_t m_others = 0;
    const TBaseSceneObject* m_parent = nullptr;
    std::vector<TBaseSceneObject*> m_tail; // in drawing order
};
