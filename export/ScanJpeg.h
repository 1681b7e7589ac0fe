#pragma once
// The page scans as an export needs them: the size a JPEG file states in its header, and a piece of it
// cut out as a JPEG of its own (with TurboJPEG; no picture library of the window).

#include "export/EntryZone.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The most pixels a scan may state: a hostile header can claim billions in a few bytes. A page scan has
// about 9 million.
constexpr qint64 kScanPixelBudget = 150'000'000;

struct JpegSize {
    int width = 0;
    int height = 0;
};

// The picture size from the frame header of the JPEG file at `path` (a path for the system), reading
// only as far as that header. Raises VelmoraError naming the file when it cannot be opened, is not a
// regular file, is not a JPEG, ends before its frame header, or states more than kScanPixelBudget pixels.
JpegSize ReadJpegSize(const QString &path);

// The picture size JPEG bytes in memory state (a crop's); 0 x 0 when they state none.
JpegSize JpegSizeOf(const QByteArray &jpeg);

// The whole JPEG file at `path` (a regular file of at most 256 MB); VelmoraError naming it otherwise.
QByteArray ReadJpegFile(const QString &path);

// `zone` (within the picture) cut from `jpeg` as a JPEG. The cut is lossless where the file allows it:
// its upper left corner then moves up and left to the nearest block boundary (at most 15 pixels), so
// the piece holds the zone and a little more. A file the lossless cut refuses is decoded and the zone
// encoded anew. Raises VelmoraError naming `path` when the file is corrupt, cut short or not a JPEG.
// Several zones of one scan are cut in one pass over the file (reading its picture data is most of the
// work), in the order given.
QList<QByteArray> CropJpeg(const QByteArray &jpeg, const QList<ScanZone> &zones, const QString &path);
