#pragma once

#include "events/EventList.h"

#include <QList>
#include <QString>

// Event files are Windows-1252 text: a character outside that code page is
// written as "?". These tell, before a save, which events would not come back
// as they are.

// Indices, in list order, of the events whose date text or event text holds a
// character that an event file cannot store.
QList<int> EventsAlteredBySaving(const TEventList& events);

// The events at `indices` as French lines "<date> : <texte>" joined by
// carriage returns, at most `maxLines` of them (long texts cut with "…"),
// followed by "… et N autres événements" when some are left out.
QString DescribeEvents(const TEventList& events, const QList<int>& indices, int maxLines = 10);
