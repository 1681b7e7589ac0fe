#pragma once
// Small page scans drawn for the layout tests without any window library: glyphs are squares with a
// cross inside (a character's size and weight is all a layout reads), written into a grey page that
// libjpeg encodes. Each page knows where its entries' first glyphs lie.

#include <QByteArray>
#include <QFile>
#include <QPoint>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

struct DrawnScan {
    int width = 1240;
    int height = 1754;
    std::vector<unsigned char> grey = std::vector<unsigned char>(size_t(1240) * 1754, 236);

    void Fill(int x, int y, int w, int h, unsigned char level) {
        for (int j = std::max(0, y); j < std::min(height, y + h); ++j)
            for (int i = std::max(0, x); i < std::min(width, x + w); ++i)
                grey[size_t(j) * size_t(width) + size_t(i)] = level;
    }
    // One glyph of size g with its top-left corner at (x, y); returns its middle.
    QPoint Glyph(int x, int y, int g) {
        const int stroke = std::max(2, g / 9), inset = g / 6;
        Fill(x + inset, y + inset, g - 2 * inset, stroke, 30);
        Fill(x + inset, y + g - inset - stroke, g - 2 * inset, stroke, 30);
        Fill(x + inset, y + inset, stroke, g - 2 * inset, 30);
        Fill(x + g - inset - stroke, y + inset, stroke, g - 2 * inset, 30);
        Fill(x + g / 2 - stroke / 2, y + inset, stroke, g - 2 * inset, 30);
        return QPoint(x + g / 2, y + g / 2);
    }
    // `count` glyphs along a line from (x, y): to the right, or downwards when `down`.
    QPoint Line(int x, int y, int count, int g, bool down = false) {
        QPoint first;
        for (int i = 0; i < count; ++i) {
            const QPoint c = down ? Glyph(x, y + i * g, g) : Glyph(x + i * g, y, g);
            if (i == 0) first = c;
        }
        return first;
    }

    QByteArray Jpeg() const {
        jpeg_compress_struct cinfo;
        jpeg_error_mgr err;
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_compress(&cinfo);
        unsigned char *buffer = nullptr;
        unsigned long size = 0;
        jpeg_mem_dest(&cinfo, &buffer, &size);
        cinfo.image_width = JDIMENSION(width);
        cinfo.image_height = JDIMENSION(height);
        cinfo.input_components = 1;
        cinfo.in_color_space = JCS_GRAYSCALE;
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, 90, TRUE);
        jpeg_start_compress(&cinfo, TRUE);
        while (cinfo.next_scanline < cinfo.image_height) {
            JSAMPROW row = const_cast<JSAMPROW>(&grey[size_t(cinfo.next_scanline) * size_t(width)]);
            jpeg_write_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_compress(&cinfo);
        jpeg_destroy_compress(&cinfo);
        QByteArray bytes(reinterpret_cast<const char *>(buffer), qsizetype(size));
        std::free(buffer);
        return bytes;
    }
    bool Save(const QString &path) const {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(Jpeg()) >= 0;
    }
};

// Pages of entries in three hands, each with its entries' first glyphs in order: the headword larger
// than the text; the headword the text's size but outdented, its text running on after it; the
// headword alone on a short line of its own length, text not indented. Furniture that is not writing
// comes with each: a rule across the page under a running head, a margin rule, a page number, specks.
enum class DrawnHand { Larger, Outdent, Length, Columns };

struct DrawnPage {
    DrawnScan scan;
    std::vector<QPoint> starts; // middle of each entry's first glyph
    std::vector<int> glyphs;    // of each headword
};

inline DrawnPage DrawPage(DrawnHand hand, int entries = 6) {
    DrawnPage page;
    DrawnScan &s = page.scan;
    const int g = 30;
    // Furniture: a running head above a rule, a margin rule, a page number, specks.
    s.Line(200, 60, 8, 22);
    s.Fill(100, 110, 1040, 2, 120);
    s.Fill(110, 60, 2, 1640, 120);
    s.Line(600, 1680, 2, 20);
    for (int i = 0; i < 12; ++i)
        s.Fill(150 + (i * 397) % 950, 150 + (i * 613) % 1450, 3, 3, 40);
    const int lengths[] = {3, 5, 2, 4, 6, 3, 4, 2};
    const int textLines[] = {2, 1, 3, 2, 1, 2, 3, 1};
    if (hand == DrawnHand::Columns) {
        int x = 1080;
        for (int e = 0; e < entries; ++e) {
            page.glyphs.push_back(lengths[e % 8]);
            // The headword at the top of its column, its text running on; later columns one glyph lower.
            page.starts.push_back(s.Line(x, 160, lengths[e % 8], g, true));
            s.Line(x, 160 + (lengths[e % 8] + 1) * g, 40 - lengths[e % 8] - 1, g, true);
            x -= g * 3 / 2;
            for (int l = 1; l < textLines[e % 8]; ++l, x -= g * 3 / 2)
                s.Line(x, 160 + g, l + 1 < textLines[e % 8] ? 39 : 12, g, true);
        }
        return page;
    }
    int y = 160;
    for (int e = 0; e < entries; ++e) {
        const int n = lengths[e % 8];
        page.glyphs.push_back(n);
        switch (hand) {
        case DrawnHand::Larger:
            page.starts.push_back(s.Line(160, y, n, 44));
            y += 44 * 3 / 2;
            for (int l = 0; l < textLines[e % 8]; ++l, y += g * 3 / 2)
                s.Line(160, y, l + 1 < textLines[e % 8] ? 30 : 11, g);
            y += g / 2;
            break;
        case DrawnHand::Outdent:
            page.starts.push_back(s.Line(160, y, n, g));
            s.Line(160 + (n + 1) * g, y, 30 - n - 1, g);
            y += g * 3 / 2;
            for (int l = 1; l < textLines[e % 8]; ++l, y += g * 3 / 2)
                s.Line(160 + 2 * g, y, l + 1 < textLines[e % 8] ? 28 : 9, g);
            break;
        case DrawnHand::Length:
            page.starts.push_back(s.Line(160, y, n, g));
            y += g * 3 / 2;
            for (int l = 0; l < textLines[e % 8]; ++l, y += g * 3 / 2)
                s.Line(160, y, l + 1 < textLines[e % 8] ? 30 : 14, g);
            break;
        case DrawnHand::Columns:
            break;
        }
    }
    return page;
}
