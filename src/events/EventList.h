#pragma once

#include <QStringList>

// The events in memory: two parallel lists, the date texts (Ma with three
// decimals and a comma, such as "-65,500") and the event texts. Index i of
// one list belongs to index i of the other. The list is never sorted.
class TEventList {
public:
    // Longest date text or event text the program keeps, in characters.
    static constexpr int MaxTextLength = 4095;
    // Most events the spiral shows. Start-up, "Ouvrir" and the CSV import
    // refuse, with TooManyEventsMessage, a file that would take the list beyond.
    static constexpr int MaxCount = 1000000;

    int Count() const { return int(m_dates.size()); }
    const QStringList& Dates() const { return m_dates; }
    const QStringList& Texts() const { return m_texts; }
    const QString& Date(int i) const { return m_dates.at(i); }
    const QString& Text(int i) const { return m_texts.at(i); }

    // Inserts at `index`; an index of -1 (or past the end) appends.
    void Insert(int index, const QString& date, const QString& text);
    void Append(const QString& date, const QString& text) { Insert(-1, date, text); }
    void SetText(int index, const QString& text);
    void Delete(int index);
    void Clear();

private:
    QStringList m_dates;
    QStringList m_texts;
};

// The French message of a refused file: with it the list would hold more than
// `limit` events.
QString TooManyEventsMessage(const QString& path, int limit = TEventList::MaxCount);
