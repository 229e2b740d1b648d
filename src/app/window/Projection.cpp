// The "Affichage" menu: full screen, the window's size, high contrast.
#include "app/window/Projection.h"

#include "app/Dialogs.h"
#include "app/DisplayOptions.h"
#include "app/TAevoriumF1.h"
#include "app/window/Navigation.h"
#include "app/window/Tours.h"
#include "spiral/SpiralScene.h"
#include "widgets/TBtnRot.h"
#include "widgets/TEmbossedText.h"
#include "widgets/TImageSlider.h"
#include "widgets/TLEDDisplay.h"
#include "widgets/TLEDLabel.h"
#include "widgets/TPanel.h"
#include "widgets/ShadeColor.h"
#include "widgets/WinColor.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace {

// The panels behind the aqua texts in high contrast: a dark teal that keeps
// the instrument's look (aqua on it: about 10:1).
constexpr TColor DarkTeal = 0x00383800;
// The surround of the layout in full screen.
const QColor Surround(24, 24, 24);

QString percentText(int percent) { return QString::number(percent) + QStringLiteral("\u00a0%"); }

} // namespace

TProjection::TProjection(TAevoriumF1* window, double factor) : QObject(window), w(window), m_factor(factor) {
    Launcher = [](const QStringList& arguments) {
        return QProcess::startDetached(QCoreApplication::applicationFilePath(), arguments);
    };
    createMenu();
}

void TProjection::createMenu() {
    Affichage1 = new QMenu(QStringLiteral("&Affichage"), w);
    Affichage1->setObjectName(QStringLiteral("Affichage1"));
    w->menuBar()->insertMenu(w->N1->menuAction(), Affichage1);

    PleinEcran1 = Affichage1->addAction(QStringLiteral("&Plein écran\tF11"), this, [this] { ToggleFullScreen(); });
    PleinEcran1->setObjectName(QStringLiteral("PleinEcran1"));
    PleinEcran1->setShortcut(QKeySequence(Qt::Key_F11));
    PleinEcran1->setShortcutContext(Qt::ApplicationShortcut);
    PleinEcran1->setCheckable(true);

    Taille1 = Affichage1->addMenu(QStringLiteral("&Taille de la fenêtre"));
    Taille1->setObjectName(QStringLiteral("Taille1"));
    auto* group = new QActionGroup(this);
    const int saved = SavedWindowPercent();
    for (int i = 0; i < 5; ++i) {
        const int percent = WindowPercents[i];
        QAction* a = Taille1->addAction(percentText(percent));
        a->setObjectName(QStringLiteral("Taille%1").arg(percent));
        a->setCheckable(true);
        a->setChecked(percent == saved);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [this, percent] { SetWindowPercent(percent); });
        TailleActions[i] = a;
    }
    // The sizes that would not fit the screen are offered only when it is larger.
    connect(Taille1, &QMenu::aboutToShow, this, [this] { updateActions(); });

    ContrasteEleve1 = Affichage1->addAction(QStringLiteral("&Contraste élevé"));
    ContrasteEleve1->setObjectName(QStringLiteral("ContrasteEleve1"));
    ContrasteEleve1->setCheckable(true);
    ContrasteEleve1->setChecked(SavedHighContrast());
    connect(ContrasteEleve1, &QAction::triggered, this, [this](bool on) { SetHighContrast(on); });

    // Échap leaves full screen, unless it stops a playback (the Navigation
    // menu's own Échap, enabled only then).
    QuitterPleinEcran1 = new QAction(QStringLiteral("Quitter le plein écran"), w);
    QuitterPleinEcran1->setObjectName(QStringLiteral("QuitterPleinEcran1"));
    QuitterPleinEcran1->setShortcut(QKeySequence(Qt::Key_Escape));
    w->addAction(QuitterPleinEcran1);
    connect(QuitterPleinEcran1, &QAction::triggered, this, [this] {
        if (m_fullScreen)
            ToggleFullScreen();
    });
    if (w->Navigation)
        connect(w->Navigation->Arreter1, &QAction::changed, this, [this] { updateActions(); });
    updateActions();
}

