#include "app/TTourStopDialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
TTourTextHook& hook() {
    static TTourTextHook h;
    return h;
}
} // namespace

void SetTourTextHook(TTourTextHook h) {
    hook() = std::move(h);
}

bool AskTourText(QWidget* parent, TTourTextRequest& request) {
    if (hook())
        return hook()(request);
    QDialog dialog(parent);
    dialog.setWindowTitle(request.Caption);
    auto* title = new QLineEdit(request.Title, &dialog);
    title->setObjectName(QStringLiteral("TourTitleEdit"));
    auto* text = new QPlainTextEdit(request.Text, &dialog);
    text->setObjectName(QStringLiteral("TourTextEdit"));
    text->setTabChangesFocus(true);
    text->setMinimumSize(420, 140);
    auto* form = new QFormLayout(&dialog);
    auto* titleLabel = new QLabel(request.TitleLabel, &dialog);
    titleLabel->setBuddy(title);
    auto* textLabel = new QLabel(request.TextLabel, &dialog);
    textLabel->setBuddy(text);
    form->addRow(titleLabel, title);
    form->addRow(textLabel, text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annuler"));
    form->addRow(buttons);
    // A title is required.
    auto update = [&] {
        buttons->button(QDialogButtonBox::Ok)->setEnabled(!title->text().trimmed().isEmpty());
    };
    QObject::connect(title, &QLineEdit::textChanged, &dialog, update);
    update();
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    request.Title = title->text().trimmed();
    request.Text = text->toPlainText().trimmed();
    return true;
}
