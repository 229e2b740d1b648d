// Guided tours: the "Parcours" menu, opening and stepping through a tour, the
// movement of the dials to a stop, the tour panel.
#include "app/window/Tours.h"

#include "app/Dialogs.h"
#include "app/LessonFileDialog.h"
#include "app/TAevoriumF1.h"
#include "app/TTourPanel.h"
#include "app/window/Navigation.h"
#include "timescale/DateText.h"
#include "widgets/TBtnRot.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cmath>

TTours::TTours(TAevoriumF1* window) : QObject(window), w(window) {
    setObjectName(QStringLiteral("Tours"));
    Clock = SteadyClock();
    MoveTimer = new QTimer(this);
    MoveTimer->setTimerType(Qt::PreciseTimer);
    MoveTimer->setInterval(16);
    connect(MoveTimer, &QTimer::timeout, this, [this] { TickMove(); });

    Panel = new TTourPanel;
    Dock = new QDockWidget(w);
    Dock->setObjectName(QStringLiteral("TourDock"));
    Dock->setTitleBarWidget(new QWidget(Dock));
    Dock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    Dock->setAllowedAreas(Qt::BottomDockWidgetArea);
    Dock->setWidget(Panel);
    w->addDockWidget(Qt::BottomDockWidgetArea, Dock);
    Dock->hide();

    createMenu();
    findShippedTours();
    updateActions();
}

void TTours::createMenu() {
    Parcours1 = new QMenu(QStringLiteral("&Parcours"), w); // Alt+P
    Parcours1->setObjectName(QStringLiteral("Parcours1"));
    w->menuBar()->insertMenu(w->N1->menuAction(), Parcours1);

    auto add = [this](const char* name, const QString& text, auto slot) {
        QAction* a = Parcours1->addAction(text, this, slot);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    OuvrirParcours1 =
        add("OuvrirParcours1", QStringLiteral("Ouvrir un parcours…"), [this] { OuvrirParcoursClick(); });
    // The shipped tours follow, by title (findShippedTours).
    Parcours1->addSeparator()->setObjectName(QStringLiteral("ShippedToursEnd"));
    EtapeSuivante1 =
        add("EtapeSuivante1", WithKey("Étape suivante", "Page suivante"), [this] { NextStop(); });
    EtapeSuivante1->setShortcut(QKeySequence(Qt::Key_PageDown));
    EtapePrecedente1 =
        add("EtapePrecedente1", WithKey("Étape précédente", "Page précédente"), [this] { PreviousStop(); });
    EtapePrecedente1->setShortcut(QKeySequence(Qt::Key_PageUp));
    PremiereEtape1 = add("PremiereEtape1", WithKey("Première étape", "Ctrl+Début"), [this] { FirstStop(); });
    PremiereEtape1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Home));
    FermerParcours1 = add("FermerParcours1", WithKey("Fermer le parcours", "Échap"), [this] { CloseTour(); });
    FermerParcours1->setShortcut(QKeySequence(Qt::Key_Escape));
    Parcours1->addSeparator();
    NouveauParcours1 =
        add("NouveauParcours1", QStringLiteral("Nouveau parcours…"), [this] { NouveauParcoursClick(); });
    AjouterEtape1 =
        add("AjouterEtape1", QStringLiteral("Ajouter la date comme étape"), [this] { AjouterEtapeClick(); });
    ModifierEtape1 =
        add("ModifierEtape1", QStringLiteral("Modifier l'étape…"), [this] { ModifierEtapeClick(); });
    MonterEtape1 = add("MonterEtape1", QStringLiteral("Monter l'étape"), [this] { MoveStop(-1); });
    DescendreEtape1 = add("DescendreEtape1", QStringLiteral("Descendre l'étape"), [this] { MoveStop(+1); });
    SupprimerEtape1 =
        add("SupprimerEtape1", QStringLiteral("Supprimer l'étape"), [this] { SupprimerEtapeClick(); });
    Parcours1->addSeparator();
    EnregistrerParcours1 = add("EnregistrerParcours1", QStringLiteral("Enregistrer le parcours…"),
                               [this] { EnregistrerParcoursClick(); });
    ImprimerParcours1 = add("ImprimerParcours1", QStringLiteral("Imprimer le parcours…"),
                            [this] { ImprimerParcoursClick(); });
}

