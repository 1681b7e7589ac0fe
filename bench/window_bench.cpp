// Window figures: start-up to the first painted window as a whole process, and filling the entries
// and results lists with every row until their first paint.
//   velmora-bench-window startup PROGRAM_FOLDER NOTES_FOLDER LABEL RUNS [BASELINE_NOTES_FOLDER]
//       starts this program RUNS times as a reader (the notes from NOTES_FOLDER, the scans and PDFs
//       from PROGRAM_FOLDER) and times each from the moment it is launched to the first paint of the
//       entries list; with a baseline folder, the same with those notes files in between
//   velmora-bench-window fill PROGRAM_FOLDER NOTES_FOLDER LABEL RUNS
// Run under an X server (xvfb-run) or with QT_QPA_PLATFORM=offscreen.
#include "bench/BenchRecord.h"
#include "display/SearchPane.h"
#include "shell/EntriesPane.h"
#include "shell/MainWindow.h"
#include "widgets/OwnerDrawList.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QTabWidget>

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>

namespace {

qint64 NowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts); // one clock for the launcher and the launched process
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

double PeakMegabytes() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0;
}

// Notes the first paint event a widget gets after it is armed.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget *w) { w->installEventFilter(this); }
    bool painted = false;
    bool eventFilter(QObject *, QEvent *e) override {
        if (e->type() == QEvent::Paint) painted = true;
        return false;
    }
    // Runs the event loop until the paint has been handled.
    void Wait() {
        while (!painted)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::processEvents(); // let the rest of the paint pass finish
    }
};

// One reader start-up: the same steps as the program's own main, ending at the first paint.
int RunReader(const QString &programFolder, qint64 launchedNs, int argc, char **argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    MainWindow window(QDir(programFolder).filePath(QStringLiteral("velmoranote")));
    auto *entriesList = window.findChild<OwnerDrawList *>(QStringLiteral("lbData"));
    PaintWatch watch(entriesList->viewport());
    window.ShowAsStored();
    watch.Wait();
    const double ms = double(NowNs() - launchedNs) / 1e6;
    const long long rows = entriesList->model()->rowCount();
    // Large notes are read on after the first paint: the time until the last notebook is in, and the
    // memory then.
    while (!window.AllNotebooksRead())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double allMs = double(NowNs() - launchedNs) / 1e6;
    std::printf("%.3f %.3f %lld %.3f\n", ms, PeakMegabytes(), rows, allMs);
    std::fflush(stdout);
    _exit(0); // the figure is taken; closing would write the window settings
}

struct StartUp {
    std::vector<double> ms, peakMb, allMs;
    qlonglong rows = 0;
};

StartUp TimeStartUps(const QString &programFolder, const QString &notesFolder, int runs) {
    StartUp s;
    for (int r = 0; r < runs; ++r) {
        QProcess child;
        child.setWorkingDirectory(notesFolder); // the reader reads its notes from the working directory
        child.setProcessChannelMode(QProcess::SeparateChannels);
        const qint64 launched = NowNs();
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("reader"), programFolder, QString::number(launched)});
        if (!child.waitForFinished(120000) || child.exitCode() != 0) {
            std::fprintf(stderr, "reader start-up failed: %s\n", child.readAllStandardError().constData());
            std::exit(1);
        }
        const QList<QByteArray> parts = child.readAllStandardOutput().trimmed().split(' ');
        s.ms.push_back(parts.value(0).toDouble());
        s.peakMb.push_back(parts.value(1).toDouble());
        s.rows = parts.value(2).toLongLong();
        s.allMs.push_back(parts.value(3).toDouble());
    }
    return s;
}

} // namespace

