#include "lesson/TourFile.h"

#include "timescale/AevError.h"
#include "timescale/DateText.h"
#include "timescale/IniFile.h"
#include "timescale/SafeSave.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QStringDecoder>

#include <cmath>

bool TTourStop::operator==(const TTourStop& o) const {
    return Date == o.Date && Title == o.Title && Text == o.Text && DataSet == o.DataSet &&
           OtherKeys == o.OtherKeys;
}

bool TTour::operator==(const TTour& o) const {
    return Title == o.Title && Author == o.Author && Description == o.Description &&
           OtherKeys == o.OtherKeys && Stops == o.Stops && OtherSections == o.OtherSections;
}

QString EscapeTourText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\\\");
        else if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
            continue; // CR LF is one break
        else if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            out += QLatin1String("\\n");
        else
            out += c;
    }
    // A value is trimmed when read: blanks at its ends would be lost.
    return out.trimmed();
}

QString UnescapeTourText(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (int i = 0; i < value.size(); ++i) {
        if (value[i] == QLatin1Char('\\') && i + 1 < value.size()) {
            const QChar n = value[i + 1];
            if (n == QLatin1Char('n') || n == QLatin1Char('N')) {
                out += QLatin1Char('\n');
                ++i;
                continue;
            }
            if (n == QLatin1Char('\\')) {
                out += QLatin1Char('\\');
                ++i;
                continue;
            }
        }
        out += value[i];
    }
    return out;
}

namespace {

QString decode(const QByteArray& bytes) {
    QByteArray b = bytes;
    if (b.startsWith("\xEF\xBB\xBF"))
        b.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(b);
    if (!utf8.hasError())
        return text;
    // Written by an editor in the Windows code page.
    return DecodeWindows1252(b);
}

// "Etape 12", "Étape 12" (case ignored): the number, or 0.
int stopNumber(const QString& section) {
    QString s = FoldForMatch(section);
    if (!s.startsWith(QLatin1String("etape ")))
        return 0;
    s = s.mid(6).trimmed();
    for (const QChar c : s)
        if (!c.isDigit() || c.unicode() > 127)
            return -1;
    bool ok = false;
    const int n = s.toInt(&ok);
    return ok && n > 0 ? n : -1;
}

QString line(int n) {
    return QStringLiteral("Ligne %1 : ").arg(n);
}

struct TPendingStop {
    int Number = 0;
    int HeaderLine = 0;
    TTourStop Stop;
    bool HasDate = false;
    bool HasTitle = false;
};

} // namespace

TTourReadResult ReadTour(const QByteArray& bytes) {
    TTourReadResult r;
    auto fail = [&r](int at, const QString& text) {
        r.Line = at;
        r.Error = (at > 0 ? line(at) : QString()) + text;
        r.Tour = TTour();
        return r;
    };

    // CR LF, LF and a lone CR all end a line.
    QString all = decode(bytes);
    all.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    all.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList lines = all.split(QLatin1Char('\n'));
    enum { None, Tour, Stop, Other } where = None;
    bool hasTourSection = false;
    QMap<int, TPendingStop> stops; // by number
    TPendingStop* stop = nullptr;
    TTourSection* other = nullptr;
    QMap<QString, int> seenKeys; // known keys of the current section -> line

    for (int i = 0; i < lines.size(); ++i) {
        const int at = i + 1;
        const QString t = lines[i].trimmed();
        if (t.isEmpty() || t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('#')))
            continue;

        if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']'))) {
            const QString name = t.mid(1, t.size() - 2).trimmed();
            seenKeys.clear();
            stop = nullptr;
            other = nullptr;
            const int n = stopNumber(name);
            if (FoldForMatch(name) == QLatin1String("parcours")) {
                if (hasTourSection)
                    return fail(at, QStringLiteral("la section [Parcours] est donnée deux fois."));
                hasTourSection = true;
                where = Tour;
            } else if (n < 0) {
                return fail(at, QStringLiteral("« [%1] » : le numéro d'étape doit être un nombre entier "
                                               "positif, comme [Etape 3].")
                                    .arg(name));
            } else if (n > 0) {
                if (stops.contains(n))
                    return fail(at, QStringLiteral("l'étape %1 est déjà donnée ligne %2.")
                                        .arg(n)
                                        .arg(stops[n].HeaderLine));
                if (stops.size() >= MaxTourStops)
                    return fail(
                        at,
                        QStringLiteral("plus de %1 étapes : le parcours est trop long.").arg(MaxTourStops));
                stop = &stops[n];
                stop->Number = n;
                stop->HeaderLine = at;
                where = Stop;
            } else {
                r.Tour.OtherSections.append({name, {}});
                other = &r.Tour.OtherSections.last();
                where = Other;
            }
            continue;
        }

        const qsizetype eq = t.indexOf(QLatin1Char('='));
        if (eq < 0)
            return fail(at, QStringLiteral("ligne illisible « %1 » : on attend Clé=valeur ou un titre de "
                                           "section comme [Etape 1].")
                                .arg(t.left(60)));
        const QString key = t.left(eq).trimmed();
        const QString value = t.mid(eq + 1).trimmed();
        if (key.isEmpty())
            return fail(at, QStringLiteral("il manque le nom de la clé avant « = »."));
        if (where == None)
            return fail(at, QStringLiteral("« %1 » vient avant toute section : le fichier doit commencer "
                                           "par [Parcours] ou [Etape 1].")
                                .arg(key));
        if (where == Other) {
            other->Keys.append({key, value});
            continue;
        }

        const QString k = FoldForMatch(key);
        const bool known = where == Tour ? (k == QLatin1String("titre") || k == QLatin1String("auteur") ||
                                            k == QLatin1String("description"))
                                         : (k == QLatin1String("date") || k == QLatin1String("titre") ||
                                            k == QLatin1String("texte") || k == QLatin1String("donnees"));
        if (!known) {
            (where == Tour ? r.Tour.OtherKeys : stop->Stop.OtherKeys).append({key, value});
            continue;
        }
        if (seenKeys.contains(k))
            return fail(at, QStringLiteral("la clé %1 est déjà donnée ligne %2 dans cette section.")
                                .arg(key)
                                .arg(seenKeys[k]));
        seenKeys.insert(k, at);

        if (where == Tour) {
            if (k == QLatin1String("titre"))
                r.Tour.Title = UnescapeTourText(value);
            else if (k == QLatin1String("auteur"))
                r.Tour.Author = UnescapeTourText(value);
            else
                r.Tour.Description = UnescapeTourText(value);
            continue;
        }
        TTourStop& s = stop->Stop;
        if (k == QLatin1String("date")) {
            const std::optional<double> d = ParseDateText(value);
            if (!d)
                return fail(at, QStringLiteral("date illisible « %1 » (exemples : -443,8 ; 66 Ma ; 2,5 Ga ; "
                                               "11,7 ka).")
                                    .arg(value.left(60)));
            if (!(*d >= TourLowestDate && *d <= TourHighestDate))
                return fail(at, QStringLiteral("la date « %1 » est hors de l'échelle, qui va de -4550 Ma "
                                               "à +30 Ma.")
                                    .arg(value.left(60)));
            s.Date = *d == 0.0 ? 0.0 : *d; // no negative zero
            s.DateText = value;
            stop->HasDate = true;
        } else if (k == QLatin1String("titre")) {
            s.Title = UnescapeTourText(value);
            stop->HasTitle = !s.Title.trimmed().isEmpty();
        } else if (k == QLatin1String("texte")) {
            s.Text = UnescapeTourText(value);
        } else {
            s.DataSet = value;
        }
    }

    for (const TPendingStop& p : stops) {
        if (!p.HasDate)
            return fail(p.HeaderLine, QStringLiteral("l'étape %1 n'a pas de date (Date=…).").arg(p.Number));
        if (!p.HasTitle)
            return fail(p.HeaderLine, QStringLiteral("l'étape %1 n'a pas de titre (Titre=…).").arg(p.Number));
        r.Tour.Stops.append(p.Stop);
    }
    if (r.Tour.Stops.isEmpty())
        return fail(0, QStringLiteral("Ce fichier ne contient aucune étape : un parcours a des sections "
                                      "[Etape 1], [Etape 2]… avec Date= et Titre=."));
    return r;
}

