#pragma once
// Decoding a JPEG page scan with libjpeg-turbo straight into a QImage.

#include <QImage>
#include <QString>

// Decodes the JPEG file at the Windows-style `path` (resolved with ResolveWinPath) into a
// Format_RGB32 image at its natural size. Raises VelmoraError "Cannot open file "<path>". <reason>"
// when the file cannot be opened, and an error naming the file when it is not a decodable JPEG
// (truncated, corrupt, not a JPEG, or too large to hold in memory).
QImage DecodeJpegFile(const QString &path);
