#include "events/EventCsv.h"

#include "events/EventFile.h"
#include "events/GoToIndex.h"
#include "timescale/AevError.h"
#include "timescale/FileAccess.h"
#include "timescale/IniFile.h"
#include "timescale/SafeSave.h"
#include "timescale/StrToFloat.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>

namespace {

// One row of the file: its cells and the line where it starts.
struct TCsvRecord {
    QStringList Cells;
    int Line = 0;
    bool Unterminated = false; // a quoted cell ran to the end of the file
};

// Splits decoded CSV text into rows. Quoted cells may hold the separator,
// doubled quotes and line breaks; CR LF, LF and CR all end a line.
//
// A row keeps at most MaxCells cells: the last one takes the rest of the row,
// separators included, so that a row of millions of separators costs one
// string, not millions.
class TCsvSplitter {
public:
    static constexpr int MaxCells = 64;
    TCsvSplitter(QStringView text, QChar separator) : m_text(text), m_sep(separator) {}

    bool Next(TCsvRecord& record) {
        const qsizetype n = m_text.size();
        if (m_pos >= n)
            return false;
        record.Cells.clear();
        record.Line = m_line;
        record.Unterminated = false;
        QString cell;
        qsizetype run = -1; // start of the characters outside quotes not yet in `cell`
        // Such characters are copied in one piece, so that a cell takes its own size.
        auto flush = [&](qsizetype end) {
            if (run < 0)
                return;
            if (cell.isEmpty())
                cell = m_text.mid(run, end - run).toString();
            else
                cell += m_text.mid(run, end - run);
            run = -1;
        };
        bool quoted = false;   // inside quotes
        bool cellStart = true; // nothing but blanks read in this cell yet
        while (m_pos < n) {
            const QChar c = m_text.at(m_pos++);
            if (quoted) {
                if (c == QLatin1Char('"')) {
                    if (m_pos < n && m_text.at(m_pos) == QLatin1Char('"')) {
                        cell += c;
                        ++m_pos;
                    } else {
                        quoted = false;
                    }
                } else {
                    if (c == QLatin1Char('\n') || (c == QLatin1Char('\r') && !nextIs('\n')))
                        ++m_line;
                    cell += c;
                }
                continue;
            }
            if (c == m_sep && record.Cells.size() < MaxCells - 1) {
                flush(m_pos - 1);
                record.Cells << cell;
                cell.clear();
                cellStart = true;
            } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
                flush(m_pos - 1);
                if (c == QLatin1Char('\r') && nextIs('\n'))
                    ++m_pos;
                ++m_line;
                record.Cells << cell;
                return true;
            } else if (c == QLatin1Char('"') && cellStart && record.Cells.size() < MaxCells - 1) {
                quoted = true;
                cell.clear(); // blanks before the opening quote
                run = -1;
                cellStart = false;
            } else {
                if (run < 0)
                    run = m_pos - 1;
                if (c != QLatin1Char(' '))
                    cellStart = false;
            }
        }
        flush(m_pos);
        record.Unterminated = quoted;
        record.Cells << cell;
        return true;
    }

private:
    bool nextIs(char c) const { return m_pos < m_text.size() && m_text.at(m_pos) == QLatin1Char(c); }

    QStringView m_text;
    QChar m_sep;
    qsizetype m_pos = 0;
    int m_line = 1;
};

bool isBlankRecord(const TCsvRecord& r) {
    for (const QString& c : r.Cells)
        if (!c.trimmed().isEmpty())
            return false;
    return true;
}

// Lower case without accents, for recognising header cells.
QString folded(const QString& cell) {
    QString s = cell.trimmed().toLower().normalized(QString::NormalizationForm_D);
    QString out;
    for (QChar c : s)
        if (c.category() != QChar::Mark_NonSpacing)
            out += c;
    return out;
}

bool isDateHeader(const QString& cell) {
    const QString f = folded(cell);
    return f.startsWith(QLatin1String("date")) || f.startsWith(QLatin1String("age")) || f == QLatin1String("ma") ||
           f.startsWith(QLatin1String("ma ")) || f.startsWith(QLatin1String("ma(")) ||
           f.startsWith(QLatin1String("annee"));
}

bool isTextHeader(const QString& cell) {
    const QString f = folded(cell);
    for (const char* word : {"evenement", "event", "texte", "text", "description", "libelle", "nom", "name"})
        if (f.startsWith(QLatin1String(word)))
            return true;
    return false;
}

