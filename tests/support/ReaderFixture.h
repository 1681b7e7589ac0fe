#pragma once
// A program folder for window tests: notes files, Image and PDF letter folders, settings files.
// The working directory is switched to it for the test's lifetime, as the reader expects.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

class ReaderFixture {
public:
    ReaderFixture() : oldCwd_(QDir::currentPath()) {
        for (const char *d :
             {"Image/K", "Image/L", "Image/M", "Image/N", "Image/O", "PDF/K", "PDF/M", "PDF/N", "PDF/O"})
            QDir(dir_.path()).mkpath(d);
        QDir::setCurrent(dir_.path());
    }
    ~ReaderFixture() { QDir::setCurrent(oldCwd_); }

    QString path(const QString &relative = QString()) const { return dir_.filePath(relative); }
    // The program file the window takes its folder from.
    QString programPath() const { return dir_.filePath("velmoranote"); }

    void write(const QString &relative, const QByteArray &bytes) const {
        QFile f(path(relative));
        if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(relative));
        f.write(bytes);
    }
    QByteArray read(const QString &relative) const {
        QFile f(path(relative));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The four notes files, in book order K, M, N, O.
    void writeNotes(const QByteArray &k, const QByteArray &m = {}, const QByteArray &n = {},
                    const QByteArray &o = {}) const {
        write("velmora200_k.xml", k);
        write("velmora200_M.xml", m);
        write("velmora200_N.xml", n);
        write("velmora200_O.xml", o);
    }
    // A plain page scan of the given size, as a JPEG.
    void writeScan(const QString &relative, int width, int height, QRgb colour = 0xFFFFFFFF) const {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(colour);
        if (!image.save(path(relative), "JPG", 90)) qFatal("cannot write scan %s", qPrintable(relative));
    }

private:
    QString oldCwd_;
    QTemporaryDir dir_;
};
