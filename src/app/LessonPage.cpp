#include "app/LessonPage.h"

#include "events/EventFile.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

// The page's boxes in millimetres from the top left of the printable area.
struct TLayout {
    double width, height;
    QRectF title, strip, stripLabels, levels, bio, bioCaption, paleo, paleoCaption, view, touched, eventsHeading,
        events, footer;
};

constexpr double ViewAspect = 517.0 / 413.0; // the window's 3D view
constexpr double CaptionMm = 6.0;
constexpr double LevelMm = 6.0;
constexpr double EventMm = 5.0;

// Lines to fill in, as long as a name usually is.
const QString Blank = QStringLiteral("________________________");

TLayout layoutFor(double width, double height) {
    TLayout l;
    l.width = width;
    l.height = height;
    l.title = QRectF(0, 0, width, 10);
    l.strip = QRectF(0, 13, width, 8);
    l.stripLabels = QRectF(0, l.strip.bottom() + 0.5, width, 4.5);
    l.footer = QRectF(0, height - 6, width, 6);
    const double top = 29, bottom = height - 8;
    const double left = std::round(width * 0.36);
    l.levels = QRectF(0, top, left, 5 * LevelMm);
    const double picturesTop = l.levels.bottom() + 4;
    const double pictureHeight = std::max(10.0, (bottom - picturesTop - 2 * CaptionMm - 3) / 2);
    l.bio = QRectF(0, picturesTop, left, pictureHeight);
    l.bioCaption = QRectF(0, l.bio.bottom(), left, CaptionMm);
    l.paleo = QRectF(0, l.bioCaption.bottom() + 3, left, pictureHeight);
    l.paleoCaption = QRectF(0, l.paleo.bottom(), left, CaptionMm);
    // The 3D view takes a little over half the right column's height; the
    // events of the stage fill the rest.
    const double viewLeft = left + 8, viewWidth = width - viewLeft;
    double vh = std::min(viewWidth / ViewAspect, (bottom - top) * 0.55);
    l.view = QRectF(viewLeft, top, vh * ViewAspect, vh);
    l.touched = QRectF(viewLeft, l.view.bottom() + 1, viewWidth, EventMm);
    l.eventsHeading = QRectF(viewLeft, l.touched.bottom() + 1.5, viewWidth, 6);
    l.events = QRectF(viewLeft, l.eventsHeading.bottom(), viewWidth, std::max(0.0, bottom - l.eventsHeading.bottom()));
    return l;
}