void TTours::findShippedTours() {
    const QDir dir(w->ExeDir + QStringLiteral("Parcours"));
    for (const QFileInfo& fi : dir.entryInfoList({QStringLiteral("*.aevp")}, QDir::Files, QDir::Name)) {
        const TTourReadResult r = LoadTourFile(fi.absoluteFilePath());
        if (r.Ok()) // a broken file is reported when opened, not listed
            ShippedTours.append(
                {r.Tour.Title.isEmpty() ? fi.completeBaseName() : r.Tour.Title, fi.absoluteFilePath()});
    }
    std::sort(ShippedTours.begin(), ShippedTours.end(),
              [](const auto& a, const auto& b) { return QString::localeAwareCompare(a.first, b.first) < 0; });
    QAction* before = Parcours1->actions().at(1); // the separator after "Ouvrir un parcours…"
    for (int i = 0; i < ShippedTours.size(); ++i) {
        QString text = ShippedTours[i].first;
        auto* a = new QAction(text.replace(QLatin1Char('&'), QStringLiteral("&&")), Parcours1);
        a->setObjectName(QStringLiteral("ParcoursLivre%1").arg(i + 1));
        const QString path = ShippedTours[i].second;
        connect(a, &QAction::triggered, this, [this, path] { OpenTourFile(path); });
        Parcours1->insertAction(before, a);
        ShippedTourActions.append(a);
    }
}

void TTours::updateActions() {
    const bool stops = m_open && !Tour.Stops.isEmpty();
    for (QAction* a : {EtapeSuivante1, EtapePrecedente1, PremiereEtape1})
        a->setEnabled(stops);
    FermerParcours1->setEnabled(m_open);
    AjouterEtape1->setEnabled(m_open);
    ModifierEtape1->setEnabled(stops);
    SupprimerEtape1->setEnabled(stops);
    MonterEtape1->setEnabled(stops && m_current > 0);
    DescendreEtape1->setEnabled(stops && m_current + 1 < Tour.Stops.size());
    EnregistrerParcours1->setEnabled(stops);
    ImprimerParcours1->setEnabled(stops);
}

// ---- Opening and closing ----

void TTours::OuvrirParcoursClick() {
    TLessonFileRequest request;
    request.Kind = TLessonFileRequest::OpenTour;
    request.FileName = TourPath;
    if (ChooseLessonFile(w, request))
        OpenTourFile(request.FileName);
}

bool TTours::OpenTourFile(const QString& path) {
    const TTourReadResult r = LoadTourFile(path);
    if (!r.Ok()) {
        ShowErrorBox(w, QStringLiteral("Le parcours %1 ne peut pas être ouvert :\r%2")
                            .arg(QDir::toNativeSeparators(path), r.Error));
        return false;
    }
    if (!CloseTour())
        return false;
    OpenTour(r.Tour, path);
    return true;
}

void TTours::OpenTour(const TTour& tour, const QString& path) {
    abandonMove();
    Tour = tour;
    TourPath = path;
    m_open = true;
    m_current = -1;
    setModified(false);
    qApp->installEventFilter(this); // the keys go to the tour while it is open
    showPanel(true);
    if (Tour.Stops.isEmpty())
        showStop();
    else
        GoToStop(0);
    updateActions();
}

bool TTours::CloseTour() {
    if (!m_open)
        return true;
    if (m_modified &&
        !AskConfirmation(w, QStringLiteral("Fermer le parcours\rsans enregistrer ses modifications ?")))
        return false;
    abandonMove();
    m_open = false;
    m_current = -1;
    Tour = TTour();
    TourPath.clear();
    setModified(false);
    qApp->removeEventFilter(this);
    showPanel(false);
    updateActions();
    return true;
}

bool TTours::CanCloseWithUnsavedTour() {
    return !m_open || !m_modified ||
           AskConfirmation(w, QStringLiteral("Quitter sans enregistrer\rles modifications du parcours ?"));
}

void TTours::showPanel(bool on) {
    if (Dock->isVisibleTo(w) == on)
        return;
    // The window keeps its fixed size, grown by the panel's height below the
    // layout while a tour is open.
    Dock->setVisible(on);
    // Full screen keeps its size: the panel shows at the screen's foot.
    if (w->isFullScreen())
        return;
    w->setMinimumSize(0, 0);
    w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (QLayout* l = w->layout()) {
        l->invalidate();
        l->activate();
    }
    w->setFixedSize(w->sizeHint());
    // A window grown below the screen's foot moves up (the panel must show).
    if (const QScreen* screen = w->screen()) {
        const QRect avail = screen->availableGeometry();
        const QRect frame = w->frameGeometry();
        if (frame.bottom() > avail.bottom())
            w->move(w->x(), std::max(avail.top(), w->y() - (frame.bottom() - avail.bottom())));
    }
}

void TTours::showStop() {
    if (Tour.Stops.isEmpty() || m_current < 0) {
        Panel->ShowStop(Tour.Title, QStringLiteral("Aucune étape"),
                        QStringLiteral("Réglez une date avec les boutons, puis choisissez "
                                       "Parcours > Ajouter la date comme étape."),
                        -1, 0);
        return;
    }
    const TTourStop& s = Tour.Stops[m_current];
    Panel->ShowStop(Tour.Title, s.Title, s.Text, m_current, Tour.Stops.size());
}

