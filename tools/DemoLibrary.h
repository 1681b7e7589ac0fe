#pragma once
// The demo library that ships with the reader: four notebooks of study notes, their page scans,
// PDF volumes, the manual and setup.ini, all generated from the texts in DemoCorpus.cpp.
// Everything is deterministic, so a rebuild reproduces the same bytes.

#include <QByteArray>
#include <QChar>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

namespace demo {

// Size of a page scan: A4 at 300 dpi.
constexpr int kScanWidth = 2480;
constexpr int kScanHeight = 3508;
// Stored positions are overlay coordinates; the overlay lies this many pixels left of the scan.
constexpr int kOverlayShift = 3;

struct DemoEntry {
    QStringList headword; // file lines of the headword, plain text (may start with U+3000)
    QStringList content;  // file lines of each section, markup included; empty: no section
    QStringList note;
    QStringList remark;
    QStringList source;
    int x = -1; // stored position, overlay coordinates; -1, -1: no position line
    int y = -1;
    int cx = 0; // centre of the headword's first character on the scan, image pixels
    int cy = 0;
};

struct DemoPage {
    QString name; // "K001": also the scan's file name without ".jpg"
    QList<DemoEntry> entries;
};

struct DemoBook {
    QChar letter;
    QString fileName; // velmora200_k.xml, ...
    QString title;    // running head of the scans and PDF volumes
    QList<DemoPage> pages;
};

// The four notebooks K, M, N, O in book order, with their pages and positions laid out.
QList<DemoBook> BuildBooks();
// Pages of letter L: scans without a notes file.
QList<DemoPage> LooseScanPages();

// The notes file of a book: UTF-8 with BOM, CR LF.
QByteArray NotesFileBytes(const DemoBook &book);
// Loads a written notes file with Notebook::LoadNotes and compares every record with the book.
// Returns an empty string when they agree, otherwise what differs.
QString CheckNotesFile(const QString &path, const DemoBook &book);

// Markup-free text of a notes fragment (tags dropped, entities left alone).
QString PlainText(const QString &fragment);

// The scan of one page; runningHead is drawn at the top.
QImage DrawScan(const DemoPage &page, const QString &runningHead);
// JPEG bytes of an RGB32 image; throws VelmoraError when the encoder fails.
QByteArray EncodeJpeg(const QImage &image, int quality);

// PDF volumes of a book, written into folder; returns the file names written.
QStringList WritePdfVolumes(const DemoBook &book, const QString &folder);
void WriteReadme(const QString &path);

QByteArray SetupIniBytes();

struct Summary {
    int notebooks = 0;
    int entries = 0;
    int positions = 0;
    int pageLines = 0;
    int scans = 0;
    int pdfs = 0;
};
// Writes the whole library into folder (created if needed, files overwritten) and checks the
// notes files by loading them; throws VelmoraError on any failure.
Summary WriteDemoLibrary(const QString &folder);
// Writes the harder library of the position proposals' tests and bench (DemoHard.cpp): the four
// notebooks written four harder ways, every entry's true position stored; no PDFs.
Summary WriteHardLibrary(const QString &folder);

} // namespace demo
