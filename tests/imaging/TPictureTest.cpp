// The format table, the extension rule and the picture object's loading.
#include "imaging/TPicture.h"
#include "imaging/PictureFailures.h"
#include "imaging/PictureLimits.h"
#include "imaging/PictureSamples.h"
#include "imaging/TBitmap.h"
#include "imaging/TFileFormats.h"
#include "timescale/AevError.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>

using namespace samples;

namespace {

QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
}

QString errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EAevError& e) {
        return e.message();
    }
    return QString();
}

} // namespace

TEST(FileFormats, RegistrationOrderAndLatestWins) {
    const auto& formats = FileFormats().Formats();
    ASSERT_GE(formats.size(), 6u);
    // Created with the table, then JPEG, then the full set.
    const char* first[] = {"wmf", "emf", "ico", "bmp", "jpeg", "jpg", "bmp"};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(formats[std::size_t(i)].Extension, QLatin1String(first[i])) << i;
    EXPECT_EQ(formats[2].Description, QStringLiteral("Icônes"));
    EXPECT_EQ(formats.back().Extension, QStringLiteral("png"));
    // A lookup takes the latest registration of a repeated extension.
    EXPECT_EQ(FileFormats().Find(QStringLiteral("bmp"))->Description, QStringLiteral("Windows bitmaps"));
    EXPECT_EQ(FileFormats().Find(QStringLiteral("JPG"))->Description, QStringLiteral("JPG images"));
    EXPECT_EQ(FileFormats().Find(QStringLiteral("Jpeg"))->Description, QStringLiteral("JPEG images"));
    EXPECT_EQ(FileFormats().Find(QStringLiteral("gz")), nullptr);
    // Every extension of the effective table is there.
    for (const char* ext : {"bmp", "rle", "dib", "ico", "wmf", "emf",  "jfif", "jpg", "jpe", "jpeg",
                            "win", "vst", "vda", "tga", "icb", "tiff", "tif",  "fax", "eps", "pcx",
                            "pcc", "scr", "rpf", "rla", "sgi", "rgba", "rgb",  "bw",  "psd", "pdd",
                            "ppm", "pgm", "pbm", "cel", "pic", "pcd",  "gif",  "cut", "psp", "png"})
        EXPECT_NE(FileFormats().Find(QLatin1String(ext)), nullptr) << ext;
    // A later registration replaces an earlier one in a table of one's own.
    TFileFormatsList list;
    list.Add(QStringLiteral("ABC"), QStringLiteral("first"), nullptr);
    list.Add(QStringLiteral("abc"), QStringLiteral("second"), nullptr);
    EXPECT_EQ(list.Find(QStringLiteral("aBc"))->Description, QStringLiteral("second"));
}

TEST(FileFormats, ExtensionRule) {
    EXPECT_EQ(PictureExtension(QStringLiteral("Photo.JPG")), QStringLiteral("JPG"));
    EXPECT_EQ(PictureExtension(QStringLiteral("a.tar.gz")), QStringLiteral("gz"));
    EXPECT_EQ(PictureExtension(QStringLiteral("image")), QString());
    EXPECT_EQ(PictureExtension(QStringLiteral("name.")), QString());
    // A dot in a folder name is not an extension, whatever the separator.
    EXPECT_EQ(PictureExtension(QStringLiteral("/data/v1.2/image")), QString());
    EXPECT_EQ(PictureExtension(QStringLiteral("C:\\v1.2\\image")), QString());
    EXPECT_EQ(PictureExtension(QStringLiteral("a.b:image")), QString());
    EXPECT_EQ(PictureExtension(QStringLiteral("/data/v1.2/image.png")), QStringLiteral("png"));
}

