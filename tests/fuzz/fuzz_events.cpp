// An event file loaded, saved back into itself and loaded again. Properties:
// what loads can be saved (no refusal), and a save followed by a load gives
// back every event of the list at its date, nothing more.
#include "FuzzSupport.h"
#include "events/EventFile.h"
#include "timescale/AevError.h"
#include "timescale/IniFile.h"

#include <QFile>

#include <algorithm>

namespace {

// The dates of a list as sections compare them, sorted.
QStringList sectionKeys(const TEventList& list) {
    QStringList keys;
    for (const QString& d : list.Dates())
        keys << TIniFile::SectionKey(d);
    std::sort(keys.begin(), keys.end());
    return keys;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const QString path = fuzz::WriteTemp(QStringLiteral("e.aev"), data, size);
    TEventList list;
    try {
        list = LoadEventFile(path);
    } catch (const EAevError&) {
        return 0; // more events than the spiral shows
    }
    try {
        SaveEventFile(path, list);
    } catch (const EAevError&) {
        fuzz::Check(false, "a list loaded from a file cannot be saved back");
    }
    fuzz::Check(sectionKeys(LoadEventFile(path)) == sectionKeys(list), "the file does not hold the saved events");
    // A fresh file likewise.
    const QString copy = fuzz::TempPath(QStringLiteral("copy.aev"));
    QFile::remove(copy);
    SaveEventFile(copy, list);
    fuzz::Check(sectionKeys(LoadEventFile(copy)) == sectionKeys(list), "a fresh file does not hold the saved events");
    return 0;
}
