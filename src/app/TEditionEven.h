#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class TScrewPanel;
class TWindows1252Filter;

// The event editor: a modal dialog made once at start-up and reused for every
// edit. The caller prepares it (SetEventDate, SetEventText, the caption of
// BtnModif, BtnSupp enabled or not), runs ExecuteAction and acts on the code.
class TEditionEven : public QDialog {
    Q_OBJECT
public:
    // What the user chose, held in EditAction.
    enum : quint8 { ActionNone = 0, ActionAdd = 1, ActionModify = 2, ActionDelete = 3 };

    explicit TEditionEven(QWidget* parent = nullptr);

    // Stores the date (Ma) and shows it as "Date de l'événement : -65,000 Ma".
    void SetEventDate(double date);
    // Stores the text and puts it into the text box.
    void SetEventText(const QString& text);
    // Shows the dialog modally; the action code once it is closed.
    quint8 ExecuteAction();

    void BtnModifClick();
    void BtnSuppClick();

    double EventDate = 0.0;
    QString EventText;
    quint8 EditAction = ActionNone;

    // The longest text the box takes: what an event file gives back.
    static constexpr int MaxEventTextLength = 2047;

    TScrewPanel* ScrewPanel1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* BtnModif = nullptr;
    QPushButton* BtnSupp = nullptr;
    QPushButton* BtnCancel = nullptr;
    // Shown under the text box when a character the event file cannot store is
    // kept out of it, or when the text given to the editor already holds some.
    QLabel* LabelAvertissement = nullptr;

    static const QString RefusedCharacterNote;
    static const QString UnstorableTextNote;

protected:
    // FormShow: the text box gets the focus and EditAction starts at 0.
    void showEvent(QShowEvent* event) override;

private:
    TWindows1252Filter* m_filter = nullptr; // owned through the Qt parent
};
