#include "app/LessonPage.h"

#include "events/EventFile.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {

// The page's boxes in millimetres from the top left of the printable area.
struct TLayout {
    double width, height;
    QRectF title, levels, bio, bioCaption, paleo, paleoCaption, view, event, footer;
};

constexpr double ViewAspect = 517.0 / 413.0; // the window's 3D view
constexpr double CaptionMm = 6.0;

TLayout layoutFor(double width, double height, int levelLines) {
    TLayout l;
    l.width = width;
    l.height = height;
    l.title = QRectF(0, 0, width, 12);
    l.footer = QRectF(0, height - 6, width, 6);
    const double top = 16, bottom = height - 8;
    const double left = std::round(width * 0.38);
    l.levels = QRectF(0, top, left, std::max(1, levelLines) * 5.5 + 1);
    const double picturesTop = l.levels.bottom() + 5;
    const double pictureHeight = std::max(10.0, (bottom - picturesTop - 2 * CaptionMm - 4) / 2);
    l.bio = QRectF(0, picturesTop, left, pictureHeight);
    l.bioCaption = QRectF(0, l.bio.bottom(), left, CaptionMm);
    l.paleo = QRectF(0, l.bioCaption.bottom() + 4, left, pictureHeight);
    l.paleoCaption = QRectF(0, l.paleo.bottom(), left, CaptionMm);
    const double viewLeft = left + 8, viewWidth = width - viewLeft;
    double viewHeight = viewWidth / ViewAspect;
    double vw = viewWidth;
    if (viewHeight > bottom - top - 14) {
        viewHeight = bottom - top - 14;
        vw = viewHeight * ViewAspect;
    }
    l.view = QRectF(viewLeft + (viewWidth - vw) / 2, top, vw, viewHeight);
    l.event = QRectF(viewLeft, l.view.bottom() + 3, viewWidth, bottom - l.view.bottom() - 3);
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

} // namespace

const QString (&PrintedMonthNames())[13] {
    static const QString names[13] = {
        QString(),          QStringLiteral("Janvier"), QStringLiteral("Février"),  QStringLiteral("Mars"),
        QStringLiteral("Avril"), QStringLiteral("Mai"),  QStringLiteral("Juin"),   QStringLiteral("Juillet"),
        QStringLiteral("Août"),  QStringLiteral("Septembre"), QStringLiteral("Octobre"), QStringLiteral("Novembre"),
        QStringLiteral("Décembre")};
    return names;
}

QString LessonTitle(double dateMa, const QString& calendarText) {
    const QString amount = FormatDateText(std::fabs(dateMa));
    const QString unit = std::fabs(dateMa) < 2 ? QStringLiteral("million d'années") : QStringLiteral("millions d'années");
    QString when;
    if (amount == QLatin1String("0,000"))
        when = QStringLiteral("Aujourd'hui");
    else if (dateMa < 0)
        when = QStringLiteral("Il y a %1 %2").arg(amount, unit);
    else
        when = QStringLiteral("Dans %1 %2").arg(amount, unit);
    if (calendarText.isEmpty())
        return when;
    return when + QStringLiteral(" — ") + calendarText;
}

QSizeF LessonViewSizeMm(const QRectF& page, double dpi) {
    const double mm = dpi / 25.4;
    return layoutFor(page.width() / mm, page.height() / mm, 5).view.size();
}

void PaintLessonPage(QPainter& p, const QRectF& page, double dpi, const TLessonPage& c) {
    const double mm = dpi / 25.4;
    const TLayout l = layoutFor(page.width() / mm, page.height() / mm, int(c.Levels.size()));
    auto box = [&](const QRectF& r) {
        return QRectF(page.left() + r.left() * mm, page.top() + r.top() * mm, r.width() * mm, r.height() * mm);
    };
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    const QColor ink(0, 0, 0);

    // Title.
    p.setPen(ink);
    p.setFont(pointFont(16, true));
    p.drawText(box(l.title), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               QFontMetricsF(p.font(), p.device()).elidedText(c.Title, Qt::ElideRight, box(l.title).width()));
    p.setPen(QPen(QColor(0, 128, 128), 0.4 * mm));
    p.drawLine(box(l.title).bottomLeft(), box(l.title).bottomRight());

    // The period: colour swatch and one line per level.
    const QRectF levels = box(l.levels);
    double textLeft = levels.left();
    if (c.PeriodColor.isValid()) {
        const QRectF swatch(levels.left(), levels.top(), 8 * mm, levels.height());
        p.setPen(QPen(QColor(0x40, 0x40, 0x40), 0.2 * mm));
        p.setBrush(c.PeriodColor);
        p.drawRect(swatch);
        textLeft = swatch.right() + 3 * mm;
    }
    p.setPen(ink);
    p.setBrush(Qt::NoBrush);
    p.setFont(pointFont(11));
    for (int i = 0; i < c.Levels.size(); ++i) {
        const QRectF line(textLeft, levels.top() + (0.5 + i * 5.5) * mm, levels.right() - textLeft, 5.5 * mm);
        p.drawText(line, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   QFontMetricsF(p.font(), p.device()).elidedText(c.Levels[i], Qt::ElideRight, line.width()));
    }

    // The two pictures with their captions.
    drawPicture(p, box(l.bio), c.PictureBio);
    drawPicture(p, box(l.paleo), c.PicturePaleo);
    p.setPen(ink);
    p.setFont(pointFont(10, true));
    p.drawText(box(l.bioCaption), Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, c.CaptionBio);
    p.drawText(box(l.paleoCaption), Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, c.CaptionPaleo);

    // The 3D view, or its panel's text when it cannot be drawn.
    const QRectF view = box(l.view);
    if (!c.View.isNull()) {
        p.drawImage(view, c.View);
    } else {
        p.fillRect(view, QColor(0, 128, 128));
        p.setPen(QColor(0, 255, 255));
        p.setFont(pointFont(11));
        p.drawText(view.adjusted(4 * mm, 4 * mm, -4 * mm, -4 * mm), Qt::AlignCenter | Qt::TextWordWrap,
                   c.ViewMissingText);
    }
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 0.2 * mm));
    p.setBrush(Qt::NoBrush);
    p.drawRect(view);
    if (!c.TouchedEvent.isEmpty()) {
        p.setPen(ink);
        p.setFont(pointFont(11));
        p.drawText(box(l.event), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                   QStringLiteral("Événement : ") + c.TouchedEvent);
    }

    // Footer.
    p.setPen(QColor(0x50, 0x50, 0x50));
    p.setFont(pointFont(8));
    p.drawText(box(l.footer), Qt::AlignLeft | Qt::AlignBottom | Qt::TextSingleLine, c.Footer);
    p.restore();
}
