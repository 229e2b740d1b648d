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

    // A frame's stand-ins in three steps, so that the spheres they stand
    // for never enter the draw list and nothing is kept for each of them
    // (with a million markers, that list would hold a matrix for each):
    // Begin with the view and projection of a viewport of width x height
    // pixels; Take each object as the draw list is collected
    // (TSceneBuffer::TTakeItem: true when it takes the object, to draw as a
    // stand-in or to leave out); Finish builds the stand-ins when the frame
    // held at least `threshold` whole spheres. It answers false when the
    // frame held fewer: the caller then collects the list again without
    // taking anything (the count is known only at the end, and a small
    // scene costs little to collect twice).
    void Begin(const Matrix4f& view, const Matrix4f& projection, int width, int height);
    bool Take(TBaseSceneObject* object, const Matrix4f& world);
    bool Finish(std::size_t threshold = kStandInThreshold);
    // The three steps over a list already collected (it keeps what is not taken).
    void Build(std::vector<TDrawItem>& items, const Matrix4f& view, const Matrix4f& projection, int width, int height,
               std::size_t threshold = kStandInThreshold);
    const std::vector<Group>& Groups() const { return m_groups; }
    // Spheres the last frame took, and stand-ins it drew.
    std::size_t Taken() const { return m_taken; }
    std::size_t Drawn() const { return m_drawn; }

private:
    struct Candidate {
        TBaseSceneObject* object;
        Vector3f centre; // eye coordinates
        float radius;    // eye units
        float distance;  // along the line of sight
    };
    void addStandIn(const Candidate& c);

    Matrix4f m_view;
    int m_width = 1, m_height = 1;
    float m_near = 0, m_far = 0, m_xScale = 0, m_yScale = 0;
    bool m_perspective = false;
    std::size_t m_spheres = 0;
    std::vector<Group> m_groups;
    // The nearest candidate of each pixel (m_cellOwner: its place in
    // m_candidates, -1 for none), and those centred outside the window.
    std::vector<Candidate> m_candidates;
    std::vector<std::int32_t> m_cellOwner;
    std::size_t m_taken = 0, m_drawn = 0;
};
