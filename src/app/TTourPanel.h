#pragma once

#include <QFrame>

class QLabel;

// The strip that shows the stop of a tour while the tour is open: its title,
// its text and "3 / 12", in large type on the panel's teal so that it reads
// on a projector. The window places it below its own layout, so it covers
// none of the displays. Screen readers read the three labels (their accessible
// names are the texts shown; a change of stop is announced).
class TTourPanel : public QFrame {
    Q_OBJECT
public:
    explicit TTourPanel(QWidget* parent = nullptr);
    // The stop `index` (0-based) of `count` (0: a tour without stops), with
    // the tour's title.
    void ShowStop(const QString& tourTitle, const QString& title, const QString& text, int index, int count);

    QLabel* TitleLabel = nullptr;
    QLabel* TextLabel = nullptr;
    QLabel* CountLabel = nullptr;
    QLabel* TourLabel = nullptr;

    static constexpr int PanelHeight = 180;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // The largest type (at most 22 pixels, at least 13) in which the text
    // fits its label.
    void fitText();
};