TEST(TPicture, LoadsByExtensionIgnoringCaseAndKeepsThePreviousPictureOnFailure) {
    QTemporaryDir dir;
    TPicture picture;
    int changes = 0;
    picture.SetOnChange([&] { ++changes; });
    EXPECT_TRUE(picture.IsEmpty());
    EXPECT_EQ(picture.Width(), 0);

    picture.LoadFromFile(write(dir, QStringLiteral("Photo.JPG"), Jpeg(40, 30, false, 3)));
    EXPECT_EQ(picture.Width(), 40);
    EXPECT_EQ(picture.Height(), 30);
    EXPECT_EQ(changes, 1);

    // Unregistered extension, none at all, a dot only in a folder name.
    EXPECT_EQ(errorOf([&] { picture.LoadFromFile(write(dir, QStringLiteral("a.tar.gz"), "x")); }),
              QStringLiteral("Extension de fichier graphique inconnue (.gz)"));
    EXPECT_EQ(errorOf([&] { picture.LoadFromFile(dir.filePath(QStringLiteral("noext"))); }),
              QStringLiteral("Extension de fichier graphique inconnue (.)"));
    QDir(dir.path()).mkdir(QStringLiteral("v1.png"));
    EXPECT_EQ(errorOf([&] { picture.LoadFromFile(dir.filePath(QStringLiteral("v1.png/picture"))); }),
              QStringLiteral("Extension de fichier graphique inconnue (.)"));
    // Registered extension, other content; missing file; a format not decoded.
    EXPECT_THROW(
        picture.LoadFromFile(write(dir, QStringLiteral("png.jpg"), Png(8, 8, {PNG_COLOR_TYPE_RGB, 8}))),
        EAevError);
    EXPECT_THROW(picture.LoadFromFile(dir.filePath(QStringLiteral("missing.png"))), EAevError);
    for (const char* ext : {"wmf", "emf", "rla", "rpf", "cel", "pic", "pcd", "cut", "psp"})
        EXPECT_THROW(picture.LoadFromFile(write(dir, QStringLiteral("x.") + QLatin1String(ext), "data")),
                     EAevError)
            << ext;
    EXPECT_EQ(picture.Width(), 40);
    EXPECT_EQ(picture.Height(), 30);
    EXPECT_EQ(changes, 1);

    picture.LoadFromData(Png(5, 4, {PNG_COLOR_TYPE_RGB, 8}), QStringLiteral("PNG"));
    EXPECT_EQ(picture.Width(), 5);
    EXPECT_EQ(changes, 2);
    picture.Clear();
    EXPECT_TRUE(picture.IsEmpty());
    EXPECT_EQ(picture.Height(), 0);
    EXPECT_EQ(changes, 3);
}

TEST(TPicture, FilesReadInPiecesFailWhenTruncated) {
    // JPEG and PNG files are read as the decoder goes, not from a copy in memory.
    QTemporaryDir dir;
    const QByteArray jpeg = Jpeg(300, 200, true, 3);
    const QByteArray png = Png(300, 200, {PNG_COLOR_TYPE_RGB, 8});
    TPicture picture;
    picture.SetMaxDrawSize(QSize(100, 50));
    picture.LoadFromFile(write(dir, QStringLiteral("a.jpg"), jpeg));
    EXPECT_EQ(picture.Width(), 300);
    picture.LoadFromFile(write(dir, QStringLiteral("a.png"), png));
    EXPECT_EQ(picture.Height(), 200);
    for (const double part : {0.0, 0.1, 0.5, 0.99}) {
        EXPECT_THROW(
            picture.LoadFromFile(write(dir, QStringLiteral("t.jpg"), jpeg.left(int(jpeg.size() * part)))),
            EAevError)
            << part;
        EXPECT_THROW(
            picture.LoadFromFile(write(dir, QStringLiteral("t.png"), png.left(int(png.size() * part)))),
            EAevError)
            << part;
    }
    // Read as it goes, a JPEG missing only its end marker is complete.
    picture.LoadFromFile(write(dir, QStringLiteral("t.jpg"), jpeg.left(jpeg.size() - 2)));
    EXPECT_THROW(picture.LoadFromFile(write(dir, QStringLiteral("t.jpg"), jpeg.left(jpeg.size() - 12))),
                 EAevError);
    EXPECT_THROW(picture.LoadFromFile(write(dir, QStringLiteral("t.png"), png.left(png.size() - 1))),
                 EAevError);
    EXPECT_EQ(picture.Width(), 300);
    EXPECT_EQ(picture.Height(), 200);
}

