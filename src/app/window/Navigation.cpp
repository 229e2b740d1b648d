// Keyboard navigation, "Aller à", stepping and playback of the main window.
#include "app/window/Navigation.h"

#include "app/TAevoriumF1.h"
#include "app/TGoToDialog.h"
#include "events/GoToIndex.h"
#include "lesson/TourMotion.h"
#include "timescale/StrToFloat.h"
#include "widgets/AccessibleEvents.h"
#include "widgets/AccessibleText.h"
#include "widgets/TBtnRot.h"
#include "widgets/TEmbossedText.h"
#include "widgets/TImage.h"
#include "widgets/TLEDDisplay.h"
#include "widgets/TLEDLabel.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QActionGroup>
#include <QElapsedTimer>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace {

constexpr double TwoPi = 2.0 * 3.14159265358979323846;
constexpr qint64 Second = 1000000000; // ns
// Frames are at least a sixtieth of a second apart.
constexpr qint64 FrameInterval = Second / 60;
constexpr qint64 EventPause = 2 * Second;
// Dates closer than this to the current date count as the current date (the
// dials' gearing leaves rounding of this order).
constexpr double SameDate = 1e-7;

const char* const SpeedTexts[4] = {"1 milliard d'années en 10 s", "100 Ma en 10 s", "10 Ma en 10 s",
                                   "1 Ma en 10 s"};

// A dial's total angle for a date in Ma, with the gearing of the date update.
// The dial splits the total into turns and the date update reads it back: the
// rounding of the two can land a hair before the date, which at the start of
// a period would show the period before. The total is raised by the smallest
// steps until the date read back is the date itself or just after it.
double TotalFor(const TAevoriumF1* w, const TBtnRot* dial, double date) {
    const int gearing = dial == w->BtnRot1 ? 1 : dial == w->BtnRot2 ? 2 : 3;
    auto total = [&](double d) {
        return gearing == 1 ? d * TwoPi / 1000 : gearing == 2 ? d * TwoPi : d * TwoPi * 100;
    };
    auto readBack = [&](double t) {
        const double turns = t / TwoPi;
        const double whole = std::trunc(turns);
        const double dialTurns = whole + (turns - whole) * TwoPi / TwoPi;
        return gearing == 1 ? dialTurns * 1000 : gearing == 2 ? dialTurns * 1 : dialTurns / 100;
    };
    double t = total(date);
    for (int i = 0; i < 64 && std::isfinite(t) && readBack(t) < date; ++i)
        t = std::nextafter(t, HUGE_VAL);
    return t;
}

// A display for assistive technology: its role, its name and the text it
// shows (read through a text interface and as its value text). The
// touched-event strip is a notification whose description is its text: Orca
// speaks a notification when it is shown (role, name, description), which is
// how the touched event is announced.
struct TReadoutTexts {
    QAccessible::Role role = QAccessible::StaticText;
    std::function<QString()> name;
    std::function<QString()> shown; // none: no text interface (a picture)
};

class TReadoutAccessible : public TAccessibleTextWidget {
public:
    TReadoutAccessible(QWidget* widget, const TReadoutTexts& texts)
        : TAccessibleTextWidget(widget, texts.role, texts.shown), m_texts(texts) {}
    using TAccessibleTextWidget::text;
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TextInterface && !m_texts.shown)
            return nullptr;
        return TAccessibleTextWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && m_texts.name)
            return m_texts.name();
        if (t == QAccessible::Description && m_texts.role == QAccessible::Notification)
            return shownText();
        return TAccessibleTextWidget::text(t);
    }

private:
    TReadoutTexts m_texts;
};

QHash<const QObject*, TReadoutTexts>& Readouts() {
    static QHash<const QObject*, TReadoutTexts> readouts;
    return readouts;
}

QAccessibleInterface* ReadoutFactory(const QString&, QObject* object) {
    const auto it = Readouts().constFind(object);
    if (it == Readouts().constEnd() || !object->isWidgetType())
        return nullptr;
    return new TReadoutAccessible(static_cast<QWidget*>(object), *it);
}

void RegisterReadout(QWidget* widget, TReadoutTexts texts) {
    static const bool installed = [] {
        QAccessible::installFactory(ReadoutFactory);
        return true;
    }();
    (void)installed;
    Readouts().insert(widget, std::move(texts));
    QObject::connect(widget, &QObject::destroyed, [widget] { Readouts().remove(widget); });
}

