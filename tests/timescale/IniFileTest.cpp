#include "timescale/AevError.h"
#include "timescale/IniFile.h"
#include "timescale/SafeSave.h"
#include "timescale/FileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

// The bytes of a literal, NUL bytes included.
template <std::size_t N> QByteArray raw(const char (&text)[N]) { return QByteArray(text, N - 1); }

QByteArray readFile(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

} // namespace

TEST(IniFile, ReadsSectionsInFileOrderWithDuplicates) {
    QTemporaryDir dir;
    const QString path = writeFile(dir, "a.ini",
                                   "; comment\r\n[-66]\r\neon=Ph\r\n\r\n[ -4550 ]\r\n[-541]\nx=1\n[-66]\nz=2\n");
    const TIniFile ini(path);
    EXPECT_EQ(ini.ReadSections(), (QStringList{"-66", "-4550", "-541", "-66"}));
    // The first section of a name wins.
    EXPECT_EQ(ini.ReadString("-66", "eon"), "Ph");
    EXPECT_EQ(ini.ReadString("-66", "z", "absent"), "absent");
}

// Short sections are searched key by key, long ones through a hash: the same
// rules either way (first line of a key wins, names without regard to case).
TEST(IniFile, KeyLookupIsTheSameInShortAndLongSections) {
    QTemporaryDir dir;
    for (int keys : {3, 15, 16, 40}) {
        QByteArray text = "[S]\r\n";
        for (int i = 0; i < keys; ++i)
            text += "Key" + QByteArray::number(i) + "=v" + QByteArray::number(i) + "\r\n";
        text += "KEY0=later\r\nkey1=later\r\n";
        const TIniFile ini(writeFile(dir, "k.ini", text));
        EXPECT_EQ(ini.ReadString("S", "key0"), "v0") << keys;
        EXPECT_EQ(ini.ReadString("S", "KEY1"), "v1") << keys;
        EXPECT_EQ(ini.ReadString("S", "key" + QString::number(keys - 1)), "v" + QString::number(keys - 1)) << keys;
        EXPECT_EQ(ini.ReadString("S", "key" + QString::number(keys), "none"), "none") << keys;
    }
}

TEST(IniFile, ValuesAreTrimmedUnquotedCutAndDefaulted) {
    QTemporaryDir dir;
    QByteArray longValue(3000, 'a');
    const QString path = writeFile(dir, "a.ini",
                                   "[S]\r\n  Key1 =  hello world  \r\nkey2=\"quoted \"\r\nkey3='x'\r\n"
                                   "key4=\"only one\r\nkey5=\r\nlong=" + longValue + "\r\nnoequals\r\n;key6=c\r\n");
    const TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("s", "KEY1"), "hello world"); // names without regard to case
    EXPECT_EQ(ini.ReadString("S", "key2"), "quoted ");
    EXPECT_EQ(ini.ReadString("S", "key3"), "x");
    EXPECT_EQ(ini.ReadString("S", "key4"), "\"only one");
    EXPECT_EQ(ini.ReadString("S", "key5", "def"), "");
    EXPECT_EQ(ini.ReadString("S", "long").size(), TIniFile::MaxValueLength);
    EXPECT_EQ(ini.ReadString("S", "noequals", "def"), "def");
    EXPECT_EQ(ini.ReadString("S", ";key6", "def"), "def");
    EXPECT_EQ(ini.ReadString("T", "key1", "def"), "def");
    EXPECT_EQ(TIniFile(dir.filePath("missing.ini")).ReadString("S", "Key1", "def"), "def");
    EXPECT_TRUE(TIniFile(dir.filePath("missing.ini")).ReadSections().isEmpty());
}

