// The JPEG decoder on any bytes, run under a memory cap: a picture is either decoded within the pixel
// budget or refused with the program's error, and nothing is allocated beyond the budget's needs.
#include "FuzzSupport.h"
#include "common/Error.h"
#include "images/JpegImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const QString path = ScratchPath("scan.jpg");
    WriteWhole(path, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    // The last byte picks the scale, so that every scale's code is reached.
    const JpegScale scales[] = {JpegScale::Full, JpegScale::Half, JpegScale::Quarter, JpegScale::Eighth};
    const JpegScale scale = size ? scales[data[size - 1] % 4] : JpegScale::Full;
    try {
        const QImage image = DecodeJpegFile(path, scale);
        FUZZ_CHECK(!image.isNull() && image.format() == QImage::Format_RGB32,
                   "a decoded picture is unusable");
        FUZZ_CHECK(qint64(image.width()) * image.height() <= VELMORA_JPEG_PIXEL_BUDGET,
                   "%dx%d is over budget", image.width(), image.height());
    } catch (const VelmoraError &e) {
        FUZZ_CHECK(e.message().contains(path), "error without the file name: %s", e.what());
    }
    return 0;
}