std::function<QString()> Fixed(const char* text) {
    return [t = QString::fromUtf8(text)] { return t; };
}

} // namespace

QString WithKey(const char* text, const char* key) {
    return QString::fromUtf8(text) + QLatin1Char('\t') + QString::fromUtf8(key);
}

std::function<qint64()> SteadyClock() {
    return [timer = std::make_shared<QElapsedTimer>()]() {
        if (!timer->isValid())
            timer->start();
        return timer->nsecsElapsed();
    };
}

TNavigation::TNavigation(TAevoriumF1* window) : QObject(window), w(window) {
    setObjectName(QStringLiteral("Navigation"));
    Clock = SteadyClock();
    FrameTimer = new QTimer(this);
    FrameTimer->setTimerType(Qt::PreciseTimer);
    FrameTimer->setInterval(17); // just over a sixtieth of a second
    connect(FrameTimer, &QTimer::timeout, this, [this] { Tick(); });
    createMenu();
    setUpDials();
    setUpDisplays();
    setUpKeys();
}

void TNavigation::createMenu() {
    Navigation1 = new QMenu(QStringLiteral("Navigation"), w);
    Navigation1->setObjectName(QStringLiteral("Navigation1"));
    w->menuBar()->insertMenu(w->N1->menuAction(), Navigation1);

    auto add = [this](const char* name, const QString& text, const QKeySequence& key, auto slot) {
        QAction* a = Navigation1->addAction(text, this, slot);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(key);
        if (key[0].keyboardModifiers() & Qt::AltModifier)
            connect(a, &QAction::triggered, this, [this] { endAltNavigation(); });
        return a;
    };
    AllerA1 = add("AllerA1", WithKey("Aller à…", "Ctrl+G"), QKeySequence(Qt::CTRL | Qt::Key_G),
                  [this] { AllerAClick(); });
    Navigation1->addSeparator();
    LimitePrecedente1 = add("LimitePrecedente1", WithKey("Limite précédente", "Ctrl+Gauche"),
                            QKeySequence(Qt::CTRL | Qt::Key_Left), [this] { StepBoundary(-1); });
    LimiteSuivante1 = add("LimiteSuivante1", WithKey("Limite suivante", "Ctrl+Droite"),
                          QKeySequence(Qt::CTRL | Qt::Key_Right), [this] { StepBoundary(+1); });
    EvenementPrecedent1 = add("EvenementPrecedent1", WithKey("Événement précédent", "Alt+Gauche"),
                              QKeySequence(Qt::ALT | Qt::Key_Left), [this] { StepEvent(-1); });
    EvenementSuivant1 = add("EvenementSuivant1", WithKey("Événement suivant", "Alt+Droite"),
                            QKeySequence(Qt::ALT | Qt::Key_Right), [this] { StepEvent(+1); });
    Navigation1->addSeparator();
    Lecture1 =
        add("Lecture1", WithKey("Lecture", "Espace"), QKeySequence(Qt::Key_Space), [this] { Play(+1); });
    LectureArriere1 = add("LectureArriere1", WithKey("Lecture arrière", "Maj+Espace"),
                          QKeySequence(Qt::SHIFT | Qt::Key_Space), [this] { Play(-1); });
    Arreter1 = add("Arreter1", WithKey("Arrêter la lecture", "Échap"), QKeySequence(Qt::Key_Escape),
                   [this] { Stop(); });
    Lecture1->setCheckable(true);
    LectureArriere1->setCheckable(true);

    Vitesse1 = Navigation1->addMenu(QStringLiteral("Vitesse"));
    Vitesse1->setObjectName(QStringLiteral("Vitesse1"));
    auto* group = new QActionGroup(this);
    for (int i = 0; i < 4; ++i) {
        QAction* a = Vitesse1->addAction(QString::fromUtf8(SpeedTexts[i]));
        a->setObjectName(QStringLiteral("Vitesse%1").arg(i + 1));
        a->setCheckable(true);
        a->setChecked(Speeds[i] == m_speed);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [this, i] { SetSpeed(Speeds[i]); });
        SpeedActions[i] = a;
    }
    VitesseLog1 = Vitesse1->addAction(QStringLiteral("Logarithmique (chaque ère compte)"));
    VitesseLog1->setObjectName(QStringLiteral("VitesseLog1"));
    VitesseLog1->setCheckable(true);
    group->addAction(VitesseLog1);
    connect(VitesseLog1, &QAction::triggered, this, [this] { SetLogarithmic(); });
    PauseEvenement1 = Navigation1->addAction(QStringLiteral("Pause à chaque événement"));
    PauseEvenement1->setObjectName(QStringLiteral("PauseEvenement1"));
    PauseEvenement1->setCheckable(true);
    updateActions();
}

