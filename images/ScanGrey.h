#pragma once
// A page scan as a small grey picture: what the layout of a page is read from. libjpeg decodes it at
// a fraction of its size straight into one byte per pixel (the luminance the file already holds), so
// reading a page's layout costs a fraction of showing it.

#include <QByteArray>
#include <QString>

#include <vector>

struct ScanGrey {
    int width = 0; // of the grey picture
    int height = 0;
    int fullWidth = 0; // of the scan itself, as its file states it
    int fullHeight = 0;
    int scale = 1;                     // full-size pixels per grey pixel (1, 2, 4 or 8)
    std::vector<unsigned char> pixels; // row after row, 0 black .. 255 white

    unsigned char At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

// Decodes JPEG bytes at 1/`scale` of their size (1, 2, 4 or 8; each side rounded up). Raises
// VelmoraError "無法讀取圖檔 "<name>"：<reason>" when they are not a decodable JPEG (truncated data
// counts as damage), or when the picture is over the decoder's pixel budget.
ScanGrey DecodeScanGrey(const QByteArray &jpeg, int scale, const QString &name);

// The same for the JPEG file at the Windows-style `path` (found as every path of the reader is). Raises
// VelmoraError "Cannot open file "<path>". <reason>" when it cannot be read.
ScanGrey ReadScanGrey(const QString &path, int scale);