void TProjection::updateActions() {
    PleinEcran1->setChecked(m_fullScreen);
    const bool stopping = w->Navigation && w->Navigation->Arreter1->isEnabled();
    QuitterPleinEcran1->setEnabled(m_fullScreen && !stopping);
    const QSize screen = ScreenDevicePixels();
    const int saved = SavedWindowPercent();
    for (int i = 0; i < 5; ++i) {
        const int percent = WindowPercents[i];
        TailleActions[i]->setEnabled(screen.isEmpty() || percent == saved ||
                                     FitsScreen(QSizeF(screen), QSizeF(LayoutSize()), percent / 100.0));
    }
}

QSize TProjection::LayoutSize() const {
    int height = 654 + w->menuBar()->sizeHint().height();
    if (m_strip)
        height += m_strip->sizeHint().expandedTo(m_strip->minimumSize()).height();
    // A panel docked under the layout (an open tour's) must fit as well.
    for (const QDockWidget* dock : w->findChildren<QDockWidget*>())
        if (dock->isVisibleTo(w) && w->dockWidgetArea(const_cast<QDockWidget*>(dock)) == Qt::BottomDockWidgetArea)
            height += dock->sizeHint().height();
    return QSize(912, height);
}

QSize TProjection::ScreenDevicePixels() const {
    const QScreen* screen = w->screen();
    if (!screen)
        return QSize();
    const QSize logical = screen->geometry().size();
    return QSize(int(std::lround(logical.width() * m_factor)), int(std::lround(logical.height() * m_factor)));
}

void TProjection::ShowFullScreenHere() {
    if (!m_fullScreen) {
        QWidget* client = w->takeCentralWidget();
        m_surround = new QWidget;
        m_surround->setObjectName(QStringLiteral("Surround"));
        m_surround->setAutoFillBackground(true);
        QPalette pal = m_surround->palette();
        pal.setColor(QPalette::Window, Surround);
        m_surround->setPalette(pal);
        // The layout centred; the strip, if any, right under it.
        m_column = new QVBoxLayout(m_surround);
        m_column->setContentsMargins(0, 0, 0, 0);
        m_column->setSpacing(0);
        m_column->addStretch(1);
        auto* row = new QHBoxLayout;
        row->addStretch(1);
        row->addWidget(client);
        row->addStretch(1);
        m_column->addLayout(row);
        if (m_strip) {
            m_column->addWidget(m_strip, 0, Qt::AlignHCenter);
            m_strip->show();
        }
        m_column->addStretch(1);
        w->setCentralWidget(m_surround);
        client->show();
        w->setMinimumSize(0, 0);
        w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        m_fullScreen = true;
        // A panel docked under the layout that comes or goes changes the size
        // that fills the screen.
        for (QDockWidget* dock : w->findChildren<QDockWidget*>())
            connect(dock, &QDockWidget::visibilityChanged, this, &TProjection::refit, Qt::UniqueConnection);
    }
    w->showFullScreen();
    updateActions();
}

void TProjection::ShowNormalHere() {
    if (m_fullScreen) {
        QWidget* client = w->findChild<QWidget*>(QStringLiteral("ClientArea"));
        if (m_strip) {
            m_strip->hide();
            m_strip->setParent(w);
        }
        QWidget* surround = w->takeCentralWidget();
        w->setCentralWidget(client);
        client->show();
        surround->deleteLater();
        m_surround = nullptr;
        m_column = nullptr;
        m_fullScreen = false;
        w->showNormal();
        w->adjustSize();
        w->setFixedSize(w->sizeHint());
        if (const QScreen* screen = w->screen())
            w->move(screen->availableGeometry().center() - w->rect().center());
    }
    w->show();
    updateActions();
}

void TProjection::refit() {
    QTimer::singleShot(0, this, [this] {
        if (!m_fullScreen || !m_pending.isEmpty() || !w->isVisible())
            return;
        const double fit = FullScreenScale(QSizeF(ScreenDevicePixels()), QSizeF(LayoutSize()));
        if (std::fabs(fit - m_factor) >= 0.005)
            ShowAt(fit, true);
    });
}

void TProjection::SetBottomStrip(QWidget* strip) {
    if (m_strip == strip)
        return;
    if (m_strip && m_column)
        m_column->removeWidget(m_strip);
    m_strip = strip;
    if (m_strip && m_column) {
        m_column->insertWidget(m_column->count() - 1, m_strip, 0, Qt::AlignHCenter);
        m_strip->show();
    }
}