void TNavigation::setUpDials() {
    // Names for screen readers, the step each dial's turn is worth, the unit
    // of its value, and the order of the Tab key: dial 1, 2, 3, then the two
    // globe buttons.
    const struct {
        TBtnRot* dial;
        const char* name;
        const char* step;
        double perTurn;
    } dials[3] = {{w->BtnRot1, "Milliards d'années", "1 tour = 1 milliard d'années", 1000.0},
                  {w->BtnRot2, "Millions d'années", "1 tour = 1 million d'années", 1.0},
                  {w->BtnRot3, "Dizaines de milliers d'années", "1 tour = 10 000 ans", 0.01}};
    for (const auto& d : dials) {
        d.dial->setAccessibleName(QString::fromUtf8(d.name));
        d.dial->setAccessibleDescription(QString::fromUtf8(d.step));
        d.dial->UnitsPerTurn = d.perTurn;
        d.dial->UnitText = QStringLiteral("millions d'années");
        // A dial that shows the date (not one blinking behind a coarser one)
        // names the period too.
        d.dial->ValueDetail = [this, dial = d.dial] { return dial->DiodeBlink() ? QString() : PeriodName(); };
        // A press, a turning key or the wheel on a dial stops playback first.
        d.dial->installEventFilter(this);
        d.dial->Corps()->installEventFilter(this);
        d.dial->Diode()->installEventFilter(this);
    }
    QWidget::setTabOrder(w->BtnRot1, w->BtnRot2);
    QWidget::setTabOrder(w->BtnRot2, w->BtnRot3);
    QWidget::setTabOrder(w->BtnRot3, w->BtnNavBio);
    QWidget::setTabOrder(w->BtnNavBio, w->BtnNavPaleo);
}

void TNavigation::setUpDisplays() {
    using R = QAccessible::Role;
    RegisterReadout(w->LEDDisplay1, {R::StaticText, Fixed("Date en millions d'années"), [this] { return ReadoutText(); }});
    RegisterReadout(w->DateLabel1, {R::StaticText, Fixed("Date ramenée à une année"), [this] { return CalendarText(); }});
    RegisterReadout(w->Label1, {R::StaticText, Fixed("Période"), [this] { return PeriodText(); }});
    RegisterReadout(w->Label3, {R::Notification, Fixed("Événement touché"), [this] { return TouchedEventText(); }});
    // The pictures are named by their captions.
    RegisterReadout(w->Image1, {R::Graphic, [this] { return w->StaticTextBio->Caption(); }, {}});
    RegisterReadout(w->Image2, {R::Graphic, [this] { return w->StaticTextPaleo->Caption(); }, {}});
    for (QToolButton* b : {w->BtnNavBio, w->BtnNavPaleo}) {
        b->setAccessibleName(GlobeButtonName(QString()));
        b->installEventFilter(this);
    }
    m_globeButtons[0] = w->BtnNavBio;
    m_globeButtons[1] = w->BtnNavPaleo;
}

void TNavigation::setUpKeys() {
    // Access keys of the menus (Alt and the underlined letter); other menus
    // bring their own.
    const struct {
        QMenu* menu;
        const char* title;
    } menus[5] = {{w->Fichier1, "&Fichier"}, {w->Donnes1, "&Données"}, {w->Spirale1, "&Spirale"},
                  {Navigation1, "&Navigation"}, {w->N1, "&?"}};
    for (const auto& m : menus)
        m.menu->setTitle(QString::fromUtf8(m.title));
    // The event file commands of the custom mode (enabled only in that mode).
    w->Ouvrir1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    w->Sauvegarder1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    // F10 opens the first menu of the bar on its first item, as Alt and its
    // letter would; the arrows go on from there.
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), w);
    f10->setObjectName(QStringLiteral("MenuBarKey"));
    connect(f10, &QShortcut::activated, this, [this] {
        const QList<QAction*> titles = w->menuBar()->actions();
        if (titles.isEmpty() || !titles.first()->menu())
            return;
        w->menuBar()->setActiveAction(titles.first());
        QMenu* menu = titles.first()->menu();
        for (QAction* a : menu->actions())
            if (!a->isSeparator() && a->isEnabled() && a->isVisible()) {
                menu->setActiveAction(a);
                break;
            }
    });
}