int main(int argc, char **argv) {
    if (argc >= 4 && qstrcmp(argv[1], "reader") == 0)
        return RunReader(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toLongLong(), argc, argv);

    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 5) {
        std::fprintf(stderr,
                     "usage: velmora-bench-window startup|fill PROGRAM_FOLDER NOTES_FOLDER LABEL RUNS\n");
        return 2;
    }
    const QString mode = args[0], programFolder = QDir(args[1]).absolutePath(),
                  notesFolder = QDir(args[2]).absolutePath(), label = args[3];
    const int runs = qMax(1, args[4].toInt());

    if (mode == QLatin1String("startup")) {
        const QString emptyFolder = args.size() > 5 ? QDir(args[5]).absolutePath() : QString();
        StartUp figure, empty;
        // Alternate with the empty baseline, so that both see the machine in the same state.
        for (int r = 0; r < runs; ++r) {
            const StartUp one = TimeStartUps(programFolder, notesFolder, 1);
            figure.ms.push_back(one.ms[0]);
            figure.peakMb.push_back(one.peakMb[0]);
            figure.rows = one.rows;
            figure.allMs.push_back(one.allMs[0]);
            if (!emptyFolder.isEmpty()) {
                const StartUp e = TimeStartUps(programFolder, emptyFolder, 1);
                empty.ms.push_back(e.ms[0]);
                empty.peakMb.push_back(e.peakMb[0]);
                empty.allMs.push_back(e.allMs[0]);
            }
        }
        bench::Figure f{
            label,     QStringLiteral("start-up to the first painted window"), QStringLiteral("ms"),
            figure.ms, QStringLiteral("the same with empty notes files"),      empty.ms};
        f.targetMax = label.startsWith(QLatin1String("100")) ? 2000 : 0;
        if (label.startsWith(QLatin1String("100")) && !empty.ms.empty()) f.targetRatio = 1.5;
        f.note = QStringLiteral("whole process, launch to the entries list's first paint; %1 rows then")
                     .arg(figure.rows);
        bench::Emit(f);
        bench::Figure all{
            label,        QStringLiteral("start-up until every notebook is read"), QStringLiteral("ms"),
            figure.allMs, QStringLiteral("the same with empty notes files"),       empty.allMs};
        all.note = QStringLiteral("whole process; the window shows and is used meanwhile");
        bench::Emit(all);
        qint64 disk = 0;
        for (const QFileInfo &i :
             QDir(notesFolder).entryInfoList({QStringLiteral("velmora200_*.xml")}, QDir::Files))
            disk += i.size();
        bench::Figure m{label,
                        QStringLiteral("peak resident memory once every notebook is read"),
                        QStringLiteral("MB"),
                        figure.peakMb,
                        QStringLiteral("notes' size on disk"),
                        std::vector<double>(1, disk / 1048576.0)};
        if (!empty.peakMb.empty())
            m.note =
                QStringLiteral("with empty notes files: %1 MB").arg(bench::Median(empty.peakMb), 0, 'f', 0);
        bench::Emit(m);
        return 0;
    }

    if (mode == QLatin1String("fill")) {
        QDir::setCurrent(notesFolder);
        MainWindow window(QDir(programFolder).filePath(QStringLiteral("velmoranote")));
        window.FinishReading(); // the fills time every notebook's rows
        auto *entriesPane = window.findChild<EntriesPane *>();
        auto *entriesList = window.findChild<OwnerDrawList *>(QStringLiteral("lbData"));
        auto *searchPane = window.findChild<SearchPane *>();
        auto *resultsList = window.findChild<OwnerDrawList *>(QStringLiteral("lbSearch"));
        {
            PaintWatch first(entriesList->viewport());
            window.ShowAsStored();
            first.Wait();
        }

        // The search buffers are built on a worker thread after the first paint: let that finish
        // (one search waits for it) so that it does not run beside the timed fills.
        searchPane->SetQuery(QStringLiteral("之"));
        searchPane->SetQuery(QString());
        QCoreApplication::processEvents();

        std::vector<double> entries, results;
        qlonglong entryRows = 0, resultRows = 0;
        for (int r = 0; r < runs; ++r) {
            PaintWatch watch(entriesList->viewport());
            QElapsedTimer t;
            t.start();
            entriesPane->Fill();
            watch.Wait();
            entries.push_back(t.nsecsElapsed() / 1e6);
            entryRows = entriesList->model()->rowCount();
        }
        // "之" is in nearly every record. The first keystroke's search is left out of the list figure:
        // the search figures time it.
        {
            PaintWatch shown(resultsList->viewport());
            // the results list is on its own page
            window.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentWidget(searchPane);
            shown.Wait();
        }
        searchPane->SetQuery(QStringLiteral("之"));
        QCoreApplication::processEvents();
        for (int r = 0; r < runs; ++r) {
            PaintWatch watch(resultsList->viewport());
            QElapsedTimer t;
            t.start();
            searchPane->RunSearch();
            watch.Wait();
            results.push_back(t.nsecsElapsed() / 1e6);
            resultRows = searchPane->ResultCount();
        }
        auto per100k = [](std::vector<double> v, qlonglong rows) {
            for (double &x : v)
                x = x * 100000.0 / double(qMax<qlonglong>(rows, 1));
            return v;
        };
        bench::Figure e{label, QStringLiteral("entries list fill to first paint, per 100,000 rows"),
                        QStringLiteral("ms"), per100k(entries, entryRows)};
        e.targetMax = 10; // 100 ms per million rows
        e.note =
            QStringLiteral("%1 rows, %2 ms in all").arg(entryRows).arg(bench::Median(entries), 0, 'f', 1);
        bench::Emit(e);
        bench::Figure s{label, QStringLiteral("results list fill to first paint, per 100,000 rows"),
                        QStringLiteral("ms"), per100k(results, resultRows)};
        s.targetMax = 10;
        s.note = QStringLiteral("%1 rows (query \"之\", cached), %2 ms in all")
                     .arg(resultRows)
                     .arg(bench::Median(results), 0, 'f', 1);
        bench::Emit(s);
        std::fflush(stdout);
        _exit(0);
    }
    std::fprintf(stderr, "unknown mode %s\n", qPrintable(mode));
    return 2;
}
