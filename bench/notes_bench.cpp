// Notes file figures: LoadNotes beside reading and decoding the same bytes, SavePositionChanges beside a
// copy of the same file, and peak resident memory after loading beside the notes' size on disk.
//   velmora-bench-notes gen FOLDER MEGABYTES      write synthetic notes files into FOLDER
//   velmora-bench-notes load FOLDER LABEL RUNS    LoadNotes of the four files, and its baseline
//   velmora-bench-notes memory FOLDER LABEL RUNS  peak memory after loading, one fresh process per run
//   velmora-bench-notes save FOLDER LABEL RUNS    SavePositionChanges of the largest file, one position
//   changed
#include "bench/BenchRecord.h"
#include "bench/SyntheticNotes.h"
#include "corpus/Data.h"
#include "corpus/NotesFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <sys/resource.h>
#include <unistd.h>

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

qint64 DiskBytes(const QStringList &paths) {
    qint64 n = 0;
    for (const QString &p : paths)
        n += QFileInfo(p).size();
    return n;
}

double Ms(const QElapsedTimer &t) {
    return double(t.nsecsElapsed()) / 1e6;
}

// The least any loader must do: read the bytes, decode them as UTF-8 and find where the lines are.
qsizetype ReadDecodeSplit(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QByteArray bytes = f.readAll();
    const QString text = QString::fromUtf8(bytes);
    struct Span {
        qsizetype start, length;
    };
    std::vector<Span> lines;
    const char16_t *d = reinterpret_cast<const char16_t *>(text.constData());
    qsizetype start = 0;
    for (qsizetype i = 0, n = text.size(); i < n; ++i) {
        if (d[i] != u'\n' && d[i] != u'\r') continue;
        lines.push_back({start, i - start});
        if (d[i] == u'\r' && i + 1 < n && d[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    return qsizetype(lines.size());
}

// A plain copy with the same care as a safe save: write beside, flush to disk, rename over.
void CopyFile(const QString &from, const QString &to) {
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) qFatal("cannot read %s", qPrintable(from));
    const QByteArray bytes = in.readAll();
    const QString temp = to + QStringLiteral(".part");
    QFile out(temp);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size() ||
        !out.flush())
        qFatal("cannot write %s", qPrintable(temp));
    ::fsync(out.handle());
    out.close();
    QFile::remove(to);
    QFile::rename(temp, to);
}

double PeakMegabytes() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0; // kilobytes on Linux
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: velmora-bench-notes gen|load|memory|save FOLDER ...\n");
        return 2;
    }
    const QString mode = args[0], folder = args[1];
    const QString label = args.value(2);
    const int runs = qMax(1, args.value(3).toInt());
    const QStringList paths = NotesPaths(folder);

    if (mode == QLatin1String("gen")) {
        QDir().mkpath(folder);
        QList<Notebook> books;
        MakeSyntheticNotes(books, args.value(2).toLongLong() * 1000 * 1000, 20240601u);
        WriteSyntheticNotesFiles(books, folder);
        std::printf("wrote %.1f MB of notes into %s\n", DiskBytes(paths) / 1e6, qPrintable(folder));
        return 0;
    }
    if (mode == QLatin1String("load-once")) { // the child of "memory": load, report, end
        std::vector<Notebook> books(4);
        for (int b = 0; b < 4; ++b)
            books[b].LoadNotes(paths[b]);
        std::printf("%.3f\n", PeakMegabytes());
        return 0;
    }

    const double bytes = double(DiskBytes(paths));
    if (mode == QLatin1String("load")) {
        std::vector<double> load, base;
        qsizetype records = 0;
        for (int r = 0; r < runs; ++r) {
            QElapsedTimer t;
            t.start();
            qsizetype lines = 0;
            for (const QString &p : paths)
                lines += ReadDecodeSplit(p);
            base.push_back(Ms(t));
            t.restart();
            {
                std::vector<Notebook> books(4);
                for (int b = 0; b < 4; ++b)
                    books[b].LoadNotes(paths[b]);
                records = 0;
                for (const Notebook &b : books)
                    records += b.entries.size();
                load.push_back(Ms(t));
            }
            Q_UNUSED(lines);
        }
        bench::Figure f{label, QStringLiteral("LoadNotes, all four files"),         QStringLiteral("ms"),
                        load,  QStringLiteral("read + decode UTF-8 + split lines"), base};
        f.bytes = bytes;
        f.targetRatio = label.startsWith(QLatin1String("100")) ? 2.0 : 0;
        f.note = QStringLiteral("%1 records").arg(records);
        bench::Emit(f);
        return 0;
    }
    if (mode == QLatin1String("memory")) {
        std::vector<double> peaks;
        for (int r = 0; r < runs; ++r) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("load-once"), folder});
            if (!child.waitForFinished(-1) || child.exitCode() != 0) {
                std::fprintf(stderr, "load-once failed: %s\n", child.readAllStandardError().constData());
                return 1;
            }
            peaks.push_back(child.readAllStandardOutput().trimmed().toDouble());
        }
        bench::Figure f{label,
                        QStringLiteral("peak resident memory after LoadNotes"),
                        QStringLiteral("MB"),
                        peaks,
                        QStringLiteral("notes' size on disk"),
                        std::vector<double>(1, bytes / 1048576.0)};
        f.targetRatio = label.startsWith(QLatin1String("100")) ? 4.0 : 0;
        bench::Emit(f);
        return 0;
    }
    if (mode == QLatin1String("save")) {
        // Work on a copy, so the generated notes stay as they were.
        const QString work = QDir(folder).filePath(QStringLiteral("save-work"));
        QDir().mkpath(work);
        const QString file = QDir(work).filePath(QLatin1String(kNames[0]));
        const QString copy = QDir(work).filePath(QStringLiteral("copy.xml"));
        QFile::remove(file);
        CopyFile(paths[0], file);
        Notebook book;
        book.LoadNotes(file);
        qsizetype target = -1;
        for (qsizetype e = book.entries.size() / 2; e < book.entries.size() && target < 0; ++e)
            if (!book.entries[e].isPage) target = e;
        std::vector<double> save, base;
        for (int r = 0; r < runs; ++r) {
            // One position changed, saved as the reader's save button does: re-read, checked, replaced.
            const PositionChange change{target, 1000 + r, book.entries[target].y, book.entries[target].x,
                                        book.entries[target].y};
            QElapsedTimer t;
            t.start();
            const PositionSave saved = SavePositionChanges(
                book.entries, file, {change}, [](const std::vector<PositionConflict> &) { return true; });
            book.entries[target].x = saved.saved[target].x;
            save.push_back(Ms(t));
            t.restart();
            CopyFile(file, copy);
            base.push_back(Ms(t));
        }
        bench::Figure f{
            label, QStringLiteral("SavePositionChanges, one position changed (K file)"), QStringLiteral("ms"),
            save,  QStringLiteral("copying the same file (read, write, fsync, rename)"), base};
        f.bytes = double(QFileInfo(file).size());
        f.targetRatio = 3.0;
        bench::Emit(f);
        QDir(work).removeRecursively();
        return 0;
    }
    std::fprintf(stderr, "unknown mode %s\n", qPrintable(mode));
    return 2;
}
