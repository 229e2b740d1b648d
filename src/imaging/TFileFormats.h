#pragma once

#include "imaging/TGraphic.h"

#include <QString>
#include <memory>
#include <vector>

using TGraphicFactory = std::unique_ptr<TGraphic> (*)();

// One registration of the format table: an extension (lower case, no dot),
// the format that decodes such files and a description naming it.
struct TFileFormat {
    QString Extension;
    QString Description;
    TGraphicFactory Create;
};

// The table of registered picture formats. The same extension may be
// registered several times; a lookup takes the latest registration.
class TFileFormatsList {
public:
    void Add(const QString& extension, const QString& description, TGraphicFactory create);
    // The latest registration of the extension, compared without regard to
    // case; nullptr when none.
    const TFileFormat* Find(const QString& extension) const;
    const std::vector<TFileFormat>& Formats() const { return m_formats; }

private:
    std::vector<TFileFormat> m_formats;
};

// The program's table, filled on first use in the program's registration order.
const TFileFormatsList& FileFormats();

// The extension of a file name: the characters after its last dot, provided no
// folder separator ('\\', ':' or '/') follows that dot; otherwise empty.
QString PictureExtension(const QString& path);
