#pragma once

#include <QString>
#include <functional>

class QPrinter;
class QWidget;

// The French file dialogs of the lesson commands (picture export, CSV
// import and export, the timeline chart, tours). Each kind remembers, for the run, the path last chosen.
struct TLessonFileRequest {
    enum TKind { SaveImage, OpenCsv, SaveCsv, SaveChart, OpenTour, SaveTour };
    TKind Kind = SaveImage;
    // In: the path offered (the last one chosen, or a default name);
    // out: the chosen path, with the default extension added when it had none.
    QString FileName;
    // SaveImage only, out: the picture at twice the window's size.
    bool DoubleSize = false;
    // SaveChart only, in: an SVG picture rather than a PDF document.
    bool Svg = false;
};

// Shows the dialog of the request's kind; false when the user cancels.
bool ChooseLessonFile(QWidget* parent, TLessonFileRequest& request);

// The print dialog on `printer`; false when the user cancels. With `sheet`,
// the dialog has a tab "Fiche" to choose the worksheet, starting at *sheet.
enum class TLessonSheet;
bool ChoosePrinter(QWidget* parent, QPrinter& printer, TLessonSheet* sheet = nullptr);

// Tests replace the dialogs by functions that answer them. Empty functions
// restore the real dialogs.
using TLessonFileHook = std::function<bool(TLessonFileRequest&)>;
void SetLessonFileHook(TLessonFileHook hook);
using TPrintDialogHook = std::function<bool(QPrinter&)>;
void SetPrintDialogHook(TPrintDialogHook hook);