// ---- Stepping ----

void TTours::GoToStop(int index) {
    if (!m_open || index < 0 || index >= Tour.Stops.size())
        return;
    abandonMove();
    w->Navigation->Stop();
    m_current = index;
    updateActions();
    showStop();
    const TTourStop& s = Tour.Stops[index];
    if (!s.DataSet.isEmpty())
        selectDataSet(s.DataSet);

    m_move = TTourMove(w->CurrentDate, s.Date);
    if (m_move.DurationNs() <= 0) {
        w->Navigation->GoToDate(s.Date);
        return;
    }
    // The coarsest dial that does not spin into a blur: the finer ones blink
    // during the movement and catch up at its end, as in a drag.
    const double span = std::fabs(s.Date - w->CurrentDate);
    TBtnRot* dial = span > 20.0 ? w->BtnRot1 : span > 0.2 ? w->BtnRot2 : w->BtnRot3;
    for (TBtnRot* d : {w->BtnRot1, w->BtnRot2, w->BtnRot3})
        if (d->Dragging() && !d->TurnHeld())
            return; // the mouse holds a dial: the tour waits for it
    for (TBtnRot* d : {w->BtnRot1, w->BtnRot2, w->BtnRot3})
        d->EndTurn();
    if (!dial->BeginTurn()) {
        w->Navigation->GoToDate(s.Date);
        return;
    }
    m_dial = dial;
    m_moveStart = Clock();
    MoveTimer->start();
}

void TTours::TickMove() {
    if (!m_dial)
        return;
    // A press on a dial, "Aller à" or playback took the dials: the movement
    // gives way.
    if (!m_dial->TurnHeld() || w->Navigation->Playing()) {
        MoveTimer->stop();
        m_dial = nullptr;
        return;
    }
    const qint64 elapsed = Clock() - m_moveStart;
    if (elapsed >= m_move.DurationNs()) {
        finishMove();
        return;
    }
    m_dial->TurnTo(w->Navigation->DialTotal(m_dial, m_move.DateAt(elapsed)));
    if (!m_dial->Dragging())
        finishMove(); // stopped at a limit
}

void TTours::finishMove() {
    abandonMove();
    // The end is "Aller à" the stop's date: the same dials, readout, period,
    // pictures and touched event.
    w->Navigation->GoToDate(m_move.To());
}

void TTours::abandonMove() {
    MoveTimer->stop();
    if (m_dial && m_dial->TurnHeld())
        m_dial->EndTurn();
    m_dial = nullptr;
}

void TTours::selectDataSet(const QString& name) {
    // By name as in the Données menu (case and accents ignored); an unknown
    // name keeps the data set on show.
    if (FoldForMatch(name) == FoldForMatch(w->CurrentDataSetName()))
        return;
    for (int k = 0; k < w->DataSetList.size(); ++k) {
        if (FoldForMatch(w->DataSetList[k]) != FoldForMatch(name))
            continue;
        if (QAction* item = w->Donnes1->findChild<QAction*>(QStringLiteral("D%1").arg(k)))
            w->SelectDataSet(item);
        return;
    }
}

// ---- Keys ----

bool TTours::eventFilter(QObject* watched, QEvent* e) {
    const QEvent::Type type = e->type();
    if (!m_open ||
        (type != QEvent::ShortcutOverride && type != QEvent::KeyPress && type != QEvent::KeyRelease))
        return QObject::eventFilter(watched, e);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != w)
        return QObject::eventFilter(watched, e); // dialogs keep their keys
    auto* key = static_cast<QKeyEvent*>(e);
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if ((key->key() == Qt::Key_PageDown || key->key() == Qt::Key_PageUp) && mods == Qt::NoModifier) {
        // Not the dials' quarter turn while a tour is open: the override is
        // kept from the focused widget, so that the menu's shortcut fires; a
        // key that still arrives steps the tour here.
        if (type == QEvent::KeyPress)
            key->key() == Qt::Key_PageDown ? NextStop() : PreviousStop();
        return true;
    }
    if (key->key() == Qt::Key_Escape && mods == Qt::NoModifier) {
        // While playing, Échap stops the playback first; the next one closes
        // the tour.
        if (type == QEvent::ShortcutOverride && w->Navigation->Playing()) {
            w->Navigation->Stop();
            key->accept();
            m_swallowEscape = true;
            return true;
        }
        if (type != QEvent::ShortcutOverride && m_swallowEscape) {
            if (type == QEvent::KeyRelease)
                m_swallowEscape = false;
            return true;
        }
    }
    return QObject::eventFilter(watched, e);
}