// The text of a decoded file and the name of its encoding; what decoding had
// to leave out or replace goes to `notes`.
QString decode(const QByteArray& bytes, QString* encoding, QStringList* notes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        *encoding = QStringLiteral("UTF-8");
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    }
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        *encoding = QStringLiteral("UTF-16");
        if (bytes.size() % 2 != 0)
            *notes << QStringLiteral("Le fichier UTF-16 a un nombre impair d'octets : son dernier octet, "
                                     "incomplet, est ignoré.");
        const bool little = bytes.startsWith("\xFF\xFE");
        QString text(qsizetype((bytes.size() - 2) / 2), Qt::Uninitialized);
        const auto* b = reinterpret_cast<const uchar*>(bytes.constData()) + 2;
        for (qsizetype i = 0; i < text.size(); ++i, b += 2)
            text[i] = QChar(char16_t(little ? b[0] | (b[1] << 8) : (b[0] << 8) | b[1]));
        // Half of a surrogate pair alone is no character: no file could hold it.
        qsizetype lone = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
                ++i;
            } else if (c.isSurrogate()) {
                text[i] = QChar(QChar::ReplacementCharacter);
                ++lone;
            }
        }
        if (lone > 0)
            *notes << QStringLiteral("%1 demi-caractère(s) UTF-16 isolé(s) remplacé(s) par « \uFFFD ».")
                          .arg(FrenchCount(lone));
        return text;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError()) {
        *encoding = QStringLiteral("UTF-8");
        return text;
    }
    *encoding = QStringLiteral("Windows-1252");
    return DecodeWindows1252(bytes);
}

// The separator that makes the most of the first rows read as a date and a
// text; ties go to tab, then ";", then ",".
QChar detectSeparator(QStringView text) {
    // The first rows are enough: the first 256 K characters at most.
    text = text.left(256 * 1024);
    const QChar candidates[3] = {QLatin1Char('\t'), QLatin1Char(';'), QLatin1Char(',')};
    int best = -1;
    QChar chosen = QLatin1Char(';');
    for (QChar sep : candidates) {
        TCsvSplitter splitter(text, sep);
        TCsvRecord r;
        int score = 0, rows = 0;
        while (rows < 50 && splitter.Next(r)) {
            if (isBlankRecord(r))
                continue;
            ++rows;
            if (r.Cells.size() < 2)
                continue;
            double d = 0;
            if (ParseCsvDate(r.Cells[0], &d) || (rows == 1 && isDateHeader(r.Cells[0])) ||
                (rows == 1 && isTextHeader(r.Cells[0])))
                ++score;
        }
        if (score > best) {
            best = score;
            chosen = sep;
        }
    }
    if (best > 0)
        return chosen;
    // Nothing reads as a date: the separator found on the first line.
    const QStringView first = text.left(text.indexOf(QLatin1Char('\n')) < 0 ? text.size()
                                                                             : text.indexOf(QLatin1Char('\n')));
    for (QChar sep : candidates)
        if (first.contains(sep))
            return sep;
    return QLatin1Char(';');
}

// A text as an event file can hold it on one line: line breaks and other
// control characters become spaces, surrounding blanks go.
QString eventText(const QString& cell) {
    QString out;
    out.reserve(cell.size());
    bool lastBreak = false;
    for (QChar c : cell) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (!lastBreak)
                out += QLatin1Char(' ');
            lastBreak = true;
            continue;
        }
        lastBreak = false;
        out += (c.unicode() < 0x20 || c.unicode() == 0x7F) ? QLatin1Char(' ') : c;
    }
    return out.trimmed();
}

QString shortCell(const QString& cell) {
    QString s = cell.simplified();
    if (s.size() > 30)
        s = s.left(29) + QChar(0x2026);
    return s;
}

QString frenchNumber(double v) { return FrenchCount(qint64(std::llround(v))); }

// A text a spreadsheet would take for a formula: it starts with "=", "+", "-",
// "@", a tab or a carriage return, after any apostrophes (so that a text that
// starts with an apostrophe comes back as it was).
bool looksLikeFormula(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char('\''))
        ++i;
    if (i == text.size())
        return false;
    const char16_t c = text.at(i).unicode();
    return c == '=' || c == '+' || c == '-' || c == '@' || c == '\t' || c == '\r';
}

// The text of a cell read back: the apostrophe the export put before a
// formula-like text goes again.
QString withoutFormulaGuard(const QString& text) {
    if (text.startsWith(QLatin1Char('\'')) && looksLikeFormula(QStringView(text).mid(1)))
        return text.mid(1);
    return text;
}