void TProjection::ToggleFullScreen() {
    if (m_fullScreen)
        ShowAt(SavedWindowPercent() / 100.0, false);
    else
        ShowAt(FullScreenScale(QSizeF(ScreenDevicePixels()), QSizeF(LayoutSize())), true);
    updateActions();
}

void TProjection::SetWindowPercent(int percent) {
    SaveWindowPercent(percent);
    if (!m_fullScreen)
        ShowAt(percent / 100.0, false);
    updateActions();
}

void TProjection::SetHighContrast(bool on) {
    SaveHighContrast(on);
    ApplyHighContrast(on);
}

void TProjection::ApplyHighContrast(bool on) {
    ContrasteEleve1->setChecked(on);
    const TColor panel = on ? DarkTeal : cl::Teal;
    for (TPanel* p : {w->Panel7, w->Panel4, w->Panel6, w->Panel1, w->Panel5, w->Panel2, w->Panel3})
        p->SetColor(panel);
    for (QLabel* l : {w->Signe, w->Label1, w->Label3, w->Label2}) {
        QPalette pal = l->palette();
        pal.setColor(QPalette::Window, WinColor(panel));
        l->setPalette(pal);
    }
    w->Panel1->SetFontColor(on ? cl::White : cl::WindowText);
    w->LEDDisplay1->SetColorBackGround(panel);
    // Unlit segments vanish into the background, as they do on teal.
    w->LEDDisplay1->SetColorLEDOff(on ? panel : ShadeColor(cl::Aqua, -50));
    w->DateLabel1->SetColor(panel);
    w->DateLabel1->LED().SetInActiveColor(panel);
    TBevelFrame bevel = w->DateLabel1->Bevel();
    bevel.BorderColor = panel;
    w->DateLabel1->SetBevel(bevel);
    w->DateLabel1->update();
    w->ImageSlider1->SetColor(panel);
    // The engraved captions: black lettering with a white light edge.
    for (TEmbossedText* t : {w->StaticText1, w->StaticTextBio, w->StaticTextPaleo}) {
        t->SetFontColor(on ? cl::Black : cl::InactiveCaption);
        TFxCaption fx = t->FontFX();
        fx.LightColor = on ? cl::White : (t == w->StaticTextBio ? cl::Window : TFxCaption().LightColor);
        t->SetFontFX(fx);
    }
    for (TBtnRot* d : {w->BtnRot1, w->BtnRot2, w->BtnRot3})
        d->SetFocusRingWidth(on ? 3 : 1);
}

bool TProjection::ShowAt(double factor, bool fullScreen) {
    if (std::fabs(factor - m_factor) < 0.005) {
        if (fullScreen)
            ShowFullScreenHere();
        else
            ShowNormalHere();
        return true;
    }
    if (!m_pending.isEmpty())
        return false;
    if (w->Tours && w->Tours->IsOpen() && w->Tours->Modified()) {
        ShowErrorBox(w, QStringLiteral("Enregistrez d'abord le parcours ouvert (Parcours > Enregistrer) :\r"
                                       "Aevorium doit se relancer pour changer de taille."));
        return false;
    }
    if (w->Navigation)
        w->Navigation->Stop();
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    const QString path = QDir(folder).filePath(QStringLiteral("aevorium-reprise-%1-%2.dat")
                                                   .arg(QCoreApplication::applicationPid())
                                                   .arg(QDateTime::currentMSecsSinceEpoch()));
    if (!WriteResumeState(path, CurrentState(factor, fullScreen))) {
        ShowErrorBox(w, QStringLiteral("Changement de taille impossible : l'état de la fenêtre n'a pas pu être "
                                       "enregistré dans\r%1")
                            .arg(QDir::toNativeSeparators(path)));
        return false;
    }
    QStringList arguments = w->Arguments;
    arguments << QStringLiteral("--reprise=") + path;
    if (ReleaseInstance)
        ReleaseInstance();
    if (!Launcher || !Launcher(arguments)) {
        if (RetakeInstance)
            RetakeInstance();
        QFile::remove(path);
        ShowErrorBox(w, QStringLiteral("Changement de taille impossible : Aevorium n'a pas pu être relancé."));
        return false;
    }
    // The window stays on show, without taking input, until the new one is up.
    m_pending = path;
    m_waited = 0;
    w->setEnabled(false);
    QTimer::singleShot(50, this, [this] { waitForHandOver(); });
    return true;
}

