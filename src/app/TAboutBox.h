#pragma once

#include <QDialog>

// The About box, also the start-up splash (placeholder until it lands).
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    // Shows the box modelessly as the splash ("Chargement de l'application ...").
    void ShowSplash();
    // Closes the splash once it has been shown for its minimum time.
    void CloseSplash();
};
