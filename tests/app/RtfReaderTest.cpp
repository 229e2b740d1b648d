// The RTF reader on small hand-written documents and on damaged or hostile input.
#include "app/RtfReader.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <gtest/gtest.h>
#include <random>

namespace {

// The fragment of the document holding `text`.
QTextFragment fragmentWith(const QTextDocument& doc, const QString& text) {
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().text().contains(text))
                return it.fragment();
    return QTextFragment();
}

QTextBlock blockWith(const QTextDocument& doc, const QString& text) {
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        if (b.text().contains(text))
            return b;
    return QTextBlock();
}

} // namespace

TEST(RtfReader, CharacterFormattingAndTables) {
    const QByteArray rtf =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman{\\*\\panose 0}Times New Roman;}}"
        "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green128\\blue128;}"
        "\\pard plain {\\b gras} {\\i italique} {\\ul souligne} {\\strike barre} "
        "{\\fs40 grand} {\\f1 times} {\\cf1 rouge} {\\highlight2 fond} {\\super haut}\\b0\\par}";
    QTextDocument doc;
    ASSERT_TRUE(ReadRtf(rtf, doc));
    EXPECT_EQ(doc.toPlainText(),
              QStringLiteral("plain gras italique souligne barre grand times rouge fond haut\n"));

    EXPECT_EQ(fragmentWith(doc, QStringLiteral("gras")).charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(fragmentWith(doc, QStringLiteral("plain")).charFormat().fontWeight(), QFont::Normal);
    EXPECT_TRUE(fragmentWith(doc, QStringLiteral("italique")).charFormat().fontItalic());
    EXPECT_TRUE(fragmentWith(doc, QStringLiteral("souligne")).charFormat().fontUnderline());
    EXPECT_TRUE(fragmentWith(doc, QStringLiteral("barre")).charFormat().fontStrikeOut());
    EXPECT_DOUBLE_EQ(fragmentWith(doc, QStringLiteral("grand")).charFormat().fontPointSize(), 20.0);
    EXPECT_DOUBLE_EQ(fragmentWith(doc, QStringLiteral("plain")).charFormat().fontPointSize(), 12.0);
    EXPECT_EQ(fragmentWith(doc, QStringLiteral("times")).charFormat().fontFamilies().toStringList(),
              QStringList{QStringLiteral("Times New Roman")});
    EXPECT_EQ(fragmentWith(doc, QStringLiteral("plain")).charFormat().fontFamilies().toStringList(),
              QStringList{QStringLiteral("Arial")});
    EXPECT_EQ(fragmentWith(doc, QStringLiteral("rouge")).charFormat().foreground().color(),
              QColor(255, 0, 0));
    EXPECT_FALSE(
        fragmentWith(doc, QStringLiteral("plain")).charFormat().hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_EQ(fragmentWith(doc, QStringLiteral("fond")).charFormat().background().color(),
              QColor(0, 128, 128));
    EXPECT_EQ(fragmentWith(doc, QStringLiteral("haut")).charFormat().verticalAlignment(),
              QTextCharFormat::AlignSuperScript);
}

TEST(RtfReader, ParagraphsAlignmentTabsAndBreaks) {
    const QByteArray rtf = "{\\rtf1\\ansi\n"
                           "\\pard\\qc Centre\\par\n"
                           "\\qr Droite\\par\n"
                           "\\pard\\li720\\tx1440 A\\tab B\\line C\\par\n"
                           "Fin}";
    QTextDocument doc;
    ASSERT_TRUE(ReadRtf(rtf, doc));
    EXPECT_EQ(doc.blockCount(), 4);
    EXPECT_EQ(blockWith(doc, QStringLiteral("Centre")).blockFormat().alignment() & Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
    EXPECT_EQ(blockWith(doc, QStringLiteral("Droite")).blockFormat().alignment() & Qt::AlignHorizontal_Mask,
              Qt::AlignRight);
    const QTextBlock tabs = blockWith(doc, QStringLiteral("A\tB"));
    ASSERT_TRUE(tabs.isValid());
    EXPECT_EQ(tabs.text(), QStringLiteral("A\tB") + QChar(0x2028) + QStringLiteral("C"));
    EXPECT_DOUBLE_EQ(tabs.blockFormat().leftMargin(), 48.0); // 720 twips at 96 dpi
    ASSERT_EQ(tabs.blockFormat().tabPositions().size(), 1);
    EXPECT_DOUBLE_EQ(tabs.blockFormat().tabPositions().first().position, 96.0);
    // \pard resets the alignment; the last paragraph needs no \par.
    EXPECT_EQ(tabs.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_EQ(doc.lastBlock().text(), QStringLiteral("Fin"));
}

TEST(RtfReader, EscapesUnicodeAndFallbacks) {
    const QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252 Cr\\'e9dits \\'80 \\'93x\\'94 "
                           "\\u8364?\\u-4064? {\\uc2\\u233 XYz} \\uc0\\u233 z "
                           "\\u-10179\\u-8704 \\{\\}\\\\ a\\~b}";
    QTextDocument doc;
    ASSERT_TRUE(ReadRtf(rtf, doc));
    const QString expected = QStringLiteral("Crédits € “x” €") + QChar(0xF020) + QStringLiteral(" éz éz ") +
                             QString::fromUcs4(U"\U0001F600") + QStringLiteral("{}\\ a") + QChar(0x00A0) +
                             QStringLiteral("b");
    EXPECT_EQ(doc.toRawText(), expected);
}

TEST(RtfReader, SkipsWhatTheViewCannotShow) {
    const QByteArray rtf = "{\\rtf1{\\info{\\title Titre}{\\author Moi}}{\\stylesheet{\\s0 Normal;}}"
                           "{\\*\\generator Writer;}{\\header En-tete\\par}"
                           "Avant {\\pict\\pngblip\\picw10 89504e470d0a1a0a{}} "
                           "{\\*\\shppict{\\pict\\wmetafile8 0102}}{\\nonshppict{\\pict 0304}}"
                           "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt lien}} "
                           "{\\object\\objemb{\\*\\objdata 0102}{\\result resultat}}"
                           "\\bin4 {}}\\ Apres{\\*\\unknowndest secret} fin}";
    QTextDocument doc;
    ASSERT_TRUE(ReadRtf(rtf, doc));
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("Avant  lien  Apres fin"));
}

TEST(RtfReader, RefusesWhatIsNotAWholeDocument) {
    QTextDocument doc;
    EXPECT_FALSE(ReadRtf(QByteArray(), doc));
    EXPECT_FALSE(ReadRtf("Juste du texte", doc));
    EXPECT_FALSE(ReadRtf("{\\rtf", doc));
    EXPECT_FALSE(ReadRtf("{\\rtf1 texte {\\b gras", doc)); // cut short
    EXPECT_FALSE(ReadRtf("{\\rtf1 texte\\", doc));
    EXPECT_TRUE(doc.isEmpty());
    // Deeper nesting than any document has.
    EXPECT_FALSE(ReadRtf("{\\rtf1" + QByteArray(5000, '{') + "x" + QByteArray(5001, '}'), doc));
    EXPECT_TRUE(doc.isEmpty());
    // Blanks before the header and data after the document's group are allowed.
    EXPECT_TRUE(ReadRtf("\r\n  {\\rtf1 ok} reste", doc));
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("ok"));
}

TEST(RtfReader, HostileInputEndsWithoutHarm) {
    QTextDocument doc;
    // Enormous parameters and a binary run longer than the data.
    EXPECT_TRUE(ReadRtf("{\\rtf1\\fs99999999999999999999 a\\li-99999999999 b\\uc999999999\\u65 cd}", doc));
    EXPECT_TRUE(ReadRtf("{\\rtf1\\cf999999 a\\f-5 b\\u-999999 c}", doc));
    EXPECT_FALSE(ReadRtf("{\\rtf1 a\\bin999999999 }}}}", doc));
    // A control word of a million letters.
    EXPECT_TRUE(ReadRtf("{\\rtf1\\" + QByteArray(1000000, 'a') + " x}", doc));
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("x"));
    // Many paragraphs and colour entries.
    QByteArray many = "{\\rtf1{\\colortbl";
    for (int i = 0; i < 20000; ++i)
        many += "\\red1;";
    many += "}";
    for (int i = 0; i < 20000; ++i)
        many += "\\par";
    many += "}";
    EXPECT_TRUE(ReadRtf(many, doc));
    EXPECT_EQ(doc.blockCount(), 20001);

    // Random damage to a real document: every run ends, true or false.
    const QByteArray good =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red9\\green8\\blue7;}"
        "\\pard\\qc{\\b\\cf1 Titre}\\par\\u233?\\'e9{\\*\\x y}{\\pict\\bin3 abc}\\tab z\\par}";
    std::mt19937 rng(1234);
    for (int round = 0; round < 3000; ++round) {
        QByteArray bad = good;
        const int edits = 1 + int(rng() % 6);
        for (int e = 0; e < edits; ++e) {
            const int at = int(rng() % uint32_t(bad.size()));
            switch (rng() % 3) {
            case 0:
                bad[at] = char(rng() % 256);
                break;
            case 1:
                bad.remove(at, 1 + int(rng() % 8));
                break;
            default:
                bad.insert(at, "{\\\\'\\u}"[rng() % 7]);
                break;
            }
        }
        ReadRtf(bad, doc);
    }
}

TEST(RtfReader, PlainTextDecoding) {
    EXPECT_EQ(DecodePlainText("Cr\xc3\xa9"
                              "dits"),
              QStringLiteral("Crédits"));                               // UTF-8
    EXPECT_EQ(DecodePlainText("\xef\xbb\xbfok"), QStringLiteral("ok")); // with its mark
    EXPECT_EQ(DecodePlainText("Cr\xe9"
                              "dits \x80"),
              QStringLiteral("Crédits €")); // Windows-1252
}
