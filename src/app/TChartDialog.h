#pragma once

#include "events/GoToIndex.h"
#include "lesson/ChartLayout.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

// "Frise chronologique": what the chart shows and how it is written. Its
// defaults give a chart at once (the Phanerozoic, every level, the events,
// linear scale, landscape A4, PDF), so Entrée is enough. The dialog only reads
// the request; the caller lays the chart out and writes it.
class TChartDialog : public QDialog {
    Q_OBJECT
public:
    TChartDialog(const TChartScale& scale, QWidget* parent = nullptr);

    // "Enregistrer…": checks the fields; a wrong one leaves a note and the
    // dialog open, else the dialog is accepted.
    void BtnOkClick();

    // Once accepted: the chart's options (interval, title, levels, events,
    // scale, paper) and the format.
    const TChartOptions& Options() const { return m_options; }
    bool Svg() const;
    QString IntervalName() const { return m_intervalName; }

    QRadioButton* ByUnit = nullptr;
    QLineEdit* UnitEdit = nullptr;
    QRadioButton* ByDates = nullptr;
    QLineEdit* FromEdit = nullptr;
    QLineEdit* ToEdit = nullptr;
    QCheckBox* LevelBoxes[ChartLevelCount] = {};
    QCheckBox* EventsBox = nullptr;
    QComboBox* ScaleBox = nullptr;
    QComboBox* PaperBox = nullptr;
    QSpinBox* PagesBox = nullptr;
    QComboBox* FormatBox = nullptr;
    QLabel* Note = nullptr;
    QPushButton* BtnOk = nullptr;
    QPushButton* BtnAnnuler = nullptr;

private:
    const TChartScale& m_scale;
    TGoToIndex m_units; // the scale's units, for completion
    TChartOptions m_options;
    QString m_intervalName;
};

// Tests answer the dialog through a function given the dialog (it fills the
// fields and clicks); an empty function restores the real dialog.
using TChartDialogHook = std::function<void(TChartDialog&)>;
void SetChartDialogHook(TChartDialogHook hook);
// Shows the dialog (or hands it to the hook); true when accepted.
bool RunChartDialog(TChartDialog& dialog);