void TNavigation::endAltNavigation() {
    // The menu bar takes a press of Alt alone, released, as the way into its
    // menus; a shortcut that eats the other key of Alt+Gauche or Alt+Droite
    // hides that key from it, so that releasing Alt would open its keyboard
    // mode and the next arrow would go to the menus instead of the dial. Any
    // focus event ends its waiting for that release.
    QFocusEvent settled(QEvent::FocusIn, Qt::OtherFocusReason);
    QCoreApplication::sendEvent(this, &settled);
}

QString TNavigation::GlobeButtonName(const QString& caption) {
    return caption.isEmpty() ? QStringLiteral("Documents sur la période")
                             : QStringLiteral("Documents sur : ") + caption;
}

namespace {

// The keys that press a focused button: Space (Qt's own) and Entrée, which a
// tool button does not take by itself.
bool IsPressKey(const QKeyEvent* e) {
    if ((e->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier)) != Qt::NoModifier)
        return false;
    return e->key() == Qt::Key_Space || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
}

} // namespace

bool TNavigation::eventFilter(QObject* watched, QEvent* e) {
    // The buttons as kept here: while the window is destroyed its children
    // still send events, and the window's fields are no longer there to read.
    if (watched == m_globeButtons[0] || watched == m_globeButtons[1]) {
        // A focused globe button keeps Space and Entrée from the window's
        // shortcuts (Space is playback's): the button is pressed instead.
        if (e->type() == QEvent::ShortcutOverride && IsPressKey(static_cast<QKeyEvent*>(e))) {
            e->accept();
            return true;
        }
        if (e->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(e);
            auto* button = qobject_cast<QToolButton*>(watched);
            if (button && IsPressKey(k) && k->key() != Qt::Key_Space) {
                button->animateClick();
                return true;
            }
        }
        return QObject::eventFilter(watched, e);
    }
    if (Playing()) {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::Wheel:
            Stop();
            break;
        case QEvent::KeyPress:
            if (TBtnRot::IsTurnKey(static_cast<QKeyEvent*>(e)))
                Stop();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, e);
}

// ---- Going to a date ----

bool TNavigation::readyToTurn() {
    // A mouse drag under way keeps its dial: commands wait until it ends. A
    // key held on a dial is let go first.
    for (TBtnRot* d : {w->BtnRot1, w->BtnRot2, w->BtnRot3})
        if (d->Dragging() && !d->TurnHeld())
            return false;
    for (TBtnRot* d : {w->BtnRot1, w->BtnRot2, w->BtnRot3})
        d->EndTurn();
    return true;
}

void TNavigation::GoToDate(double date) {
    Stop();
    if (!std::isfinite(date) || !readyToTurn())
        return;
    w->BtnRot3->TurnOnce(TotalFor(w, w->BtnRot3, date));
}

void TNavigation::AllerAClick() {
    Stop();
    TGoToDialog dialog(TGoToIndex(w->ScaleTable, w->EventList), w);
    if (dialog.exec() != QDialog::Accepted)
        return;
    GoToDate(dialog.TargetDate());
    // A date beyond the scale went to its limit: the note shows a moment
    // under the readout, where the date is read.
    if (!dialog.Clamped())
        return;
    if (!GoToNote) {
        GoToNote = new QLabel(w);
        GoToNote->setObjectName(QStringLiteral("GoToNote"));
        GoToNote->setAutoFillBackground(true);
        GoToNote->setPalette(QToolTip::palette());
        GoToNote->setFrameShape(QFrame::Box);
        GoToNote->setMargin(3);
        GoToNote->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_noteTimer = new QTimer(this);
        m_noteTimer->setSingleShot(true);
        m_noteTimer->setInterval(5000);
        connect(m_noteTimer, &QTimer::timeout, GoToNote, &QWidget::hide);
    }
    GoToNote->setText(dialog.Note->text());
    GoToNote->adjustSize();
    GoToNote->move(w->LEDDisplay1->mapTo(w, QPoint(0, w->LEDDisplay1->height() + 4)));
    GoToNote->raise();
    GoToNote->show();
    m_noteTimer->start();
    QAccessibleEvent alert(GoToNote, QAccessible::Alert);
    NotifyAccessible(alert);
}

void TNavigation::StepBoundary(int direction) {
    QVector<double> starts;
    for (const QString& s : w->ScaleTable.StartDates)
        starts << StrToFloatLenient(s);
    std::sort(starts.begin(), starts.end());
    stepAmong(starts, direction);
}

