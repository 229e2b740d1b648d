// An INI file read, then written back with one new key. Properties: the key
// reads back, and every byte of the file that the write does not change stays
// (the file after the write is the file before with one insertion).
#include "FuzzSupport.h"
#include "timescale/IniFile.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const QString path = fuzz::WriteTemp(QStringLiteral("f.ini"), data, size);
    const QByteArray before = fuzz::ReadAll(path);
    TIniFile ini(path);
    const QStringList sections = ini.ReadSections();
    for (int i = 0; i < std::min<int>(int(sections.size()), 50); ++i)
        for (const char* key : {"eon", "Evenement", "Echelle", ""})
            fuzz::Check(ini.ReadString(sections[i], QString::fromLatin1(key)).size() <= TIniFile::MaxValueLength,
                        "a value longer than the limit");
    const QString key = QStringLiteral("aevfuzzkey");
    QString section = QStringLiteral("Fuzz");
    for (const QString& name : sections)
        if (!name.isEmpty()) {
            section = name;
            break;
        }
    if (ini.ReadString(section, key, QStringLiteral("\x01")) != QStringLiteral("\x01"))
        return 0; // the key is there already: an insertion is not what happens
    ini.WriteString(section, key, QStringLiteral("valeur"));
    ini.UpdateFile();

    const QByteArray after = fuzz::ReadAll(path);
    const TIniFile back(path);
    fuzz::Check(back.ReadString(section, key) == QStringLiteral("valeur"), "the written key does not read back");
    fuzz::Check(back.ReadSections().size() == sections.size() + (sections.contains(section) ? 0 : 1),
                "the write changed the number of sections");
    qsizetype prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    fuzz::Check(prefix + suffix == before.size(), "the write changed bytes it should have kept");
    return 0;
}
