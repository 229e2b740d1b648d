#include "app/RtfReader.h"

#include "timescale/IniFile.h"

#include <QColor>
#include <QStringDecoder>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QVector>
#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace {

// A byte of the Windows-1252 code page as a character.
QChar fromCp1252(unsigned char b) {
    static const QString table = [] {
        QByteArray all(256, 0);
        for (int i = 0; i < 256; ++i)
            all[i] = char(i);
        return DecodeWindows1252(all);
    }();
    return table[b];
}

// Nesting deeper than this is not a document a word processor wrote.
constexpr int kMaxDepth = 1000;
// Twips (1/1440 inch) to pixels at 96 dots per inch.
double twipsToPixels(long long twips) {
    return std::clamp(double(twips) / 15.0, -20000.0, 20000.0);
}

enum class Dest { Text, Skip, FontTable, ColorTable };

struct CharState {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int halfPoints = 24;
    int font = -1;
    int foreground = 0;
    int background = 0;
    int vertical = 0; // 1 superscript, -1 subscript
};

struct ParaState {
    Qt::Alignment align = Qt::AlignLeft;
    double left = 0, right = 0, first = 0, before = 0, after = 0;
    QList<QTextOption::Tab> tabs;
};

struct GroupState {
    CharState chr;
    ParaState para;
    Dest dest = Dest::Text;
    int uc = 1; // fallback characters after \uN
};

// Destinations whose content is not shown.
bool isSkippedDestination(const QByteArray& word) {
    static const char* const names[] = {
        "stylesheet",
        "info",
        "pict",
        "object",
        "header",
        "footer",
        "headerl",
        "headerr",
        "headerf",
        "footerl",
        "footerr",
        "footerf",
        "footnote",
        "fldinst",
        "listtable",
        "listoverridetable",
        "revtbl",
        "rsidtbl",
        "xmlnstbl",
        "filetbl",
        "nonshppict",
        "author",
        "operator",
        "title",
        "subject",
        "keywords",
        "comment",
        "doccomm",
        "company",
        "buptim",
        "creatim",
        "printim",
        "revtim",
        "template",
        "txe",
        "themedata",
        "colorschememapping",
        "datastore",
        "latentstyles",
        "generator",
        "pn",
        "annotation",
        "atnid",
        "atnauthor",
        "bkmkstart",
        "bkmkend",
        "shpinst",
        "sp",
        "sn",
        "sv",
        "private",
    };
    for (const char* n : names)
        if (word == n)
            return true;
    return false;
}

class RtfParser {
public:
    RtfParser(const QByteArray& data, QTextDocument& doc) : m_data(data), m_doc(doc), m_cursor(&doc) {}

    bool parse();

private:
    bool atEnd() const { return m_pos >= m_data.size(); }
    unsigned char peek() const { return static_cast<unsigned char>(m_data[m_pos]); }

    void controlWord(const QByteArray& word, bool hasParam, long long param);
    void controlSymbol(unsigned char c);
    void text(QChar c);
    void textFromToken(QChar c); // a character that counts against a \uN fallback
    void flush();
    void endParagraph();
    QTextCharFormat charFormat() const;
    QTextBlockFormat blockFormat() const;

    const QByteArray& m_data;
    QTextDocument& m_doc;
    QTextCursor m_cursor;
    int m_pos = 0;
    QVector<GroupState> m_stack;
    GroupState m_cur;
    int m_skip = 0; // fallback characters still to skip
    int m_defaultFont = -1;
    std::unordered_map<int, QString> m_fonts;
    int m_fontEntry = -1;
    QString m_fontName;
    QVector<QColor> m_colors;
    int m_red = -1, m_green = -1, m_blue = -1;
    QString m_pending;
};

