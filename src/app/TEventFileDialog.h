#pragma once

#include <QString>
#include <functional>

class QWidget;

// One of the two file dialogs of event files, configured once: the filter
// "Evénements personnalisés (*.aev)", the default extension "aev", no
// read-only box. The save dialog asks before replacing an existing file and
// needs an existing folder; the open dialog needs an existing file. Each one
// offers as its initial file name the path last chosen in it (none at first).
class TEventFileDialog {
public:
    enum TKind { Open, Save };

    explicit TEventFileDialog(TKind kind) : Kind(kind) {}

    // Shows the dialog; true and FileName set to the chosen path when the user
    // confirms, false (FileName unchanged) when the user cancels.
    bool Execute(QWidget* parent);

    const TKind Kind;
    QString FileName;                                                // last chosen path
    const QString Filter = QStringLiteral("Evénements personnalisés (*.aev)|*.aev");
    const QString DefaultExt = QStringLiteral("aev");

    // A name without extension gets ".aev".
    static QString WithDefaultExtension(const QString& path);
};

// Tests replace the dialogs by a function that sees the dialog (its kind and
// initial FileName) and returns the chosen path, or an empty text for
// "Annuler". An empty function restores the real dialogs.
using TFileDialogHook = std::function<QString(const TEventFileDialog&)>;
void SetFileDialogHook(TFileDialogHook hook);
