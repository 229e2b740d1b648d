#include "timescale/AevError.h"
#include "timescale/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

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
    EXPECT_EQ(readFile(path), QByteArray("; top\r\n[A]\r\nk=10\r\n; note\r\nm=2\r\nnew=x\r\n\r\n[B]\r\nq=3\r\n"
                                         "[C]\r\nc=y\r\n"));
    // A new file is created.
    TIniFile fresh(dir.filePath("new.ini"));
    fresh.WriteStringNow("-65,500", "Evenement", "Fin du Crétacé");
    EXPECT_EQ(readFile(dir.filePath("new.ini")), QByteArray("[-65,500]\r\nEvenement=Fin du Cr\xe9tac\xe9\r\n"));
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
    const QString longName(100000, 'x');
    const TIniFile longSection(writeFile(dir, "l.ini", "[" + longName.toLatin1() + "]\r\nk=v\r\n"));
    EXPECT_EQ(longSection.ReadSections().value(0).size(), 100000);
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
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.ini"}); // no temporary left

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
