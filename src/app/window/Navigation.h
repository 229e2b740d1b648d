#pragma once

#include <QObject>
#include <QString>
#include <QVector>
#include <functional>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QTimer;
class TAevoriumF1;
class TBtnRot;

// A menu text with its key in the shortcut column, in French.
QString WithKey(const char* text, const char* key);

// Nanoseconds of a monotonic clock started on the first call: the pace of
// playback and of the tours' movements (tests give a fake clock instead).
std::function<qint64()> SteadyClock();

// Exploring time without dragging a dial: the menu "Navigation" (Aller à,
// step to the previous or next boundary or event, playback and its speed),
// the dials' order and names for the keyboard and screen readers, the
// accessible texts of the displays, the pictures and globe buttons, the
// menus' access keys and F10.
//
// Every change of the date turns a dial exactly as a drag and its release
// would (TBtnRot::BeginTurn / TurnTo / EndTurn), so the window's own handlers
// update the date, the displays, the blinking and the catching-up.
class TNavigation : public QObject {
    Q_OBJECT
public:
    // Builds the menu before "?", and sets the dials' tab order and names.
    explicit TNavigation(TAevoriumF1* window);

    // ---- Going to a date ----
    // Turns dial 3 (the finest, so nothing blinks) to the date in Ma, as one
    // drag and release; beyond the limits the dial stops at them.
    void GoToDate(double date);
    // "Aller à…": the dialog, then GoToDate. A date beyond the scale goes to
    // the limit at once; the dialog's note then shows in GoToNote.
    void AllerAClick();
    // A note shown for a few seconds under the readout, over the window
    // (made on first use, a child of the window; keys do not hide it).
    QLabel* GoToNote = nullptr;
    // The previous (direction -1) or next (+1) start date of the scale, or
    // event date of the list; nothing when there is none.
    void StepBoundary(int direction);
    void StepEvent(int direction);

    // ---- Playback ----
    // Speeds of the "Vitesse" submenu, in Ma per second of wall time.
    static constexpr double Speeds[4] = {100.0, 10.0, 1.0, 0.1};
    // Starts playing forward (+1) or backward (-1) from the current date;
    // while playing, either command stops.
    void Play(int direction);
    void Stop();
    bool Playing() const { return m_direction != 0; }
    int Direction() const { return m_direction; }
    // Halted on an event ("Pause à chaque événement").
    bool PausedOnEvent() const { return m_paused; }
    double Speed() const { return m_speed; }
    void SetSpeed(double maPerSecond);
    // "Logarithmique (chaque ère compte)": the speed proportional to the
    // distance from the present, LogSecondsPerDecade for each factor of ten.
    static constexpr double LogSecondsPerDecade = 5.0;
    bool Logarithmic() const { return m_log; }
    void SetLogarithmic();
    // One frame: the date that the elapsed time gives (a late frame catches
    // up), no more than 60 frames a second, halting 2 s on each event reached
    // when the option is on, stopping at the limits.
    void Tick();
    // Monotonic time in nanoseconds; tests put a fake clock here.
    std::function<qint64()> Clock;
    // The dial playback turns: dial 1 above 1 Ma/s, dial 2 otherwise
    // (logarithmic: dial 1 from more than 10 Ma away from the present).
    TBtnRot* PlaybackDial() const;
    // The total angle that puts `dial` on `date` as the date update reads it
    // back (never a hair before the date).
    double DialTotal(const TBtnRot* dial, double date) const;

    // ---- Accessibility ----
    // After each date update: tells assistive technology that the readout,
    // calendar text and period text changed and announces a new touched event.
    void DateShown();
    // The texts assistive technology reads for them.
    QString ReadoutText() const;
    QString CalendarText() const;
    QString PeriodText() const;
    QString TouchedEventText() const;
    // The period a dial's value text names: the system, else the finest level.
    QString PeriodName() const;
    // The name of a globe button for the caption of its picture:
    // "Documents sur : Mammouths dans la steppe".
    static QString GlobeButtonName(const QString& caption);

    // ---- Menu ----
    QMenu* Navigation1 = nullptr;
    QAction* AllerA1 = nullptr;
    QAction* LimitePrecedente1 = nullptr;
    QAction* LimiteSuivante1 = nullptr;
    QAction* EvenementPrecedent1 = nullptr;
    QAction* EvenementSuivant1 = nullptr;
    QAction* Lecture1 = nullptr;
    QAction* LectureArriere1 = nullptr;
    QAction* Arreter1 = nullptr;
    QMenu* Vitesse1 = nullptr;
    QAction* SpeedActions[4] = {};
    QAction* VitesseLog1 = nullptr;
    QAction* PauseEvenement1 = nullptr;
    QTimer* FrameTimer = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createMenu();
    void setUpDials();
    void setUpDisplays();
    void setUpKeys();
    // Keeps the release of Alt after an Alt shortcut from opening the menus.
    void endAltNavigation();
    void updateActions();
    void turnHeldDialTo(double date);
    // False while the mouse drags a dial; otherwise ends a turn held by a key.
    bool readyToTurn();
    // Event dates in date order, each once.
    QVector<double> eventDates() const;
    // Goes to the first date of `sorted` after the current date (direction > 0)
    // or the last one before it.
    void stepAmong(const QVector<double>& sorted, int direction);

    TAevoriumF1* w;
    double m_speed = 10.0;
    bool m_log = false; // logarithmic speed instead of m_speed
    int m_direction = 0;       // 0 when stopped
    TBtnRot* m_dial = nullptr; // the dial held while playing
    qint64 m_anchorTime = 0;   // ns: the date was m_anchorDate then
    double m_anchorDate = 0.0;
    qint64 m_lastFrame = -1;
    bool m_paused = false; // halted on an event until m_pauseUntil (ns)
    qint64 m_pauseUntil = 0;
    QVector<double> m_events;
    QString m_shown[4];    // texts last told to assistive technology
    QString m_captions[2]; // captions the pictures and globe buttons are named after
    QTimer* m_noteTimer = nullptr; // hides GoToNote
    QObject* m_globeButtons[2] = {}; // the window's BtnNavBio and BtnNavPaleo, whose keys are filtered
};
