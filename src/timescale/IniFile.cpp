#include "timescale/IniFile.h"

#include "timescale/AevError.h"
#include "timescale/SafeSave.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace {

// Characters of the bytes 0x80 to 0x9F in Windows-1252; the five bytes without
// a character keep the control character of their own value.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

QString trimBlanks(const QString& s) {
    int b = 0, e = int(s.size());
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.mid(b, e - b);
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

struct TIniFile::KeyIndex {
    struct Entry {
        qsizetype eq;    // offset of the "=" in the section's text
        qsizetype end;   // offset of the end of the line, before its line end
        mutable std::optional<QString> value; // read on first use
    };
    // Case-folded key -> first line of that key. An event file has a
    // section per event with a key or two: a linear search over a short
    // list costs far less memory than a hash table per section, which is
    // built only for the sections with many keys.
    std::vector<std::pair<QString, Entry>> entries;
    QHash<QString, int> byKey;
    static constexpr std::size_t kHashFrom = 16;

    const Entry* find(const QString& folded) const {
        if (entries.size() >= kHashFrom) {
            const auto it = byKey.constFind(folded);
            return it == byKey.constEnd() ? nullptr : &entries[std::size_t(it.value())].second;
        }
        for (const auto& e : entries)
            if (e.first == folded)
                return &e.second;
        return nullptr;
    }
    void add(QString folded, Entry entry) {
        if (find(folded))
            return;
        entries.emplace_back(std::move(folded), std::move(entry));
        if (entries.size() == kHashFrom)
            for (std::size_t i = 0; i < entries.size(); ++i)
                byKey.insert(entries[i].first, int(i));
        else if (entries.size() > kHashFrom)
            byKey.insert(entries.back().first, int(entries.size() - 1));
    }
};

namespace {

// The offsets of one line in a byte text: [begin, end) is its content, next the
// start of the following line (end plus its line end, CR LF or LF or nothing).
struct LineSpan {
    qsizetype begin, end, next;
};

LineSpan lineAt(const QByteArray& text, qsizetype begin) {
    const qsizetype size = text.size();
    const char* data = text.constData();
    const void* nl = std::memchr(data + begin, '\n', std::size_t(size - begin));
    const qsizetype lf = nl ? static_cast<const char*>(nl) - data : size;
    qsizetype end = lf;
    if (end > begin && data[end - 1] == '\r')
        --end;
    return {begin, end, nl ? lf + 1 : size};
}

// The text of bytes [begin, end) without its NUL bytes.
QString decodeRange(const QByteArray& text, qsizetype begin, qsizetype end) {
    QByteArray bytes = text.mid(begin, end - begin);
    if (bytes.contains('\0'))
        bytes.replace('\0', QByteArray());
    return DecodeWindows1252(bytes);
}

// The name of a section line "[name]" (after optional blanks, up to the last
// "]"), cleaned as ReadSections gives it; false when the line is no section line.
// Works on the bytes, so that a line costs one small copy at most.
bool sectionLine(const QByteArray& text, const LineSpan& line, QString& name) {
    const char* data = text.constData();
    qsizetype open = line.begin;
    while (open < line.end && (data[open] == ' ' || data[open] == '\t' || data[open] == '\0'))
        ++open;
    if (open == line.end || data[open] != '[')
        return false;
    qsizetype close = line.end - 1;
    while (close > open && data[close] != ']')
        --close;
    if (close <= open)
        return false;
    // NUL bytes left out, a carriage return read as a space, blanks trimmed.
    QByteArray bytes;
    bytes.reserve(qMin<qsizetype>(close - open, TIniFile::MaxSectionNameLength * 2));
    qsizetype i = open + 1;
    while (i < close && (data[i] == ' ' || data[i] == '\t' || data[i] == '\r' || data[i] == '\0'))
        ++i;
    for (; i < close && bytes.size() < TIniFile::MaxSectionNameLength; ++i)
        if (data[i] != '\0')
            bytes += data[i] == '\r' ? ' ' : data[i];
    while (!bytes.isEmpty() && (bytes.back() == ' ' || bytes.back() == '\t'))
        bytes.chop(1);
    name = DecodeWindows1252(bytes);
    return true;
}

bool blankLine(const QByteArray& text, const LineSpan& line) {
    for (qsizetype i = line.begin; i < line.end; ++i) {
        const char c = text[i];
        if (c != ' ' && c != '\t' && c != '\0')
            return false;
    }
    return true;
}

// The name as a lookup compares it: cleaned and cut as names read from a file.
QString lookupName(const QString& name) {
    QString n = trimBlanks(name);
    if (n.size() > TIniFile::MaxSectionNameLength)
        n = trimBlanks(n.left(TIniFile::MaxSectionNameLength));
    return fold(n);
}

} // namespace

TIniFile::TIniFile(const QString& path) : m_path(path) {
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    if (file.size() > MaxFileSize)
        throw EAevError(QStringLiteral("Le fichier %1 dépasse 256 Mo : il n'est pas lu.").arg(path));
    // As many bytes as the file holds now (read(n) would reserve n bytes first).
    m_bytes = file.read(file.size());
    const QByteArray& bytes = m_bytes;

    // The start of each section line, then each section is cut out of the bytes.
    std::vector<qsizetype> starts;
    std::vector<qsizetype> bodies;
    QStringList names;
    qsizetype tail = bytes.size();
    for (qsizetype at = 0; at < bytes.size();) {
        const LineSpan line = lineAt(bytes, at);
        QString name;
        if (sectionLine(bytes, line, name)) {
            if (int(starts.size()) == MaxSections) {
                tail = at;
                break;
            }
            starts.push_back(at);
            bodies.push_back(line.next - at);
            names << name;
        }
        at = line.next;
    }
    m_preamble = bytes.left(starts.empty() ? tail : starts.front());
    m_sections.reserve(starts.size());
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const qsizetype end = i + 1 < starts.size() ? starts[i + 1] : tail;
        // Each section refers to the bytes read; a write copies its own.
        m_sections.push_back({names[qsizetype(i)],
                              QByteArray::fromRawData(m_bytes.constData() + starts[i], end - starts[i]), bodies[i],
                              nullptr});
        // The first section of a name is the one that counts.
        const QString key = fold(names[qsizetype(i)]);
        if (!m_firstSection.contains(key))
            m_firstSection.insert(key, int(i));
    }
    m_tail = bytes.mid(tail);
}

