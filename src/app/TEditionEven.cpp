#include "app/TEditionEven.h"

#include "events/EventFile.h"
#include "timescale/IniFile.h"
#include "widgets/TScrewPanel.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QValidator>

#include <functional>

// Keeps characters that an event file cannot store (outside Windows-1252) out
// of the text box: they are dropped from what is typed or pasted, and
// OnRefused is called. Characters of the text the editor was given are
// tolerated, so that opening an event never changes its text.
class TWindows1252Filter : public QValidator {
public:
    using QValidator::QValidator;
    QString Tolerated;
    std::function<void()> OnRefused;

    State validate(QString& input, int& pos) const override {
        if (IsWindows1252Encodable(input))
            return Acceptable;
        QString kept;
        kept.reserve(input.size());
        int cursor = pos;
        bool refused = false;
        for (int i = 0; i < input.size();) {
            const int length = input.at(i).isHighSurrogate() && i + 1 < input.size() &&
                                       input.at(i + 1).isLowSurrogate()
                                   ? 2
                                   : 1;
            const QString character = input.mid(i, length);
            if (IsWindows1252Encodable(character) || Tolerated.contains(character)) {
                kept += character;
            } else {
                refused = true;
                if (i < pos)
                    cursor -= std::min(length, pos - i);
            }
            i += length;
        }
        if (refused) {
            input = kept;
            pos = cursor;
            if (OnRefused)
                OnRefused();
        }
        return Acceptable;
    }
};

const QString TEditionEven::RefusedCharacterNote =
    QStringLiteral("Caractère refusé : le fichier ne peut pas l'enregistrer.");
const QString TEditionEven::UnstorableTextNote =
    QStringLiteral("Certains caractères deviendront « ? » dans le fichier.");

namespace {
QFont sansSerif(int pixelSize) {
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(pixelSize);
    return f;
}
} // namespace

TEditionEven::TEditionEven(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("EditionEven"));
    setWindowTitle(QStringLiteral("Edition d'un événement"));
    // A dialog border: title and close box, no resizing, no help button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);
    setFont(sansSerif(11)); // MS Sans Serif 8 pt
    setFixedSize(394, 163);

    ScrewPanel1 = new TScrewPanel(this);
    ScrewPanel1->setObjectName(QStringLiteral("ScrewPanel1"));
    ScrewPanel1->setGeometry(0, 0, 394, 163);
    ScrewPanel1->SetBevelInner(bvRaised);
    ScrewPanel1->SetBevelOuter(bvSpace);
    ScrewPanel1->SetMargin(4);
    ScrewPanel1->SetScrewSize(4);
    ScrewPanel1->SetShowScrews(true);

    Label2 = new QLabel(ScrewPanel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(32, 24, 190, 20);
    Label2->setFont(sansSerif(16));

    Label1 = new QLabel(QStringLiteral("Texte de l'événement :"), ScrewPanel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(32, 64, 108, 13);

    Edit1 = new QLineEdit(ScrewPanel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(152, 56, 217, 21);
    Edit1->setMaxLength(MaxEventTextLength);
    m_filter = new TWindows1252Filter(Edit1);
    Edit1->setValidator(m_filter);

    LabelAvertissement = new QLabel(ScrewPanel1);
    LabelAvertissement->setObjectName(QStringLiteral("LabelAvertissement"));
    LabelAvertissement->setGeometry(32, 82, 337, 16);
    LabelAvertissement->hide();
    m_filter->OnRefused = [this] {
        LabelAvertissement->setText(RefusedCharacterNote);
        LabelAvertissement->show();
    };

    BtnModif = new QPushButton(QStringLiteral("Ajouter"), ScrewPanel1);
    BtnModif->setObjectName(QStringLiteral("BtnModif"));
    BtnModif->setGeometry(30, 104, 99, 25);
    BtnModif->setDefault(true);

    BtnSupp = new QPushButton(QStringLiteral("Supprimer"), ScrewPanel1);
    BtnSupp->setObjectName(QStringLiteral("BtnSupp"));
    BtnSupp->setGeometry(142, 104, 99, 25);
    BtnSupp->setEnabled(false);

    BtnCancel = new QPushButton(QStringLiteral("Annuler"), ScrewPanel1);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnCancel->setGeometry(294, 104, 75, 25);

    // Tab order: BtnModif, BtnSupp, BtnCancel, Edit1.
    setTabOrder(BtnModif, BtnSupp);
    setTabOrder(BtnSupp, BtnCancel);
    setTabOrder(BtnCancel, Edit1);

    connect(BtnModif, &QPushButton::clicked, this, [this] {
        BtnModifClick();
        accept();
    });
    connect(BtnSupp, &QPushButton::clicked, this, [this] {
        BtnSuppClick();
        accept();
    });
    // "Annuler", like Escape and the close box, leaves EditAction at 0.
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);

    if (const QScreen* s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

void TEditionEven::SetEventDate(double date) {
    EventDate = date;
    Label2->setText(QStringLiteral("Date de l'événement : ") + EventDateText(date) + QStringLiteral(" Ma"));
    // The label grows with its text.
    const QSize hint = Label2->sizeHint();
    Label2->resize(qMax(190, hint.width()), qMax(20, hint.height()));
}

void TEditionEven::SetEventText(const QString& text) {
    EventText = text;
    QString tolerated;
    for (const QChar c : text)
        if (!IsWindows1252Encodable(QString(c)) || c.isSurrogate())
            tolerated += c;
    m_filter->Tolerated = tolerated;
    Edit1->setText(text);
    LabelAvertissement->setText(UnstorableTextNote);
    LabelAvertissement->setVisible(!IsWindows1252Encodable(text));
}

quint8 TEditionEven::ExecuteAction() {
    exec();
    return EditAction;
}

void TEditionEven::BtnModifClick() {
    EventText = Edit1->text();
    EditAction = BtnModif->text() == QLatin1String("Ajouter") ? ActionAdd : ActionModify;
}

void TEditionEven::BtnSuppClick() { EditAction = ActionDelete; }

void TEditionEven::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return; // a window-system re-show (restore), not an opening
    Edit1->setFocus();
    EditAction = ActionNone;
}
