#include "imaging/TFileFormats.h"

#include "imaging/TBitmap.h"
#include "imaging/TEPSImage.h"
#include "imaging/TGIFImage.h"
#include "imaging/TIcon.h"
#include "imaging/TJPEGImage.h"
#include "imaging/TPCXImage.h"
#include "imaging/TPNGImage.h"
#include "imaging/TPNMImage.h"
#include "imaging/TPSDImage.h"
#include "imaging/TSGIImage.h"
#include "imaging/TTIFFImage.h"
#include "imaging/TTargaImage.h"
#include "imaging/TUndecodedGraphic.h"

void TFileFormatsList::Add(const QString& extension, const QString& description, TGraphicFactory create) {
    m_formats.push_back({extension.toLower(), description, create});
}

const TFileFormat* TFileFormatsList::Find(const QString& extension) const {
    for (auto it = m_formats.rbegin(); it != m_formats.rend(); ++it) {
        if (it->Extension.compare(extension, Qt::CaseInsensitive) == 0)
            return &*it;
    }
    return nullptr;
}

namespace {

template <class T> std::unique_ptr<TGraphic> make() {
    return std::make_unique<T>();
}

std::unique_ptr<TGraphic> makeMetafile() {
    return std::make_unique<TUndecodedGraphic>("Windows metafile");
}
std::unique_ptr<TGraphic> makeRla() {
    return std::make_unique<TUndecodedGraphic>("Alias/Wavefront RLA");
}
std::unique_ptr<TGraphic> makeAutodesk() {
    return std::make_unique<TUndecodedGraphic>("Autodesk");
}
std::unique_ptr<TGraphic> makePhotoCD() {
    return std::make_unique<TUndecodedGraphic>("Kodak Photo-CD");
}
std::unique_ptr<TGraphic> makeCut() {
    return std::make_unique<TUndecodedGraphic>("Dr. Halo CUT");
}
std::unique_ptr<TGraphic> makePsp() {
    return std::make_unique<TUndecodedGraphic>("Paintshop Pro");
}

TFileFormatsList buildTable() {
    TFileFormatsList t;
    const auto s = [](const char* text) { return QString::fromUtf8(text); };
    // Created with the table on its first use.
    t.Add(s("wmf"), s("MétaFichiers"), makeMetafile);
    t.Add(s("emf"), s("MétaFichiers évolués"), makeMetafile);
    t.Add(s("ico"), s("Icônes"), make<TIcon>);
    t.Add(s("bmp"), s("Bitmaps"), make<TBitmap>);
    // JPEG support.
    t.Add(s("jpeg"), s("Fichier image JPEG"), make<TJPEGImage>);
    t.Add(s("jpg"), s("Fichier image JPEG"), make<TJPEGImage>);
    // The full set, which repeats the earlier extensions with the same formats.
    t.Add(s("bmp"), s("Windows bitmaps"), make<TBitmap>);
    t.Add(s("rle"), s("Run length encoded Windows bitmaps"), make<TBitmap>);
    t.Add(s("dib"), s("Device independant Windows bitmaps"), make<TBitmap>);
    t.Add(s("ico"), s("Windows icons"), make<TIcon>);
    t.Add(s("wmf"), s("Windows metafiles"), makeMetafile);
    t.Add(s("emf"), s("Windows enhanced meta files"), makeMetafile);
    t.Add(s("jfif"), s("JFIF images"), make<TJPEGImage>);
    t.Add(s("jpg"), s("JPG images"), make<TJPEGImage>);
    t.Add(s("jpe"), s("JPE images"), make<TJPEGImage>);
    t.Add(s("jpeg"), s("JPEG images"), make<TJPEGImage>);
    for (const char* ext : {"win", "vst", "vda", "tga", "icb"})
        t.Add(s(ext), s("Truevision images"), make<TTargaImage>);
    t.Add(s("tiff"), s("Macintosh TIFF images"), make<TTIFFImage>);
    t.Add(s("tif"), s("PC TIF images"), make<TTIFFImage>);
    t.Add(s("fax"), s("GFI fax images"), make<TTIFFImage>);
    t.Add(s("eps"), s("Encapsulated Postscript images"), make<TEPSImage>);
    t.Add(s("pcx"), s("ZSoft Paintbrush images"), make<TPCXImage>);
    t.Add(s("pcc"), s("ZSoft Paintbrush images"), make<TPCXImage>);
    t.Add(s("scr"), s("Word 5.x screen capture images"), make<TPCXImage>);
    t.Add(s("rpf"), s("Alias/Wavefront images"), makeRla);
    t.Add(s("rla"), s("Alias/Wavefront images"), makeRla);
    t.Add(s("sgi"), s("SGI true color images"), make<TSGIImage>);
    t.Add(s("rgba"), s("SGI true color images with alpha"), make<TSGIImage>);
    t.Add(s("rgb"), s("SGI true color images"), make<TSGIImage>);
    t.Add(s("bw"), s("SGI black/white images"), make<TSGIImage>);
    t.Add(s("psd"), s("Photoshop images"), make<TPSDImage>);
    t.Add(s("pdd"), s("Photoshop images"), make<TPSDImage>);
    t.Add(s("ppm"), s("Portable pixel map images"), make<TPNMImage>);
    t.Add(s("pgm"), s("Portable gray map images"), make<TPNMImage>);
    t.Add(s("pbm"), s("Portable bitmap images"), make<TPNMImage>);
    t.Add(s("cel"), s("Autodesk images"), makeAutodesk);
    t.Add(s("pic"), s("Autodesk images"), makeAutodesk);
    t.Add(s("pcd"), s("Kodak Photo-CD images"), makePhotoCD);
    t.Add(s("gif"), s("CompuServe images"), make<TGIFImage>);
    t.Add(s("cut"), s("Dr. Halo images"), makeCut);
    t.Add(s("psp"), s("Paintshop Pro images"), makePsp);
    t.Add(s("png"), s("Portable network graphic images"), make<TPNGImage>);
    return t;
}

} // namespace

const TFileFormatsList& FileFormats() {
    static const TFileFormatsList table = buildTable();
    return table;
}

QString PictureExtension(const QString& path) {
    for (int i = path.size() - 1; i >= 0; --i) {
        const QChar c = path.at(i);
        if (c == QLatin1Char('.'))
            return path.mid(i + 1);
        if (c == QLatin1Char('\\') || c == QLatin1Char(':') || c == QLatin1Char('/'))
            break;
    }
    return QString();
}