// The row's text: the text cell, and with `join` (the text is the last column
// read) the cells after it joined back with their separator (a text holding
// the separator without quotes). `joined` tells whether cells were joined.
QString rowText(const QStringList& cells, int textColumn, bool join, QChar separator, bool* joined) {
    *joined = false;
    if (!join)
        return cells[textColumn];
    qsizetype last = cells.size() - 1;
    while (last > textColumn && cells[last].trimmed().isEmpty())
        --last; // empty columns after the text, as spreadsheets write them
    if (last == textColumn)
        return cells[textColumn];
    *joined = true;
    return QStringList(cells.mid(textColumn, last - textColumn + 1)).join(separator);
}

} // namespace

bool ParseCsvDate(const QString& cell, double* dateMa, int* decimals) {
    QString s = cell.trimmed();
    // "Ma" only: in this program "ma" counts thousands of years.
    if (s.endsWith(QLatin1String("Ma")))
        s.chop(2);
    s = s.trimmed();
    if (s.isEmpty())
        return false;
    int sign = 0; // 0: unsigned, an age
    const QChar first = s.at(0);
    if (first == QLatin1Char('+')) {
        sign = 1;
    } else if (first == QLatin1Char('-') || first == QChar(0x2212)) {
        sign = -1;
    }
    if (sign != 0)
        s = s.mid(1).trimmed();
    // Blanks between thousands: space, no-break space, narrow no-break space.
    s.remove(QLatin1Char(' '));
    s.remove(QChar(0x00A0));
    s.remove(QChar(0x202F));
    // One comma or point is the decimal separator; with both, the one that
    // comes last (once) is, and the other groups the thousands before it, in
    // groups of three digits ("4,550.0", "1.234,5"; not "1.2,3.4").
    const qsizetype comma = s.indexOf(QLatin1Char(',')), point = s.indexOf(QLatin1Char('.'));
    if (comma >= 0 && point >= 0) {
        const QChar decimal = s.lastIndexOf(QLatin1Char(',')) > s.lastIndexOf(QLatin1Char('.')) ? QLatin1Char(',')
                                                                                                 : QLatin1Char('.');
        const QChar group = decimal == QLatin1Char(',') ? QLatin1Char('.') : QLatin1Char(',');
        const qsizetype at = s.indexOf(decimal);
        if (s.count(decimal) != 1 || s.lastIndexOf(group) > at)
            return false;
        const QStringList groups = s.left(at).split(group);
        for (qsizetype i = 0; i < groups.size(); ++i)
            if (groups[i].isEmpty() || groups[i].size() > 3 || (i > 0 && groups[i].size() != 3))
                return false;
        s.remove(group);
    }
    s.replace(QLatin1Char(','), QLatin1Char('.'));
    // Digits, at most one point, at least one digit.
    int digits = 0, points = 0;
    for (QChar c : s) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            ++digits;
        else if (c == QLatin1Char('.'))
            ++points;
        else
            return false;
    }
    if (digits == 0 || points > 1 || digits > 15)
        return false;
    bool ok = false;
    const double v = s.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    *dateMa = sign > 0 ? v : -v;
    if (decimals) {
        const qsizetype separator = s.indexOf(QLatin1Char('.'));
        *decimals = separator < 0 ? 0 : int(s.size() - separator - 1);
    }
    return true;
}

QString CsvEventDateText(double dateMa, int decimals) {
    if (decimals <= 3)
        return FormatDateText(dateMa);
    QString text = QString::number(dateMa, 'f', std::min(decimals, 6));
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    if (text.startsWith(QLatin1Char('-')) && StrToFloatLenient(text) == 0.0)
        text.remove(0, 1);
    return text;
}

QString CsvDateText(const QString& dateText) {
    const double v = StrToFloatLenient(dateText);
    // The decimals of the list's own text, when it has more than three.
    const qsizetype comma = dateText.lastIndexOf(QLatin1Char(','));
    const int decimals = comma < 0 ? 3 : int(dateText.trimmed().size() - comma - 1);
    const QString text = CsvEventDateText(v, decimals);
    if (v > 0 && StrToFloatLenient(text) != 0.0)
        return QLatin1Char('+') + text;
    return text;
}

