#include "app/TGoToDialog.h"

#include "timescale/DateText.h"

#include <QCompleter>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringListModel>
#include <QVBoxLayout>

TGoToDialog::TGoToDialog(const TGoToIndex& index, QWidget* parent) : QDialog(parent), m_index(index) {
    setObjectName(QStringLiteral("GoToDialog"));
    setWindowTitle(QStringLiteral("Aller à"));

    Label1 = new QLabel(
        QStringLiteral("&Date (en Ma, par exemple -66 ou 66 Ma) ou nom d'une période ou d'un événement :"),
        this);
    Label1->setWordWrap(true);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMinimumWidth(360);
    Label1->setBuddy(Edit1);
    Edit1->setAccessibleName(QStringLiteral("Date ou nom"));

    // The names offered are worked out here, without regard to accents, so
    // the completer shows its list as it is.
    m_names = new QStringListModel(this);
    Completer = new QCompleter(m_names, this);
    Completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    Completer->setMaxVisibleItems(12);
    Edit1->setCompleter(Completer);
    connect(Edit1, &QLineEdit::textEdited, this, [this](const QString& text) { updateCompletions(text); });
    // A name picked from the list is gone to at once.
    connect(Completer, QOverload<const QString&>::of(&QCompleter::activated), this,
            [this](const QString& name) {
                Edit1->setText(name);
                BtnAllerClick();
            });

    Note = new QLabel(this);
    Note->setObjectName(QStringLiteral("Note"));
    Note->setWordWrap(true);

    // Entrée in the field goes, also while the list of names is shown (the
    // list hands its keys to the field, not to the dialog's default button).
    BtnAller = new QPushButton(QStringLiteral("Aller"), this);
    BtnAller->setAutoDefault(false);
    BtnAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    BtnAnnuler->setAutoDefault(false);
    connect(Edit1, &QLineEdit::returnPressed, this, [this] { BtnAllerClick(); });
    connect(BtnAller, &QPushButton::clicked, this, [this] { BtnAllerClick(); });
    connect(BtnAnnuler, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnAller);
    buttons->addWidget(BtnAnnuler);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Edit1);
    layout->addWidget(Note);
    layout->addLayout(buttons);
}

void TGoToDialog::updateCompletions(const QString& text) {
    m_names->setStringList(m_index.Completions(text));
    if (m_names->rowCount() > 0 && isVisible())
        Completer->complete();
}

void TGoToDialog::BtnAllerClick() {
    if (m_done) // a name picked from the list with Entrée arrives twice
        return;
    const QString typed = Edit1->text();
    const TGoToRequest r = ResolveGoTo(typed, m_index);
    switch (r.Result) {
    case TGoToRequest::Empty:
        Note->setText(QStringLiteral("Tapez une date ou un nom."));
        return;
    case TGoToRequest::Unknown:
        Note->setText(
            QStringLiteral("Aucune période ni aucun événement ne correspond à « %1 »").arg(typed.trimmed()));
        return;
    case TGoToRequest::IsDate:
        if (r.Clamped) {
            // Goes to the limit at once; the note says so, for the caller to show.
            const QString limit = FormatTypedDate(r.Target);
            Edit1->setText(limit);
            Note->setText(QStringLiteral("Date hors de l'échelle, ramenée à %1 Ma.").arg(limit));
            m_clamped = true;
        }
        break;
    case TGoToRequest::IsName:
        break;
    }
    m_target = r.Target;
    m_done = true;
    accept();
}
