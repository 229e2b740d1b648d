// A scale file loaded as the program loads it. Properties: one row per
// section, rows ascending by start date, and the fast sort gives the order of
// the program's exchange loop.
#include "FuzzSupport.h"
#include "timescale/IniFile.h"
#include "timescale/ScaleTable.h"
#include "timescale/StrToFloat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const QString path = fuzz::WriteTemp(QStringLiteral("Echelle.ini"), data, size);
    const TScaleTable table = LoadScaleFile(path);
    const QStringList sections = TIniFile(path).ReadSections();
    fuzz::Check(table.Count() == sections.size() && table.StartDates.size() == sections.size(),
                "not one row per section");
    for (int r = 1; r < table.Count(); ++r)
        fuzz::Check(StrToFloatLenient(table.StartDates[r - 1]) <= StrToFloatLenient(table.StartDates[r]),
                    "start dates out of order");
    for (const QStringList& row : table.Rows)
        fuzz::Check(row.size() == ScaleColumnCount, "a row without its 13 columns");
    if (sections.size() <= 300) {
        QStringList loop = sections;
        SortStartDatesByLoop(loop);
        fuzz::Check(loop == table.StartDates, "the fast sort differs from the exchange loop");
    }
    return 0;
}
