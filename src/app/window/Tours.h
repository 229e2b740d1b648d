#pragma once

#include "lesson/TourFile.h"
#include "lesson/TourMotion.h"

#include <QObject>
#include <QString>
#include <QVector>
#include <functional>

class QAction;
class QDockWidget;
class QMenu;
class QPrinter;
class QTimer;
class TAevoriumF1;
class TBtnRot;
class TTourPanel;

// Guided tours, the menu "Parcours": open a tour (a file or one shipped in the
// data folder "Parcours/"), step through its stops, write and save one, print
// the list of its stops. While a tour is open its panel shows below the
// window's layout (the window grows by its height) and Page Down / Page Up
// step the tour wherever the focus is in the window (presentation clickers send
// those keys); Échap closes it.
//
// Going to a stop turns the dials there as one drag (TBtnRot::BeginTurn /
// TurnTo / EndTurn) along a smooth movement, logarithmic in age, of at most
// 2 s (TTourMove), and ends with "Aller à" that date, so the displays end
// exactly as that command leaves them.
class TTours : public QObject {
    Q_OBJECT
public:
    // Builds the menu before "?" and lists the shipped tours.
    explicit TTours(TAevoriumF1* window);

    // ---- Playing ----
    // Reads the file and opens the tour at its first stop; a bad file is
    // reported in an error box (with its line) and the tour on show stays.
    bool OpenTourFile(const QString& path);
    void OpenTour(const TTour& tour, const QString& path);
    // False when the user keeps a tour with unsaved changes open.
    bool CloseTour();
    bool IsOpen() const { return m_open; }
    int Current() const { return m_current; } // -1 while the tour has no stop
    void GoToStop(int index);
    void NextStop() { GoToStop(m_current + 1); }
    void PreviousStop() { GoToStop(m_current - 1); }
    void FirstStop() { GoToStop(0); }
    void OuvrirParcoursClick();
    // The tours of the data folder: (title, path), sorted by title.
    QVector<QPair<QString, QString>> ShippedTours;

    // ---- The movement to a stop ----
    bool Moving() const { return m_dial != nullptr; }
    // One frame of the movement (the timer calls it; tests with a fake clock).
    void TickMove();
    // Monotonic time in nanoseconds; tests put a fake clock here.
    std::function<qint64()> Clock;
    QTimer* MoveTimer = nullptr;

    // ---- Writing ----
    void NouveauParcoursClick();
    void AjouterEtapeClick();
    void ModifierEtapeClick();
    void MoveStop(int direction); // -1 up, +1 down
    void SupprimerEtapeClick();
    bool EnregistrerParcoursClick();
    void ImprimerParcoursClick();
    // Draws the list of the stops (title, date, text) on `printer`.
    void PrintTour(QPrinter* printer);
    bool Modified() const { return m_modified; }
    // Asked when the window is about to close: false keeps it open.
    bool CanCloseWithUnsavedTour();

    TTour Tour;
    QString TourPath; // empty for a new tour

    // ---- Panel and menu ----
    TTourPanel* Panel = nullptr;
    QDockWidget* Dock = nullptr;
    QMenu* Parcours1 = nullptr;
    QAction* OuvrirParcours1 = nullptr;
    QVector<QAction*> ShippedTourActions;
    QAction* EtapeSuivante1 = nullptr;
    QAction* EtapePrecedente1 = nullptr;
    QAction* PremiereEtape1 = nullptr;
    QAction* FermerParcours1 = nullptr;
    QAction* NouveauParcours1 = nullptr;
    QAction* AjouterEtape1 = nullptr;
    QAction* ModifierEtape1 = nullptr;
    QAction* MonterEtape1 = nullptr;
    QAction* DescendreEtape1 = nullptr;
    QAction* SupprimerEtape1 = nullptr;
    QAction* EnregistrerParcours1 = nullptr;
    QAction* ImprimerParcours1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createMenu();
    void findShippedTours();
    void updateActions();
    void showPanel(bool on);
    void showStop();
    void abandonMove();
    void finishMove();
    void selectDataSet(const QString& name);
    void setModified(bool on);

    TAevoriumF1* w;
    bool m_open = false;
    int m_current = -1;
    bool m_modified = false;
    bool m_swallowEscape = false;
    // The movement under way: the held dial (null when none), its start.
    TBtnRot* m_dial = nullptr;
    TTourMove m_move;
    qint64 m_moveStart = 0;
};
