#include "common/Error.h"

#include <QDir>
#include <QFileInfo>

VelmoraError::VelmoraError(const QString &message) : std::runtime_error(message.toStdString()) {}

VelmoraError::VelmoraError(const QString &message, qint64 index, qint64 count)
    : std::runtime_error(message.toStdString()), index_(index), count_(count) {}

QString ShownPath(const QString &fileName) {
    return fileName.isEmpty() ? fileName : QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath());
}
