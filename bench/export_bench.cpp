// Export figures: the notes to TEI beside reading them, and the demo to TEI with crops beside reading
// its notes and scans.
//   velmora-bench-export library NOTES SCANS OUT  a library in OUT: NOTES' four files, every scan their
//                                                 pages name standing for one of SCANS/Image/K/*.jpg
//   velmora-bench-export tei LIBRARY LABEL RUNS    TEI of the four notes files, beside LoadNotes
//   velmora-bench-export crops LIBRARY LABEL RUNS  TEI with a crop per placed entry, beside LoadNotes
//                                                  and reading every scan once
#include "bench/BenchRecord.h"
#include "corpus/Data.h"
#include "export/Export.h"
#include "platform/WinPath.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cstdio>
#include <vector>

namespace {

const char *const kNames[] = {"velmora200_k.xml", "velmora200_M.xml", "velmora200_N.xml", "velmora200_O.xml"};

QStringList NotesPaths(const QString &folder) {
    QStringList paths;
    for (const char *n : kNames)
        paths << QDir(folder).filePath(QLatin1String(n));
    return paths;
}

double Ms(const QElapsedTimer &t) {
    return double(t.nsecsElapsed()) / 1e6;
}

// The least reading: the four notebooks as the reader loads them; with `scans`, every scan's bytes too.
qint64 Read(const QString &library, bool scans) {
    qint64 records = 0;
    QSet<QString> seen;
    for (const QString &p : NotesPaths(library)) {
        Notebook book;
        book.LoadNotes(p);
        records += book.entries.size();
        if (!scans) continue;
        for (const NoteEntry &e : book.entries) {
            if (!e.isPage || seen.contains(e.pageImage)) continue;
            seen.insert(e.pageImage);
            QFile f(ResolveWinPath(QDir(library).filePath(QString(e.pageImage).replace(u'\\', u'/'))));
            if (f.open(QIODevice::ReadOnly)) records += f.readAll().size() > 0 ? 0 : 1;
        }
    }
    return records;
}

int MakeLibrary(const QString &notes, const QString &scans, const QString &out) {
    QDir().mkpath(out);
    const QStringList demo =
        QDir(scans + QStringLiteral("/Image/K")).entryList({QStringLiteral("*.jpg")}, QDir::Files);
    if (demo.isEmpty()) {
        std::fprintf(stderr, "no scans in %s/Image/K\n", qPrintable(scans));
        return 1;
    }
    qsizetype next = 0;
    QSet<QString> made;
    for (const QString &p : NotesPaths(notes)) {
        const QString link = QDir(out).filePath(QFileInfo(p).fileName());
        QFile::remove(link);
        QFile::link(QFileInfo(p).absoluteFilePath(), link);
        Notebook book;
        book.LoadNotes(p);
        for (const NoteEntry &e : book.entries) {
            if (!e.isPage || made.contains(e.pageImage)) continue;
            made.insert(e.pageImage);
            const QString path =
                QDir::cleanPath(QDir(out).filePath(QString(e.pageImage).replace(u'\\', u'/')));
            QDir().mkpath(QFileInfo(path).absolutePath());
            QFile::link(QDir(scans + QStringLiteral("/Image/K")).absoluteFilePath(demo[next++ % demo.size()]),
                        path);
        }
    }
    std::printf("%lld scans linked into %s\n", qlonglong(made.size()), qPrintable(out));
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: velmora-bench-export library|tei|crops FOLDER ...\n");
        return 2;
    }
    const QString mode = args[0], library = args[1];
    if (mode == QLatin1String("library")) return MakeLibrary(args[1], args[2], args.value(3));
    const QString label = args[2];
    const int runs = qMax(1, args.value(3).toInt());
    const bool crops = mode == QLatin1String("crops");
    if (!crops && mode != QLatin1String("tei")) {
        std::fprintf(stderr, "unknown mode %s\n", qPrintable(mode));
        return 2;
    }
    const QString out = QDir(library).filePath(QStringLiteral("export-bench"));
    std::vector<double> exportMs, readMs;
    ExportResult result;
    for (int r = 0; r < runs; ++r) {
        QDir(out).removeRecursively();
        QDir().mkpath(out);
        QElapsedTimer t;
        t.start();
        Read(library, crops);
        readMs.push_back(Ms(t));
        ExportRequest request;
        request.format = ExportFormat::Tei;
        request.files = NotesPaths(library);
        request.output = out + QStringLiteral("/notes.tei.xml");
        if (crops) request.crops = out + QStringLiteral("/crops");
        t.restart();
        result = RunExport(request, {});
        exportMs.push_back(Ms(t));
    }
    const qint64 bytes = QFileInfo(out + QStringLiteral("/notes.tei.xml")).size();
    bench::Figure f{label,
                    crops ? QStringLiteral("export to TEI with a crop per placed entry")
                          : QStringLiteral("export to TEI, all four files"),
                    QStringLiteral("ms"),
                    exportMs,
                    crops ? QStringLiteral("LoadNotes + reading every scan")
                          : QStringLiteral("LoadNotes, all four files"),
                    readMs};
    f.note = QStringLiteral("%1 records, %2 crops, TEI %3 MB, %4 problems")
                 .arg(result.records)
                 .arg(result.crops)
                 .arg(double(bytes) / 1e6, 0, 'f', 1)
                 .arg(result.problems.size());
    bench::Emit(f);
    QDir(out).removeRecursively();
    return 0;
}
