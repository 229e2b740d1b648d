#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// Column names of a scale row: column 0 is the start date as written (the
// section name), columns 1 to 12 the values of these keys.
extern const char* const ScaleKeyNames[13];

enum TScaleColumn {
    colStart = 0, colEon, colEre, colSysteme, colSerie, colEtage, colCouleur,
    colLabelBio, colImageBio, colLienBio, colLabelPaleo, colImagePaleo, colLienPaleo,
    ScaleColumnCount
};

// The geological scale in memory: one row of 13 texts per period, sorted
// ascending by start date. Values are stored exactly as read.
struct TScaleTable {
    QStringList StartDates;      // the sorted start-date list (section names)
    QVector<QStringList> Rows;   // Rows[r][c], r following StartDates
    int Count() const { return int(Rows.size()); }
};

// Sorts section names ascending by their StrToFloatLenient value with the
// program's exchange sort: for i in 0..n-1, for j in 0..i-1, exchange i and j
// when value(j) > value(i). Equal values keep whatever order that loop gives.
void SortStartDates(QStringList& dates);

// The loop itself, quadratic; kept as the reference the fast sort is checked against.
void SortStartDatesByLoop(QStringList& dates);

// Reads a scale file: section names, sorted, then the twelve keys of each.
// A missing or unreadable file gives an empty table.
TScaleTable LoadScaleFile(const QString& path);