QTextCharFormat RtfParser::charFormat() const {
    QTextCharFormat f;
    const CharState& c = m_cur.chr;
    f.setFontWeight(c.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(c.italic);
    f.setFontUnderline(c.underline);
    f.setFontStrikeOut(c.strike);
    f.setFontPointSize(std::clamp(c.halfPoints, 2, 3276) / 2.0);
    const auto font = m_fonts.find(c.font);
    if (font != m_fonts.end() && !font->second.isEmpty())
        f.setFontFamilies(QStringList{font->second});
    if (c.foreground > 0 && c.foreground < m_colors.size() && m_colors[c.foreground].isValid())
        f.setForeground(m_colors[c.foreground]);
    if (c.background > 0 && c.background < m_colors.size() && m_colors[c.background].isValid())
        f.setBackground(m_colors[c.background]);
    if (c.vertical > 0)
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (c.vertical < 0)
        f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    return f;
}

QTextBlockFormat RtfParser::blockFormat() const {
    QTextBlockFormat f;
    const ParaState& p = m_cur.para;
    f.setAlignment(p.align);
    f.setLeftMargin(std::max(0.0, p.left));
    f.setRightMargin(std::max(0.0, p.right));
    f.setTextIndent(p.first);
    f.setTopMargin(std::max(0.0, p.before));
    f.setBottomMargin(std::max(0.0, p.after));
    if (!p.tabs.isEmpty())
        f.setTabPositions(p.tabs);
    return f;
}

void RtfParser::flush() {
    if (m_pending.isEmpty())
        return;
    m_cursor.insertText(m_pending, charFormat());
    m_pending.clear();
}

void RtfParser::endParagraph() {
    flush();
    m_cursor.setBlockFormat(blockFormat());
    m_cursor.insertBlock();
}

void RtfParser::text(QChar c) {
    switch (m_cur.dest) {
    case Dest::Text:
        m_pending.append(c);
        break;
    case Dest::FontTable:
        if (c == QLatin1Char(';')) {
            if (m_fontEntry >= 0)
                m_fonts[m_fontEntry] = m_fontName.trimmed();
            m_fontName.clear();
        } else if (m_fontName.size() < 256) {
            m_fontName.append(c);
        }
        break;
    case Dest::ColorTable:
        if (c == QLatin1Char(';')) {
            if (m_colors.size() < 65536) {
                if (m_red < 0 && m_green < 0 && m_blue < 0)
                    m_colors.append(QColor()); // "auto": the default colour
                else
                    m_colors.append(QColor(std::max(0, m_red), std::max(0, m_green), std::max(0, m_blue)));
            }
            m_red = m_green = m_blue = -1;
        }
        break;
    case Dest::Skip:
        break;
    }
}

void RtfParser::textFromToken(QChar c) {
    if (m_skip > 0) {
        --m_skip;
        return;
    }
    text(c);
}

void RtfParser::controlSymbol(unsigned char c) {
    switch (c) {
    case '\\':
    case '{':
    case '}':
        textFromToken(QChar(char16_t(c)));
        break;
    case '~':
        textFromToken(QChar(0x00A0));
        break;
    case '_':
        textFromToken(QChar(0x2011));
        break;
    case '*':
        // An ignorable destination: this reader shows none of them.
        m_cur.dest = Dest::Skip;
        break;
    case '\n':
    case '\r':
        if (m_skip > 0) {
            --m_skip;
        } else if (m_cur.dest == Dest::Text) {
            endParagraph();
        }
        break;
    default:
        // \- (optional hyphen), \: and the others show nothing.
        if (m_skip > 0)
            --m_skip;
        break;
    }
}

void RtfParser::controlWord(const QByteArray& w, bool hasParam, long long param) {
    const int p = int(std::clamp<long long>(param, -2147483647LL, 2147483647LL));
    const bool on = !hasParam || param != 0;

    // A control word inside a \uN fallback is one of the characters to skip.
    if (m_skip > 0 && w != "bin") {
        --m_skip;
        return;
    }

    // Destinations.
    if (w == "fonttbl") {
        m_cur.dest = Dest::FontTable;
        return;
    }
    if (w == "colortbl") {
        m_cur.dest = Dest::ColorTable;
        m_colors.clear();
        return;
    }
    if (isSkippedDestination(w)) {
        m_cur.dest = Dest::Skip;
        return;
    }
    if (w == "bin") {
        // Binary data follows: skip it whatever the destination.
        const long long n = hasParam ? std::max(0LL, param) : 0;
        m_pos = int(std::min<long long>(m_data.size(), m_pos + n));
        return;
    }

    if (m_cur.dest == Dest::FontTable) {
        if (w == "f")
            m_fontEntry = p;
        return;
    }
    if (m_cur.dest == Dest::ColorTable) {
        const int v = std::clamp(p, 0, 255);
        if (w == "red")
            m_red = v;
        else if (w == "green")
            m_green = v;
        else if (w == "blue")
            m_blue = v;
        return;
    }

    // Unicode: the character, then its fallback skipped.
    if (w == "uc") {
        m_cur.uc = std::clamp(p, 0, 1000);
        return;
    }
    if (w == "u") {
        const int code = p < 0 ? p + 65536 : p;
        if (code >= 0 && code <= 0xFFFF)
            text(QChar(char16_t(code)));
        m_skip = m_cur.uc;
        return;
    }
    if (w == "deff") {
        m_defaultFont = p;
        m_cur.chr.font = p;
        return;
    }

    if (m_cur.dest != Dest::Text)
        return;

    // Special characters.
    struct Special {
        const char* word;
        char16_t c;
    };
    static const Special specials[] = {
        {"tab", u'\t'},        {"cell", u'\t'},    {"line", 0x2028},    {"emdash", 0x2014},
        {"endash", 0x2013},    {"lquote", 0x2018}, {"rquote", 0x2019},  {"ldblquote", 0x201C},
        {"rdblquote", 0x201D}, {"bullet", 0x2022}, {"emspace", 0x2003}, {"enspace", 0x2002},
        {"qmspace", 0x2005},
    };
    for (const Special& s : specials)
        if (w == s.word) {
            text(QChar(s.c));
            return;
        }
    if (w == "par" || w == "page" || w == "sect" || w == "row") {
        endParagraph();
        return;
    }

    // Formatting changes end the current run of text.
    flush();
    CharState& c = m_cur.chr;
    ParaState& para = m_cur.para;
    if (w == "b")
        c.bold = on;
    else if (w == "i")
        c.italic = on;
    else if (w == "ul")
        c.underline = on;
    else if (w == "ulnone" || w == "ul0")
        c.underline = false;
    else if (w == "strike")
        c.strike = on;
    else if (w == "fs")
        c.halfPoints = hasParam ? std::clamp(p, 2, 3276) : 24;
    else if (w == "f")
        c.font = p;
    else if (w == "cf")
        c.foreground = p;
    else if (w == "cb" || w == "highlight" || w == "chcbpat")
        c.background = p;
    else if (w == "super")
        c.vertical = on ? 1 : 0;
    else if (w == "sub")
        c.vertical = on ? -1 : 0;
    else if (w == "nosupersub")
        c.vertical = 0;
    else if (w == "plain") {
        c = CharState();
        c.font = m_defaultFont;
    } else if (w == "pard")
        para = ParaState();
    else if (w == "ql")
        para.align = Qt::AlignLeft;
    else if (w == "qc")
        para.align = Qt::AlignHCenter;
    else if (w == "qr")
        para.align = Qt::AlignRight;
    else if (w == "qj")
        para.align = Qt::AlignJustify;
    else if (w == "li")
        para.left = twipsToPixels(param);
    else if (w == "ri")
        para.right = twipsToPixels(param);
    else if (w == "fi")
        para.first = twipsToPixels(param);
    else if (w == "sb")
        para.before = twipsToPixels(param);
    else if (w == "sa")
        para.after = twipsToPixels(param);
    else if (w == "tx" && para.tabs.size() < 64)
        para.tabs.append(QTextOption::Tab(std::max(0.0, twipsToPixels(param)), QTextOption::LeftTab));
}

bool RtfParser::parse() {
    // The header: "{\rtf", possibly after blanks.
    while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == '\r' || peek() == '\n'))
        ++m_pos;
    if (m_data.size() - m_pos < 5 || std::memcmp(m_data.constData() + m_pos, "{\\rtf", 5) != 0)
        return false;

    int depth = 0;
    while (!atEnd()) {
        const unsigned char ch = peek();
        if (ch == '{') {
            ++m_pos;
            flush();
            if (++depth > kMaxDepth)
                return false;
            m_stack.append(m_cur);
            m_skip = 0;
        } else if (ch == '}') {
            ++m_pos;
            flush();
            m_skip = 0;
            if (m_cur.dest == Dest::FontTable && m_fontEntry >= 0 && !m_fontName.trimmed().isEmpty()) {
                // A font entry closed without its ";".
                m_fonts[m_fontEntry] = m_fontName.trimmed();
                m_fontName.clear();
            }
            if (m_stack.isEmpty())
                return false;
            if (--depth == 0) {
                // The document's group is closed; anything after it is not part of it.
                m_cursor.setBlockFormat(blockFormat());
                m_cur = m_stack.takeLast();
                break;
            }
            m_cur = m_stack.takeLast();
        } else if (ch == '\\') {
            ++m_pos;
            if (atEnd())
                return false;
            const unsigned char n = peek();
            if ((n >= 'a' && n <= 'z') || (n >= 'A' && n <= 'Z')) {
                const int start = m_pos;
                while (!atEnd() && ((peek() >= 'a' && peek() <= 'z') || (peek() >= 'A' && peek() <= 'Z')))
                    ++m_pos;
                const QByteArray word = m_data.mid(start, std::min(m_pos - start, 32));
                bool hasParam = false, negative = false;
                long long param = 0;
                if (!atEnd() && peek() == '-') {
                    negative = true;
                    ++m_pos;
                }
                while (!atEnd() && peek() >= '0' && peek() <= '9') {
                    hasParam = true;
                    if (param < 100000000000LL)
                        param = param * 10 + (peek() - '0');
                    ++m_pos;
                }
                if (negative)
                    param = -param;
                if (!atEnd() && peek() == ' ')
                    ++m_pos;
                controlWord(word, hasParam, param);
            } else if (n == '\'') {
                ++m_pos;
                int value = 0, digits = 0;
                while (digits < 2 && !atEnd()) {
                    const unsigned char h = peek();
                    int v;
                    if (h >= '0' && h <= '9')
                        v = h - '0';
                    else if (h >= 'a' && h <= 'f')
                        v = h - 'a' + 10;
                    else if (h >= 'A' && h <= 'F')
                        v = h - 'A' + 10;
                    else
                        break;
                    value = value * 16 + v;
                    ++digits;
                    ++m_pos;
                }
                if (digits > 0)
                    textFromToken(fromCp1252(static_cast<unsigned char>(value)));
            } else {
                ++m_pos;
                controlSymbol(n);
            }
        } else if (ch == '\r' || ch == '\n' || ch == 0) {
            ++m_pos;
        } else {
            ++m_pos;
            textFromToken(fromCp1252(ch));
        }
    }
    // Cut short: a group is still open.
    return depth == 0;
}

} // namespace

bool ReadRtf(const QByteArray& data, QTextDocument& document) {
    document.clear();
    RtfParser parser(data, document);
    if (parser.parse())
        return true;
    document.clear();
    return false;
}

QString DecodePlainText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return DecodeWindows1252(bytes);
}
