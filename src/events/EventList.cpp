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

QString TooManyEventsMessage(const QString& path, int limit) {
    // Thousands after a no-break space, as in the program's other French texts.
    QString count = QString::number(limit);
    for (qsizetype i = count.size() - 3; i > 0; i -= 3)
        count.insert(i, QChar(0x00A0));
    return QStringLiteral("Le fichier :\r%1\rn'est pas chargé : avec lui, la spirale aurait plus de %2 événements, "
                          "le plus qu'elle puisse montrer.")
        .arg(path, count);
}
