// Every picture format through the picture loader, as the period display loads
// a file: by path, the extension picking the decoder, with the drawn size set.
// A picture that cannot be read raises EAevError; nothing else may happen.
#include "FuzzPicture.h"
#include "FuzzSupport.h"
#include "imaging/TPicture.h"
#include "timescale/AevError.h"

#include <QFile>
#include <QImage>

void FuzzPictureFile(const QString& extension, const uint8_t* data, std::size_t size) {
    fuzz::EnsureGuiApplication();
    const QString path = fuzz::WriteTemp(QStringLiteral("p.") + extension, data, size);
    TPicture picture;
    picture.SetMaxDrawSize(QSize(320, 240));
    try {
        picture.LoadFromFile(path);
        fuzz::Check(picture.Width() > 0 && picture.Height() > 0, "a picture loaded without a size");
        fuzz::Check(!picture.Image().isNull(), "a picture loaded without pixels");
    } catch (const EAevError&) {
        fuzz::Check(picture.IsEmpty(), "a failed load left a picture");
    }
    QFile::remove(path);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    FuzzPictureFile(QString::fromLatin1(kFuzzPictureExtensions[data[0] % kFuzzPictureExtensionCount]), data + 1,
                    size - 1);
    return 0;
}
