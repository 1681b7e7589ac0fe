#pragma once
// What tells one state of a file on disk from another without reading it: the file's identity (device
// and inode, which a rename over it changes), its size and its modification time to the nanosecond.
// Two equal stamps taken a moment apart say the file held still in between.

#include <QString>
#include <QtGlobal>

struct FileStamp {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1; // -1: the file is not there (or cannot be looked at)
    qint64 modifiedNs = 0;

    bool Exists() const { return size >= 0; }
    friend bool operator==(const FileStamp &a, const FileStamp &b) {
        return a.device == b.device && a.inode == b.inode && a.size == b.size && a.modifiedNs == b.modifiedNs;
    }
    friend bool operator!=(const FileStamp &a, const FileStamp &b) { return !(a == b); }

    // The stamp of the file at `path` (symbolic links followed), found as ResolveWinPath finds it.
    static FileStamp Of(const QString &path);
    // The stamp of an open file.
    static FileStamp OfDescriptor(int fd);
};