TEST(IniFile, WritesInPlaceAtSectionEndOrAppendedKeepingTheRest) {
    QTemporaryDir dir;
    const QString path = writeFile(dir, "a.ini", "; top\n[A]\nk=1\n; note\nm=2\n\n[B]\nq=3\n");
    TIniFile ini(path);
    ini.WriteString("a", "K", "10");   // in place, the key keeps its spelling
    ini.WriteString("A", "new", "x");  // after the last line of [A], before the blank line
    ini.WriteString("C", "c", "y");    // a new section at the end
    ini.UpdateFile();
    // Lines the save does not change keep their LF ends; new lines end with CR LF.
    EXPECT_EQ(readFile(path), QByteArray("; top\n[A]\nk=10\n; note\nm=2\nnew=x\r\n\n[B]\nq=3\n"
                                         "[C]\r\nc=y\r\n"));
    // A new file is created.
    TIniFile fresh(dir.filePath("new.ini"));
    fresh.WriteStringNow("-65,500", "Evenement", "Fin du Crétacé");
    EXPECT_EQ(readFile(dir.filePath("new.ini")), QByteArray("[-65,500]\r\nEvenement=Fin du Cr\xe9tac\xe9\r\n"));
}

TEST(IniFile, SavingKeepsTheBytesOfEveryLineItDoesNotChange) {
    QTemporaryDir dir;
    const QByteArray original = raw("[A]\r\nn=a\0b\r\nk=1\r\n[B]\r\nq=3");
    const QString path = writeFile(dir, "a.ini", original);
    TIniFile ini(path);
    ini.WriteStringNow("A", "k", "2"); // a NUL byte elsewhere, a last line without a line break
    EXPECT_EQ(readFile(path), raw("[A]\r\nn=a\0b\r\nk=2\r\n[B]\r\nq=3"));
    ini.WriteStringNow("B", "r", "4"); // a key after that last line: the line gets its break
    EXPECT_EQ(readFile(path), raw("[A]\r\nn=a\0b\r\nk=2\r\n[B]\r\nq=3\r\nr=4\r\n"));
    writeFile(dir, "b.ini", "[A]\nk=1");
    TIniFile other(dir.filePath("b.ini"));
    other.WriteStringNow("C", "c", "y"); // a new section after it
    EXPECT_EQ(readFile(dir.filePath("b.ini")), QByteArray("[A]\nk=1\r\n[C]\r\nc=y\r\n"));
    // Writing a value a key already holds changes nothing.
    TIniFile same(dir.filePath("b.ini"));
    same.WriteString("a", "K", "1");
    QFile::remove(dir.filePath("b.ini"));
    same.UpdateFile();
    EXPECT_FALSE(QFile::exists(dir.filePath("b.ini")));
}

TEST(IniFile, EveryByteFrom0x20To0xFFSurvivesARoundTrip) {
    QTemporaryDir dir;
    QByteArray bytes;
    for (int b = 0x20; b <= 0xFF; ++b)
        bytes.append(char(b));
    const QString text = QStringLiteral("<") + DecodeWindows1252(bytes) + QStringLiteral(">");
    EXPECT_EQ(EncodeWindows1252(DecodeWindows1252(bytes)), bytes);
    EXPECT_EQ(DecodeWindows1252("\x80\xe9\x9c"), QString::fromUtf8("€éœ"));
    EXPECT_TRUE(IsWindows1252Encodable(DecodeWindows1252(bytes)));
    EXPECT_FALSE(IsWindows1252Encodable(QString::fromUtf8("été 漢")));
    EXPECT_FALSE(IsWindows1252Encodable(QString::fromUtf8("😀")));
    TIniFile ini(dir.filePath("r.ini"));
    ini.WriteStringNow("S", "k", text);
    EXPECT_EQ(TIniFile(dir.filePath("r.ini")).ReadString("S", "k"), text);
    EXPECT_TRUE(readFile(dir.filePath("r.ini")).contains(bytes));
}

TEST(IniFile, LineBreaksInAWrittenValueCannotBreakTheFile) {
    QTemporaryDir dir;
    TIniFile ini(dir.filePath("r.ini"));
    ini.WriteStringNow("S", "k", "one\r\n[Hack]\nx=1");
    const TIniFile back(dir.filePath("r.ini"));
    EXPECT_EQ(back.ReadSections(), QStringList{"S"});
    EXPECT_EQ(back.ReadString("S", "k"), "one  [Hack] x=1");
}

