#pragma once

// Collision between scene objects. An object takes part through a
// TCollisionBehaviour in its Behaviours list; the behaviour registers with a
// TCollisionManager, which tests every pair of registered behaviours on
// request and reports each touching pair through OnCollision.

#include "spiral/TBehaviour.h"
#include "spiral/VectorMath.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TBaseSceneObject;
class TCollisionManager;

// How an object's extent is seen by the tests. Ellipsoid, cube and faces use
// the object's HalfExtents along the world axes; faces are tested as a cube.
enum TCollisionBoundingMode { cbmPoint, cbmSphere, cbmEllipsoid, cbmCube, cbmFaces };

// Sender: the manager; object1: the owner of the behaviour registered earlier.
using TObjectCollisionEvent =
    std::function<void(TCollisionManager* Sender, TBaseSceneObject* object1, TBaseSceneObject* object2)>;

// The largest of the three components of the object's HalfExtents.
float BoundingRadius(const TBaseSceneObject& object);

class TCollisionBehaviour : public TBehaviour {
public:
    TCollisionBehaviour() = default;
    // Unregisters from its manager.
    ~TCollisionBehaviour() override;

    TCollisionManager* Manager() const { return m_manager; }
    // Unregisters from the old manager and registers at the end of the new
    // one's list; setting the manager it has changes nothing.
    void SetManager(TCollisionManager* manager);

    TCollisionBoundingMode BoundingMode() const { return m_boundingMode; }
    void SetBoundingMode(TCollisionBoundingMode mode);

    // Two behaviours with the same non-zero group are never tested together.
    std::int32_t GroupIndex() const { return m_groupIndex; }
    void SetGroupIndex(std::int32_t group);

    // The copy has the same manager (so it is registered at the end of that
    // manager's list) and the same bounding mode; its group stays 0.
    std::unique_ptr<TBehaviour> Clone() const override;

private:
    friend class TCollisionManager;
    TCollisionManager* m_manager = nullptr;
    TCollisionBoundingMode m_boundingMode = cbmSphere;
    std::int32_t m_groupIndex = 0;
    std::size_t m_slot = 0; // index in the manager's list
};

class TCollisionManager {
public:
    TCollisionManager() = default;
    TCollisionManager(const TCollisionManager&) = delete;
    TCollisionManager& operator=(const TCollisionManager&) = delete;
    // Clears the Manager of every registered behaviour.
    ~TCollisionManager();

    TObjectCollisionEvent OnCollision;

    // The registered behaviours, in order of registration.
    int Count() const;
    TCollisionBehaviour* Items(int i) const;

    // Tests every pair (i, j), i < j in registration order, and raises
    // OnCollision for each pair that touches, in the order of that double
    // loop, before it returns. Nothing is tested without a handler or with
    // fewer than two behaviours. The world positions are those of the moment
    // of the call.
    //
    // Only pairs that can touch are tested: a sweep along one axis finds them.
    // The touching pairs are kept between checks; when only a few objects
    // moved (the date sphere), only their pairs are tested again.
    void RunCollisionCheck();

    // The pairs of RunCollisionCheck that involve `object`: raises OnCollision
    // for each touching pair of which one behaviour belongs to `object`, with
    // the same tests, the same arguments and in the same order as
    // RunCollisionCheck would, before it returns; no other pair is tested.
    // A caller that reads only the pairs of one object (the main window, those
    // of the date sphere) gets them in time linear in the number of behaviours
    // and without memory for the pairs of the others.
    void RunCollisionCheckWith(const TBaseSceneObject* object);

private:
    friend class TCollisionBehaviour;
    // What a check reads of one behaviour and its owner.
    struct TShape {
        TBaseSceneObject* owner = nullptr;
        Vector3f position;    // WorldPosition
        Vector3f halfExtents; // HalfExtents
        float radius = 0;     // BoundingRadius
        TCollisionBoundingMode mode = cbmPoint;
        std::int32_t group = 0;
        bool operator==(const TShape& o) const;
    };
    static bool touches(const TShape& a, const TShape& b);
    static bool mayTest(const TShape& a, const TShape& b);
    // Conservative distance within which the shape may touch another one.
    static float reach(const TShape& s);

    // The shapes of the registered behaviours, in registration order.
    void readShapes(std::vector<TShape>& shapes) const;
    // The shape of behaviour i; parentWorld caches the world matrix of lastParent.
    void readShape(std::size_t i, TShape& s, const TBaseSceneObject*& lastParent, Matrix4f& parentWorld) const;
    // Reports the pairs (i, j), given in the order of the double loop, to the
    // handler; pairs whose objects go away meanwhile are skipped.
    void report(const std::vector<TShape>& shapes, const std::vector<std::pair<int, int>>& pairs);
    // While reports run: the owners of `shapes` are recorded and the check is
    // marked as running; at the end (also on an exception) the list is compacted.
    struct TReporting;

    void add(TCollisionBehaviour* b);
    void remove(TCollisionBehaviour* b);
    void compact() const;
    void findAllPairs();
    void updatePairs(const std::vector<int>& moved);

    // Registration order; a null slot is a behaviour unregistered since the
    // last compaction (compaction never runs during a check).
    mutable std::vector<TCollisionBehaviour*> m_items;
    mutable std::size_t m_holes = 0;
    bool m_checking = false;

    // The last check: the shapes it saw and, for each i, the j > i that touched,
    // ascending. Valid while the list has not changed since.
    std::vector<TShape> m_shapes;
    std::vector<std::vector<int>> m_pairs;
    // During the reports: the owner of each slot, set to none when its
    // behaviour goes away meanwhile.
    std::vector<TBaseSceneObject*> m_reportOwners;
    bool m_pairsValid = false;

    // What RunCollisionCheckWith read last: the shapes, the object's slots and
    // the count of changes of the other objects then. While no other object
    // changed and the list stayed, only the object's own shapes are read again.
    std::vector<TShape> m_queryShapes;
    std::vector<int> m_queryMine;
    const TBaseSceneObject* m_queryObject = nullptr;
    std::uint64_t m_queryOthers = 0;
    bool m_queryValid = false;
};
