#include "app/TTourPanel.h"

#include "widgets/AccessibleEvents.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>

namespace {

QFont panelFont(int pixelSize, bool bold) {
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

QLabel* makeLabel(QWidget* parent, const char* name, const char* description, int pixelSize, bool bold) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setAccessibleDescription(QString::fromUtf8(description));
    l->setFont(panelFont(pixelSize, bold));
    l->setTextFormat(Qt::PlainText);
    return l;
}

} // namespace

TTourPanel::TTourPanel(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("TourPanel"));
    setAccessibleName(QStringLiteral("Parcours"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setFixedHeight(PanelHeight);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0, 96, 96)); // a darker teal: more contrast on a projector
    pal.setColor(QPalette::WindowText, QColor(255, 255, 255));
    setPalette(pal);

    TourLabel = makeLabel(this, "TourTitle", "Titre du parcours", 15, false);
    TourLabel->setStyleSheet(QStringLiteral("color: rgb(0, 255, 255);"));
    CountLabel = makeLabel(this, "TourCount", "Numéro de l'étape", 22, true);
    CountLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    CountLabel->setStyleSheet(QStringLiteral("color: rgb(0, 255, 255);"));
    TitleLabel = makeLabel(this, "TourStopTitle", "Titre de l'étape", 28, true);
    TitleLabel->setWordWrap(true);
    TextLabel = makeLabel(this, "TourStopText", "Texte de l'étape", 22, false);
    TextLabel->setWordWrap(true);
    TextLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 8, 16, 10);
    grid->setVerticalSpacing(4);
    grid->addWidget(TourLabel, 0, 0);
    grid->addWidget(CountLabel, 0, 1, 2, 1, Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(TitleLabel, 1, 0);
    grid->addWidget(TextLabel, 2, 0, 1, 2);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(0, 1);
}

void TTourPanel::ShowStop(const QString& tourTitle, const QString& title, const QString& text, int index,
                          int count) {
    TourLabel->setText(tourTitle);
    CountLabel->setText(count > 0 ? QStringLiteral("%1 / %2").arg(index + 1).arg(count) : QString());
    CountLabel->setAccessibleName(count > 0 ? QStringLiteral("Étape %1 sur %2").arg(index + 1).arg(count)
                                            : QStringLiteral("Aucune étape"));
    TitleLabel->setText(title);
    TextLabel->setText(text);
    fitText();
    // The new stop is announced: its title, then its text.
    QAccessibleEvent changed(TitleLabel, QAccessible::NameChanged);
    NotifyAccessible(changed);
    QAccessibleEvent alert(this, QAccessible::Alert);
    NotifyAccessible(alert);
}

void TTourPanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    fitText();
}

void TTourPanel::fitText() {
    const int roomWidth = TextLabel->width() > 50 ? TextLabel->width() : width() - 40;
    const int roomHeight = PanelHeight - 10 - 8 - 4 * 2 - TourLabel->sizeHint().height() -
                           TitleLabel->heightForWidth(qMax(100, TitleLabel->width()));
    for (int px = 22; px >= 13; --px) {
        const QFont f = panelFont(px, false);
        const QRect r =
            QFontMetrics(f).boundingRect(QRect(0, 0, roomWidth, 10000), Qt::TextWordWrap, TextLabel->text());
        if (r.height() <= roomHeight || px == 13) {
            if (TextLabel->font().pixelSize() != px)
                TextLabel->setFont(f);
            return;
        }
    }
}
