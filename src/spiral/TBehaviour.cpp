#include "spiral/TBehaviour.h"

void TBehaviours::addItem(std::unique_ptr<TBehaviour> behaviour) {
    if (!behaviour)
        return;
    behaviour->m_owner = m_owner;
    m_items.push_back(std::move(behaviour));
}

void TBehaviours::Delete(int i) {
    if (i < 0 || i >= Count())
        return;
    // Take the item out first so that its destructor sees a consistent list.
    std::unique_ptr<TBehaviour> gone = std::move(m_items[std::size_t(i)]);
    m_items.erase(m_items.begin() + i);
    gone.reset();
}

void TBehaviours::Clear() {
    while (!m_items.empty())
        Delete(Count() - 1);
}

void TBehaviours::Assign(const TBehaviours& other) {
    if (&other == this)
        return;
    Clear();
    for (const auto& b : other.m_items)
        addItem(b->Clone());
}
