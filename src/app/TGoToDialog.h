#pragma once

#include "events/GoToIndex.h"

#include <QDialog>

class QCompleter;
class QLabel;
class QLineEdit;
class QPushButton;
class QStringListModel;

// "Aller à" : one field taking a date ("-66", "66 Ma", "+10", "-4,55 Ga",
// "11,7 ka") or the name of a unit of the scale or of an event, with the
// matching names offered as they are typed. The dialog only reads the
// request: the caller turns the dials to TargetDate() once it is accepted.
class TGoToDialog : public QDialog {
    Q_OBJECT
public:
    TGoToDialog(const TGoToIndex& index, QWidget* parent = nullptr);

    // Where to go, in Ma, once the dialog is accepted.
    double TargetDate() const { return m_target; }
    bool Clamped() const { return m_clamped; }

    // "Aller": goes for a date or a known name; a date beyond the limits goes
    // to the limit, with a note in Note (Clamped() is then true); an unknown
    // name leaves a note and the dialog stays open.
    void BtnAllerClick();

    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* Note = nullptr;
    QPushButton* BtnAller = nullptr;
    QPushButton* BtnAnnuler = nullptr;
    QCompleter* Completer = nullptr;

private:
    void updateCompletions(const QString& text);

    TGoToIndex m_index;
    QStringListModel* m_names = nullptr; // owned through the Qt parent
    double m_target = 0.0;
    bool m_done = false; // accepted: further requests are ignored
    bool m_clamped = false;
};
