#include "timescale/ScaleTable.h"

#include "timescale/IniFile.h"
#include "timescale/StrToFloat.h"

#include <algorithm>
#include <vector>

const char* const ScaleKeyNames[13] = {"",          "eon",      "ere",      "systeme",    "serie",
                                       "etage",     "couleur",  "labelbio", "imagebio",   "lienbio",
                                       "labelpaleo", "imagepaleo", "lienpaleo"};

void SortStartDatesByLoop(QStringList& dates) {
    // Values are read afresh from the current texts at each comparison.
    const int n = int(dates.size());
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < i; ++j)
            if (StrToFloatLenient(dates[j]) > StrToFloatLenient(dates[i]))
                dates.swapItemsAt(i, j);
}

// The same result without the quadratic loop, so that a huge file cannot hang
// the program. Step i of the loop inserts text i into the sorted prefix: it
// lands after every value <= its own, and each run of equal values greater
// than it moves its first text to its end. Each run is kept as a queue; the
// moves a run owes are counted with a Fenwick tree over the value ranks and
// paid when the run grows or at the end.
void SortStartDates(QStringList& dates) {
    const int n = int(dates.size());
    if (n < 2)
        return;
    std::vector<double> value(n);
    for (int i = 0; i < n; ++i)
        value[i] = StrToFloatLenient(dates[i]);
    std::vector<double> distinct(value);
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    const int m = int(distinct.size());
    std::vector<int> rank(n);
    for (int i = 0; i < n; ++i)
        rank[i] = int(std::lower_bound(distinct.begin(), distinct.end(), value[i]) - distinct.begin());

    std::vector<long long> fenwick(m + 1, 0); // insertions so far, by rank
    auto add = [&](int r) {
        for (++r; r <= m; r += r & -r)
            ++fenwick[r];
    };
    auto countBelow = [&](int r) { // insertions of rank < r
        long long c = 0;
        for (; r > 0; r -= r & -r)
            c += fenwick[r];
        return c;
    };
    struct Run {
        std::vector<int> items; // text indices in their current order
        long long settled = 0;  // smaller insertions already paid for
    };
    std::vector<Run> runs(m);
    auto settle = [&](Run& run, int r) {
        const long long below = countBelow(r);
        const std::size_t size = run.items.size();
        if (size > 1) {
            const std::size_t k = std::size_t((below - run.settled) % (long long)size);
            if (k)
                std::rotate(run.items.begin(), run.items.begin() + k, run.items.end());
        }
        run.settled = below;
    };
    for (int i = 0; i < n; ++i) {
        Run& run = runs[rank[i]];
        settle(run, rank[i]);
        run.items.push_back(i);
        add(rank[i]);
    }
    QStringList sorted;
    sorted.reserve(n);
    for (int r = 0; r < m; ++r) {
        settle(runs[r], r);
        for (int i : runs[r].items)
            sorted << dates[i];
    }
    dates = sorted;
}

TScaleTable LoadScaleFile(const QString& path) {
    TScaleTable table;
    const TIniFile ini(path);
    table.StartDates = ini.ReadSections();
    SortStartDates(table.StartDates);
    table.Rows.reserve(table.StartDates.size());
    for (const QString& section : table.StartDates) {
        QStringList row;
        row.reserve(ScaleColumnCount);
        row << section;
        for (int c = 1; c < ScaleColumnCount; ++c)
            row << ini.ReadString(section, QString::fromLatin1(ScaleKeyNames[c]));
        table.Rows << row;
    }
    return table;
}