TEventCsvResult ReadEventCsv(const QByteArray& bytes) {
    TEventCsvResult result;
    const QString text = decode(bytes, &result.Encoding, &result.Notes);
    result.Separator = detectSeparator(text);
    TCsvSplitter splitter(text, result.Separator);
    TCsvRecord r;
    int dateColumn = 0, textColumn = 1;
    bool joinColumns = true; // cells after the text column belong to the text
    bool firstRow = true;
    const int maxText = TIniFile::MaxValueLength;
    while (splitter.Next(r)) {
        if (isBlankRecord(r) && !r.Unterminated)
            continue;
        if (r.Unterminated) {
            result.Rejected.push_back({r.Line, QStringLiteral("guillemet ouvert qui n'est jamais fermé : "
                                                              "la fin du fichier n'a pas pu être lue")});
            break;
        }
        double date = 0;
        int decimals = 3;
        const bool dateOk = ParseCsvDate(r.Cells.value(dateColumn), &date, &decimals);
        if (firstRow) {
            firstRow = false;
            if (!dateOk) {
                int d = -1, t = -1;
                for (int i = 0; i < r.Cells.size(); ++i) {
                    if (d < 0 && isDateHeader(r.Cells[i]))
                        d = i;
                    else if (t < 0 && isTextHeader(r.Cells[i]))
                        t = i;
                }
                if (d >= 0 || t >= 0) {
                    result.HasHeader = true;
                    dateColumn = d >= 0 ? d : (t == 0 ? 1 : 0);
                    textColumn = t >= 0 ? t : (dateColumn == 0 ? 1 : 0);
                    // Columns named after the text are columns of their own:
                    // their cells are not part of the text.
                    for (int i = textColumn + 1; i < r.Cells.size(); ++i)
                        if (!r.Cells[i].trimmed().isEmpty())
                            joinColumns = false;
                    continue;
                }
            }
        }
        if (!dateOk) {
            const QString cell = r.Cells.value(dateColumn).trimmed();
            result.Rejected.push_back(
                {r.Line, cell.isEmpty() ? QStringLiteral("date absente")
                                        : QStringLiteral("date illisible « %1 »").arg(shortCell(cell))});
            continue;
        }
        if (date < CsvDateMin || date > CsvDateMax) {
            // The reason names the dials' range (the scale); dates a little
            // older, to the age of the Solar System, are taken all the same.
            result.Rejected.push_back({r.Line, QStringLiteral("date hors de l'échelle (de -%1 à +%2 Ma) : %3")
                                                   .arg(frenchNumber(-LowestDate), frenchNumber(HighestDate),
                                                        shortCell(r.Cells.value(dateColumn)))});
            continue;
        }
        if (textColumn >= r.Cells.size()) {
            result.Rejected.push_back({r.Line, QStringLiteral("pas de colonne de texte (séparateur « %1 » attendu)")
                                                   .arg(result.Separator == QLatin1Char('\t')
                                                            ? QStringLiteral("tabulation")
                                                            : QString(result.Separator))});
            continue;
        }
        bool joined = false;
        const QString raw =
            rowText(r.Cells, textColumn, joinColumns && textColumn > dateColumn, result.Separator, &joined);
        // A text far beyond the limit is refused before it is cleaned up (a
        // line break counts once per pair, surrounding blanks go).
        const QStringView rawTrimmed = QStringView(raw).trimmed();
        if (rawTrimmed.size() > 2 * qsizetype(maxText) + 2) {
            result.Rejected.push_back({r.Line, QStringLiteral("texte trop long (%1 caractères, %2 au plus)")
                                                   .arg(frenchNumber(double(rawTrimmed.size())), frenchNumber(maxText))});
            continue;
        }
        const QString event = withoutFormulaGuard(eventText(raw.size() == rawTrimmed.size() ? raw : rawTrimmed.toString()));
        if (event.isEmpty()) {
            result.Rejected.push_back({r.Line, QStringLiteral("texte absent")});
            continue;
        }
        if (event.size() > maxText) {
            result.Rejected.push_back({r.Line, QStringLiteral("texte trop long (%1 caractères, %2 au plus)")
                                                   .arg(frenchNumber(event.size()), frenchNumber(maxText))});
            continue;
        }
        result.Events.Append(CsvEventDateText(date, decimals), event);
        result.EventLines.push_back(r.Line);
        if (joined)
            result.JoinedLines.push_back(r.Line);
        if (!IsWindows1252Encodable(event))
            result.NotWindows1252Lines.push_back(r.Line);
    }
    return result;
}

