#pragma once

#include "events/EventList.h"
#include "app/TEventFileDialog.h"
#include "timescale/ScaleTable.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QVector>

class QAction;
class QLabel;
class QMenu;
class QToolButton;
class QWidget;
class TBaseSceneObject;
class TBtnRot;
class TCollisionManager;
class TEmbossedText;
class TImage;
class TImageSlider;
class TLEDDisplay;
class TLEDLabel;
class TPanel;
class TSceneViewer;
class TScrewPanel;
class TSpiralScene;

// The main window: the instrument panel and the owner of all application state.
// Its operations are spread over files by subsystem:
//   app/TAevoriumF1.cpp              layout, menus, start-up (FormCreate), display modes
//   app/window/DataSets.cpp          scale loading, data-set menu and selection
//   app/window/DateUpdate.cpp        dial coupling and the date update
//   app/window/PeriodDisplay.cpp     the period at the current date
//   app/window/SpiralView.cpp        the 3D scene, spiral and date sphere, orbit
//   app/window/EventMarkers.cpp      event markers, hover and collision
//   app/window/CustomEvents.cpp      event files, custom mode, event editor
//   app/HelpMenu.cpp                 help, credits and About box
class TAevoriumF1 : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window from its layout. FormCreate() is run separately by the
    // start-up so that a second instance can stop before it.
    explicit TAevoriumF1(QWidget* parent = nullptr);
    ~TAevoriumF1() override;

    // ---- Start-up and main window ----
    void FormCreate();
    void ApplyDisplayMode(QChar c);
    bool IsTrueColorDisplay() const;
    void Quitter1Click();
    // The command line's arguments after the program name (set before FormCreate).
    QStringList Arguments;
    // The executable's folder, ending with a separator.
    QString ExeDir;

    // ---- Data sets and scale file ----
    void LoadScale();
    void BuildDataSetMenu();
    void SelectDataSet(QAction* item);
    // The Données menu offers at most this many data sets, then a disabled
    // item that says the list is cut.
    static constexpr int MaxDataSetItems = 1000;

    // ---- Dial coupling and the date update ----
    void SetDialLimits();
    void SetDialsDebugMessages(bool on);
    void BtnRot1AngleChange(TBtnRot* Sender);
    void BtnRot1MouseDown(TBtnRot* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void BtnRot3MouseUp(TBtnRot* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);

    // ---- Period display ----
    void ShowPeriod();
    void ShowLevels(int r);
    void ShowPicture(TPanel* panel, TImage* image, const QString& name);
    void ClearPicture(TImage* image);
    void BtnNavBioClick();
    void BtnNavPaleoClick();
    // The level text as ShowLevels builds it (lines separated by carriage
    // returns); Label1 shows it with line breaks.
    QString LevelText() const;
    // The picture name whose load failed last in each panel: its message is
    // shown once, not at every date update that lands in the same period.
    QString FailedPictureBio;
    QString FailedPicturePaleo;

    // ---- 3D spiral ----
    void BuildSpiral(int turns, double radius, double heightPerTurn);
    void PlaceDateSphere();  // PlaceOnSpiral of SpherePos at CurrentDate
    // Mouse handlers of SceneViewer1 (X, Y in the viewer, y downwards).
    void SceneViewer1MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void SceneViewer1MouseMove(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Shift, int X, int Y);
    void SceneViewer1MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);

    // ---- Event markers, hover and collision ----
    void CreateEventMarkers();
    void ClearEventMarkers();
    void RunCollisionCheck();
    // OnCollision of CollisionManager1: the event the date sphere touches.
    void CollisionManager1Collision(TCollisionManager* Sender, TBaseSceneObject* object1, TBaseSceneObject* object2);
    // Steps 1 to 4 of a mouse move over the 3D view: restore, pick, highlight, Label2.
    void HoverMarkerAt(int X, int Y);

    // ---- Event list, files and custom mode ----
    void LoadEvents();
    // LoadEventFile with its messages: a file too large to be read, or
    // sections without a name left out (the list is then empty or partial).
    TEventList ReadEventFileReported(const QString& path);
    void Personnalise1Click(QObject* Sender);
    void Editervnement1Click();
    void Sauvegarder1Click();
    void Ouvrir1Click();
    // Asked when the window is about to close: false keeps it open.
    bool CanCloseWithUnsavedEvents();
    // The file dialogs of event files; each remembers the path last chosen in it.
    TEventFileDialog SaveDialog1{TEventFileDialog::Save};
    TEventFileDialog OpenDialog1{TEventFileDialog::Open};

    // ---- Help, credits, About ----
    void Aide1Click();
    void Crdits1Click();
    void Apropos1Click();
    // FormCreate step 9: the gauge's ruler from "Echelle_geol.dat", failures ignored.
    void LoadGaugeRuler();

    // ---- State fields ----
    double CurrentDate = 0.0;
    QString MonthNames[13]; // 1 to 12
    int LastMouseX = 0;
    int LastMouseY = 0;
    int PeriodRow = 0;
    QString ShownPictureBio;
    QString ShownPicturePaleo;
    bool DebugMessages = false;
    int SelectedEventIndex = -1;
    bool EventsModified = false;
    QString ScaleFileName;
    QString EventFileName;
    TScaleTable ScaleTable;
    QStringList DataSetList;
    TEventList EventList;

    // ---- Controls ----
    TScrewPanel* ScrewPanel1 = nullptr;
    TPanel* Panel7 = nullptr;
    QLabel* Signe = nullptr;
    TLEDDisplay* LEDDisplay1 = nullptr;
    QWidget* Shape1 = nullptr;
    TEmbossedText* StaticText1 = nullptr;
    TBtnRot* BtnRot1 = nullptr;
    TBtnRot* BtnRot2 = nullptr;
    TBtnRot* BtnRot3 = nullptr;
    TLEDLabel* DateLabel1 = nullptr;
    TPanel* Panel4 = nullptr;
    QLabel* Label1 = nullptr;
    TPanel* PanelColor = nullptr;
    TPanel* Panel6 = nullptr;
    QLabel* Label3 = nullptr;
    TImageSlider* ImageSlider1 = nullptr;
    TPanel* Panel1 = nullptr;
    TSceneViewer* SceneViewer1 = nullptr;
    TPanel* Panel5 = nullptr;
    QLabel* Label2 = nullptr;
    TScrewPanel* ScrewPanel2 = nullptr;
    TPanel* Panel2 = nullptr;
    TImage* Image1 = nullptr;
    TEmbossedText* StaticTextBio = nullptr;
    QToolButton* BtnNavBio = nullptr;
    TPanel* Panel3 = nullptr;
    TImage* Image2 = nullptr;
    TEmbossedText* StaticTextPaleo = nullptr;
    QToolButton* BtnNavPaleo = nullptr;

    // ---- Menus ----
    QMenu* Fichier1 = nullptr;
    QAction* Quitter1 = nullptr;
    QMenu* Donnes1 = nullptr;
    QMenu* Spirale1 = nullptr;
    QAction* Personnalise1 = nullptr;
    QAction* Editervnement1 = nullptr;
    QAction* Sauvegarder1 = nullptr;
    QAction* Ouvrir1 = nullptr;
    QMenu* N1 = nullptr;
    QAction* Aide1 = nullptr;
    QAction* Crdits1 = nullptr;
    QAction* Apropos1 = nullptr;

    // ---- 3D scene (owned here; the viewer only draws it) ----
    TSpiralScene* Scene = nullptr;
    // Makes the scene of the window with its stored values (before FormCreate),
    // and frees it with the window.
    void CreateSceneObjects();
    void DestroySceneObjects();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void createMenus();
};

// Shows a plain notice box (one "OK" button) when diagnostics are on.
void ShowDebugMessage(const TAevoriumF1& window, const QString& text);
