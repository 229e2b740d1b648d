#pragma once

#include <QByteArray>
#include <QPair>
#include <QString>
#include <QVector>

// A guided tour ("parcours"): a sequence of stops, each a date with a title and
// a short text, kept in a text file "*.aevp" that a teacher can also write by
// hand:
//
//   [Parcours]
//   Titre=Les cinq grandes extinctions
//   Auteur=…
//   Description=…
//   [Etape 1]
//   Date=-443,8
//   Titre=Fin de l'Ordovicien
//   Texte=Une glaciation…\nDeuxième ligne
//   Donnees=Echelle complète et histoire de la Terre
//
// UTF-8 with or without BOM (a file that is not UTF-8 is read as Windows-1252),
// CR LF or LF. Lines starting with ';' or '#' are comments. Stops are taken in
// the order of their numbers (gaps allowed). Dates are typed as in "Aller à":
// comma or point, a number without sign is an age, units Ma (default), Ga, ka.
// In Titre, Texte, Auteur and Description "\n" is a line break and "\\" a
// backslash. Keys and sections the program does not know are kept on save.

using TTourKeys = QVector<QPair<QString, QString>>; // key, value as written

struct TTourStop {
    double Date = 0.0; // Ma, negative in the past
    QString DateText;  // as written in the file; written back while it still reads as Date
    QString Title;
    QString Text;    // line breaks as '\n'
    QString DataSet; // the data set to show at this stop (Donnees=), empty for none
    TTourKeys OtherKeys;
    bool operator==(const TTourStop& o) const;
};

struct TTourSection {
    QString Name;
    TTourKeys Keys;
    bool operator==(const TTourSection& o) const { return Name == o.Name && Keys == o.Keys; }
};

struct TTour {
    QString Title;
    QString Author;
    QString Description;
    TTourKeys OtherKeys; // unknown keys of [Parcours]
    QVector<TTourStop> Stops;
    QVector<TTourSection> OtherSections; // unknown sections, in file order
    bool operator==(const TTour& o) const;
};

// What reading gives: the tour, or a French message naming the line at fault.
struct TTourReadResult {
    TTour Tour;
    QString Error; // empty when the file was read
    int Line = 0;  // line of the fault (1-based), 0 when none or the file as a whole
    bool Ok() const { return Error.isEmpty(); }
};

// The dates a stop may have, in Ma (the dials' range).
constexpr double TourLowestDate = -4550.0;
constexpr double TourHighestDate = 30.0;
// Larger files are refused (a tour is a few kilobytes).
constexpr qint64 MaxTourFileSize = 1024 * 1024;
constexpr int MaxTourStops = 1000;

TTourReadResult ReadTour(const QByteArray& bytes);
// UTF-8 without BOM, CR LF line ends; stops numbered from 1.
QByteArray WriteTour(const TTour& tour);

// Reads the file; a missing, unreadable or oversized file gives its message.
TTourReadResult LoadTourFile(const QString& path);
// Writes through a temporary file renamed over the target; raises EAevError.
void SaveTourFile(const QString& path, const TTour& tour);

// The text of a value as the file writes it ("\n" for line breaks) and back.
QString EscapeTourText(const QString& text);
QString UnescapeTourText(const QString& value);
