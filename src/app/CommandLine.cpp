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

QString EventFileArgument(const QStringList& arguments) {
    if (arguments.isEmpty() || !arguments.first().endsWith(QStringLiteral(".aev"), Qt::CaseInsensitive))
        return QString();
    return QDir::cleanPath(QDir::current().absoluteFilePath(arguments.first()));
}

QByteArray NativeEventFileArgument(int argc, char** argv) {
    if (argc < 2 || !argv[1])
        return QByteArray();
    QByteArray path(argv[1]);
    if (!path.toLower().endsWith(".aev")) // ASCII letters only: the extension's
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
