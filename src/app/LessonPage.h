#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QString>
#include <QStringList>

class QPainter;

// The printed page of a date: what the window shows, laid out for an A4
// landscape sheet with vector text and the pictures at their own resolution.
struct TLessonPage {
    QString Title;               // LessonTitle()
    QStringList Levels;          // "Ère : Cénozoïque", one line per level
    QColor PeriodColor;          // invalid: no colour swatch
    QImage PictureBio, PicturePaleo;
    QString CaptionBio, CaptionPaleo;
    QImage View;                 // the 3D view; null when it cannot be drawn
    QString ViewMissingText;     // shown in the view's place when View is null
    QString TouchedEvent;        // the event the date sphere touches, or empty
    QString Footer;
};

// The title of the page: "Il y a 66,000 millions d'années — 26 Décembre 20h31:34"
// (date in Ma, negative in the past; calendarText the date rescaled into one year).
QString LessonTitle(double dateMa, const QString& calendarText);

// The month names with their accents, for printed text (index 1 to 12).
const QString (&PrintedMonthNames())[13];

// The size in millimetres of the 3D view's box on the page drawn into `page`
// (in device pixels of a device of `dpi` dots per inch).
QSizeF LessonViewSizeMm(const QRectF& page, double dpi);

// Draws the page into `page`, a rectangle of the painter's device in its
// pixels; `dpi` is the device's resolution.
void PaintLessonPage(QPainter& painter, const QRectF& page, double dpi, const TLessonPage& content);
