#include "export/ScanJpeg.h"

#include "common/Error.h"
#include "common/Log.h"
#include "platform/RegularFile.h"
#include "platform/SystemError.h"

#include <turbojpeg.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <vector>

#include <unistd.h>

namespace {

constexpr qint64 kJpegFileLimit = 256LL * 1024 * 1024;

[[noreturn]] void Fail(const QString &path, const QString &what) {
    throw VelmoraError(QStringLiteral("圖檔 \"%1\" %2").arg(ShownPath(path), what));
}

QString Budget(qint64 w, qint64 h) {
    return QStringLiteral("太大：%1 × %2 像素，超過上限 %3 百萬像素")
        .arg(w)
        .arg(h)
        .arg(kScanPixelBudget / 1'000'000);
}

struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

int OpenScan(const QString &path) {
    QString reason;
    const int fd = OpenRegularFile(path, reason);
    if (fd < 0) throw VelmoraError(QStringLiteral("無法開啟圖檔 \"%1\"：%2").arg(ShownPath(path), reason));
    return fd;
}

// Where the frame header stands in what has been read so far: 1 found, 0 more bytes needed, -1 not a
// JPEG or no frame header before the picture data.
int FindFrame(const QByteArray &b, JpegSize &size) {
    const auto at = [&](qsizetype i) { return uchar(b[i]); };
    if (b.size() < 2) return 0;
    if (at(0) != 0xFF || at(1) != 0xD8) return -1;
    qsizetype i = 2;
    for (;;) {
        if (i >= b.size()) return 0;
        if (at(i) != 0xFF) return -1;
        while (i < b.size() && at(i) == 0xFF) // fill bytes
            ++i;
        if (i >= b.size()) return 0;
        const uchar m = at(i++);
        if (m == 0x01 || (m >= 0xD0 && m <= 0xD7)) continue; // markers without a length
        if (m == 0xD8 || m == 0xD9 || m == 0xDA)
            return -1; // the picture data or its end before any frame header
        if (i + 2 > b.size()) return 0;
        const int length = (at(i) << 8) | at(i + 1);
        if (length < 2) return -1;
        const bool frame = m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
        if (frame) {
            if (i + 7 > b.size()) return 0;
            size.height = (at(i + 3) << 8) | at(i + 4);
            size.width = (at(i + 5) << 8) | at(i + 6);
            return size.width > 0 && size.height > 0 ? 1 : -1;
        }
        i += length;
    }
}

QString TurboReason(tjhandle handle) {
    return QStringLiteral("無法解讀（圖檔損壞、不完整或不是 JPEG 圖檔：%1）")
        .arg(QString::fromUtf8(tjGetErrorStr2(handle)));
}

struct Turbo {
    tjhandle handle;
    explicit Turbo(tjhandle h) : handle(h) {
        if (!handle)
            throw VelmoraError(
                QStringLiteral("無法啟動 JPEG 程式庫：%1").arg(QString::fromUtf8(tjGetErrorStr2(nullptr))));
    }
    ~Turbo() { tjDestroy(handle); }
};

struct TurboBuffer {
    unsigned char *data = nullptr;
    unsigned long size = 0;
    ~TurboBuffer() { tjFree(data); }
    QByteArray Bytes() const { return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)); }
};

// Decodes the whole picture once and encodes each zone anew: for the files the lossless cut refuses.
QList<QByteArray> Reencode(const QByteArray &jpeg, const QList<ScanZone> &zones, int width, int height,
                           const QString &path) {
    Turbo d(tjInitDecompress());
    const auto *src = reinterpret_cast<const unsigned char *>(jpeg.constData());
    std::vector<unsigned char> pixels(size_t(width) * size_t(height) * 3);
    if (tjDecompress2(d.handle, src, (unsigned long)jpeg.size(), pixels.data(), width, 0, height, TJPF_RGB,
                      TJFLAG_STOPONWARNING) != 0)
        Fail(path, TurboReason(d.handle));
    Turbo c(tjInitCompress());
    QList<QByteArray> crops;
    for (const ScanZone &zone : zones) {
        TurboBuffer out;
        const unsigned char *first =
            pixels.data() + (size_t(zone.uly) * size_t(width) + size_t(zone.ulx)) * 3;
        if (tjCompress2(c.handle, first, zone.Width(), width * 3, zone.Height(), TJPF_RGB, &out.data,
                        &out.size, TJSAMP_420, 90, 0) != 0)
            Fail(path, TurboReason(c.handle));
        crops << out.Bytes();
    }
    return crops;
}

} // namespace

