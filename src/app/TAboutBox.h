#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class TPanel;

// The About box, also the start-up splash. Once shown it stays at least
// 4000 ms on screen: a request to close it waits, with messages flowing,
// until that time has passed since it was shown. Its OK button closes it at once.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    // Minimum time on screen, milliseconds.
    static constexpr quint32 HoldTime = 4000;

    // Shows the box modelessly as the splash ("Chargement de l'application ..."
    // visible, OK hidden) and paints it at once.
    void ShowSplash();
    // Closes the splash once it has been shown for its minimum time.
    void CloseSplash();
    // Prepares the box for "A propos...": label hidden, OK shown.
    void SetAboutMode();

    // Runs whenever the box is shown: ShowTick := the tick count.
    void FormShow();
    // Holds the close until the tick count minus ShowTick, as an unsigned 32-bit
    // difference, exceeds HoldTime; true when the close may happen.
    bool FormCloseQuery();
    // ShowTick := 0, then close with the OK result.
    void OKButtonClick();

    // Milliseconds since system start (unsigned 32-bit, wrapping), taken when
    // the box was last shown; 0 after OK.
    quint32 ShowTick = 0;

    // The tick source and the wait of one round of the hold; tests replace them.
    void SetTickSource(std::function<quint32()> ticks) { m_ticks = std::move(ticks); }
    void SetHoldPump(std::function<void()> pump) { m_pump = std::move(pump); }
    // The system's millisecond tick count.
    static quint32 SystemTicks();

    TPanel* Panel1 = nullptr;
    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Credits = nullptr;
    QLabel* LabelTemp = nullptr;
    QPushButton* OKButton = nullptr;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::function<quint32()> m_ticks;
    std::function<void()> m_pump;
};
