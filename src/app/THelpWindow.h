#pragma once

#include <QDialog>

class QPushButton;
class QTextBrowser;

// The guide shown inside the program, for a desktop without a program that
// opens HTML: Qt's text browser on the file, its own links followed inside,
// links to the web handed to the desktop. A window of its own beside the main
// window (not modal), so that the guide stays open while the dials turn.
class THelpWindow : public QDialog {
public:
    explicit THelpWindow(QWidget* parent = nullptr);

    // Shows the guide `path` (an HTML file) from its start and brings the window up.
    void ShowGuide(const QString& path);

    QTextBrowser* Browser = nullptr;
    QPushButton* BtnFermer = nullptr;
};
