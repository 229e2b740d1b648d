#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVector>

class QPainter;

// The printed worksheets of a date.
enum class TLessonSheet {
    Classe, // "Fiche pour la classe": everything filled in
    Eleve   // "Fiche élève": names, date and events as lines to fill in, then the answers
};

// One level of the period ("Ère", "Cénozoïque") with its conventional colour
// (invalid when the scale file gives none).
struct TLessonLevel {
    QString Label;
    QString Name;
    QColor Color;
};

// One event of the list inside the stage of the date.
struct TLessonEvent {
    QString Date; // "-66,000 Ma"
    QString Text;
};

// The printed page of a date: what the window shows, laid out for an A4
// landscape sheet on a light background, with vector text and the pictures
// at their own resolution.
struct TLessonPage {
    QString Title;               // LessonTitle()
    QString Heading;             // before the title ("Corrigé"), or empty
    QVector<TLessonLevel> Levels;
    QImage ScaleStrip;           // the gauge's ruler picture; null: no strip
    double DateOnStrip = -1;     // where the date lies on the strip, 0 to 1
    QString DateOnStripText;     // written under the mark ("-66,000 Ma")
    QImage PictureBio, PicturePaleo;
    QString CaptionBio, CaptionPaleo;
    QImage View;                 // the 3D view; null when it cannot be drawn
    QString ViewMissingText;     // shown in the view's place when View is null
    QString TouchedEvent;        // the event the date sphere touches, or empty
    QString EventsHeading;       // "Événements du Maastrichtien"
    QVector<TLessonEvent> Events;
    QString Footer;
    // The pupil's sheet: period names, the date and the events' texts are
    // lines to fill in (colours, pictures, the mark and event dates stay).
    bool Blank = false;
};

// "Il y a 66 millions d'années (-66,000 Ma)": the date in Ma (negative in
// the past) in words and in figures; "Dans …" for the future, "Aujourd'hui"
// for the present.
QString LessonDateText(double dateMa);

// The title: LessonDateText, then " — " and calendarText (the date rescaled
// into one year) when there is one.
QString LessonTitle(double dateMa, const QString& calendarText);

// The size in millimetres of the 3D view's box on the page drawn into `page`
// (in device pixels of a device of `dpi` dots per inch).
QSizeF LessonViewSizeMm(const QRectF& page, double dpi);

// How many event lines the page drawn into `page` holds (the last one says
// how many more there are when the list is longer).
int LessonEventLines(const QRectF& page, double dpi);

// Draws the page into `page`, a rectangle of the painter's device in its
// pixels; `dpi` is the device's resolution.
void PaintLessonPage(QPainter& painter, const QRectF& page, double dpi, const TLessonPage& content);