void TProjection::waitForHandOver() {
    if (m_pending.isEmpty())
        return;
    if (!QFile::exists(m_pending)) {
        m_pending.clear();
        emit handedOver();
        return;
    }
    m_waited += 50;
    if (m_waited < HandOverTimeoutMs) {
        QTimer::singleShot(50, this, [this] { waitForHandOver(); });
        return;
    }
    // A new process that holds the lock has read the file and is still
    // coming: wait on. Otherwise it did not come, and this one goes on.
    if (RetakeInstance && !RetakeInstance()) {
        m_waited = 0;
        QTimer::singleShot(50, this, [this] { waitForHandOver(); });
        return;
    }
    QFile::remove(m_pending);
    m_pending.clear();
    w->setEnabled(true);
    if (!w->isVisible())
        w->show();
    ShowErrorBox(w, QStringLiteral("La fenêtre n'a pas pu être rouverte à la nouvelle taille : Aevorium reste à "
                                   "la taille actuelle."));
}

TResumeState TProjection::CurrentState(double factor, bool fullScreen) const {
    TResumeState s;
    s.Scale = factor;
    s.FullScreen = fullScreen;
    s.Date = w->CurrentDate;
    s.ScaleFileName = w->ScaleFileName;
    s.EventFileName = w->EventFileName;
    s.Custom = w->Personnalise1->isChecked();
    s.EventsModified = w->EventsModified;
    s.EventDates = w->EventList.Dates();
    s.EventTexts = w->EventList.Texts();
    s.SavePath = w->SaveDialog1.FileName;
    s.OpenPath = w->OpenDialog1.FileName;
    if (w->Scene && w->Scene->Camera1) {
        const TCoordinates& p = w->Scene->Camera1->Position();
        s.Camera[0] = p.X();
        s.Camera[1] = p.Y();
        s.Camera[2] = p.Z();
        s.HasCamera = true;
    }
    if (w->Tours && w->Tours->IsOpen()) {
        s.Tour = WriteTour(w->Tours->Tour);
        s.TourPath = w->Tours->TourPath;
        s.TourStop = w->Tours->Current();
    }
    return s;
}

void TProjection::ApplyResumeState(const TResumeState& s) {
    if (s.ScaleFileName != w->ScaleFileName || s.EventFileName != w->EventFileName) {
        w->ScaleFileName = s.ScaleFileName;
        w->EventFileName = s.EventFileName;
        w->LoadScale();
        w->LoadEvents();
    }
    if (s.Custom) {
        if (!w->Personnalise1->isChecked())
            w->Personnalise1Click(w->Personnalise1);
        w->EventList.Clear();
        for (qsizetype i = 0; i < s.EventDates.size(); ++i)
            w->EventList.Append(s.EventDates[i], s.EventTexts[i]);
        w->EventsModified = s.EventsModified;
    }
    w->SaveDialog1.FileName = s.SavePath;
    w->OpenDialog1.FileName = s.OpenPath;
    w->ClearEventMarkers();
    w->CreateEventMarkers();
    if (s.HasCamera && w->Scene && w->Scene->Camera1)
        w->Scene->Camera1->Position().SetPoint(s.Camera[0], s.Camera[1], s.Camera[2]);
    w->BtnRot1AngleChange(w->BtnRot3);
    // The open tour at its stop: its movement is run to its end at once.
    if (!s.Tour.isEmpty() && w->Tours) {
        const TTourReadResult tour = ReadTour(s.Tour);
        if (tour.Ok()) {
            w->Tours->OpenTour(tour.Tour, s.TourPath);
            if (s.TourStop > 0)
                w->Tours->GoToStop(s.TourStop);
            const auto clock = w->Tours->Clock;
            const qint64 end = clock() + qint64(3600) * 1000000000;
            w->Tours->Clock = [end] { return end; };
            for (int i = 0; i < 10 && w->Tours->Moving(); ++i)
                w->Tours->TickMove();
            w->Tours->Clock = clock;
        }
    }
    if (w->Navigation)
        w->Navigation->GoToDate(s.Date);
}