TEST(IniFile, HostileFilesReadWithoutHarm) {
    QTemporaryDir dir;
    QByteArray binary;
    for (int i = 0; i < 100000; ++i)
        binary.append(char((i * 7919) & 0xFF));
    EXPECT_NO_THROW(TIniFile(writeFile(dir, "bin.ini", binary)).ReadSections());
    const TIniFile nul(writeFile(dir, "nul.ini", QByteArray("[A\0B]\r\nk=v\0w\r\n", 15)));
    EXPECT_EQ(nul.ReadSections(), QStringList{"AB"});
    EXPECT_EQ(nul.ReadString("AB", "k"), "vw");
    const TIniFile open(writeFile(dir, "open.ini", "[unterminated\r\nk=v\r\n[ok]\r\nk=w\r\n"));
    EXPECT_EQ(open.ReadSections(), QStringList{"ok"});
    // UTF-8 where Windows-1252 is expected reads as the matching Windows-1252 characters.
    const TIniFile utf8(writeFile(dir, "u.ini", "[S]\r\nk=\xc3\xa9\r\n"));
    EXPECT_EQ(utf8.ReadString("S", "k"), QString::fromUtf8("Ã©"));
}

TEST(IniFile, HugeFilesAreBoundedAndReadInLinearTime) {
    QTemporaryDir dir;
    // A name of 5 million characters is cut when read; lookups by the cut name
    // find its keys, and a write by that name goes into that section.
    const QByteArray longName(5'000'000, 'x');
    const QString longPath = writeFile(dir, "l.ini", "[ " + longName + " ]\r\nk=v\r\n");
    TIniFile longSection(longPath);
    const QStringList names = longSection.ReadSections();
    ASSERT_EQ(names.size(), 1);
    EXPECT_EQ(names[0], QString(TIniFile::MaxSectionNameLength, 'x'));
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(longSection.ReadString(names[0], "k"), "v");
    longSection.WriteStringNow(names[0], "k", "w");
    EXPECT_EQ(TIniFile(longPath).ReadSections().size(), 1);
    EXPECT_EQ(TIniFile(longPath).ReadString(names[0], "k"), "w");

    // 300 000 sections of one name: every lookup goes to the first one at once.
    QByteArray many = "[S]\r\n";
    for (int i = 0; i < 100000; ++i)
        many += "k" + QByteArray::number(i) + "=" + QByteArray::number(i) + "\r\n";
    for (int i = 0; i < 300000; ++i)
        many += "[s]\r\n";
    const TIniFile repeated(writeFile(dir, "m.ini", many));
    const QStringList all = repeated.ReadSections();
    ASSERT_EQ(all.size(), 300001);
    for (const QString& name : all)
        ASSERT_EQ(repeated.ReadString(name, "k99999"), "99999");

    // Over 256 MB: refused with a French message. A folder or a device reads as empty.
    const QString big = dir.filePath("big.ini");
    QFile f(big);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(TIniFile::MaxFileSize + 1)); // sparse: no disk space used
    f.close();
    try {
        TIniFile refused(big);
        ADD_FAILURE() << "a file over 256 MB was read";
    } catch (const EAevError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("dépasse 256 Mo"))) << e.what();
    }
    EXPECT_TRUE(TIniFile(dir.path()).ReadSections().isEmpty());
    EXPECT_TRUE(TIniFile("/dev/zero").ReadSections().isEmpty());
}

TEST(IniFile, AFailedWriteIsReportedAndLeavesTheOriginalIntact) {
    QTemporaryDir dir;
    const QByteArray original = "[A]\r\nk=1\r\n";
    const QString path = writeFile(dir, "a.ini", original);

    // A disk that fills up: the file size limit makes the write fail as a full disk would.
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    TIniFile ini(path);
    ini.WriteString("A", "big", QString(20000, 'z'));
    EXPECT_THROW(ini.UpdateFile(), EAevError);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(readFile(path), original);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.ini"}); // no temporary left

    // A folder that does not exist.
    TIniFile nowhere(dir.filePath("no/such/folder/a.ini"));
    nowhere.WriteString("A", "k", "v");
    EXPECT_THROW(nowhere.UpdateFile(), EAevError);
}

