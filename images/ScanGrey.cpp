#include "images/ScanGrey.h"

#include "common/Error.h"
#include "images/JpegFault.h"
#include "platform/RegularFile.h"
#include "platform/WinPath.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

// jerror.h needs jpeglib.h before it.
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

namespace {

// The same budget as the window's decoder: a page scan has about 9 million pixels.
constexpr long long kPixelBudget = 150'000'000;
constexpr qint64 kFileLimit = qint64(1) << 30;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

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

void Silent(j_common_ptr) {}

// Data that ends early or cannot be decoded would be filled with grey: a layout read from that is
// wrong, so such warnings end the decode as the window's decoder does.
void EmitMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;
    switch (cinfo->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_BOGUS_PROGRESSION:
    case JWRN_NOT_SEQUENTIAL:
        cinfo->err->error_exit(cinfo);
        break;
    default:
        break;
    }
}

// Nothing with a destructor lives between setjmp and longjmp: the grey buffer is the caller's.
bool Decode(const QByteArray &data, int scale, ScanGrey &out, char *message) {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.output_message = Silent;
    err.pub.emit_message = EmitMessage;
    err.message[0] = '\0';
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        std::strncpy(message, err.message, JMSG_LENGTH_MAX);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char *>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&cinfo, TRUE);
    const long long pixels = (long long)cinfo.image_width * (long long)cinfo.image_height;
    if (pixels > kPixelBudget) {
        std::snprintf(message, JMSG_LENGTH_MAX, "圖檔大小為 %u x %u 像素，超過一張圖檔上限的 %.0f 百萬像素",
                      unsigned(cinfo.image_width), unsigned(cinfo.image_height), double(kPixelBudget) / 1e6);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    cinfo.scale_num = 1;
    cinfo.scale_denom = unsigned(scale);
    // The luminance alone: no colour conversion, and a quarter of the bytes of a picture.
    cinfo.out_color_space = JCS_GRAYSCALE;
    // Speed over the last grain of fidelity: the layout is read from shapes many pixels large.
    cinfo.dct_method = JDCT_IFAST;
    cinfo.do_fancy_upsampling = FALSE;
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 1) {
        std::snprintf(message, JMSG_LENGTH_MAX, "不支援這種 JPEG 編碼");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    out.width = int(cinfo.output_width);
    out.height = int(cinfo.output_height);
    out.fullWidth = int(cinfo.image_width);
    out.fullHeight = int(cinfo.image_height);
    out.scale = scale;
    out.pixels.resize(size_t(out.width) * size_t(out.height));
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rows[8];
        JDIMENSION n = 0;
        for (; n < 8 && cinfo.output_scanline + n < cinfo.output_height; ++n)
            rows[n] = out.pixels.data() + size_t(cinfo.output_scanline + n) * size_t(out.width);
        jpeg_read_scanlines(&cinfo, rows, n);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

} // namespace

ScanGrey DecodeScanGrey(const QByteArray &jpeg, int scale, const QString &name) {
    if (scale != 1 && scale != 2 && scale != 4 && scale != 8) scale = 4;
    ScanGrey grey;
    char message[JMSG_LENGTH_MAX] = {};
    bool ok = false;
    try {
        ok = Decode(jpeg, scale, grey, message);
    } catch (const std::bad_alloc &) {
        std::snprintf(message, JMSG_LENGTH_MAX, "記憶體不足");
    }
    if (!ok)
        throw VelmoraError(QStringLiteral("無法讀取圖檔 \"%1\"：%2").arg(name, QString::fromUtf8(message)));
    return grey;
}

ScanGrey ReadScanGrey(const QString &path, int scale) {
    const QString resolved = ResolveWinPath(path);
    const RegularFileRead file = ReadRegularFile(resolved, kFileLimit);
    if (!file.ok) throw VelmoraError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.reason));
    return DecodeScanGrey(file.bytes, scale, ShownPath(resolved));
}