QVector<double> TNavigation::eventDates() const {
    QVector<double> dates;
    for (const QString& d : w->EventList.Dates())
        dates << StrToFloatLenient(d);
    std::sort(dates.begin(), dates.end());
    dates.erase(std::unique(dates.begin(), dates.end()), dates.end());
    return dates;
}

void TNavigation::StepEvent(int direction) { stepAmong(eventDates(), direction); }

void TNavigation::stepAmong(const QVector<double>& sorted, int direction) {
    const double now = w->CurrentDate;
    if (direction > 0) {
        const auto it = std::upper_bound(sorted.begin(), sorted.end(), now + SameDate);
        if (it != sorted.end())
            GoToDate(*it);
    } else {
        const auto it = std::lower_bound(sorted.begin(), sorted.end(), now - SameDate);
        if (it != sorted.begin())
            GoToDate(*(it - 1));
    }
}

// ---- Playback ----

TBtnRot* TNavigation::PlaybackDial() const {
    // The coarsest dial that turns slowly enough to be followed by eye; the
    // finer ones blink until playback halts, as in a drag.
    if (m_log)
        return std::fabs(w->CurrentDate) > 10.0 ? w->BtnRot1 : w->BtnRot2;
    return m_speed > 1.0 ? w->BtnRot1 : w->BtnRot2;
}

double TNavigation::DialTotal(const TBtnRot* dial, double date) const { return TotalFor(w, dial, date); }

void TNavigation::SetSpeed(double maPerSecond) {
    if (!(maPerSecond > 0.0))
        return;
    m_speed = maPerSecond;
    m_log = false;
    for (int i = 0; i < 4; ++i)
        if (SpeedActions[i])
            SpeedActions[i]->setChecked(Speeds[i] == m_speed);
    VitesseLog1->setChecked(false);
    if (Playing()) { // goes on from here at the new speed, on its dial
        const int direction = m_direction;
        Stop();
        Play(direction);
    }
}

void TNavigation::SetLogarithmic() {
    m_log = true;
    for (QAction* a : SpeedActions)
        a->setChecked(false);
    VitesseLog1->setChecked(true);
    if (Playing()) {
        const int direction = m_direction;
        Stop();
        Play(direction);
    }
}

void TNavigation::Play(int direction) {
    // Space and Shift+Space while playing stop, whichever way time runs.
    if (Playing()) {
        Stop();
        return;
    }
    direction = direction < 0 ? -1 : 1;
    if (!readyToTurn())
        return;
    m_dial = PlaybackDial();
    if (!m_dial->BeginTurn()) {
        m_dial = nullptr;
        return;
    }
    m_direction = direction;
    m_anchorTime = Clock();
    m_anchorDate = w->CurrentDate;
    m_lastFrame = -1;
    m_paused = false;
    m_events = eventDates();
    FrameTimer->start();
    updateActions();
}

void TNavigation::Stop() {
    if (!Playing())
        return;
    m_direction = 0;
    m_paused = false;
    FrameTimer->stop();
    if (m_dial)
        m_dial->EndTurn(); // the finer dials catch up
    m_dial = nullptr;
    updateActions();
}

void TNavigation::turnHeldDialTo(double date) {
    m_dial->TurnTo(TotalFor(w, m_dial, date));
}

