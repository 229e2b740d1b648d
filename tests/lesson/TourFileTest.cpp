#include "lesson/TourFile.h"
#include "lesson/TourMotion.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

TEST(TourFile, GoodFilesRead) {
    // BOM, CR LF, comments, units, accents in names, stops in number order.
    const TTourReadResult r = ReadTour(
        "\xEF\xBB\xBF; un commentaire\r\n[Parcours]\r\nTitre=Les extinctions\r\nAuteur=M. Roche\r\n"
        "Classe=4e\r\n[Etape 10]\r\nDate=66 Ma\r\nTitre=K-Pg\r\n[\xC3\x89tape 2]\r\nDate=-443,8\r\n"
        "Titre=Fin de l'Ordovicien\r\nTexte=Une glaciation.\\nDeuxi\xC3\xA8me ligne, C:\\\\dossier\r\n"
        "Donnees=Echelle simplifi\xC3\xA9"
        "e\r\nCouleur=rouge\r\n[etape 3]\r\ndate = 2,5 ga\r\ntitre = Trois\r\n[Notes]\r\nA=b\r\n");
    ASSERT_TRUE(r.Ok()) << r.Error.toStdString();
    const TTour& t = r.Tour;
    EXPECT_EQ(t.Title, "Les extinctions");
    EXPECT_EQ(t.Author, "M. Roche");
    EXPECT_EQ(t.OtherKeys, (TTourKeys{{"Classe", "4e"}}));
    ASSERT_EQ(t.Stops.size(), 3);
    EXPECT_EQ(t.Stops[0].Title, "Fin de l'Ordovicien");
    EXPECT_DOUBLE_EQ(t.Stops[0].Date, -443.8);
    EXPECT_EQ(t.Stops[0].Text, QString::fromUtf8("Une glaciation.\nDeuxième ligne, C:\\dossier"));
    EXPECT_EQ(t.Stops[0].DataSet, QString::fromUtf8("Echelle simplifiée"));
    EXPECT_EQ(t.Stops[0].OtherKeys, (TTourKeys{{"Couleur", "rouge"}}));
    EXPECT_DOUBLE_EQ(t.Stops[1].Date, -2500);
    EXPECT_DOUBLE_EQ(t.Stops[2].Date, -66);
    ASSERT_EQ(t.OtherSections.size(), 1);
    EXPECT_EQ(t.OtherSections[0].Name, "Notes");
    // LF only, no [Parcours], Windows-1252 ("Ère") from an old editor.
    const TTourReadResult lf = ReadTour("[Etape 1]\nDate=+10\nTitre=\xC8re future\n");
    ASSERT_TRUE(lf.Ok());
    EXPECT_EQ(lf.Tour.Stops[0].Title, QString::fromUtf8("Ère future"));
    EXPECT_DOUBLE_EQ(lf.Tour.Stops[0].Date, 10);
}

TEST(TourFile, BadFilesNameTheirLine) {
    const struct {
        const char* bytes;
        int line;
        const char* words; // a part of the message
    } cases[] = {
        {"Titre=x\n[Etape 1]\nDate=1\nTitre=a\n", 1, "avant toute section"},
        {"[Parcours]\nbonjour\n", 2, "ligne illisible"},
        {"[Parcours]\n=x\n", 2, "nom de la cl"},
        {"[Parcours]\n[Parcours]\n", 2, "deux fois"},
        {"[Etape deux]\n", 1, "nombre entier"},
        {"[Etape 0]\n", 1, "nombre entier"},
        {"[Etape 1]\nDate=1\nTitre=a\n\n[Etape 1]\n", 5, "ligne 1"},
        {"[Etape 1]\nDate=hier\n", 2, "date illisible"},
        {"[Etape 1]\nDate=-5000\n", 2,
         "hors de l'\xC3\xA9"
         "chelle"},
        {"[Etape 1]\nDate=1\nTitre=a\nDate=2\n", 4, "d\xC3\xA9j\xC3\xA0"},
        {"[Parcours]\nTitre=t\n\n[Etape 4]\nTitre=a\n", 4, "pas de date"},
        {"[Etape 4]\nDate=3\nTitre=  \n", 1, "pas de titre"},
        {"[Parcours]\nTitre=vide\n", 0, "aucune"},
        {"", 0, "aucune"},
    };
    for (const auto& c : cases) {
        const TTourReadResult r = ReadTour(c.bytes);
        EXPECT_FALSE(r.Ok()) << c.bytes;
        EXPECT_EQ(r.Line, c.line) << c.bytes;
        EXPECT_TRUE(r.Error.contains(QString::fromUtf8(c.words))) << r.Error.toStdString();
        if (c.line > 0) {
            EXPECT_TRUE(r.Error.startsWith(QStringLiteral("Ligne %1 :").arg(c.line)))
                << r.Error.toStdString();
        }
        EXPECT_TRUE(r.Tour.Stops.isEmpty());
    }
}

