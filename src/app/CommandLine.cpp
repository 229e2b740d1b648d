#include "app/CommandLine.h"

#include <QDir>

#include <cstdlib>
#include <unistd.h>

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

QByteArray NativeFileArgument(const char* argument) {
    if (!argument)
        return QByteArray();
    QByteArray path(argument);
    const QByteArray lower = path.toLower(); // ASCII letters only: the extension's
    if (!lower.endsWith(".aev") && !lower.endsWith(".aevp"))
        return QByteArray();
    if (!path.startsWith('/')) {
        if (char* folder = ::getcwd(nullptr, 0)) {
            path = QByteArray(folder) + '/' + path;
            std::free(folder);
        }
    }
    // Latin-1 maps each byte to one character and back, so the folder names
    // come through the cleaning unchanged whatever their encoding.
    return QDir::cleanPath(QString::fromLatin1(path)).toLatin1();
}
