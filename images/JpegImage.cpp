#include "images/JpegImage.h"
#include "images/JpegFault.h"

#include "common/Error.h"
#include "platform/RegularFile.h"
#include "platform/WinPath.h"

#include <QFile>

#include <QMutex>

#include <cerrno>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

// After jpeglib.h, whose configuration it reads.
#include <jerror.h>

namespace {

// libjpeg reports fatal errors through error_exit, which must not return. We jump back to the decode
// function with longjmp; everything that must be released afterwards lives outside the jump's scope
// (the file's bytes, the decompressor, the QImage) so nothing leaks and no C++ destructor is skipped.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// The common faults are said in our words; the rare others in libjpeg's.
void ErrorExit(j_common_ptr cinfo) {
    auto *err = reinterpret_cast<ErrorManager *>(cinfo->err);
    if (const char *words = JpegFaultWords(cinfo->err->msg_code)) {
        std::snprintf(err->message, JMSG_LENGTH_MAX, "%s", words);
    } else {
        char text[JMSG_LENGTH_MAX];
        (*cinfo->err->format_message)(cinfo, text);
        std::snprintf(err->message, JMSG_LENGTH_MAX, "JPEG 解碼錯誤（%.150s）", text);
    }
    std::longjmp(err->jump, 1);
}

// Warnings would otherwise be printed to stderr.
void OutputMessage(j_common_ptr) {}

// Picture data that ends early, whether at the end of the file or at a marker (an end marker appended
// to a cut file), or that cannot be decoded, would be completed with grey rows; a half-grey page passed
// off as the scan is worse than an error, so these warnings count as fatal. The others (extra bytes
// between segments, unknown revisions, a bad colour profile) leave the pixels intact and pass silently.
bool DamagesPixels(int code) {
    switch (code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_BOGUS_PROGRESSION:
    case JWRN_NOT_SEQUENTIAL:
        return true;
    default:
        return false;
    }
}

void EmitMessage(j_common_ptr cinfo, int level) {
    if (level < 0 && DamagesPixels(cinfo->err->msg_code)) cinfo->err->error_exit(cinfo);
}

// Adobe CMYK JPEGs store inverted ink values; turn one row into RGB32.
void CmykRowToRgb32(const JSAMPLE *in, QRgb *out, JDIMENSION width, bool inverted) {
    for (JDIMENSION i = 0; i < width; ++i, in += 4) {
        int c = in[0], m = in[1], y = in[2], k = in[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[i] = qRgb(c * k / 255, m * k / 255, y * k / 255);
    }
}

// Pictures own their pixels through a cleanup function. The last page's buffer is kept as one spare
// and reused by the next decode of a page of about the same size: a fresh 35 MB block costs about as
// much in page faults as a third of the decode itself. At most one spare is ever held, and a spare that
// does not suit the next picture is given back to the system then, so a large picture's memory does not
// outlive the move to a smaller one.
struct SpareBuffer {
    QMutex mutex;
    void *data = nullptr;
    size_t size = 0;
};

SpareBuffer &Spare() {
    static SpareBuffer spare;
    return spare;
}

struct PixelBlock {
    size_t size;
};

void ReleasePixels(void *info) {
    auto *block = static_cast<PixelBlock *>(info);
    SpareBuffer &spare = Spare();
    QMutexLocker lock(&spare.mutex);
    // The latest picture's block is the likeliest fit for the next page; an older spare goes back.
    std::free(spare.data);
    spare.data = block;
    spare.size = block->size;
}

// A Format_RGB32 picture whose pixels follow a small header in one block; null when out of memory.
QImage AllocatePicture(int width, int height) {
    const qsizetype stride = qsizetype(width) * 4;
    const size_t need = sizeof(PixelBlock) + size_t(stride) * size_t(height) + 32;
    void *memory = nullptr;
    {
        SpareBuffer &spare = Spare();
        QMutexLocker lock(&spare.mutex);
        if (spare.data && spare.size >= need && spare.size / 2 <= need)
            memory = spare.data;
        else
            std::free(spare.data);
        spare.data = nullptr;
        spare.size = 0;
    }
    size_t size = need;
    if (memory)
        size = static_cast<PixelBlock *>(memory)->size;
    else
        memory = std::malloc(need);
    if (!memory) return QImage();
    auto *block = static_cast<PixelBlock *>(memory);
    block->size = size;
    // Pixel rows start 32-byte aligned after the header.
    auto *pixels = reinterpret_cast<uchar *>((reinterpret_cast<quintptr>(block + 1) + 31) & ~quintptr(31));
    QImage image(pixels, width, height, stride, QImage::Format_RGB32, ReleasePixels, block);
    if (image.isNull()) std::free(block);
    return image;
}

// The scans of a JPEG file, counted from its markers without decoding anything: segments are skipped
// by their length, and the entropy-coded data after a scan header up to the next marker (a 0xFF byte
// there is followed by a stuffed 0x00 or a restart marker). Counting stops at the end of the picture or
// at anything malformed, which the decoder then reports itself.
int CountScans(QByteArrayView data) {
    const auto byte = [&](qsizetype i) { return quint8(data[i]); };
    const qsizetype size = data.size();
    if (size < 4 || byte(0) != 0xFF || byte(1) != 0xD8) return 0;
    int scans = 0;
    qsizetype i = 2;
    while (i + 1 < size) {
        if (byte(i) != 0xFF) {
            ++i; // bytes between segments: the decoder warns and skips them
            continue;
        }
        const quint8 marker = byte(i + 1);
        if (marker == 0xFF) {
            ++i; // fill byte
            continue;
        }
        i += 2;
        if (marker == 0xD9) break;                                          // end of the picture
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue; // markers without a length
        if (i + 1 >= size) break;
        const qsizetype length = (qsizetype(byte(i)) << 8) | byte(i + 1);
        if (length < 2) break;
        i += length;
        if (marker != 0xDA) continue;
        ++scans;
        // The entropy-coded data, up to the next marker that is not a restart.
        while (i + 1 < size) {
            const void *ff = std::memchr(data.data() + i, 0xFF, size_t(size - i));
            if (!ff) {
                i = size;
                break;
            }
            i = static_cast<const char *>(ff) - data.data();
            if (i + 1 >= size) break;
            const quint8 next = byte(i + 1);
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
                i += 2;
                continue;
            }
            break;
        }
    }
    return scans;
}

// Asked by libjpeg now and then while it decodes (between rows of blocks in every scan): stops a decode
// whose caller moved on, and a progressive picture past the scan limit, should counting have missed it.
struct ProgressMonitor {
    jpeg_progress_mgr pub;
    const std::function<bool()> *abandon;
    bool *abandoned; // the caller's, outside the frame that setjmp returns to
};

#ifndef VELMORA_JPEG_PIXEL_BUDGET
#define VELMORA_JPEG_PIXEL_BUDGET kJpegPixelBudget
#endif
// The fuzzing build lowers the budget so that its inputs exercise the parser rather than decoding
// huge legitimate pictures; everywhere else it is kJpegPixelBudget.
constexpr qint64 kPixelBudget = VELMORA_JPEG_PIXEL_BUDGET;

// No page scan comes near this; a larger file is not read into memory.
constexpr qint64 kJpegFileLimit = qint64(1) << 30;

// The decode itself, kept free of objects with destructors between setjmp and longjmp. Returns false
// with `message` set on a libjpeg error; `image` is then null.
void MonitorProgress(j_common_ptr common) {
    auto *monitor = reinterpret_cast<ProgressMonitor *>(common->progress);
    auto *cinfo = reinterpret_cast<j_decompress_ptr>(common);
    auto *err = reinterpret_cast<ErrorManager *>(common->err);
    if (*monitor->abandon && (*monitor->abandon)()) {
        *monitor->abandoned = true;
        std::snprintf(err->message, JMSG_LENGTH_MAX, "abandoned");
        std::longjmp(err->jump, 1);
    }
    if (cinfo->input_scan_number > kJpegScanLimit) {
        std::snprintf(err->message, JMSG_LENGTH_MAX, "圖檔有超過 %d 次掃描（漸進式 JPEG），不予解碼",
                      kJpegScanLimit);
        std::longjmp(err->jump, 1);
    }
}

bool Decode(QByteArrayView data, int scaleDenominator, const std::function<bool()> &abandon, QImage &image,
            char *message, bool &abandoned) {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    ProgressMonitor monitor;
    monitor.pub.progress_monitor = MonitorProgress;
    monitor.abandon = &abandon;
    monitor.abandoned = &abandoned;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.output_message = OutputMessage;
    err.pub.emit_message = EmitMessage;
    err.message[0] = '\0';
    // Volatile: changed after setjmp and read after the jump.
    QImage *volatile target = &image;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        *target = QImage();
        std::strncpy(message, err.message, JMSG_LENGTH_MAX);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.progress = &monitor.pub;
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char *>(data.data()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&cinfo, TRUE);

    // Checked before anything of the picture's size is allocated, the picture itself or libjpeg's
    // buffers (a progressive file holds every coefficient of the picture, 2 bytes for each sample).
    const qint64 pixels = qint64(cinfo.image_width) * qint64(cinfo.image_height);
    if (pixels > kPixelBudget) {
        std::snprintf(message, JMSG_LENGTH_MAX,
                      "圖檔大小為 %u x %u 像素（%.0f 百萬像素），超過一張圖檔上限的 %.0f 百萬像素",
                      unsigned(cinfo.image_width), unsigned(cinfo.image_height), double(pixels) / 1e6,
                      double(kPixelBudget) / 1e6);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    cinfo.mem->max_memory_to_use = long(qMin<qint64>(kPixelBudget * 8 + (64 << 20), LONG_MAX));
    cinfo.scale_num = 1;
    cinfo.scale_denom = unsigned(scaleDenominator);

    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    // BGRX lands in memory exactly as QImage::Format_RGB32 (0xffRRGGBB, little-endian) with X = 0xff.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
#else
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_XRGB;
#endif
    jpeg_start_decompress(&cinfo);

    const JDIMENSION width = cinfo.output_width, height = cinfo.output_height;
    if (width == 0 || height == 0 || width > 65500 || height > 65500) {
        std::snprintf(message, JMSG_LENGTH_MAX, "不支援的圖檔大小 %ux%u", unsigned(width), unsigned(height));
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    image = AllocatePicture(int(width), int(height));
    if (image.isNull()) {
        std::snprintf(message, JMSG_LENGTH_MAX, "記憶體不足，無法容納 %ux%u 的圖檔", unsigned(width),
                      unsigned(height));
        jpeg_destroy_decompress(&cinfo);
        return false;
    }

    if (!cmyk) {
        // Hand libjpeg several rows at a time: it decodes up to rec_outbuf_height rows per call.
        JSAMPROW rows[16];
        while (cinfo.output_scanline < height) {
            const JDIMENSION first = cinfo.output_scanline;
            JDIMENSION n = 0;
            for (; n < 16 && first + n < height; ++n)
                rows[n] = reinterpret_cast<JSAMPROW>(image.scanLine(int(first + n)));
            jpeg_read_scanlines(&cinfo, rows, n);
        }
    } else {
        const bool inverted = cinfo.saw_Adobe_marker;
        JSAMPARRAY buffer =
            (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, width * 4, 1);
        while (cinfo.output_scanline < height) {
            const int line = int(cinfo.output_scanline);
            jpeg_read_scanlines(&cinfo, buffer, 1);
            CmykRowToRgb32(buffer[0], reinterpret_cast<QRgb *>(image.scanLine(line)), width, inverted);
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

} // namespace

QImage DecodeJpegFile(const QString &path, JpegScale scale, const std::function<bool()> &abandon) {
    const QString resolved = ResolveWinPath(path);
    // The whole file in memory: a page scan is a few megabytes, and its markers are counted before
    // anything is decoded. A regular file only: a named pipe in its place would block the decode.
    const RegularFileRead file = ReadRegularFile(resolved, kJpegFileLimit);
    if (!file.ok) throw VelmoraError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.reason));
    const int scans = CountScans(file.bytes);
    if (scans > kJpegScanLimit)
        throw VelmoraError(
            QStringLiteral("無法讀取圖檔 \"%1\"：圖檔有 %2 次掃描（漸進式 JPEG），超過上限 %3 次，不予解碼")
                .arg(ShownPath(resolved))
                .arg(scans)
                .arg(kJpegScanLimit));
    QImage image;
    char message[JMSG_LENGTH_MAX] = {};
    bool abandoned = false;
    if (!Decode(file.bytes, int(scale), abandon, image, message, abandoned)) {
        if (abandoned) throw JpegDecodeAbandoned();
        throw VelmoraError(
            QStringLiteral("無法讀取圖檔 \"%1\"：%2").arg(ShownPath(resolved), QString::fromUtf8(message)));
    }
    return image;
}
