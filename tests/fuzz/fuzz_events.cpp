// An event file loaded, saved back into itself and loaded again. Properties:
// what loads can be saved (no refusal), and every date of the list is in the
// file after the save.
#include "FuzzSupport.h"
#include "events/EventFile.h"
#include "timescale/AevError.h"
#include "timescale/IniFile.h"

#include <QFile>
#include <QSet>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const QString path = fuzz::WriteTemp(QStringLiteral("e.aev"), data, size);
    const TEventList list = LoadEventFile(path);
    try {
        SaveEventFile(path, list);
    } catch (const EAevError&) {
        fuzz::Check(false, "a list loaded from a file cannot be saved back");
    }
    const TEventList back = LoadEventFile(path);
    QSet<QString> dates;
    for (const QString& d : back.Dates())
        dates.insert(TIniFile::SectionKey(d));
    for (const QString& d : list.Dates())
        fuzz::Check(dates.contains(TIniFile::SectionKey(d)), "a saved event is missing after the save");
    // A fresh file holds exactly the list's distinct dates.
    const QString copy = fuzz::TempPath(QStringLiteral("copy.aev"));
    QFile::remove(copy);
    SaveEventFile(copy, list);
    QSet<QString> distinct;
    for (const QString& d : list.Dates())
        distinct.insert(TIniFile::SectionKey(d));
    fuzz::Check(LoadEventFile(copy).Count() == distinct.size(), "a fresh file does not hold one section per date");
    return 0;
}
