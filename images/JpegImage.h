#pragma once
// Decoding a JPEG page scan with libjpeg-turbo straight into a QImage.

#include <QImage>
#include <QString>

// The most pixels one picture may have (its size as the file header states it, before any scaling):
// a hostile header can claim billions of pixels in a few hundred bytes. A page scan has about 9 million.
constexpr qint64 kJpegPixelBudget = 150'000'000;

// Decoding at a fraction of the natural size, done by libjpeg itself (much cheaper than decoding in
// full and scaling down).
enum class JpegScale { Full = 1, Half = 2, Quarter = 4, Eighth = 8 };

// Decodes the JPEG file at the Windows-style `path` (resolved with ResolveWinPath) into a
// Format_RGB32 image at its natural size, or at the given fraction of it (each side rounded up).
// Raises VelmoraError "Cannot open file "<path>". <reason>" when the file cannot be opened, and an
// error naming the file when it is not a decodable JPEG: truncated or corrupt (also when the picture
// data ends early and an end marker follows), not a JPEG, over the pixel budget (checked from the
// header, before anything is allocated), or too large to hold in memory.
QImage DecodeJpegFile(const QString &path, JpegScale scale = JpegScale::Full);
