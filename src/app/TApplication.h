#pragma once

#include <QApplication>

// The application object. A failure that escapes an event handler is shown
// by the default error report and the program goes on.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // The application's name "Aevorium". Window titles are exactly the titles
    // the windows set.
    static void SetNames();

    // French texts for Qt's own dialogs and the stand-in fonts of the layout.
    void InstallFrenchAndFonts();
};

// Runs `body`, reporting any failure it raises through the default error report.
// True when it ran to the end.
template <class F> bool RunReported(F&& body);

#include "timescale/AevError.h"
void ShowErrorReport(const QString& message);

template <class F> bool RunReported(F&& body) {
    try {
        body();
        return true;
    } catch (const EAevError& e) {
        ShowErrorReport(e.message());
    } catch (const std::exception& e) {
        ShowErrorReport(QString::fromLocal8Bit(e.what()));
    }
    return false;
}