TEST(IniFile, AReadOnlyFolderIsReported) {
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    QTemporaryDir dir;
    const QByteArray original = "[A]\r\nk=1\r\n";
    const QString path = writeFile(dir, "a.ini", original);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    TIniFile ini(path);
    ini.WriteString("A", "k", "2");
    EXPECT_THROW(ini.UpdateFile(), EAevError);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(readFile(path), original);
}

TEST(SafeSave, StaleTemporariesOfTheSameFileAreRemovedByTheNextSave) {
    QTemporaryDir dir;
    const QString path = writeFile(dir, "a.aev", "[A]\r\nk=1\r\n");
    // What a save killed in the middle leaves, and files that merely look alike.
    for (const char* name : {".a.aev.tmp-Ab12Xy", ".a.aev.tmp-000000", ".a.aev.tmp-12345", ".b.aev.tmp-Ab12Xy",
                             "a.aev.tmp-Ab12Xy", ".a.aev.tmp-Ab12Xy.bak"})
        writeFile(dir, name, "partial");
    EXPECT_TRUE(IsSaveTemporaryOf(".a.aev.tmp-Ab12Xy", "a.aev"));
    EXPECT_FALSE(IsSaveTemporaryOf(".a.aev.tmp-Ab1-Xy", "a.aev"));
    ::chmod(QFile::encodeName(path).constData(), 0640);
    SaveFileAtomically(path, "[A]\r\nk=2\r\n");
    EXPECT_EQ(readFile(path), QByteArray("[A]\r\nk=2\r\n"));
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u); // the file keeps its permissions
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              QStringList({".a.aev.tmp-12345", ".a.aev.tmp-Ab12Xy.bak", ".b.aev.tmp-Ab12Xy", "a.aev",
                           "a.aev.tmp-Ab12Xy"}));
    // A save that changes nothing writes nothing, but still removes what a kill left.
    writeFile(dir, ".a.aev.tmp-Zz99aa", "partial");
    TIniFile unchanged(path);
    unchanged.WriteString("A", "k", "2");
    unchanged.UpdateFile();
    EXPECT_FALSE(QFile::exists(dir.filePath(".a.aev.tmp-Zz99aa")));
    // Through a symbolic link, the file it names is replaced and the link stays.
    QFile::link(path, dir.filePath("link.aev"));
    SaveFileAtomically(dir.filePath("link.aev"), "[A]\r\nk=3\r\n");
    EXPECT_TRUE(QFileInfo(dir.filePath("link.aev")).isSymLink());
    EXPECT_EQ(readFile(path), QByteArray("[A]\r\nk=3\r\n"));
}

// Counts of any size group every three digits; a save that fails says why in
// French: a full disk is "le disque est plein".
TEST(SafeSaveTest, FailuresSayTheirCauseInFrench) {
    const struct {
        qint64 n;
        const char* text;
    } counts[] = {{0, "0"}, {999, "999"}, {1000, "1 000"}, {1000000, "1 000 000"}, {52428800, "52 428 800"},
                  {-1234567, "-1 234 567"}};
    for (const auto& c : counts)
        EXPECT_EQ(FrenchCount(c.n), QString::fromUtf8(c.text).replace(QLatin1Char(' '), QChar(0x00A0)));

    // A real full disk where one can be made (a small memory file system).
    QTemporaryDir dir;
    const QByteArray mount = QFile::encodeName(dir.path());
    if (::getuid() != 0 || std::system(("mount -t tmpfs -o size=64k tmpfs " + mount + " 2>/dev/null").constData()) != 0)
        return;
    try {
        SaveFileAtomically(dir.filePath(QStringLiteral("plein.aev")), QByteArray(1 << 20, 'x'));
        ADD_FAILURE() << "a megabyte fitted in 64 KB";
    } catch (const ESaveFailed& e) {
        EXPECT_EQ(e.Error, ENOSPC);
        EXPECT_TRUE(e.message().endsWith(QStringLiteral("impossible : le disque est plein")));
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    EXPECT_EQ(std::system(("umount " + mount).constData()), 0);
}
