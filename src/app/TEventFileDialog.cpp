#include "app/TEventFileDialog.h"

#include "app/Dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

TFileDialogHook& hook() {
    static TFileDialogHook h;
    return h;
}

// The file dialog with the checks of the two event-file dialogs, in French.
class TCheckedFileDialog : public QFileDialog {
public:
    TCheckedFileDialog(QWidget* parent, TEventFileDialog::TKind kind) : QFileDialog(parent), m_kind(kind) {}

    void accept() override {
        const QStringList files = selectedFiles();
        if (files.isEmpty()) {
            QFileDialog::accept();
            return;
        }
        const QFileInfo fi(TEventFileDialog::WithDefaultExtension(files.first()));
        if (fi.isDir()) { // the dialog opens the folder
            QFileDialog::accept();
            return;
        }
        if (!fi.absoluteDir().exists()) {
            ShowErrorBox(this, QStringLiteral("Le dossier %1\rn'existe pas.").arg(QDir::toNativeSeparators(fi.absolutePath())));
            return;
        }
        if (m_kind == TEventFileDialog::Open && !fi.exists()) {
            ShowErrorBox(this, QStringLiteral("Le fichier %1\rn'existe pas.").arg(QDir::toNativeSeparators(fi.absoluteFilePath())));
            return;
        }
        if (m_kind == TEventFileDialog::Save && fi.exists() &&
            !AskConfirmation(this, QStringLiteral("%1 existe déjà.\rVoulez-vous le remplacer ?")
                                       .arg(QDir::toNativeSeparators(fi.absoluteFilePath())))) {
            return;
        }
        QFileDialog::accept();
    }

private:
    TEventFileDialog::TKind m_kind;
};

} // namespace

void SetFileDialogHook(TFileDialogHook h) { hook() = std::move(h); }

QString TEventFileDialog::WithDefaultExtension(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + QStringLiteral(".aev");
}

bool TEventFileDialog::Execute(QWidget* parent) {
    QString chosen;
    if (hook()) {
        chosen = hook()(*this);
    } else {
        TCheckedFileDialog dialog(parent, Kind);
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true); // asked in French by accept()
        dialog.setOption(QFileDialog::ReadOnly, false);
        dialog.setAcceptMode(Kind == Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(Kind == Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dialog.setNameFilter(Filter.section(QLatin1Char('|'), 0, 0)); // Qt reads the pattern from the description
        dialog.setDefaultSuffix(DefaultExt);
        dialog.setSizeGripEnabled(true);
        if (!FileName.isEmpty()) {
            const QFileInfo last(FileName);
            dialog.setDirectory(last.absolutePath());
            dialog.selectFile(last.fileName());
        }
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().first();
    }
    if (chosen.isEmpty())
        return false;
    FileName = WithDefaultExtension(chosen);
    return true;
}