TEventCsvResult LoadEventCsv(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EAevError(QStringLiteral("Lecture du fichier %1 impossible : %2").arg(path, file.errorString()));
    if (file.size() > MaxEventCsvBytes)
        throw EAevError(QStringLiteral("Le fichier %1 est trop volumineux (plus de %2 Mo)")
                            .arg(path)
                            .arg(MaxEventCsvBytes / (1024 * 1024)));
    const QByteArray bytes = file.read(MaxEventCsvBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throw EAevError(QStringLiteral("Lecture du fichier %1 impossible : %2").arg(path, file.errorString()));
    return ReadEventCsv(bytes);
}

QString EventCsvSummary(const TEventCsvResult& result, const QString& fileName) {
    QStringList lines;
    lines << QStringLiteral("Fichier : ") + fileName;
    const int added = result.Events.Count();
    if (added == 0)
        lines << QStringLiteral("Aucun événement ajouté.");
    else if (added == 1)
        lines << QStringLiteral("1 événement ajouté à la spirale personnalisée.");
    else
        lines << QStringLiteral("%1 événements ajoutés à la spirale personnalisée.").arg(frenchNumber(added));
    const int rejected = int(result.Rejected.size());
    if (rejected > 0) {
        lines << QString();
        lines << (rejected == 1 ? QStringLiteral("1 ligne refusée :")
                                : QStringLiteral("%1 lignes refusées :").arg(frenchNumber(rejected)));
        for (int i = 0; i < rejected && i < MaxListedRejections; ++i)
            lines << QStringLiteral("ligne %1 : %2").arg(result.Rejected[i].Line).arg(result.Rejected[i].Reason);
        const int more = rejected - MaxListedRejections;
        if (more == 1)
            lines << QStringLiteral("… et 1 autre ligne refusée.");
        else if (more > 1)
            lines << QStringLiteral("… et %1 autres lignes refusées.").arg(frenchNumber(more));
    }
    auto lineNumbers = [](const QVector<int>& numbered) {
        QStringList numbers;
        for (int i = 0; i < numbered.size() && i < MaxListedRejections; ++i)
            numbers << QString::number(numbered[i]);
        if (numbered.size() > MaxListedRejections)
            numbers << QStringLiteral("…");
        return numbers.join(QStringLiteral(", "));
    };
    const int joined = int(result.JoinedLines.size());
    if (joined > 0) {
        const QString separator =
            result.Separator == QLatin1Char('\t') ? QStringLiteral("tabulation") : QString(result.Separator);
        lines << QString();
        if (joined == 1)
            lines << QStringLiteral("1 texte (ligne %1) contient le séparateur « %2 » sans guillemets : "
                                    "il est gardé en entier.")
                         .arg(lineNumbers(result.JoinedLines), separator);
        else
            lines << QStringLiteral("%1 textes (lignes %2) contiennent le séparateur « %3 » sans "
                                    "guillemets : ils sont gardés en entier.")
                         .arg(FrenchCount(joined), lineNumbers(result.JoinedLines), separator);
    }
    if (!result.Notes.isEmpty()) {
        lines << QString();
        lines << result.Notes;
    }
    const int foreign = int(result.NotWindows1252Lines.size());
    if (foreign > 0) {
        QStringList numbers;
        for (int i = 0; i < foreign && i < MaxListedRejections; ++i)
            numbers << QString::number(result.NotWindows1252Lines[i]);
        if (foreign > MaxListedRejections)
            numbers << QStringLiteral("…");
        lines << QString();
        if (foreign == 1)
            lines << QStringLiteral("1 texte (ligne %1) contient des caractères qu'un fichier .aev ne peut pas "
                                    "enregistrer : il est gardé tel quel ; l'export CSV le conserve.")
                         .arg(numbers.first());
        else
            lines << QStringLiteral("%1 textes (lignes %2) contiennent des caractères qu'un fichier .aev ne peut pas "
                                    "enregistrer : ils sont gardés tels quels ; l'export CSV les conserve.")
                         .arg(frenchNumber(foreign), numbers.join(QStringLiteral(", ")));
    }
    return lines.join(QLatin1Char('\r'));
}

namespace {
QString csvCell(QString cell) {
    // A spreadsheet would evaluate it: an apostrophe before it makes it a text
    // (and goes again on import).
    if (looksLikeFormula(cell))
        cell.prepend(QLatin1Char('\''));
    const bool quote = cell.contains(QLatin1Char(';')) || cell.contains(QLatin1Char('"')) ||
                       cell.contains(QLatin1Char('\r')) || cell.contains(QLatin1Char('\n')) ||
                       cell != cell.trimmed();
    if (!quote)
        return cell;
    QString q = cell;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}
} // namespace

QByteArray WriteEventCsv(const TEventList& events) {
    QString text = QStringLiteral("Date (Ma);Événement\r\n");
    for (int i = 0; i < events.Count(); ++i) {
        text += CsvDateText(events.Date(i));
        text += QLatin1Char(';');
        text += csvCell(events.Text(i));
        text += QLatin1String("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

void SaveEventCsv(const QString& path, const TEventList& events) {
    SaveFileAtomically(path, WriteEventCsv(events)); // says why in French when it fails
}
