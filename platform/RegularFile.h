#pragma once
// Reading a file whole, only when it is a regular file, and only up to a size the caller can hold.
//
// A FIFO, a socket or a device named like one of the program's files would otherwise block the reader
// (a FIFO nobody writes to) or feed it without end (/dev/zero): the file is opened without blocking,
// looked at, and refused unless it is a regular file. Its size is checked before anything is read, and
// again while it is read, since the file may grow meanwhile.

#include <QByteArray>
#include <QString>

// Whether the read succeeded; when not, `reason` says why in the person's words: the system's reason
// ("No such file or directory"), "not a regular file (a named pipe)", or the size against the limit.
struct RegularFileRead {
    bool ok = false;
    bool missing = false; // the file does not exist (a caller may treat that as empty)
    QString reason;
    QByteArray bytes;
};

// Reads the file at `path` (a path for the system, already resolved) whole, if it is a regular file of
// at most `limit` bytes.
RegularFileRead ReadRegularFile(const QString &path, qint64 limit);

// Opens `path` read-only when it is a regular file, without ever blocking on the opening; returns the
// descriptor (close-on-exec, in blocking mode again), or -1 with `reason` set as above.
int OpenRegularFile(const QString &path, QString &reason, bool *missing = nullptr);

// What this machine can hold of one file that is read and decoded in memory: a quarter of its physical
// memory (a notes file takes about three times its size while it is read), at least 256 MB.
qint64 MemoryBoundFileLimit();

// "12.3 MB", for messages about sizes.
QString ShownSize(qint64 bytes);
