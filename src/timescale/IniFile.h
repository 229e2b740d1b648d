#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>
#include <vector>

// An initialisation file: "[section]" lines, "key=value" lines, comments and
// blank lines. Files are Windows-1252 text; texts are converted to and from
// Unicode here, at the edge.
//
// The whole file is read once when the object is made; reads are served from
// memory. Writes change the text in memory and keep the bytes of every line
// they do not change (line ends, a last line without a line break, NUL bytes
// and all); new lines end with CR LF. UpdateFile() writes the whole file through
// SaveFileAtomically, so that a failure never leaves a half-written file.
//
// Limits, so that no file can hang the program or exhaust its memory: files
// over MaxFileSize are refused; section names are cut to MaxSectionNameLength
// characters; only the first MaxSections sections are read (the rest of the
// file is kept as it is when the file is written back). All work is linear in
// the size of the file.
class TIniFile {
public:
    // Reads `path`; a missing or unreadable file, or one that is not a regular
    // file (a folder, a device, a pipe), reads as empty. Raises EAevError with a
    // French message when the file is larger than MaxFileSize.
    explicit TIniFile(const QString& path);
    ~TIniFile();
    TIniFile(TIniFile&&) noexcept;
    TIniFile& operator=(TIniFile&&) noexcept;

    const QString& FileName() const { return m_path; }

    // Section names in file order (without the brackets, blanks trimmed, NUL
    // bytes left out, a carriage return inside read as a space, cut to
    // MaxSectionNameLength). Every section line counts, so a name written twice
    // is listed twice.
    QStringList ReadSections() const;

    // The value of `key` in `section` (names compared without regard to case;
    // the first section and the first key of that name win), with surrounding
    // blanks and one pair of enclosing quotes removed, cut to MaxValueLength
    // characters; `defaultValue` when the file, section or key is missing.
    QString ReadString(const QString& section, const QString& key, const QString& defaultValue = QString()) const;

    // Updates the key in place, else adds it after the last line of its section
    // that is not blank, else appends the section with the key. Only memory
    // changes until UpdateFile().
    void WriteString(const QString& section, const QString& key, const QString& value);

    // Sections by position, 0 .. SectionCount() - 1 in file order, so that
    // sections of the same name can be told apart.
    int SectionCount() const { return int(m_sections.size()); }
    // The first section of that name (compared as ReadString compares it), -1 when none.
    int SectionIndex(const QString& name) const;
    // The keys of section `index` in file order, case-folded, each once
    // (comments left out).
    QStringList SectionKeys(int index) const;
    // ReadString in section `index` itself.
    QString ReadString(int index, const QString& key, const QString& defaultValue = QString()) const;
    // False when the file holds more than MaxSections sections: those beyond
    // are not read (they are kept as they are on write-back).
    bool AllSectionsRead() const { return m_tail.isEmpty(); }

    // Removes every line of `key` in section `index`.
    void DeleteKey(int index, const QString& key);
    // Removes section i wherever remove[i] is true: its section line, its key
    // lines and its blank lines go; its comments and other lines stay where
    // they are (after the section before it). Linear in the size of the file.
    void RemoveSections(const std::vector<bool>& remove);

    // Writes the file if anything changed (otherwise only removes the temporary
    // files an interrupted save left beside it); raises EAevError when the file
    // cannot be written (the original file then stays as it was).
    void UpdateFile();

    // WriteString followed by UpdateFile, as one operation.
    void WriteStringNow(const QString& section, const QString& key, const QString& value);

    // The form in which sections are compared: two names that give the same
    // key name the same section of a file.
    static QString SectionKey(const QString& name);

    static constexpr int MaxValueLength = 2047;
    static constexpr int MaxSectionNameLength = 4095;
    static constexpr int MaxSections = 1000000;
    static constexpr qint64 MaxFileSize = 256LL * 1024 * 1024;

private:
    struct KeyIndex;
    struct Section {
        QString name;          // as ReadSections gives it
        QByteArray text;       // the header line and the body lines, with their line ends
        qsizetype bodyBegin;   // offset of the first body line in text
        mutable std::unique_ptr<KeyIndex> keys; // built on the first lookup, dropped on a write
    };
    int findSection(const QString& name) const;
    QString readValue(int index, const QString& key, const QString& defaultValue) const;
    const KeyIndex& keysOf(const Section& section) const;
    void appendSection(const QString& name, const QByteArray& firstLine);

    QString m_path;
    QByteArray m_bytes;                 // the file as read; sections refer to it
    QByteArray m_preamble;              // the bytes before the first section
    std::vector<Section> m_sections;    // in file order
    QByteArray m_tail;                  // sections beyond MaxSections, kept as they are
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
