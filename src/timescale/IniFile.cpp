#include "timescale/IniFile.h"

#include "timescale/AevError.h"

#include <QFile>
#include <QSaveFile>

namespace {

// Characters of the bytes 0x80 to 0x9F in Windows-1252; the five bytes without
// a character keep the control character of their own value.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Files larger than this are not read: no data file of the program comes near it.
constexpr qint64 kMaxFileSize = 256LL * 1024 * 1024;

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

QString trimBlanks(const QString& s) {
    int b = 0, e = int(s.size());
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

// A section line: "[name]" after optional blanks, the name up to the last "]".
bool sectionName(const QString& line, QString& name) {
    const QString t = trimBlanks(line);
    if (!t.startsWith(QLatin1Char('[')))
        return false;
    const int close = int(t.lastIndexOf(QLatin1Char(']')));
    if (close < 1)
        return false;
    name = trimBlanks(t.mid(1, close - 1));
    return true;
}

// A key line "key=value"; comments (";") and lines without "=" are not keys.
bool keyOf(const QString& line, QString& key, int& eq) {
    eq = int(line.indexOf(QLatin1Char('=')));
    if (eq < 0)
        return false;
    key = trimBlanks(line.left(eq));
    return !key.startsWith(QLatin1Char(';'));
}

QString fold(const QString& s) { return s.toCaseFolded(); }

// Line breaks and NULs inside a written text would break the file's structure.
QString oneLine(QString s) {
    s.replace(QLatin1Char('\r'), QLatin1Char(' '));
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    s.remove(QChar(0));
    return s;
}

} // namespace

QString DecodeWindows1252(const QByteArray& bytes) {
    QString out;
    out.resize(bytes.size());
    QChar* d = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        d[i] = (b >= 0x80 && b < 0xA0) ? QChar(kHigh[b - 0x80]) : QChar(b);
    }
    return out;
}

namespace {

// The Windows-1252 byte of one UTF-16 unit, or -1 when the code page has none.
int windows1252Byte(char16_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    for (int k = 0; k < 32; ++k)
        if (kHigh[k] == u)
            return 0x80 + k;
    return -1;
}

} // namespace

QByteArray EncodeWindows1252(const QString& text) {
    QByteArray out;
    out.resize(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int b = windows1252Byte(text[i].unicode());
        out[i] = b < 0 ? '?' : char(b);
    }
    return out;
}

bool IsWindows1252Encodable(const QString& text) {
    for (const QChar c : text)
        if (windows1252Byte(c.unicode()) < 0)
            return false;
    return true;
}

TIniFile::TIniFile(const QString& path) : m_path(path) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize)
        return;
    QByteArray bytes = file.readAll();
    bytes.replace('\0', QByteArray());
    const QString text = DecodeWindows1252(bytes);
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the end of the last line is not a line of its own
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        QString name;
        if (sectionName(line, name)) {
            m_sections.push_back({line, name, {}});
            m_firstSection.insert(fold(name), int(m_sections.size()) - 1); // replaced below
        } else if (m_sections.isEmpty()) {
            m_preamble << line;
        } else {
            m_sections.last().body << line;
        }
    }
    // The first section of a name is the one that counts.
    m_firstSection.clear();
    for (int i = int(m_sections.size()) - 1; i >= 0; --i)
        m_firstSection.insert(fold(m_sections[i].name), i);
}

QStringList TIniFile::ReadSections() const {
    QStringList names;
    names.reserve(m_sections.size());
    for (const Section& s : m_sections)
        names << s.name;
    return names;
}

int TIniFile::findSection(const QString& name) const {
    return m_firstSection.value(fold(trimBlanks(name)), -1);
}

int TIniFile::findKey(const Section& section, const QString& key) {
    const QString wanted = fold(trimBlanks(key));
    for (int i = 0; i < section.body.size(); ++i) {
        QString k;
        int eq;
        if (keyOf(section.body[i], k, eq) && fold(k) == wanted)
            return i;
    }
    return -1;
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const {
    const int s = findSection(section);
    if (s < 0)
        return defaultValue;
    const int k = findKey(m_sections[s], key);
    if (k < 0)
        return defaultValue;
    const QString& line = m_sections[s].body[k];
    QString value = trimBlanks(line.mid(line.indexOf(QLatin1Char('=')) + 1));
    if (value.size() >= 2) {
        const QChar q = value.front();
        if ((q == QLatin1Char('"') || q == QLatin1Char('\'')) && value.back() == q)
            value = value.mid(1, value.size() - 2);
    }
    if (value.size() > MaxValueLength)
        value.truncate(MaxValueLength);
    return value;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    const QString sec = trimBlanks(oneLine(section));
    const QString k = trimBlanks(oneLine(key));
    const QString v = oneLine(value);
    if (sec.isEmpty() || k.isEmpty() || k.contains(QLatin1Char('=')))
        throw EAevError(QStringLiteral("Nom de section ou de clé invalide"));
    m_dirty = true;
    const int s = findSection(sec);
    if (s < 0) {
        m_sections.push_back({QLatin1Char('[') + sec + QLatin1Char(']'), sec, {k + QLatin1Char('=') + v}});
        m_firstSection.insert(fold(sec), int(m_sections.size()) - 1);
        return;
    }
    Section& section_ = m_sections[s];
    const int line = findKey(section_, k);
    if (line >= 0) {
        QString& text = section_.body[line];
        text = text.left(text.indexOf(QLatin1Char('='))) + QLatin1Char('=') + v;
        return;
    }
    // After the last line of the section that is not blank, so that the blank
    // lines separating it from the next section stay where they are.
    int at = int(section_.body.size());
    while (at > 0 && trimBlanks(section_.body[at - 1]).isEmpty())
        --at;
    section_.body.insert(at, k + QLatin1Char('=') + v);
}

void TIniFile::UpdateFile() {
    if (!m_dirty)
        return;
    QString text;
    auto addLine = [&text](const QString& line) {
        text += line;
        text += QLatin1String("\r\n");
    };
    for (const QString& line : m_preamble)
        addLine(line);
    for (const Section& s : m_sections) {
        addLine(s.header);
        for (const QString& line : s.body)
            addLine(line);
    }
    QSaveFile file(m_path);
    const QByteArray bytes = EncodeWindows1252(text);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EAevError(QStringLiteral("Ecriture du fichier %1 impossible : %2").arg(m_path, file.errorString()));
    m_dirty = false;
}

void TIniFile::WriteStringNow(const QString& section, const QString& key, const QString& value) {
    WriteString(section, key, value);
    UpdateFile();
}
