// Page scans of the demo library: a sheet of slightly uneven paper with each entry of the page
// written on it in a loose hand, the headword's first character centred on the entry's position.

#include "tools/DemoLibrary.h"

#include "common/Error.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

namespace demo {
namespace {

// A small generator of our own, so that the scans do not depend on the standard library's
// distributions, which differ between implementations.
struct Lcg {
    quint32 state;
    explicit Lcg(quint32 seed) : state(seed * 2654435761u + 12345u) {}
    quint32 next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    // Uniform in [-range, range].
    double jitter(double range) { return (double(next() % 20001) / 10000.0 - 1.0) * range; }
};

quint32 Seed(const QString &s) {
    quint32 h = 2166136261u;
    for (QChar c : s)
        h = (h ^ c.unicode()) * 16777619u;
    return h;
}

// Paper grain, made once and tiled; a tile is too small to be noticed as repeating at reading zoom.
const QImage &PaperTile() {
    static const QImage tile = [] {
        QImage img(509, 509, QImage::Format_RGB32);
        Lcg rng(7);
        for (int y = 0; y < img.height(); ++y) {
            QRgb *row = reinterpret_cast<QRgb *>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x) {
                const int n = int(rng.next() % 13) - 6;
                // Occasional fibres: a darker speck.
                const int fibre = (rng.next() % 997 == 0) ? -28 : 0;
                row[x] = qRgb(qBound(0, 243 + n + fibre, 255), qBound(0, 237 + n + fibre, 255),
                              qBound(0, 221 + n + fibre, 255));
            }
        }
        return img;
    }();
    return tile;
}

QFont ScanFont(int pixelSize, bool bold) {
    QFont f(QStringLiteral("Noto Serif CJK TC"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// Draws text one character at a time with a small wobble, starting at baseline point (x, y);
// returns the x after the last character.
double Handwrite(QPainter &p, const QString &text, double x, double y, const QFont &font, Lcg &rng,
                 bool steadyFirst) {
    const QFontMetricsF fm(font);
    p.setFont(font);
    for (int i = 0; i < text.size(); ++i) {
        const QString ch = text.mid(i, 1);
        const double adv = fm.horizontalAdvance(ch);
        if (ch.at(0).isSpace()) {
            x += adv;
            continue;
        }
        if (i == 0 && steadyFirst) {
            p.drawText(QPointF(x, y), ch);
        } else {
            p.save();
            p.translate(x + adv / 2 + rng.jitter(2.5), y + rng.jitter(3.5));
            p.rotate(rng.jitter(1.8));
            p.drawText(QPointF(-adv / 2, 0), ch);
            p.restore();
        }
        x += adv * (0.97 + rng.jitter(0.03));
    }
    return x;
}

// Breaks text into lines no wider than width; closing punctuation never starts a line.
QStringList Wrap(const QString &text, const QFont &font, double width) {
    const QFontMetricsF fm(font);
    static const QString noStart = QStringLiteral("，。、；：？！」』）》〉");
    QStringList lines;
    QString cur;
    double w = 0;
    for (QChar c : text) {
        const double a = fm.horizontalAdvance(c);
        if (w + a > width && !cur.isEmpty() && !noStart.contains(c)) {
            lines.append(cur);
            cur.clear();
            w = 0;
        }
        cur += c;
        w += a;
    }
    if (!cur.isEmpty()) lines.append(cur);
    return lines;
}

} // namespace

QImage DrawScan(const DemoPage &page, const QString &runningHead) {
    QImage img(kScanWidth, kScanHeight, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.drawTiledPixmap(img.rect(), QPixmap::fromImage(PaperTile()));

    // The scanner darkens the sheet towards its edges.
    const QColor shade(90, 70, 40, 34);
    const QColor clear(90, 70, 40, 0);
    QLinearGradient toLeft(0, 0, 140, 0), toRight(kScanWidth, 0, kScanWidth - 140, 0);
    toLeft.setColorAt(0, shade), toLeft.setColorAt(1, clear);
    toRight.setColorAt(0, shade), toRight.setColorAt(1, clear);
    p.fillRect(QRect(0, 0, 140, kScanHeight), toLeft);
    p.fillRect(QRect(kScanWidth - 140, 0, 140, kScanHeight), toRight);

    // Printed margin line and running head of the notebook sheet.
    p.setPen(QPen(QColor(214, 120, 120, 150), 3));
    p.drawLine(240, 120, 240, kScanHeight - 120);
    p.setPen(QPen(QColor(120, 150, 190, 120), 2));
    p.drawLine(240, 262, kScanWidth - 200, 262);
    p.setPen(QColor(90, 90, 100));
    const QFont headFont = ScanFont(46, false);
    p.setFont(headFont);
    p.drawText(QPointF(300, 220), QStringLiteral("澄溪導師筆記・%1").arg(runningHead));
    const QFontMetricsF hfm(headFont);
    p.drawText(QPointF(kScanWidth - 220 - hfm.horizontalAdvance(page.name), 220), page.name);

    Lcg rng(Seed(page.name));
    const QFont headwordFont = ScanFont(92, true);
    const QFont bodyFont = ScanFont(64, false);
    const QFont noteFont = ScanFont(54, false);
    const double right = kScanWidth - 230;

    for (int j = 0; j < page.entries.size(); ++j) {
        const DemoEntry &e = page.entries[j];
        const int slotBottom = j + 1 < page.entries.size() ? page.entries[j + 1].cy - 150 : kScanHeight - 200;

        // The indent is a typing habit of the notes file, not something written on the sheet.
        QString head = PlainText(e.headword.join(QString()));
        while (!head.isEmpty() && head.at(0) == QChar(0x3000))
            head.remove(0, 1);
        if (head.isEmpty()) continue;

        // Centre the ink of the first character on (cx, cy).
        QPainterPath first;
        first.addText(0, 0, headwordFont, head.left(1));
        const QPointF c = first.boundingRect().center();
        const double baseX = e.cx - c.x();
        const double baseY = e.cy - c.y();
        p.setPen(QColor(26, 26, 36));
        Handwrite(p, head, baseX, baseY, headwordFont, rng, true);

        // Body: the passage, then the collation note in red ink, as much as the slot holds.
        const double left = baseX + 60;
        double y = baseY + 110;
        p.setPen(QColor(34, 46, 78));
        QStringList body;
        for (const QString &line : e.content)
            body += Wrap(PlainText(line), bodyFont, right - left);
        for (const QString &line : body) {
            if (y > slotBottom - 60) break;
            Handwrite(p, line, left + rng.jitter(4), y, bodyFont, rng, false);
            y += 90;
        }
        if (!e.note.isEmpty() && y <= slotBottom - 50) {
            p.setPen(QColor(150, 40, 34));
            const QStringList noteLines =
                Wrap(QStringLiteral("校：") + PlainText(e.note.join(QString())), noteFont, right - left - 40);
            for (const QString &line : noteLines) {
                if (y > slotBottom - 50) break;
                Handwrite(p, line, left + 40, y + 6, noteFont, rng, false);
                y += 78;
            }
        }
    }
    p.end();
    return img;
}

namespace {

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void JpegFail(j_common_ptr cinfo) {
    auto *err = reinterpret_cast<JpegError *>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

} // namespace

QByteArray EncodeJpeg(const QImage &source, int quality) {
    const QImage image =
        source.format() == QImage::Format_RGB32 ? source : source.convertToFormat(QImage::Format_RGB32);
    jpeg_compress_struct cinfo;
    JpegError err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JpegFail;
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    // Nothing with a destructor lives between setjmp and the encoder calls.
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);
        throw VelmoraError(QStringLiteral("JPEG encoder: %1").arg(QString::fromLocal8Bit(err.message)));
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(image.width());
    cinfo.image_height = JDIMENSION(image.height());
    cinfo.input_components = 4;
    // RGB32 is 0xffRRGGBB in native order: B, G, R, X in memory on little-endian machines.
    cinfo.in_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.density_unit = 1; // dots per inch, as a scanner writes it
    cinfo.X_density = 300;
    cinfo.Y_density = 300;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray bytes(reinterpret_cast<const char *>(buffer), qsizetype(size));
    std::free(buffer);
    return bytes;
}

} // namespace demo