TEST(TPicture, OnlyRegularFilesAreRead) {
    // A FIFO would block the open, a device would be read without end.
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe.png"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = dir.filePath(QStringLiteral("zero.bmp"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    TPicture picture;
    for (const QString& path : {fifo, zero, dir.path()})
        EXPECT_TRUE(errorOf([&] { picture.LoadFromFile(path); }).contains(QStringLiteral("fichier")))
            << path.toStdString();
    EXPECT_THROW(LoadBitmapFile(fifo), EAevError);
    EXPECT_THROW(ReadPictureFile(zero), EAevError);
    EXPECT_TRUE(picture.IsEmpty());
}

TEST(PictureFailures, RememberedUntilTheFileChanges) {
    QTemporaryDir dir;
    const QString path = write(dir, QStringLiteral("a.png"), "x");
    TPictureFailures failures;
    EXPECT_FALSE(failures.Known(path));
    failures.Add(path);
    EXPECT_TRUE(failures.Known(path));
    write(dir, QStringLiteral("a.png"), "xy"); // another size
    EXPECT_FALSE(failures.Known(path));
    failures.Add(path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(
        file.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
    file.close();
    EXPECT_FALSE(failures.Known(path)); // another modification time
    failures.Add(path);
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_FALSE(failures.Known(path));
    failures.Add(path); // a missing file until it appears
    EXPECT_TRUE(failures.Known(path));
    write(dir, QStringLiteral("a.png"), "x");
    EXPECT_FALSE(failures.Known(path));
    failures.Add(path);
    failures.Clear();
    EXPECT_FALSE(failures.Known(path));
}

TEST(TBitmap, ReadsABitmapWhateverTheExtension) {
    QTemporaryDir dir;
    const QString path = write(dir, QStringLiteral("Echelle_geol.dat"), Bmp(13, 9, 24, 0, false));
    EXPECT_TRUE(SamePicture(LoadBitmapFile(path), BmpExpected(13, 9, 24)));
    EXPECT_THROW(LoadBitmapFile(write(dir, QStringLiteral("other.dat"), Png(4, 4, {PNG_COLOR_TYPE_RGB, 8}))),
                 EAevError);
    EXPECT_THROW(LoadBitmapFile(dir.filePath(QStringLiteral("missing.dat"))), EAevError);
}

TEST(PictureLimits, OversizedPicturesAreRefusedBeforeDecoding) {
    EXPECT_NO_THROW(CheckPictureSize(16384, 8192));
    EXPECT_THROW(CheckPictureSize(16385, 1), EAevError);
    EXPECT_THROW(CheckPictureSize(1, 16385), EAevError);
    EXPECT_THROW(CheckPictureSize(16384, 8193), EAevError); // more than 512 MB decoded
    EXPECT_THROW(CheckPictureSize(0, 10), EAevError);

    // Headers that claim huge pictures in a few bytes.
    auto refused = [](const char* ext, QByteArray bytes) {
        const auto graphic = FileFormats().Find(QLatin1String(ext))->Create();
        const QString message = errorOf([&] { graphic->LoadFromData(bytes); });
        EXPECT_TRUE(message.startsWith(QStringLiteral("Image trop grande")))
            << ext << ": " << message.toStdString();
    };
    QByteArray bmp = Bmp(13, 9, 24, 0, false);
    bmp[18] = 0x20;
    bmp[19] = 0x4E; // width 20000
    refused("bmp", bmp);
    QByteArray tga = Tga(13, 9, 2, 24, false);
    tga[12] = char(0xFF);
    tga[13] = char(0xFF);
    tga[14] = char(0xFF);
    tga[15] = char(0xFF);
    refused("tga", tga);
    refused("ppm", QByteArray("P6\n20000 20000\n255\n"));
    refused("pgm", QByteArray("P5 4294967295 1 255\n"));
    QByteArray psd = Psd(13, 9, 3, false);
    psd[14] = 0x10; // height 0x1000000A
    refused("psd", psd);
    QByteArray gif = Gif(13, 9, false, -1);
    gif[6] = char(0xFF);
    gif[7] = char(0xFF);
    gif[8] = char(0xFF);
    gif[9] = char(0xFF); // screen 65535 x 65535
    refused("gif", gif);
    QByteArray sgi = Sgi(13, 9, 3, false);
    sgi[6] = char(0xFF);
    sgi[7] = char(0xFF);
    sgi[8] = char(0xFF);
    sgi[9] = char(0xFF);
    refused("sgi", sgi);
}