QFont pointFont(double points, bool bold = false) {
    QFont f(QStringLiteral("Liberation Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

// A picture fitted into its box, keeping its proportions, centred.
void drawPicture(QPainter& p, const QRectF& box, const QImage& image) {
    p.setPen(QPen(QColor(0x80, 0x80, 0x80), 0));
    p.setBrush(Qt::NoBrush);
    if (image.isNull()) {
        p.drawRect(box);
        return;
    }
    const QSizeF fitted = QSizeF(image.size()).scaled(box.size(), Qt::KeepAspectRatio);
    const QRectF target(box.center() - QPointF(fitted.width() / 2, fitted.height() / 2), fitted);
    p.drawImage(target, image);
    p.drawRect(target);
}

// One line of text, cut with an ellipsis when it is too long.
void drawLine(QPainter& p, const QRectF& r, const QString& text, Qt::Alignment align = Qt::AlignLeft) {
    p.drawText(r, align | Qt::AlignVCenter | Qt::TextSingleLine,
               QFontMetricsF(p.font(), p.device()).elidedText(text, Qt::ElideRight, r.width()));
}

// Groups the digits of a whole number by three with non-breaking spaces.
QString grouped(qint64 n) {
    QString digits = QString::number(n);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QChar(0x00A0));
    return digits;
}

} // namespace

QString LessonDateText(double dateMa) {
    if (!std::isfinite(dateMa))
        dateMa = 0;
    // Thousandths of a million years, as the date texts have them.
    const qint64 t = std::llround(std::fabs(dateMa) * 1000);
    const QString figures = FormatDateText(std::fabs(dateMa));
    if (t == 0)
        return QStringLiteral("Aujourd'hui (0,000 Ma)");
    QString amount;
    if (t < 1000) {
        amount = grouped(t * 1000) + QStringLiteral(" ans");
    } else {
        QString fraction = QStringLiteral("%1").arg(t % 1000, 3, 10, QLatin1Char('0'));
        while (fraction.endsWith(QLatin1Char('0')))
            fraction.chop(1);
        amount = grouped(t / 1000) + (fraction.isEmpty() ? QString() : QLatin1Char(',') + fraction) +
                 (t < 2000 ? QStringLiteral(" million d'années") : QStringLiteral(" millions d'années"));
    }
    return dateMa < 0 ? QStringLiteral("Il y a %1 (-%2 Ma)").arg(amount, figures)
                      : QStringLiteral("Dans %1 (+%2 Ma)").arg(amount, figures);
}

QString LessonTitle(double dateMa, const QString& calendarText) {
    const QString when = LessonDateText(dateMa);
    return calendarText.isEmpty() ? when : when + QStringLiteral(" — ") + calendarText;
}

QSizeF LessonViewSizeMm(const QRectF& page, double dpi) {
    const double mm = dpi / 25.4;
    return layoutFor(page.width() / mm, page.height() / mm).view.size();
}

int LessonEventLines(const QRectF& page, double dpi) {
    const double mm = dpi / 25.4;
    return 2 * int(layoutFor(page.width() / mm, page.height() / mm).events.height() / EventMm);
}

void PaintLessonPage(QPainter& p, const QRectF& page, double dpi, const TLessonPage& c) {
    const double mm = dpi / 25.4;
    const TLayout l = layoutFor(page.width() / mm, page.height() / mm);
    auto box = [&](const QRectF& r) {
        return QRectF(page.left() + r.left() * mm, page.top() + r.top() * mm, r.width() * mm, r.height() * mm);
    };
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    const QColor ink(0, 0, 0), grey(0x60, 0x60, 0x60), frame(0x40, 0x40, 0x40);
    p.fillRect(page, Qt::white);

    // Title, or the pupil's lines for a name, a class and the date.
    p.setPen(ink);
    p.setFont(pointFont(c.Blank ? 13 : 15, true));
    QString title = c.Blank ? QStringLiteral("Nom : ______________   Classe : ________   Date : il y a "
                                             "______________ ( ________ Ma )")
                            : c.Title;
    if (!c.Heading.isEmpty())
        title = c.Heading + QStringLiteral(" — ") + title;
    drawLine(p, box(l.title), title);
    p.setPen(QPen(frame, 0.3 * mm));
    p.drawLine(box(l.title).bottomLeft(), box(l.title).bottomRight());

    // The scale strip with the date marked.
    if (!c.ScaleStrip.isNull()) {
        const QRectF strip = box(l.strip);
        p.drawImage(strip, c.ScaleStrip);
        p.setPen(QPen(frame, 0.2 * mm));
        p.setBrush(Qt::NoBrush);
        p.drawRect(strip);
        p.setFont(pointFont(8));
        QRectF label;
        if (c.DateOnStrip >= 0 && c.DateOnStrip <= 1) {
            const double x = strip.left() + c.DateOnStrip * strip.width();
            p.setPen(QPen(Qt::white, 0.9 * mm));
            p.drawLine(QPointF(x, strip.top()), QPointF(x, strip.bottom()));
            p.setPen(QPen(ink, 0.4 * mm));
            p.drawLine(QPointF(x, strip.top()), QPointF(x, strip.bottom()));
            QPainterPath mark;
            mark.moveTo(x, strip.top());
            mark.lineTo(x - 1.6 * mm, strip.top() - 2.4 * mm);
            mark.lineTo(x + 1.6 * mm, strip.top() - 2.4 * mm);
            mark.closeSubpath();
            p.fillPath(mark, ink);
            if (!c.Blank && !c.DateOnStripText.isEmpty()) {
                p.setFont(pointFont(8, true));
                const double w = QFontMetricsF(p.font(), p.device()).horizontalAdvance(c.DateOnStripText) + 2 * mm;
                const QRectF row = box(l.stripLabels);
                label = QRectF(std::clamp(x - w / 2, row.left(), row.right() - w), row.top(), w, row.height());
                p.setPen(ink);
                p.drawText(label, Qt::AlignCenter, c.DateOnStripText);
            }
        }
        p.setFont(pointFont(8));
        p.setPen(grey);
        const QRectF row = box(l.stripLabels);
        const QRectF start(row.left(), row.top(), 25 * mm, row.height());
        const QRectF end(row.right() - 25 * mm, row.top(), 25 * mm, row.height());
        if (!start.intersects(label))
            p.drawText(start, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("-4550 Ma"));
        if (!end.intersects(label))
            p.drawText(end, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("+30 Ma"));
    }

    // The period: one line per level with its colour.
    p.setFont(pointFont(11));
    const QRectF levels = box(l.levels);
    for (int i = 0; i < c.Levels.size() && i < 5; ++i) {
        const TLessonLevel& level = c.Levels[i];
        const QRectF row(levels.left(), levels.top() + i * LevelMm * mm, levels.width(), LevelMm * mm);
        const QRectF swatch(row.left(), row.top() + 0.8 * mm, 7 * mm, row.height() - 1.6 * mm);
        if (level.Color.isValid()) {
            p.setPen(QPen(frame, 0.2 * mm));
            p.setBrush(level.Color);
            p.drawRect(swatch);
            p.setBrush(Qt::NoBrush);
        }
        p.setPen(ink);
        drawLine(p, row.adjusted(swatch.width() + 2.5 * mm, 0, 0, 0),
                 level.Label + QStringLiteral(" : ") + (c.Blank ? Blank : level.Name));
    }

    // The two pictures with their captions.
    drawPicture(p, box(l.bio), c.PictureBio);
    drawPicture(p, box(l.paleo), c.PicturePaleo);
    p.setPen(ink);
    p.setFont(pointFont(10, true));
    drawLine(p, box(l.bioCaption), c.CaptionBio, Qt::AlignHCenter);
    drawLine(p, box(l.paleoCaption), c.CaptionPaleo, Qt::AlignHCenter);

    // The 3D view, or its panel's text when it cannot be drawn.
    const QRectF view = box(l.view);
    if (!c.View.isNull()) {
        p.drawImage(view, c.View);
    } else {
        p.setPen(grey);
        p.setFont(pointFont(11));
        p.drawText(view.adjusted(4 * mm, 4 * mm, -4 * mm, -4 * mm), Qt::AlignCenter | Qt::TextWordWrap,
                   c.ViewMissingText);
    }
    p.setPen(QPen(frame, 0.2 * mm));
    p.setBrush(Qt::NoBrush);
    p.drawRect(view);
    p.setPen(ink);
    p.setFont(pointFont(10));
    if (!c.TouchedEvent.isEmpty())
        drawLine(p, box(l.touched), QStringLiteral("Événement touché : ") + (c.Blank ? Blank : c.TouchedEvent));

    // The events of the stage: one or two columns, as many as the page holds.
    if (!c.EventsHeading.isEmpty()) {
        p.setFont(pointFont(11, true));
        drawLine(p, box(l.eventsHeading), c.EventsHeading);
    }
    const QRectF events = box(l.events);
    const int perColumn = int(l.events.height() / EventMm);
    const int columns = c.Events.size() > perColumn ? 2 : 1;
    const int capacity = perColumn * columns;
    const int shown = c.Events.size() > capacity ? capacity - 1 : int(c.Events.size());
    const double columnWidth = events.width() / columns;
    p.setFont(pointFont(9));
    auto cell = [&](int i) {
        return QRectF(events.left() + (i / std::max(1, perColumn)) * columnWidth,
                      events.top() + (i % std::max(1, perColumn)) * EventMm * mm, columnWidth - 3 * mm, EventMm * mm);
    };
    for (int i = 0; i < shown; ++i) {
        const TLessonEvent& e = c.Events[i];
        drawLine(p, cell(i), e.Date + QStringLiteral(" : ") + (c.Blank ? Blank + Blank : e.Text));
    }
    if (c.Events.isEmpty() && !c.EventsHeading.isEmpty()) {
        p.setPen(grey);
        drawLine(p, cell(0), QStringLiteral("Aucun événement de la liste dans cette période."));
    }
    if (shown < c.Events.size() && capacity > 0) {
        p.setPen(grey);
        drawLine(p, cell(shown), QStringLiteral("… et %1 autres événements").arg(c.Events.size() - shown));
    }

    // Footer.
    p.setPen(QColor(0x50, 0x50, 0x50));
    p.setFont(pointFont(8));
    p.drawText(box(l.footer), Qt::AlignLeft | Qt::AlignBottom | Qt::TextSingleLine, c.Footer);
    p.restore();
}
