#include "app/CommandLine.h"

#include <QDir>

QStringList ProgramArguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

QString FileArgument(const QStringList& arguments) {
    if (!arguments.isEmpty() && arguments.first().endsWith(QStringLiteral(".aevp"), Qt::CaseInsensitive))
        return QDir::cleanPath(QDir::current().absoluteFilePath(arguments.first()));
    return EventFileArgument(arguments);
}

QString EventFileArgument(const QStringList& arguments) {
    if (arguments.isEmpty() || !arguments.first().endsWith(QStringLiteral(".aev"), Qt::CaseInsensitive))
        return QString();
    return QDir::cleanPath(QDir::current().absoluteFilePath(arguments.first()));
}