TEST(TourFile, SaveThenOpenGivesTheSameTour) {
    TTour t;
    t.Title = QString::fromUtf8("L'histoire « en bref »");
    t.Description = "Deux lignes\net un \\ seul";
    t.OtherKeys = {{"Niveau", "5e"}};
    TTourStop a;
    a.Date = -0.0117;
    a.Title = "Holocene";
    a.Text = " Texte\r\nsur deux lignes ";
    a.DataSet = "Echelle simple";
    a.OtherKeys = {{"Image", "x.png"}};
    TTourStop b;
    b.Date = -4550;
    b.DateText = "4,55 Ga"; // kept as written
    b.Title = "Origine";
    t.Stops = {a, b};
    t.OtherSections = {{"Notes", {{"k", "v"}}}};

    QTemporaryDir dir;
    const QString path = dir.filePath("t.aevp");
    SaveTourFile(path, t);
    const TTourReadResult r = LoadTourFile(path);
    ASSERT_TRUE(r.Ok()) << r.Error.toStdString();
    t.Stops[0].Text = "Texte\nsur deux lignes"; // the ends' blanks are not kept
    EXPECT_EQ(r.Tour, t);
    EXPECT_EQ(r.Tour.Stops[1].DateText, "4,55 Ga");
    EXPECT_EQ(WriteTour(r.Tour), WriteTour(t));
    EXPECT_TRUE(WriteTour(t).contains("Date=-0,0117\r\n"));
    // Missing and oversized files.
    EXPECT_TRUE(LoadTourFile(dir.filePath("non.aevp")).Error.contains("introuvable"));
    QFile big(dir.filePath("big.aevp"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(QByteArray(MaxTourFileSize + 1, ';'));
    big.close();
    EXPECT_TRUE(LoadTourFile(big.fileName()).Error.contains("trop grand"));
}

TEST(TourMotion, LogarithmicEasedAndBounded) {
    // -4000 to -66: half-way in time is the geometric mean of the ages.
    const TTourMove m(-4000, -66);
    EXPECT_GT(m.DurationNs(), TTourMove::MinNs);
    EXPECT_LE(m.DurationNs(), TTourMove::MaxNs);
    EXPECT_NEAR(m.DateAt(m.DurationNs() / 2), -std::sqrt(4000.0 * 66.0), 0.5);
    EXPECT_EQ(m.DateAt(0), -4000);
    EXPECT_EQ(m.DateAt(m.DurationNs()), -66);
    double last = -4000;
    for (qint64 t = 0; t <= m.DurationNs(); t += m.DurationNs() / 50) {
        EXPECT_GE(m.DateAt(t), last);
        last = m.DateAt(t);
    }
    // The whole range takes at most 2 s; no move takes nothing.
    EXPECT_EQ(TTourMove(-4550, 30).DurationNs(), TTourMove::MaxNs);
    EXPECT_EQ(TTourMove(-66, -66).DurationNs(), 0);
    EXPECT_EQ(TTourMove(-66, -66.001).DurationNs(), TTourMove::MinNs);
    // Playback: 5 s per factor of ten in age, on both sides of the present.
    EXPECT_NEAR(LogPlaybackDate(-660, +1, 5, 5), -66, 1e-6);
    EXPECT_NEAR(LogPlaybackDate(-66, -1, 10, 5), -6600, 1e-3);
    EXPECT_NEAR(LogPlaybackSeconds(-1000, -1, 5), 15, 1e-3);
    EXPECT_NEAR(LogPlaybackDate(LogPlaybackDate(-1, +1, 30, 5), -1, 30, 5), -1, 1e-9);
}
