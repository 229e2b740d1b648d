// The credits reader: any bytes as an RTF document, and the plain-text fallback.
#include "FuzzSupport.h"
#include "app/RtfReader.h"

#include <QTextDocument>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::EnsureGuiApplication();
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QTextDocument document;
    if (!ReadRtf(bytes, document))
        fuzz::Check(document.isEmpty(), "a refused document was not cleared");
    DecodePlainText(bytes);
    return 0;
}
