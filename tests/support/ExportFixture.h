#pragma once
// A small notes library for the export's tests: one notes file with page records, markup, a headword of
// two lines, unplaced entries and empty sections, and its scans as real JPEG files (TurboJPEG), each with
// a blue block where an entry is written.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>

#include <turbojpeg.h>

#include <vector>

constexpr int kScanWidth = 400;
constexpr int kScanHeight = 600;

// A white scan with a blue block over rows [blockTop, blockTop + 60).
inline QByteArray MakeScanJpeg(int width, int height, int blockTop) {
    std::vector<unsigned char> rgb(size_t(width) * height * 3, 255);
    for (int y = blockTop; y < std::min(height, blockTop + 60); ++y)
        for (int x = 20; x < width - 20; ++x) {
            unsigned char *p = &rgb[(size_t(y) * width + x) * 3];
            p[0] = 20, p[1] = 40, p[2] = 200;
        }
    tjhandle h = tjInitCompress();
    unsigned char *out = nullptr;
    unsigned long size = 0;
    tjCompress2(h, rgb.data(), width, width * 3, height, TJPF_RGB, &out, &size, TJSAMP_420, 90, 0);
    QByteArray bytes(reinterpret_cast<const char *>(out), qsizetype(size));
    tjFree(out);
    tjDestroy(h);
    return bytes;
}

// Records as dump counts them: 0 an entry before any page (placed, but on no scan), 1 page K1,
// 2 學而 (placed), 3 a headword of two lines (unplaced), 4 無座標 (unplaced), 5 空段 (placed higher up
// the page than 學而, empty sections), 6 page K2, 7 出界 (placed outside the scan, a span left open).
inline const QByteArray kExportNotes =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<velmora200 book=\"K\">\n"
    "<條目>頁前條</條目>\n<座標 x=\"5\" y=\"5\"/>\n<內容>前</內容>\n"
    "<page>K1</page>\n"
    "<條目>學而</條目>\n<座標 x=\"40\" y=\"300\"/>\n"
    "<內容>子曰<br>「<span class=\"yc\">學</span>」&amp;&nbsp;<b>粗</b><img src=x>，a < b\n"
    "次行 &#x4E00; &bogus; </span></內容>\n"
    "<校註>校一</校註>\n<案語>案一\n案二</案語>\n<出處>《論語》</出處>\n"
    "<條目>第二條\n續行</條目>\n<內容>二</內容>\n"
    "<條目>無座標</條目>\n"
    "<條目>空段</條目>\n<座標 x=\"380\" y=\"100\"/>\n<內容></內容>\n<校註></校註>\n"
    "<page>K2</page>\n"
    "<條目>出界</條目>\n<座標 x=\"9999\" y=\"9999\"/>\n<內容>未閉<span class=\"red\">紅</內容>\n"
    "</velmora200>\n";

// Writes the notes as velmora200_k.xml into `folder` with the scans of K1 and K2 under Image/K.
inline QString WriteExportLibrary(const QString &folder, bool withScans = true) {
    QDir(folder).mkpath(QStringLiteral("Image/K"));
    const QString notes = QDir(folder).filePath(QStringLiteral("velmora200_k.xml"));
    QFile f(notes);
    if (!f.open(QIODevice::WriteOnly) || f.write(kExportNotes) != kExportNotes.size())
        qFatal("cannot write %s", qPrintable(notes));
    if (withScans) {
        for (const auto &[name, top] : {std::pair{"K1.jpg", 280}, std::pair{"K2.jpg", 500}}) {
            QFile scan(QDir(folder).filePath(QStringLiteral("Image/K/%1").arg(QLatin1String(name))));
            if (!scan.open(QIODevice::WriteOnly)) qFatal("cannot write a scan");
            scan.write(MakeScanJpeg(kScanWidth, kScanHeight, top));
        }
    }
    return notes;
}

struct NotesRun {
    int status = -1;
    QByteArray out, err;
};

inline NotesRun RunNotes(const QString &program, const QStringList &args, const QString &folder) {
    NotesRun r;
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit) return r;
    r.status = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}
