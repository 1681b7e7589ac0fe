#pragma once
// Shared by the fuzz targets: splitting an input into text fields, temporary files, and a failure that
// libFuzzer reports as a crash with the input that caused it.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

// Aborts with a message: libFuzzer saves the input as a reproducer.
#define FUZZ_CHECK(condition, ...)                                                                           \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "check failed: %s\n", #condition);                                          \
            std::fprintf(stderr, __VA_ARGS__);                                                               \
            std::fprintf(stderr, "\n");                                                                      \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)

// The input cut at every 0x01 byte into at least `count` parts (missing ones empty), so a seed stays a
// readable text with one field after another.
inline QList<QByteArray> SplitFields(const uint8_t *data, size_t size, int count) {
    QList<QByteArray> fields =
        QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)).split('\x01');
    while (fields.size() < count)
        fields.append(QByteArray());
    return fields;
}

// A file of this process in the temporary folder, the same for every run (inputs run one after another).
inline QString ScratchPath(const char *name) {
    return QDir::tempPath() + QStringLiteral("/velmora-fuzz-%1-%2").arg(getpid()).arg(QLatin1String(name));
}

inline void WriteWhole(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write %s", qPrintable(path));
    FUZZ_CHECK(f.write(bytes) == bytes.size(), "short write to %s", qPrintable(path));
}

inline QByteArray ReadWhole(const QString &path) {
    QFile f(path);
    FUZZ_CHECK(f.open(QIODevice::ReadOnly), "cannot read %s", qPrintable(path));
    return f.readAll();
}
