// An event file named on the command line: the input's bytes up to the first
// zero byte are a file name (any bytes but "/"), the rest its content.
// Properties: the argument is absolute and clean and names the file written;
// the file reads (or is refused with a message) through that name.
#include "FuzzSupport.h"
#include "app/CommandLine.h"
#include "events/EventFile.h"
#include "timescale/AevError.h"

#include <QFile>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype zero = input.indexOf('\0');
    QByteArray name = input.left(zero < 0 ? input.size() : zero).left(200);
    name.replace('/', "_");
    if (name == "." || name == "..")
        name = "_";
    name += ".aev";
    const QByteArray content = zero < 0 ? QByteArray() : input.mid(zero + 1);
    const QByteArray folder = QFile::encodeName(fuzz::TempPath(QStringLiteral("arg")));
    ::mkdir(folder.constData(), 0700);
    const QByteArray full = folder + '/' + name;
    FILE* f = std::fopen(full.constData(), "wb");
    fuzz::Check(f != nullptr, "the file cannot be written");
    std::fwrite(content.constData(), 1, std::size_t(content.size()), f);
    std::fclose(f);

    QByteArray relative = folder + "/./x/../" + name;
    const QByteArray argument = NativeFileArgument(relative.constData());
    fuzz::Check(argument == full, "the argument does not name the file written");
    try {
        const TEventList list = ReadEventFile(argument, 64 << 20);
        for (int i = 0; i < list.Count(); ++i)
            fuzz::Check(!list.Date(i).isEmpty(), "an event without a date");
    } catch (const EAevError& e) {
        fuzz::Check(!e.message().isEmpty(), "a refusal without a reason");
    }
    ::unlink(full.constData());
    return 0;
}
