#include "app/TAboutBox.h"

#include "widgets/TPanel.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cmath>

namespace {

QFont sansSerif() {
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(11);
    return f;
}

// The program's logo, 59 x 38: a spiral of time on the instrument's teal.
QPixmap logo() {
    QImage img(59, 38, QImage::Format_RGB32);
    img.fill(QColor(0, 128, 128));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath path;
    const QPointF c(29.5, 19);
    for (int i = 0; i <= 200; ++i) {
        const double t = i / 200.0 * 4.5 * 3.14159265358979;
        const double r = 1.5 + 2.3 * t;
        const QPointF pt(c.x() + r * std::cos(t) * 1.35, c.y() + r * std::sin(t) * 0.75);
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    p.setPen(QPen(QColor(0, 255, 255), 1.6));
    p.drawPath(path);
    p.setBrush(QColor(255, 255, 255, 200));
    p.setPen(Qt::NoPen);
    p.drawEllipse(c, 2.5, 2.5);
    p.end();
    return QPixmap::fromImage(img);
}

QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(geometry);
    return l;
}

} // namespace

quint32 TAboutBox::SystemTicks() {
    using namespace std::chrono;
    return quint32(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("A propos"));
    // A title bar without any button: no system menu, no close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFont(sansSerif());
    setFixedSize(298, 173);

    m_ticks = &TAboutBox::SystemTicks;
    m_pump = [] {
        // Messages keep flowing while the box waits; a short timer paces the rounds.
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    };

    Panel1 = new TPanel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(8, 8, 281, 121);
    Panel1->SetBevelInner(bvRaised);
    Panel1->SetBevelOuter(bvLowered);

    ProgramIcon = label(Panel1, "ProgramIcon", QString(), QRect(16, 16, 59, 38));
    ProgramIcon->setPixmap(logo());
    ProgramIcon->setScaledContents(true);
    ProductName = label(Panel1, "ProductName", QStringLiteral("Aevorium"), QRect(88, 16, 158, 13));
    Version = label(Panel1, "Version", QStringLiteral("Version 2 beta test"), QRect(88, 40, 150, 13));
    Credits = label(Panel1, "Credits",
                    QStringLiteral("Scénario : équipe Aevorium\nPhotographie : équipe Aevorium\n"
                                   "Réalisation : équipe Aevorium"),
                    QRect(64, 64, 205, 39));
    Credits->setWordWrap(false);

    // Centred on its place, with room for the stand-in font's wider letters.
    LabelTemp =
        label(this, "LabelTemp", QStringLiteral("Chargement de l'application ..."), QRect(49, 144, 200, 13));
    LabelTemp->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette red = LabelTemp->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    LabelTemp->setPalette(red);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(111, 140, 75, 25);
    OKButton->setDefault(true);
    OKButton->setAutoDefault(true);
    OKButton->hide();
    connect(OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);
}

void TAboutBox::ShowSplash() {
    LabelTemp->show();
    OKButton->hide();
    show();
    repaint();
    QCoreApplication::processEvents();
}

void TAboutBox::CloseSplash() {
    if (FormCloseQuery())
        QDialog::done(QDialog::Accepted);
}

void TAboutBox::SetAboutMode() {
    LabelTemp->hide();
    OKButton->show();
}

void TAboutBox::FormShow() {
    ShowTick = m_ticks();
}

bool TAboutBox::FormCloseQuery() {
    setCursor(Qt::WaitCursor);
    Panel1->setCursor(Qt::WaitCursor);
    // Unsigned 32-bit difference: harmless across the wrap of the tick count.
    while (quint32(m_ticks() - ShowTick) <= HoldTime)
        m_pump();
    unsetCursor();
    Panel1->unsetCursor();
    return true;
}

void TAboutBox::OKButtonClick() {
    ShowTick = 0;
    done(QDialog::Accepted);
}

void TAboutBox::done(int result) {
    if (FormCloseQuery())
        QDialog::done(result);
}

void TAboutBox::showEvent(QShowEvent* event) {
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TAboutBox::closeEvent(QCloseEvent* event) {
    // Closing from the window manager waits for the minimum time as well.
    FormCloseQuery();
    QDialog::closeEvent(event);
}

void TAboutBox::keyPressEvent(QKeyEvent* event) {
    // There is no Cancel button: Escape does not close the box.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