QByteArray WriteTour(const TTour& tour) {
    QString out;
    auto put = [&out](const QString& key, const QString& value) {
        out += key + QLatin1Char('=') + value + QStringLiteral("\r\n");
    };
    auto putText = [&put](const char* key, const QString& text) {
        const QString value = EscapeTourText(text);
        if (!value.isEmpty())
            put(QString::fromUtf8(key), value);
    };
    auto putOthers = [&put](const TTourKeys& keys) {
        for (const auto& kv : keys)
            put(kv.first, kv.second);
    };

    out += QStringLiteral("[Parcours]\r\n");
    putText("Titre", tour.Title);
    putText("Auteur", tour.Author);
    putText("Description", tour.Description);
    putOthers(tour.OtherKeys);
    for (int i = 0; i < tour.Stops.size(); ++i) {
        const TTourStop& s = tour.Stops[i];
        out += QStringLiteral("\r\n[Etape %1]\r\n").arg(i + 1);
        const std::optional<double> written = ParseDateText(s.DateText);
        put(QStringLiteral("Date"),
            written && *written == s.Date ? s.DateText.trimmed() : FormatTypedDate(s.Date));
        // A title is required: an empty one would make the file unreadable.
        const QString title = EscapeTourText(s.Title);
        put(QStringLiteral("Titre"), title.isEmpty() ? QStringLiteral("Sans titre") : title);
        putText("Texte", s.Text);
        if (!s.DataSet.trimmed().isEmpty())
            put(QStringLiteral("Donnees"), s.DataSet.trimmed());
        putOthers(s.OtherKeys);
    }
    for (const TTourSection& section : tour.OtherSections) {
        out += QStringLiteral("\r\n[") + section.Name + QStringLiteral("]\r\n");
        putOthers(section.Keys);
    }
    return out.toUtf8();
}

TTourReadResult LoadTourFile(const QString& path) {
    TTourReadResult r;
    const QFileInfo info(path);
    QFile file(path);
    if (!info.exists()) {
        r.Error = QStringLiteral("Le fichier %1 est introuvable.").arg(path);
    } else if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        r.Error = QStringLiteral("Le fichier %1 ne peut pas être lu.").arg(path);
    } else if (info.size() > MaxTourFileSize) {
        r.Error = QStringLiteral("Le fichier %1 est trop grand pour un parcours (plus de 1 Mo).").arg(path);
    } else {
        r = ReadTour(file.read(MaxTourFileSize + 1));
    }
    return r;
}

void SaveTourFile(const QString& path, const TTour& tour) {
    SaveFileAtomically(path, WriteTour(tour));
}
