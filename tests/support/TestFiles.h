#pragma once
// Small fixture files on disk, written and read back byte for byte.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

inline QString WriteFile(const QTemporaryDir &dir, const QByteArray &bytes,
                         const QString &name = "notes.xml") {
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write fixture %s", qPrintable(path));
    f.write(bytes);
    return path;
}

inline QByteArray ReadFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}
