#pragma once

#include "app/ResumeState.h"

#include <QObject>
#include <QSize>
#include <QStringList>
#include <functional>

class QAction;
class QMenu;
class QVBoxLayout;
class QWidget;
class TAevoriumF1;

// The "Affichage" menu: full screen for a projector, the window's size and
// high contrast.
//
// The size of everything on show is Qt's scale factor, fixed when the process
// starts: the layout keeps its pixel geometry and Qt draws it larger (text,
// digits and dials drawn again, pictures decoded for the device pixels, the 3D
// view at its real pixel size). Another factor needs a new process: this one
// writes what the user would lose (date, data set, custom events with their
// unsaved edits, the view's orbit) into a resume file, gives up the single-
// instance lock, starts the new process and ends once the new window has
// taken the file; if the new process does not come, this one goes on.
class TProjection : public QObject {
    Q_OBJECT
public:
    // Builds the menu before "?"; `factor` is this run's scale factor.
    TProjection(TAevoriumF1* window, double factor);

    QMenu* Affichage1 = nullptr;
    QAction* PleinEcran1 = nullptr;       // F11, ticked in full screen
    QMenu* Taille1 = nullptr;             // "Taille de la fenêtre"
    QAction* TailleActions[5] = {};       // one per WindowPercents
    QAction* ContrasteEleve1 = nullptr;
    QAction* QuitterPleinEcran1 = nullptr; // Échap in full screen (not in the menu)

    double Factor() const { return m_factor; }
    bool IsFullScreen() const { return m_fullScreen; }

    // The layout with the window's menu bar and the strip below it, at factor 1.
    QSize LayoutSize() const;
    // The screen the window is on, in device pixels.
    QSize ScreenDevicePixels() const;

    // Full screen in this process: the layout centred on a dark surround, or
    // back to the fixed window.
    void ShowFullScreenHere();
    void ShowNormalHere();

    // The strip that shows under the layout in full screen (the window shows it
    // wherever it likes otherwise); null for none.
    void SetBottomStrip(QWidget* strip);
    QWidget* BottomStrip() const { return m_strip; }

    // F11, Échap and the menu: full screen at the factor that fills the screen,
    // or back to the window at its stored size.
    void ToggleFullScreen();
    // "Taille de la fenêtre": stores the size and, in a window, shows it.
    void SetWindowPercent(int percent);
    // "Contraste élevé": stores it and applies it.
    void SetHighContrast(bool on);
    // Dark text on light for the engraved captions, darker panels behind the
    // aqua texts, a thicker focus ring.
    void ApplyHighContrast(bool on);

    // Shows the window at `factor`, full screen or not: here when the factor is
    // this run's, else through a new process. False when nothing changed (the
    // user was told why).
    bool ShowAt(double factor, bool fullScreen);
    // What a new process needs to go on where this one is.
    TResumeState CurrentState(double factor, bool fullScreen) const;
    // In the new process, after FormCreate: the state taken over.
    void ApplyResumeState(const TResumeState& state);

    // How a new process is started (the arguments after the program's name);
    // false when it could not be. Tests replace it.
    std::function<bool(const QStringList& arguments)> Launcher;
    // The single-instance lock given up for the new process and taken back when
    // it does not come (set by the program's entry).
    std::function<void()> ReleaseInstance;
    std::function<bool()> RetakeInstance;
    // How long the new process may take to show its window, in ms.
    int HandOverTimeoutMs = 15000;
    // The resume file of a hand-over in progress, empty otherwise.
    QString PendingResumeFile() const { return m_pending; }

signals:
    // The new process has taken the state over: this one ends.
    void handedOver();

private:
    void createMenu();
    void updateActions();
    void waitForHandOver();
    // Full screen at the factor that fills the screen again, after a docked
    // panel came or went.
    void refit();
    TAevoriumF1* w;
    double m_factor;
    bool m_fullScreen = false;
    QWidget* m_surround = nullptr;
    QVBoxLayout* m_column = nullptr;
    QWidget* m_strip = nullptr;
    QString m_pending;
    int m_waited = 0;
};
