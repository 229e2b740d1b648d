#include "app/Dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {
TMessageHook& hook() {
    static TMessageHook h;
    return h;
}

QString displayText(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

int run(QWidget* parent, TMessageRequest::Kind kind, const QString& title, const QString& text) {
    if (hook())
        return hook()({kind, title, text});
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(displayText(text));
    if (kind == TMessageRequest::Confirmation) {
        box.setIcon(QMessageBox::Question);
        QPushButton* oui = box.addButton(QStringLiteral("&Oui"), QMessageBox::YesRole);
        QPushButton* non = box.addButton(QStringLiteral("&Non"), QMessageBox::NoRole);
        box.setDefaultButton(oui);
        box.setEscapeButton(non);
        box.exec();
        return box.clickedButton() == non ? 0 : 1;
    }
    box.setIcon(kind == TMessageRequest::Notice ? QMessageBox::NoIcon : QMessageBox::Critical);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
    return 1;
}
} // namespace

void SetMessageHook(TMessageHook h) { hook() = std::move(h); }

bool AskConfirmation(QWidget* parent, const QString& text) {
    return run(parent, TMessageRequest::Confirmation, QStringLiteral("Confirmation"), text) != 0;
}

void ShowErrorBox(QWidget* parent, const QString& text) {
    run(parent, TMessageRequest::Error, QStringLiteral("Erreur"), text);
}

void ShowNotice(QWidget* parent, const QString& text) {
    run(parent, TMessageRequest::Notice, QStringLiteral("Aevorium"), text);
}

QString ErrorReportText(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void ShowErrorReport(const QString& message) {
    run(QApplication::activeWindow(), TMessageRequest::ErrorReport, QStringLiteral("Aevorium"),
        ErrorReportText(message));
}