TIniFile::~TIniFile() = default;
TIniFile::TIniFile(TIniFile&&) noexcept = default;
TIniFile& TIniFile::operator=(TIniFile&&) noexcept = default;

QStringList TIniFile::ReadSections() const {
    QStringList names;
    names.reserve(qsizetype(m_sections.size()));
    for (const Section& s : m_sections)
        names << s.name;
    return names;
}

QString TIniFile::SectionKey(const QString& name) { return lookupName(oneLine(name)); }

int TIniFile::SectionIndex(const QString& name) const { return m_firstSection.value(SectionKey(name), -1); }

int TIniFile::findSection(const QString& name) const { return m_firstSection.value(lookupName(name), -1); }

const TIniFile::KeyIndex& TIniFile::keysOf(const Section& section) const {
    if (section.keys)
        return *section.keys;
    section.keys = std::make_unique<KeyIndex>();
    const QByteArray& text = section.text;
    for (qsizetype at = section.bodyBegin; at < text.size();) {
        const LineSpan line = lineAt(text, at);
        at = line.next;
        const void* eqp = std::memchr(text.constData() + line.begin, '=', std::size_t(line.end - line.begin));
        if (!eqp)
            continue;
        const qsizetype eq = static_cast<const char*>(eqp) - text.constData();
        // Comments (";") are not keys.
        const QString key = trimBlanks(decodeRange(text, line.begin, eq));
        if (key.startsWith(QLatin1Char(';')))
            continue;
        section.keys->add(fold(key), {eq, line.end, std::nullopt});
    }
    return *section.keys;
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const {
    return readValue(findSection(section), key, defaultValue);
}

QString TIniFile::ReadString(int index, const QString& key, const QString& defaultValue) const {
    return readValue(index, key, defaultValue);
}

QStringList TIniFile::SectionKeys(int index) const {
    QStringList keys;
    if (index < 0 || index >= SectionCount())
        return keys;
    const KeyIndex& found = keysOf(m_sections[std::size_t(index)]);
    keys.reserve(qsizetype(found.entries.size()));
    for (const auto& e : found.entries)
        keys << e.first;
    return keys;
}

QString TIniFile::readValue(int s, const QString& key, const QString& defaultValue) const {
    if (s < 0 || s >= SectionCount())
        return defaultValue;
    const KeyIndex& keys = keysOf(m_sections[std::size_t(s)]);
    const KeyIndex::Entry* found = keys.find(fold(trimBlanks(key)));
    if (!found)
        return defaultValue;
    const KeyIndex::Entry& entry = *found;
    if (!entry.value) {
        QString value = trimBlanks(decodeRange(m_sections[std::size_t(s)].text, entry.eq + 1, entry.end));
        if (value.size() >= 2) {
            const QChar q = value.front();
            if ((q == QLatin1Char('"') || q == QLatin1Char('\'')) && value.back() == q)
                value = value.mid(1, value.size() - 2);
        }
        if (value.size() > MaxValueLength)
            value.truncate(MaxValueLength);
        entry.value = value;
    }
    return *entry.value;
}

void TIniFile::appendSection(const QString& name, const QByteArray& firstLine) {
    // The file's last line may end without a line break: it gets one first.
    QByteArray& last = !m_tail.isEmpty() ? m_tail : !m_sections.empty() ? m_sections.back().text : m_preamble;
    if (!last.isEmpty() && !last.endsWith('\n'))
        last += "\r\n";
    const QByteArray header = '[' + EncodeWindows1252(name) + "]\r\n";
    m_sections.push_back({name, header + firstLine + "\r\n", header.size(), nullptr});
    const QString key = lookupName(name);
    if (!m_firstSection.contains(key))
        m_firstSection.insert(key, int(m_sections.size()) - 1);
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    const QString sec = trimBlanks(oneLine(section));
    const QString k = trimBlanks(oneLine(key));
    const QString v = oneLine(value);
    if (sec.isEmpty() || k.isEmpty() || k.contains(QLatin1Char('=')))
        throw EAevError(QStringLiteral("Nom de section ou de clé invalide"));
    const int s = findSection(sec);
    if (s < 0) {
        appendSection(sec, EncodeWindows1252(k + QLatin1Char('=') + v));
        m_dirty = true;
        return;
    }
    Section& sect = m_sections[std::size_t(s)];
    const KeyIndex& keys = keysOf(sect);
    const KeyIndex::Entry* found = keys.find(fold(k));
    if (found) {
        // In place: the key keeps its spelling and the line its line end.
        const qsizetype from = found->eq + 1;
        const QByteArray bytes = EncodeWindows1252(v);
        if (QByteArrayView(sect.text).sliced(from, found->end - from) == bytes)
            return; // nothing changes
        sect.text.replace(from, found->end - from, bytes);
    } else {
        // After the last line of the section that is not blank, so that the blank
        // lines separating it from the next section stay where they are.
        qsizetype at = sect.bodyBegin;
        for (qsizetype i = sect.bodyBegin; i < sect.text.size();) {
            const LineSpan line = lineAt(sect.text, i);
            if (!blankLine(sect.text, line))
                at = line.next;
            i = line.next;
        }
        QByteArray added = EncodeWindows1252(k + QLatin1Char('=') + v) + "\r\n";
        if (at > 0 && sect.text[at - 1] != '\n')
            added.prepend("\r\n"); // the line before it ended the file without a line break
        sect.text.insert(at, added);
    }
    sect.keys.reset();
    m_dirty = true;
}

namespace {

// A line that holds a key: an "=" and no ";" ahead of the key.
bool keyLine(const QByteArray& text, const LineSpan& line) {
    const void* eq = std::memchr(text.constData() + line.begin, '=', std::size_t(line.end - line.begin));
    if (!eq)
        return false;
    for (qsizetype i = line.begin; i < line.end; ++i) {
        const char c = text[i];
        if (c != ' ' && c != '\t' && c != '\0')
            return c != ';';
    }
    return false;
}

} // namespace

void TIniFile::DeleteKey(int index, const QString& key) {
    if (index < 0 || index >= SectionCount())
        return;
    Section& sect = m_sections[std::size_t(index)];
    const QString folded = fold(trimBlanks(key));
    QByteArray kept;
    bool removed = false;
    kept.reserve(sect.text.size());
    kept += sect.text.left(sect.bodyBegin);
    for (qsizetype at = sect.bodyBegin; at < sect.text.size();) {
        const LineSpan line = lineAt(sect.text, at);
        at = line.next;
        if (keyLine(sect.text, line)) {
            const qsizetype eq = sect.text.indexOf('=', line.begin);
            if (fold(trimBlanks(decodeRange(sect.text, line.begin, eq))) == folded) {
                removed = true;
                continue;
            }
        }
        kept.append(QByteArrayView(sect.text).sliced(line.begin, line.next - line.begin));
    }
    if (!removed)
        return;
    sect.text = kept;
    sect.keys.reset();
    m_dirty = true;
}

void TIniFile::RemoveSections(const std::vector<bool>& remove) {
    const std::size_t n = std::min(remove.size(), m_sections.size());
    if (std::find(remove.begin(), remove.begin() + std::ptrdiff_t(n), true) == remove.begin() + std::ptrdiff_t(n))
        return;
    std::vector<Section> kept;
    kept.reserve(m_sections.size());
    for (std::size_t i = 0; i < m_sections.size(); ++i) {
        Section& sect = m_sections[i];
        if (i >= n || !remove[i]) {
            kept.push_back(std::move(sect));
            continue;
        }
        // What is not part of the section's data stays, after what came before it.
        QByteArray& before = kept.empty() ? m_preamble : kept.back().text;
        for (qsizetype at = sect.bodyBegin; at < sect.text.size();) {
            const LineSpan line = lineAt(sect.text, at);
            at = line.next;
            if (!keyLine(sect.text, line) && !blankLine(sect.text, line)) {
                if (!before.isEmpty() && !before.endsWith('\n'))
                    before += "\r\n";
                before.append(QByteArrayView(sect.text).sliced(line.begin, line.next - line.begin));
            }
        }
    }
    m_sections = std::move(kept);
    m_firstSection.clear();
    for (std::size_t i = 0; i < m_sections.size(); ++i) {
        const QString key = fold(m_sections[i].name);
        if (!m_firstSection.contains(key))
            m_firstSection.insert(key, int(i));
    }
    m_dirty = true;
}

void TIniFile::UpdateFile() {
    if (!m_dirty) {
        // Nothing to write; what an interrupted save left beside the file goes all the same.
        RemoveStaleSaveTemporaries(m_path);
        return;
    }
    qsizetype size = m_preamble.size() + m_tail.size();
    for (const Section& s : m_sections)
        size += s.text.size();
    QByteArray bytes;
    bytes.reserve(size);
    bytes += m_preamble;
    for (const Section& s : m_sections)
        bytes += s.text;
    bytes += m_tail;
    SaveFileAtomically(m_path, bytes);
    m_dirty = false;
}

void TIniFile::WriteStringNow(const QString& section, const QString& key, const QString& value) {
    WriteString(section, key, value);
    UpdateFile();
}
