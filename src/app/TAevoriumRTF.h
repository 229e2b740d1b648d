#pragma once

#include <QDialog>

class QPushButton;
class QTextEdit;
class TScrewPanel;

// The credits dialog: the rich-text document "Credits.rtf" of the executable's
// folder, read once when the dialog is made, shown read-only on a screw panel.
class TAevoriumRTF : public QDialog {
    Q_OBJECT
public:
    // `folder` is where "Credits.rtf" lies, ending with a separator; empty for
    // the executable's folder. A document that cannot be loaded is reported by
    // the application's error report and the dialog shows an empty view.
    explicit TAevoriumRTF(QWidget* parent = nullptr, const QString& folder = QString());

    // Loads "Credits.rtf" into RichEdit1 (run once, by the constructor).
    void FormCreate();
    // Loads a file into RichEdit1 as rich text, or as plain text when it is not
    // RTF. Raises EAevError "Impossible d'ouvrir le fichier <path>" when it cannot
    // be opened and "Erreur au chargement du flux" when it cannot be read.
    void LoadFile(const QString& path);

    TScrewPanel* ScrewPanel1 = nullptr;
    QTextEdit* RichEdit1 = nullptr;
    QPushButton* Button1 = nullptr;

private:
    QString m_folder;
};