void TNavigation::Tick() {
    if (!Playing())
        return;
    const qint64 now = Clock();
    if (m_lastFrame >= 0 && now - m_lastFrame < FrameInterval)
        return;
    m_lastFrame = now;
    const double speedPerNs = m_speed / double(Second);
    // The date `ns` after the anchor, and the time from the anchor to a date.
    auto dateAfter = [&](qint64 ns) {
        return m_log ? LogPlaybackDate(m_anchorDate, m_direction, double(ns) / Second, LogSecondsPerDecade)
                     : m_anchorDate + m_direction * speedPerNs * double(ns);
    };
    auto timeTo = [&](double date) {
        return m_log ? std::llround(LogPlaybackSeconds(m_anchorDate, date, LogSecondsPerDecade) * Second)
                     : std::llround(std::fabs(date - m_anchorDate) / speedPerNs);
    };

    // A late frame may pass several events whose halts are over already.
    for (;;) {
        if (m_paused) {
            if (now < m_pauseUntil)
                return;
            // The halt is over: time runs again from its end, not from now,
            // so that the playback never drifts.
            m_anchorTime = m_pauseUntil;
            m_paused = false;
            if (!m_dial->BeginTurn()) {
                Stop();
                return;
            }
        }
        const double target = dateAfter(now - m_anchorTime);
        const double bounded = std::clamp(target, LowestDate, HighestDate);

        if (PauseEvenement1->isChecked()) {
            // The first event after the anchor, up to the date now due.
            double reached = NAN;
            if (m_direction > 0) {
                const auto it = std::upper_bound(m_events.begin(), m_events.end(), m_anchorDate + SameDate);
                if (it != m_events.end() && *it <= bounded)
                    reached = *it;
            } else {
                auto it = std::lower_bound(m_events.begin(), m_events.end(), m_anchorDate - SameDate);
                if (it != m_events.begin() && *(it - 1) >= bounded)
                    reached = *(it - 1);
            }
            if (!std::isnan(reached)) {
                // Halt on the event, released so that every dial shows it.
                turnHeldDialTo(reached);
                m_dial->EndTurn();
                const qint64 at = m_anchorTime + timeTo(reached);
                m_anchorDate = reached;
                m_anchorTime = at;
                m_pauseUntil = at + EventPause;
                m_paused = true;
                continue;
            }
        }

        // The dial stops by itself at its limit: playback ends there.
        turnHeldDialTo(bounded);
        if (!m_dial->Dragging() || target != bounded)
            Stop();
        return;
    }
}

void TNavigation::updateActions() {
    Lecture1->setChecked(m_direction > 0);
    LectureArriere1->setChecked(m_direction < 0);
    Arreter1->setEnabled(Playing());
}

// ---- Accessibility ----

QString TNavigation::ReadoutText() const {
    QString number = QString::number(w->LEDDisplay1->Value(), 'f', 3);
    number.replace(QLatin1Char('.'), QLatin1Char(','));
    return w->Signe->text() + number + QStringLiteral(" millions d'années");
}

QString TNavigation::CalendarText() const {
    return w->DateLabel1->Caption();
}

QString TNavigation::PeriodText() const {
    QStringList lines = w->Label1->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString& l : lines)
        l = l.trimmed();
    return lines.join(QStringLiteral(", "));
}

QString TNavigation::TouchedEventText() const {
    return w->Label3->text().trimmed();
}

QString TNavigation::PeriodName() const {
    // The system, the period proper, when the scale names one; else the
    // finest level it names.
    QString finest;
    for (const QString& line : w->Label1->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const qsizetype colon = line.indexOf(QStringLiteral(" : "));
        if (colon < 0)
            continue;
        finest = line.mid(colon + 3).trimmed();
        if (line.left(colon).trimmed() == QLatin1String("SYSTEME"))
            return finest;
    }
    return finest;
}

void TNavigation::DateShown() {
    // Texts are compared with those last told, so that only changes are sent.
    QWidget* const widgets[4] = {w->LEDDisplay1, w->DateLabel1, w->Label1, w->Label3};
    const QString texts[4] = {ReadoutText(), CalendarText(), PeriodText(), TouchedEventText()};
    for (int i = 0; i < 4; ++i) {
        if (texts[i] == m_shown[i])
            continue;
        NotifyTextChanged(widgets[i], m_shown[i], texts[i]);
        m_shown[i] = texts[i];
        if (i == 3 && !texts[i].isEmpty()) {
            // The event the date sphere now touches is announced: its strip,
            // a notification, shows anew (Orca speaks a notification shown,
            // with its text) and raises an alert (what other platforms speak).
            QAccessibleEvent shown(widgets[i], QAccessible::ObjectShow);
            NotifyAccessible(shown);
            QAccessibleEvent alert(widgets[i], QAccessible::Alert);
            NotifyAccessible(alert);
        }
    }
    // The pictures and the globe buttons are named after the captions.
    const struct {
        TEmbossedText* caption;
        QWidget* picture;
        QToolButton* button;
    } documents[2] = {{w->StaticTextBio, w->Image1, w->BtnNavBio}, {w->StaticTextPaleo, w->Image2, w->BtnNavPaleo}};
    for (int i = 0; i < 2; ++i) {
        const QString caption = documents[i].caption->Caption();
        if (caption == m_captions[i])
            continue;
        m_captions[i] = caption;
        documents[i].button->setAccessibleName(GlobeButtonName(caption));
        QAccessibleEvent named(documents[i].picture, QAccessible::NameChanged);
        NotifyAccessible(named);
    }
}
