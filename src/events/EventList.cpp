#include "events/EventList.h"

void TEventList::Insert(int index, const QString& date, const QString& text) {
    if (index < 0 || index > Count())
        index = Count();
    m_dates.insert(index, date);
    m_texts.insert(index, text);
}

void TEventList::SetText(int index, const QString& text) {
    if (index >= 0 && index < Count())
        m_texts[index] = text;
}

void TEventList::Delete(int index) {
    if (index < 0 || index >= Count())
        return;
    m_dates.removeAt(index);
    m_texts.removeAt(index);
}

void TEventList::Clear() {
    m_dates.clear();
    m_texts.clear();
}
