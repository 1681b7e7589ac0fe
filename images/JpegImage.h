#pragma once
// Decoding a JPEG page scan with libjpeg-turbo straight into a QImage.

#include <QImage>
#include <QString>

#include <exception>
#include <functional>

// The most pixels one picture may have (its size as the file header states it, before any scaling):
// a hostile header can claim billions of pixels in a few hundred bytes. A page scan has about 9 million.
constexpr qint64 kJpegPixelBudget = 150'000'000;

// The most scans a progressive picture may have. Encoders write about ten; each scan walks every block
// of the picture again, so a file of hundreds of valid scans costs hundreds of plain decodes.
constexpr int kJpegScanLimit = 300;

// Raised instead of a picture when the decode was given up because its caller no longer wants it.
class JpegDecodeAbandoned : public std::exception {
public:
    const char *what() const noexcept override { return "decode abandoned"; }
};

// Decoding at a fraction of the natural size, done by libjpeg itself (much cheaper than decoding in
// full and scaling down).
enum class JpegScale { Full = 1, Half = 2, Quarter = 4, Eighth = 8 };

// Decodes the JPEG file at the Windows-style `path` (resolved with ResolveWinPath) into a
// Format_RGB32 image at its natural size, or at the given fraction of it (each side rounded up).
// Raises VelmoraError "Cannot open file "<path>". <reason>" when the file cannot be opened, and an
// error naming the file when it is not a decodable JPEG: truncated or corrupt (also when the picture
// data ends early and an end marker follows), not a JPEG, over the pixel budget (checked from the
// header, before anything is allocated), over the scan limit (counted before decoding), or too large to
// hold in memory. Only a regular file is read (a named pipe in its place would block).
// `abandon`, when given, is asked now and then while the picture is decoded; once it answers true the
// decode stops and JpegDecodeAbandoned is raised.
QImage DecodeJpegFile(const QString &path, JpegScale scale = JpegScale::Full,
                      const std::function<bool()> &abandon = {});
