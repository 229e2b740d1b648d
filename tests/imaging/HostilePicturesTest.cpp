// The hostile pictures of tests/fuzz/reproducers/picture (made by
// tools/make_hostile_pictures.py): each loads or fails as expected, and none
// makes the decoder hold much more than the panel it is drawn in.
#include "imaging/PeakMemory.h"
#include "imaging/TPicture.h"
#include "timescale/AevError.h"

#include <QDir>
#include <QHash>
#include <gtest/gtest.h>

TEST(HostilePictures, FailOrLoadWithinAMemoryBound) {
    const QDir dir(QStringLiteral(AEV_SOURCE_DIR "/tests/fuzz/reproducers/picture"));
    const struct {
        const char* name;
        bool loads;
    } files[] = {
        {"png-text-chunk-1300MB.png", false},         {"png-interlaced-large.png", true},
        {"psd-counts-beyond-data.psd", false},        {"sgi-rows-sharing-data.sgi", true},
        {"rle8-45-bytes-16384x8192.rle", false},      {"rle4-45-bytes-16384x4800.rle", false},
        {"gif-frame-on-16384x8192-screen.gif", true}, {"gif-40-bytes-16384x8192.gif", false},
        {"jpeg-progressive-16384x8192.jpg", false},   {"tiff-16384x8192-one-short-strip.tif", false},
        {"ico-rle8-bitmap-16384x8192.ico", false},
    };
    QHash<QString, bool> expected;
    for (const auto& f : files) {
        expected.insert(QLatin1String(f.name), f.loads);
        EXPECT_TRUE(dir.exists(QLatin1String(f.name))) << f.name;
    }
    // Every file of the folder (other reproducers may join the script's).
    for (const QString& name : dir.entryList(QDir::Files)) {
        SCOPED_TRACE(name.toStdString());
        bool loaded = false;
        const qint64 growth = peak::Growth([&] {
            TPicture picture;
            picture.SetMaxDrawSize(QSize(316, 176)); // a picture panel
            try {
                picture.LoadFromFile(dir.filePath(name));
                loaded = true;
            } catch (const EAevError&) {
            }
        });
        if (expected.contains(name)) {
            EXPECT_EQ(loaded, expected.value(name));
        }
        // Before the decoders checked their data and kept reduced copies,
        // the script's files took 300 MB to 1.3 GB each.
        if (growth >= 0) {
            EXPECT_LT(growth, 16LL << 20) << growth / 1024 << " KB";
        }
    }
}

TEST(HostilePictures, EverySeedOfTheFuzzCorpusLoads) {
    // Small valid pictures of each format (made with ImageMagick), some
    // without their trailer. Files without an extension are fuzz inputs whose
    // first byte picks the format: they are replayed by the fuzz replay test.
    const QDir dir(QStringLiteral(AEV_SOURCE_DIR "/tests/fuzz/corpus/picture"));
    const QStringList names = dir.entryList({QStringLiteral("*.*")}, QDir::Files);
    EXPECT_GE(names.size(), 15);
    for (const QString& name : names) {
        TPicture picture;
        EXPECT_NO_THROW(picture.LoadFromFile(dir.filePath(name))) << name.toStdString();
        EXPECT_EQ(picture.Width(), 13) << name.toStdString();
    }
}
