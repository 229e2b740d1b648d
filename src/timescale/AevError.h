#pragma once

#include <QString>
#include <stdexcept>

// A failure of the program, carrying the French text the user sees.
// Operations raise it; the handler that called them decides what is shown
// (the application's default error report when nobody catches it).
class EAevError : public std::runtime_error {
public:
    explicit EAevError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};
