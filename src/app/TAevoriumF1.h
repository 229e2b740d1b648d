#pragma once

#include "events/EventList.h"
#include "app/LessonPage.h"
#include "app/TEventFileDialog.h"
#include "imaging/PictureFailures.h"
#include "timescale/ScaleTable.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <vector>

class QAction;
class QImage;
class QLabel;
class QPrinter;
class QMenu;
class QToolButton;
class QWidget;
class TBaseSceneObject;
class TBtnRot;
class TCollisionManager;
class TEmbossedText;
class THelpWindow;
class TImage;
class TImageSlider;
class TLEDDisplay;
class TLEDLabel;
class TNavigation;
class TTours;
class TPanel;
class TProjection;
class TSceneViewer;
class TScrewPanel;
class TSphere;
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
//   app/window/Navigation.cpp        keys, "Aller à", stepping, playback, screen readers
//   app/window/Tours.cpp             guided tours: menu, stepping, movement, panel
//   app/window/TourEditing.cpp       guided tours: writing, saving, printing
//   app/HelpMenu.cpp                 help, credits and About box
//   app/window/LessonExport.cpp      picture export, events to and from CSV
//   app/window/LessonPrint.cpp       printed worksheets and print preview
//   app/window/ChartExport.cpp       the timeline chart as PDF or SVG
//   app/window/Projection.cpp        full screen, window size, high contrast
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
    // Picture files that failed to load, not decoded again until they change
    // or the scale is loaded again.
    TPictureFailures FailedPictures;

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
    // The markers of `list`, made in one pass outside the tree (nothing shows
    // them yet); progress(done) is asked now and then and cancels with false,
    // in which case nothing is kept and the result is false.
    bool MakeEventMarkers(const TEventList& list, std::vector<TSphere*>& markers,
                          const std::function<bool(int)>& progress);
    // Frees the markers on show and shows these instead, with one repaint.
    void ShowEventMarkers(std::vector<TSphere*> markers);
    // The markers after one edit of EventList (an action code of TEditionEven
    // at `index`), as CreateEventMarkers would make them, touching only those
    // that change.
    void EventMarkersAfterEdit(int action, int index);
    void RunCollisionCheck();
    // OnCollision of CollisionManager1: the event the date sphere touches.
    void CollisionManager1Collision(TCollisionManager* Sender, TBaseSceneObject* object1, TBaseSceneObject* object2);
    // Steps 1 to 4 of a mouse move over the 3D view: restore, pick, highlight, Label2.
    void HoverMarkerAt(int X, int Y);

    // ---- Event list, files and custom mode ----
    void LoadEvents();
    // LoadEventFile with its messages: a file too large to be read or with
    // more than MaxEventCount events (the list is then empty), or sections
    // without a name left out.
    TEventList ReadEventFileReported(const QString& path);
    // The notice that `skipped` sections without a date were left out of `path`.
    void ReportSkippedSections(const QString& path, int skipped);
    void Personnalise1Click(QObject* Sender);
    void Editervnement1Click();
    // What the editor's answer (an action code of TEditionEven) does: the list
    // changes, the markers follow it and the date update runs again. selected:
    // the touched event (-1 for none); date and text: the editor's values.
    void ApplyEventEdit(int action, int selected, double date, const QString& text);
    void Sauvegarder1Click();
    void Ouvrir1Click();
    // "Ouvrir" once the file is chosen: reads it and shows its events, with
    // the busy cursor and a progress dialog that can cancel. A file of more
    // than MaxEventCount events is refused with a message, as is one that
    // memory cannot hold; then, and on a cancel, the list on show stays and
    // the result is false.
    bool OpenEventFile(const QString& path);
    // The one limit of start-up, "Ouvrir" and the CSV import (tests lower it).
    int MaxEventCount = TEventList::MaxCount;
    // An event file named on the command line (or by a later instance): opened
    // as "Ouvrir" would, entering custom mode first; a missing or unreadable
    // file is reported in an error box and nothing changes.
    void OpenEventFileArgument(const QString& path);
    // Asked when the window is about to close: false keeps it open.
    bool CanCloseWithUnsavedEvents();
    // The file dialogs of event files; each remembers the path last chosen in it.
    TEventFileDialog SaveDialog1{TEventFileDialog::Save};
    TEventFileDialog OpenDialog1{TEventFileDialog::Open};

    // ---- Lesson export: picture, printed page, CSV ----
    void ExporterImage1Click();
    void Imprimer1Click();
    void Apercu1Click();
    void ImporterCsv1Click();
    void ExporterCsv1Click();
    // The window as it shows at this date, at `scale` times its size, the 3D
    // view drawn at that size (or its panel as it shows without OpenGL).
    QImage WindowImage(int scale);
    // Draws the worksheet of the current date on `printer`: one page for the
    // class, or the pupil's page and then the answers.
    void PrintLesson(QPrinter* printer);
    // The data set on show, named as in the Données menu (empty when none matches).
    QString CurrentDataSetName() const;
    // "Frise chronologique…": the chart dialog, then the file, written
    // through a temporary file (app/window/ChartExport.cpp).
    void FriseChronologique1Click();
    QString LastChartPath;
    // The paths last chosen in the lesson dialogs, for the run.
    QString LastImagePath, LastCsvOpenPath, LastCsvSavePath;
    // The worksheet "Imprimer…" and its preview print (chosen in their dialogs).
    TLessonSheet PrintSheet = TLessonSheet::Classe;
    bool LastImageDoubleSize = false;

    // ---- Navigation menu, keys, playback and accessible names ----
    TNavigation* Navigation = nullptr; // owned through the Qt parent

    // ---- Affichage menu: full screen, window size, high contrast ----
    TProjection* Projection = nullptr; // owned through the Qt parent
    // ---- Guided tours (menu "Parcours", the tour panel) ----
    TTours* Tours = nullptr; // owned through the Qt parent
    // A file named on the command line or by a later instance: a tour
    // (".aevp") opens at its first stop, any other file as an event file.
    void OpenFileArgument(const QString& path);

    // ---- Help, credits, About ----
    // The desktop opens the guide; when it cannot, HelpWindow shows it.
    void Aide1Click();
    THelpWindow* HelpWindow = nullptr; // made on first use, owned through the Qt parent
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
    QAction* ExporterImage1 = nullptr;
    QAction* Imprimer1 = nullptr;
    QAction* Apercu1 = nullptr;
    QAction* ImporterCsv1 = nullptr;
    QAction* ExporterCsv1 = nullptr;
    QAction* FriseChronologique1 = nullptr;
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
    // While RunCollisionCheck runs: the event the handler named last.
    bool m_inCollisionCheck = false;
    int m_touchedDuringCheck = -1;
    void createControls();
    void createMenus();
    void createLessonMenuItems();
    void createChartMenuItem();
};

// Shows a plain notice box (one "OK" button) when diagnostics are on.
void ShowDebugMessage(const TAevoriumF1& window, const QString& text);
