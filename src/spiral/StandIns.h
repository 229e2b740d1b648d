#pragma once

// Many small spheres drawn as what they look like. A frame with tens of
// thousands of event markers spends its time on them one by one: selecting
// each one's triangles, then one small draw each. When a frame holds at least
// a threshold of whole spheres, those that show only a few pixels across are
// drawn instead as stand-ins: a disc facing the camera, its centre raised
// towards the eye, lit with the normals the sphere has there (the centre's
// towards the eye, the rim's across the line of sight), in eye coordinates,
// all of one look in one array. Where stand-ins crowd, only the nearest of
// those whose centres fall in the same pixel is drawn: the others would show
// no more than a sliver at its edge. Spheres wholly outside the view are
// left out; those that come near the camera stay ordinary objects.

#include "spiral/TSceneBuffer.h"

#include <cstdint>
#include <vector>

class TMaterial;

// Whole spheres a frame must hold before they are drawn as stand-ins.
constexpr std::size_t kStandInThreshold = 10000;
// Largest radius on screen, in pixels, of a sphere drawn as a stand-in.
constexpr float kStandInMaxPixels = 8;
// Sides of a stand-in's disc.
constexpr int kStandInSides = 8;

struct TStandInVertex {
    Vector3f position, normal; // eye coordinates
};

class TStandIns {
public:
    // Stand-ins of one look: triangles, three vertices each.
    struct Group {
        const TMaterial* material = nullptr;
        TBaseSceneObject* object = nullptr; // one of them, whose material it is
        std::vector<TStandInVertex> vertices;
    };

    // Takes the spheres to draw as stand-ins (or to leave out) out of `items`,
    // which keep their order, when `items` holds at least `threshold` whole
    // spheres; builds the stand-ins for the view and projection of a
    // viewport of width x height pixels.
    void Build(std::vector<TDrawItem>& items, const Matrix4f& view, const Matrix4f& projection, int width, int height,
               std::size_t threshold = kStandInThreshold);
    const std::vector<Group>& Groups() const { return m_groups; }
    // Spheres taken out by the last Build, and stand-ins it drew.
    std::size_t Taken() const { return m_taken; }
    std::size_t Drawn() const { return m_drawn; }

private:
    struct Candidate {
        std::size_t item;
        Vector3f centre; // eye coordinates
        float radius;    // eye units
        float x, y;      // window pixels, from the lower left
        float distance;  // along the line of sight
    };
    void addStandIn(const Candidate& c, TBaseSceneObject* object);

    std::vector<Group> m_groups;
    std::vector<Candidate> m_candidates;
    std::vector<float> m_cellDistance;
    std::vector<std::int32_t> m_cellOwner;
    std::size_t m_taken = 0, m_drawn = 0;
};
