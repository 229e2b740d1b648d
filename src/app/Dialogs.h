#pragma once

#include <QString>
#include <functional>

class QWidget;

// The program's message boxes, with the texts, titles, icons and buttons of its
// conventions. Texts may hold carriage returns as line breaks.
struct TMessageRequest {
    enum Kind { Confirmation, Error, Notice, ErrorReport };
    Kind kind;
    QString title;
    QString text;
};

// "Confirmation" box, question icon, "&Oui" (default) and "&Non" (Escape).
// True unless the answer is "Non"; closing the box counts as "Non", so that
// nothing is thrown away by accident.
bool AskConfirmation(QWidget* parent, const QString& text);

// "Erreur" box, error icon, one "OK" button.
void ShowErrorBox(QWidget* parent, const QString& text);

// Plain box titled with the application title, one "OK" button.
void ShowNotice(QWidget* parent, const QString& text);

// The application's default error report: a box titled "Aevorium" with the
// error icon showing ErrorReportText(message).
void ShowErrorReport(const QString& message);

// The message followed by a full stop when its last character sorts after ".".
QString ErrorReportText(const QString& message);

// Tests replace the boxes by a function that sees each request and answers it
// (1 for "Oui"/"OK", 0 for "Non"). An empty function restores the real boxes.
using TMessageHook = std::function<int(const TMessageRequest&)>;
void SetMessageHook(TMessageHook hook);
