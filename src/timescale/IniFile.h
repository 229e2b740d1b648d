#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

// An initialisation file: "[section]" lines, "key=value" lines, comments and
// blank lines. Files are Windows-1252 text; texts are converted to and from
// Unicode here, at the edge, and written back with CR LF line ends.
//
// The whole file is read once when the object is made; reads are served from
// memory. Writes change the text in memory, keeping every other line (comments,
// blank lines, other keys and their order) as it was, and UpdateFile() writes the
// whole file through a temporary file in the same folder that then replaces the
// original, so that a failure never leaves a half-written file behind.
class TIniFile {
public:
    // Reads `path`; a missing or unreadable file reads as empty.
    explicit TIniFile(const QString& path);

    const QString& FileName() const { return m_path; }

    // Section names in file order (without the brackets, blanks trimmed).
    // Every section line counts, so a name written twice is listed twice.
    QStringList ReadSections() const;

    // The value of `key` in `section` (names compared without regard to case;
    // the first section and the first key of that name win), with surrounding
    // blanks and one pair of enclosing quotes removed, cut to MaxValueLength
    // characters; `defaultValue` when the file, section or key is missing.
    QString ReadString(const QString& section, const QString& key, const QString& defaultValue = QString()) const;

    // Updates the key in place, else adds it at the end of its section, else
    // appends the section with the key. Only memory changes until UpdateFile().
    void WriteString(const QString& section, const QString& key, const QString& value);

    // Writes the file if anything changed; raises EAevError when the file cannot
    // be written (the original file then stays as it was).
    void UpdateFile();

    // WriteString followed by UpdateFile, as one operation.
    void WriteStringNow(const QString& section, const QString& key, const QString& value);

    static constexpr int MaxValueLength = 2047;

private:
    struct Section {
        QString header;      // the "[name]" line as written
        QString name;        // the name, blanks trimmed
        QStringList body;    // the lines after the header, up to the next section
    };
    int findSection(const QString& name) const;
    static int findKey(const Section& section, const QString& key);

    QString m_path;
    QStringList m_preamble;             // lines before the first section
    QVector<Section> m_sections;        // in file order
    QHash<QString, int> m_firstSection; // case-folded name -> first section of that name
    bool m_dirty = false;
};

// Windows-1252 conversion of the whole byte range: bytes without a character
// in that code page map to the control character of the same value, so that
// every byte survives a round trip.
QString DecodeWindows1252(const QByteArray& bytes);
QByteArray EncodeWindows1252(const QString& text);
// True when every character of the text has a byte in Windows-1252, so that
// EncodeWindows1252 loses nothing (it writes "?" for the others).
bool IsWindows1252Encodable(const QString& text);
