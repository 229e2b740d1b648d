#include "imaging/TJPEGImage.h"

#include "imaging/PictureLimits.h"
#include "imaging/PictureStream.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

// libjpeg reports fatal errors through error_exit, which must not return: it
// jumps back with longjmp. Every function that calls setjmp below holds only
// trivially destructible locals, and no C++ frame with destructors lies
// between a setjmp and libjpeg, so the jump never skips a destructor.

namespace {

// Progressive files with more scans than this are refused: each scan walks the
// whole coefficient buffer, so a hostile file could otherwise run for minutes.
constexpr int MaxScans = 1000;
// libjpeg's working memory (the coefficients of a progressive file) is at
// most this plus this many bytes per byte of the file.
constexpr std::uint64_t MinJpegMemory = 64 * 1024 * 1024;
constexpr std::uint64_t JpegMemoryPerFileByte = 32;

struct TJpegState {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr errorMgr;
    jpeg_progress_mgr progress;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    // Input read in pieces from a stream (files).
    jpeg_source_mgr source;
    TPictureStream* stream;
    std::size_t fileSize;
    JOCTET buffer[64 * 1024];
    // The data ended before an end marker (libjpeg then reads a made-up one).
    bool ended;
};

TJpegState* stateOf(j_common_ptr cinfo) {
    // cinfo is the first member of TJpegState.
    return reinterpret_cast<TJpegState*>(cinfo);
}

[[noreturn]] void errorExit(j_common_ptr cinfo) {
    TJpegState* s = stateOf(cinfo);
    (*cinfo->err->format_message)(cinfo, s->message);
    std::longjmp(s->jump, 1);
}

void emitMessage(j_common_ptr cinfo, int level) {
    if (level >= 0)
        return; // trace messages
    // A file whose scan data is cut by the end of the data is damaged:
    // libjpeg would fill the rest with grey. A file that ends after its last
    // scan, without the end marker, is complete if that scan was the last
    // one (see start). Data damaged inside the file is shown as libjpeg can.
    TJpegState* s = stateOf(cinfo);
    if (cinfo->err->msg_code == JWRN_JPEG_EOF)
        s->ended = true;
    else if (cinfo->err->msg_code == JWRN_HIT_MARKER && s->ended)
        errorExit(cinfo);
    cinfo->err->num_warnings++;
}

void progressMonitor(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor)
        return;
    const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > MaxScans) {
        TJpegState* s = stateOf(cinfo);
        std::snprintf(s->message, sizeof s->message, "trop de passes progressives");
        std::longjmp(s->jump, 1);
    }
}

void initSource(j_decompress_ptr) {}
void termSource(j_decompress_ptr) {}

boolean fillInput(j_decompress_ptr cinfo) {
    TJpegState* s = stateOf(reinterpret_cast<j_common_ptr>(cinfo));
    std::size_t n = s->stream->Read(s->buffer, sizeof s->buffer);
    if (n == 0) {
        // The end of the data: an end marker is made up, as libjpeg's own
        // memory source does; the decoder then decides whether it was complete.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        s->buffer[0] = 0xFF;
        s->buffer[1] = JPEG_EOI;
        n = 2;
    }
    s->source.next_input_byte = s->buffer;
    s->source.bytes_in_buffer = n;
    return TRUE;
}

void skipInput(j_decompress_ptr cinfo, long count) {
    TJpegState* s = stateOf(reinterpret_cast<j_common_ptr>(cinfo));
    if (count <= 0)
        return;
    std::size_t n = std::size_t(count);
    while (n > s->source.bytes_in_buffer) {
        n -= s->source.bytes_in_buffer;
        s->source.bytes_in_buffer = 0;
        fillInput(cinfo);
        if (s->ended)
            return; // the made-up end marker is read next
    }
    s->source.next_input_byte += n;
    s->source.bytes_in_buffer -= n;
}

// Reads the header and chooses the output; false on a libjpeg error. Reads
// from the stream when there is one, else from data.
bool readHeader(TJpegState* s, const unsigned char* data, std::size_t size, int* width, int* height) {
    if (setjmp(s->jump))
        return false;
    jpeg_create_decompress(&s->cinfo);
    s->cinfo.progress = &s->progress;
    // Progressive files keep every coefficient of the picture whatever the
    // scale: a few bytes may not claim more than a few times their size.
    s->cinfo.mem->max_memory_to_use = long(std::min<std::uint64_t>(
        MaxPictureBytes, MinJpegMemory + JpegMemoryPerFileByte * std::uint64_t(s->fileSize)));
    if (s->stream) {
        s->source.init_source = initSource;
        s->source.fill_input_buffer = fillInput;
        s->source.skip_input_data = skipInput;
        s->source.resync_to_restart = jpeg_resync_to_restart;
        s->source.term_source = termSource;
        s->source.bytes_in_buffer = 0;
        s->source.next_input_byte = nullptr;
        s->cinfo.src = &s->source;
    } else {
        jpeg_mem_src(&s->cinfo, data, static_cast<unsigned long>(size));
    }
    jpeg_read_header(&s->cinfo, TRUE);
    *width = int(s->cinfo.image_width);
    *height = int(s->cinfo.image_height);
    return true;
}

