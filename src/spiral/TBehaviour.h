#pragma once

#include <memory>
#include <vector>

class TBaseSceneObject;

// A behaviour attached to a scene object (the collision behaviour is the one
// this program uses). The object's Behaviours list owns it; freeing the object
// frees its behaviours.
class TBehaviour {
public:
    TBehaviour() = default;
    TBehaviour(const TBehaviour&) = delete;
    TBehaviour& operator=(const TBehaviour&) = delete;
    virtual ~TBehaviour() = default;

    // The scene object whose Behaviours list holds this behaviour (none while
    // it is in no list).
    TBaseSceneObject* OwnerBaseSceneObject() const { return m_owner; }

    // A new behaviour of the same class with the values a copy takes; copying a
    // Behaviours list (TBehaviours::Assign) calls it for each item.
    virtual std::unique_ptr<TBehaviour> Clone() const = 0;

private:
    friend class TBehaviours;
    TBaseSceneObject* m_owner = nullptr;
};

// The ordered list of behaviours of one scene object; it owns its items.
class TBehaviours {
public:
    explicit TBehaviours(TBaseSceneObject* owner) : m_owner(owner) {}
    TBehaviours(const TBehaviours&) = delete;
    TBehaviours& operator=(const TBehaviours&) = delete;
    ~TBehaviours() { Clear(); }

    int Count() const { return int(m_items.size()); }
    TBehaviour* Items(int i) const { return m_items[std::size_t(i)].get(); }
    TBehaviour* operator[](int i) const { return Items(i); }

    // Appends the behaviour and takes ownership; returns it for convenience.
    template <class T> T* Add(std::unique_ptr<T> behaviour) {
        T* raw = behaviour.get();
        addItem(std::move(behaviour));
        return raw;
    }
    // Frees item i.
    void Delete(int i);
    // Frees every item, last first.
    void Clear();
    // Replaces the list by copies (Clone) of the other list's items, in order.
    void Assign(const TBehaviours& other);

    // The first behaviour of class T, or none.
    template <class T> T* GetByClass() const {
        for (const auto& b : m_items)
            if (auto* t = dynamic_cast<T*>(b.get()))
                return t;
        return nullptr;
    }

private:
    void addItem(std::unique_ptr<TBehaviour> behaviour);
    TBaseSceneObject* m_owner;
    std::vector<std::unique_ptr<TBehaviour>> m_items;
};