JpegSize JpegSizeOf(const QByteArray &jpeg) {
    JpegSize size;
    return FindFrame(jpeg, size) > 0 ? size : JpegSize();
}

JpegSize ReadJpegSize(const QString &path) {
    Descriptor file{OpenScan(path)};
    QByteArray head;
    char chunk[16384];
    JpegSize size;
    for (;;) {
        const int found = FindFrame(head, size);
        if (found < 0) Fail(path, QStringLiteral("不是 JPEG 圖檔，或在圖框標頭之前就出現了影像資料"));
        if (found > 0) break;
        const ssize_t n = ::read(file.fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw VelmoraError(
                QStringLiteral("無法讀取圖檔 \"%1\"：%2").arg(ShownPath(path), SystemErrorText(errno)));
        }
        if (n == 0) Fail(path, QStringLiteral("不完整：在圖框標頭之前就結束了"));
        if (head.size() + n > kJpegFileLimit)
            Fail(path, QStringLiteral("的標頭超過 %1，不像是掃描圖檔").arg(ShownSize(kJpegFileLimit)));
        head.append(chunk, n);
    }
    if (qint64(size.width) * size.height > kScanPixelBudget) Fail(path, Budget(size.width, size.height));
    return size;
}

QByteArray ReadJpegFile(const QString &path) {
    const RegularFileRead r = ReadRegularFile(path, kJpegFileLimit);
    if (!r.ok) throw VelmoraError(QStringLiteral("無法讀取圖檔 \"%1\"：%2").arg(ShownPath(path), r.reason));
    return r.bytes;
}

QList<QByteArray> CropJpeg(const QByteArray &jpeg, const QList<ScanZone> &zones, const QString &path) {
    Turbo t(tjInitTransform());
    const auto *src = reinterpret_cast<const unsigned char *>(jpeg.constData());
    int width = 0, height = 0, subsamp = -1, colorspace = 0;
    if (tjDecompressHeader3(t.handle, src, (unsigned long)jpeg.size(), &width, &height, &subsamp,
                            &colorspace) != 0)
        Fail(path, TurboReason(t.handle));
    if (qint64(width) * height > kScanPixelBudget) Fail(path, Budget(width, height));
    QList<ScanZone> clamped;
    for (ScanZone z : zones) {
        z.ulx = std::clamp(z.ulx, 0, width - 1);
        z.uly = std::clamp(z.uly, 0, height - 1);
        z.lrx = std::clamp(z.lrx, z.ulx + 1, width);
        z.lry = std::clamp(z.lry, z.uly + 1, height);
        clamped << z;
    }
    QList<QByteArray> crops;
    if (clamped.isEmpty()) return crops;
    if (subsamp >= 0 && subsamp < TJ_NUMSAMP) {
        // A lossless cut starts on a block boundary.
        std::vector<tjtransform> xf(size_t(clamped.size()));
        for (qsizetype i = 0; i < clamped.size(); ++i) {
            const ScanZone &z = clamped[i];
            xf[i].r.x = z.ulx - z.ulx % tjMCUWidth[subsamp];
            xf[i].r.y = z.uly - z.uly % tjMCUHeight[subsamp];
            xf[i].r.w = z.lrx - xf[i].r.x;
            xf[i].r.h = z.lry - xf[i].r.y;
            xf[i].op = TJXOP_NONE;
            xf[i].options = TJXOPT_CROP;
        }
        std::vector<unsigned char *> out(xf.size(), nullptr);
        std::vector<unsigned long> sizes(xf.size(), 0);
        const int rc = tjTransform(t.handle, src, (unsigned long)jpeg.size(), int(xf.size()), out.data(),
                                   sizes.data(), xf.data(), TJFLAG_STOPONWARNING);
        for (size_t i = 0; i < out.size(); ++i) {
            if (rc == 0) crops << QByteArray(reinterpret_cast<const char *>(out[i]), qsizetype(sizes[i]));
            tjFree(out[i]);
        }
        if (rc == 0) return crops;
        if (tjGetErrorCode(t.handle) == TJERR_WARNING)
            Fail(path, TurboReason(t.handle)); // cut short or damaged: a re-encode would show grey
        qCDebug(lcExport) << "lossless cut refused, encoding anew:" << path << tjGetErrorStr2(t.handle);
    }
    return Reencode(jpeg, clamped, width, height, path);
}
