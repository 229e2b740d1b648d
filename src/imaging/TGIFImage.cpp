#include "imaging/TGIFImage.h"

#include "imaging/PictureBuilder.h"
#include "imaging/PictureLimits.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <gif_lib.h>
#include <vector>

namespace {

struct TGifSource {
    const unsigned char* data;
    std::size_t size;
    std::size_t pos;
};

int gifRead(GifFileType* gif, GifByteType* out, int length) {
    auto* src = static_cast<TGifSource*>(gif->UserData);
    if (length <= 0)
        return 0;
    const std::size_t n = std::min(std::size_t(length), src->size - src->pos);
    std::memcpy(out, src->data + src->pos, n);
    src->pos += n;
    return int(n);
}

struct TGifCloser {
    GifFileType* gif;
    ~TGifCloser() {
        int error = 0;
        if (gif)
            DGifCloseFile(gif, &error);
    }
};

[[noreturn]] void fail(int error) {
    const char* text = GifErrorString(error);
    ThrowBadPicture("GIF", text ? QString::fromUtf8(text) : QString());
}

} // namespace

void TGIFImage::Decode(const unsigned char* data, std::size_t size, QSize maxDrawSize) {
    if (size < 6 || std::memcmp(data, "GIF", 3) != 0)
        ThrowBadPicture("GIF", QStringLiteral("signature absente"));
    TGifSource src{data, size, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&src, gifRead, &error);
    if (!gif)
        fail(error);
    TGifCloser closer{gif};

    TPictureBuilder picture;
    int transparent = NO_TRANSPARENT_COLOR;
    bool haveFrame = false;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR) {
            // A picture whose data ends where only the trailer ';' is
            // missing is complete: it is shown, as other readers do.
            if (haveFrame && src.pos == src.size)
                break;
            fail(gif->Error);
        }
        if (type == TERMINATE_RECORD_TYPE)
            break;
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* ext = nullptr;
            if (DGifGetExtension(gif, &code, &ext) == GIF_ERROR)
                fail(gif->Error);
            if (code == GRAPHICS_EXT_FUNC_CODE && ext && !haveFrame) {
                GraphicsControlBlock gcb;
                if (DGifExtensionToGCB(ext[0], ext + 1, &gcb) == GIF_OK)
                    transparent = gcb.TransparentColor;
            }
            while (ext) {
                if (DGifGetExtensionNext(gif, &ext) == GIF_ERROR)
                    fail(gif->Error);
            }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE)
            ThrowBadPicture("GIF", QStringLiteral("bloc inconnu"));
        if (DGifGetImageDesc(gif) == GIF_ERROR)
            fail(gif->Error);
        if (haveFrame) {
            // Later frames are not shown; their data is only walked through.
            int codeSize = 0;
            GifByteType* block = nullptr;
            if (DGifGetCode(gif, &codeSize, &block) == GIF_ERROR)
                fail(gif->Error);
            while (block) {
                if (DGifGetCodeNext(gif, &block) == GIF_ERROR)
                    fail(gif->Error);
            }
            continue;
        }
        const GifImageDesc& d = gif->Image;
        CheckPictureSize(d.Width, d.Height);
        // A frame's codes are at least one bit each and the LZW strings at
        // most 4096 pixels long: data too short for the frame is truncated.
        if (std::uint64_t(d.Width) * std::uint64_t(d.Height) > (src.size - src.pos) * 8 * 4096)
            ThrowBadPicture("GIF", QStringLiteral("données tronquées"));
        const int screenW = gif->SWidth > 0 ? gif->SWidth : d.Left + d.Width;
        const int screenH = gif->SHeight > 0 ? gif->SHeight : d.Top + d.Height;
        // The screen outside the frame stays transparent; a screen larger
        // than the panel is kept reduced.
        picture.Init(screenW, screenH, maxDrawSize, true);
        const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
        QRgb colors[256];
        for (int i = 0; i < 256; ++i) {
            if (map && map->Colors && i < map->ColorCount)
                colors[i] = qRgb(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue);
            else
                colors[i] = map ? qRgb(0, 0, 0) : qRgb(i, i, i);
        }
        if (transparent >= 0 && transparent < 256)
            colors[transparent] = qRgba(0, 0, 0, 0);
        std::vector<GifPixelType> line(std::size_t(d.Width));
        // The part of each frame row that lies on the screen.
        const int x0 = std::max(0, d.Left), x1 = std::min(screenW, d.Left + d.Width);
        // Row order of an interlaced frame: four passes.
        static const int start[4] = {0, 4, 2, 1};
        static const int step[4] = {8, 8, 4, 2};
        const int passes = d.Interlace ? 4 : 1;
        for (int pass = 0; pass < passes; ++pass) {
            for (int y = d.Interlace ? start[pass] : 0; y < d.Height; y += d.Interlace ? step[pass] : 1) {
                if (DGifGetLine(gif, line.data(), d.Width) == GIF_ERROR)
                    fail(gif->Error);
                const int ty = d.Top + y;
                if (ty < 0 || ty >= screenH || x0 >= x1)
                    continue;
                QRgb* dst = picture.Row(ty);
                for (int tx = x0; tx < x1; ++tx)
                    dst[tx] = colors[line[std::size_t(tx - d.Left)]];
                picture.Commit(ty);
            }
        }
        haveFrame = true;
    }
    if (!haveFrame)
        ThrowBadPicture("GIF", QStringLiteral("aucune image"));
    const int width = picture.Width(), height = picture.Height();
    SetPicture(picture.Result(), width, height);
}