// Starts the decompression at scale num/8; false on a libjpeg error.
bool start(TJpegState* s, int num, bool cmyk, int* outWidth, int* outHeight) {
    if (setjmp(s->jump))
        return false;
    s->cinfo.scale_num = unsigned(num);
    s->cinfo.scale_denom = 8;
    s->cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
    if (num < 8) {
        // Reduced pictures are smoothed again when drawn.
        s->cinfo.do_fancy_upsampling = FALSE;
        s->cinfo.dct_method = JDCT_IFAST;
    }
    jpeg_start_decompress(&s->cinfo);
    // A file with several scans was read whole by now. If it ended without
    // its end marker, every coefficient of every component must have been
    // refined to its last bit (a progressive file cut between two scans
    // lacks the later ones); a single scan is checked as it is read.
    if (s->ended && jpeg_has_multiple_scans(&s->cinfo)) {
        bool complete = s->cinfo.progressive_mode && s->cinfo.coef_bits;
        for (int c = 0; complete && c < s->cinfo.num_components; ++c)
            for (int k = 0; k < DCTSIZE2; ++k)
                complete = complete && s->cinfo.coef_bits[c][k] == 0;
        if (!complete) {
            std::snprintf(s->message, sizeof s->message, "données tronquées");
            return false;
        }
    }
    *outWidth = int(s->cinfo.output_width);
    *outHeight = int(s->cinfo.output_height);
    return true;
}

// Reads every row into the picture's buffer, then the end of the file.
bool readRows(TJpegState* s, unsigned char* bits, std::size_t stride) {
    if (setjmp(s->jump))
        return false;
    while (s->cinfo.output_scanline < s->cinfo.output_height) {
        JSAMPROW row = bits + std::size_t(s->cinfo.output_scanline) * stride;
        jpeg_read_scanlines(&s->cinfo, &row, 1);
    }
    jpeg_finish_decompress(&s->cinfo);
    return true;
}

struct TJpegGuard {
    TJpegState* s;
    ~TJpegGuard() { jpeg_destroy_decompress(&s->cinfo); }
};

} // namespace

void TJPEGImage::Decode(const unsigned char* data, std::size_t size, QSize maxDrawSize) {
    if (size < 2 || data[0] != 0xFF || data[1] != 0xD8)
        ThrowBadPicture("JPEG", QStringLiteral("signature absente"));
    decode(nullptr, data, size, maxDrawSize);
}

void TJPEGImage::DecodeFile(QFile& file, QSize maxDrawSize) {
    TPictureStream stream(&file);
    if (stream.Peek(2) != QByteArray("\xFF\xD8", 2))
        ThrowBadPicture("JPEG", QStringLiteral("signature absente"));
    decode(&stream, nullptr, 0, maxDrawSize);
}

void TJPEGImage::decode(TPictureStream* stream, const unsigned char* data, std::size_t size,
                        QSize maxDrawSize) {
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "BGRX rows are RGB32 pixels on little-endian hosts");
    auto state = std::make_unique<TJpegState>();
    std::memset(state.get(), 0, sizeof(TJpegState));
    TJpegState* s = state.get();
    s->stream = stream;
    s->fileSize = stream ? stream->Size() : size;
    s->cinfo.err = jpeg_std_error(&s->errorMgr);
    s->errorMgr.error_exit = errorExit;
    s->errorMgr.emit_message = emitMessage;
    s->progress.progress_monitor = progressMonitor;
    TJpegGuard guard{s};

    int width = 0, height = 0;
    if (!readHeader(s, data, size, &width, &height))
        ThrowBadPicture("JPEG", QString::fromLocal8Bit(s->message));
    CheckPictureSize(width, height);
    const bool cmyk = s->cinfo.jpeg_color_space == JCS_CMYK || s->cinfo.jpeg_color_space == JCS_YCCK;

    // The smallest DCT scale num/8 that still covers the drawn size.
    const double drawScale = DrawScale(width, height, maxDrawSize);
    const int num = std::clamp(int(std::ceil(drawScale * 8.0 - 1e-9)), 1, 8);
    int outWidth = 0, outHeight = 0;
    if (!start(s, num, cmyk, &outWidth, &outHeight))
        ThrowBadPicture("JPEG", QString::fromLocal8Bit(s->message));
    if (int(s->cinfo.output_components) != 4)
        ThrowBadPicture("JPEG", QStringLiteral("espace de couleurs non pris en charge"));

    QImage image = AllocatePicture(outWidth, outHeight, QImage::Format_RGB32);
    if (!readRows(s, image.bits(), std::size_t(image.bytesPerLine())))
        ThrowBadPicture("JPEG", QString::fromLocal8Bit(s->message));

    if (cmyk) {
        // Adobe writes inverted CMYK (255 = no ink); others plain CMYK.
        const bool inverted = s->cinfo.saw_Adobe_marker;
        for (int y = 0; y < outHeight; ++y) {
            unsigned char* p = image.scanLine(y);
            QRgb* dst = reinterpret_cast<QRgb*>(p);
            for (int x = 0; x < outWidth; ++x) {
                int c = p[4 * x], m = p[4 * x + 1], ye = p[4 * x + 2], k = p[4 * x + 3];
                if (!inverted) {
                    c = 255 - c;
                    m = 255 - m;
                    ye = 255 - ye;
                    k = 255 - k;
                }
                dst[x] = qRgb(c * k / 255, m * k / 255, ye * k / 255);
            }
        }
    }
    SetPicture(std::move(image), width, height);
}
