// The step through entries as a reader feels it: from a Down key in the entries list to the moment the
// entry page and the page scan have both painted (the web view's rendering widget and the page image).
//   velmora-bench-step PROGRAM_FOLDER NOTES_FOLDER LABEL STEPS
// Steps that keep the scan and steps that change it are reported apart; the baseline of a step that
// changes the scan is decoding that scan alone, measured in the same run. For the steps that change
// the scan the time until the scan alone has painted is reported too, and how many of them land on a
// page record: the web view then loads a blank page, which takes longer than writing an entry's page.
// A step that keeps the scan is also split into the program's part, the web engine's frame and the
// view's paint, and set beside the web engine's floor: the smallest change to the page shown (one
// number written by a script), measured the same way. Run under an X server.
#include "bench/BenchRecord.h"
#include "corpus/Data.h"
#include "corpus/NotebookStore.h"
#include "corpus/ScanIndex.h"
#include "display/EntryView.h"
#include "images/JpegImage.h"
#include "images/PageViewer.h"
#include "shell/CaptureSession.h"
#include "shell/MainWindow.h"
#include "widgets/OwnerDrawList.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

// Counts the paint events a widget gets.
// Counts the paint events a widget gets; given a clock, also notes when the first timer event since
// Mark() came (the web view's surface renders its scene on a timer, Qt Quick's batching of updates).
class PaintCount : public QObject {
public:
    explicit PaintCount(QWidget *w) { w->installEventFilter(this); }
    int paints = 0;
    const QElapsedTimer *clock = nullptr;
    double firstTimer = -1;
    void Mark(const QElapsedTimer *c) {
        clock = c;
        firstTimer = -1;
    }
    bool eventFilter(QObject *, QEvent *e) override {
        if (e->type() == QEvent::Paint) ++paints;
        if (e->type() == QEvent::Timer && clock && firstTimer < 0) firstTimer = clock->nsecsElapsed() / 1e6;
        return false;
    }
};

// Between two measured moves: 30 ms of the event loop, so that one move's frame never overlaps the next.
void Settle() {
    QElapsedTimer pause;
    pause.start();
    while (pause.elapsed() < 30)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5))];
}

void Report(const QString &label, const QString &what, const std::vector<double> &steps,
            const std::vector<double> &decodes, double targetP95, const QString &more = QString()) {
    if (steps.empty()) return;
    bench::Figure f{label,
                    what,
                    QStringLiteral("ms"),
                    steps,
                    decodes.empty() ? QString() : QStringLiteral("decoding the new scan alone"),
                    decodes};
    f.note = QStringLiteral("%1 steps; 95th percentile %2 ms, worst %3 ms")
                 .arg(steps.size())
                 .arg(Percentile(steps, 0.95), 0, 'f', 1)
                 .arg(*std::max_element(steps.begin(), steps.end()), 0, 'f', 1) +
             more;
    bench::Emit(f);
    bench::Figure p{
        label, what + QStringLiteral(", 95th percentile"), QStringLiteral("ms"), {Percentile(steps, 0.95)}};
    p.targetMax = targetP95;
    bench::Emit(p);
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: velmora-bench-step PROGRAM_FOLDER NOTES_FOLDER LABEL STEPS\n");
        return 2;
    }
    const QString programFolder = QDir(args[0]).absolutePath(), label = args[2];
    const int steps = qMax(1, args[3].toInt());
    QDir::setCurrent(QDir(args[1]).absolutePath());

    MainWindow window(QDir(programFolder).filePath(QStringLiteral("velmoranote")));
    window.FinishReading(); // the steps walk every notebook
    auto *list = window.findChild<OwnerDrawList *>(QStringLiteral("lbData"));
    auto *viewer = window.findChild<PageViewer *>();
    auto *box = window.findChild<QAbstractScrollArea *>(QStringLiteral("ScrollBox"));
    QWidget *image = window.findChild<QWidget *>(QStringLiteral("Image"));
    QWidget *page = window.findChild<QWebEngineView *>(QStringLiteral("WebBrowser1"));
    const auto *entryView = window.findChild<EntryView *>();
    window.resize(1400, 900);
    window.show();
    // Let the window and the blank document settle.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QWidget *pageSurface = page->focusProxy() ? page->focusProxy() : page;
    PaintCount pagePaints(pageSurface), imagePaints(image);
    list->setFocus();

    std::vector<double> keep, change, changeScan, decodes;
    std::vector<double> keepOurs, keepEngine, keepPaint; // where a step that keeps the scan spends its time
    int changeOntoPages = 0;
    const int rows = list->model()->rowCount();
    for (int s = 0; s < steps && s + 1 < rows; ++s) {
        const QString pathBefore = viewer->CurrentPath();
        const int horzBefore = box->horizontalScrollBar()->value(),
                  vertBefore = box->verticalScrollBar()->value();
        const int pageBefore = pagePaints.paints, imageBefore = imagePaints.paints;
        QElapsedTimer t;
        t.start();
        pagePaints.Mark(&t);
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(list, &down);
        QKeyEvent up(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(list, &up);
        const double handled = t.nsecsElapsed() / 1e6; // the page is written into the view by now
        const bool scanChanged = viewer->CurrentPath() != pathBefore;
        // The scan pane repaints when its page, its place or its marker changes.
        const bool scanMoves = scanChanged || box->horizontalScrollBar()->value() != horzBefore ||
                               box->verticalScrollBar()->value() != vertBefore || viewer->IsMarkerShown();
        double scanPainted = -1;
        while ((pagePaints.paints == pageBefore || (scanMoves && imagePaints.paints == imageBefore)) &&
               t.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            if (scanPainted < 0 && imagePaints.paints != imageBefore) scanPainted = t.nsecsElapsed() / 1e6;
        }
        const double ms = t.nsecsElapsed() / 1e6;
        (scanChanged ? change : keep).push_back(ms);
        if (!scanChanged && pagePaints.firstTimer >= handled) {
            keepOurs.push_back(handled);
            keepEngine.push_back(pagePaints.firstTimer - handled);
            keepPaint.push_back(ms - pagePaints.firstTimer);
        }
        pagePaints.Mark(nullptr);
        if (scanChanged) {
            changeScan.push_back(scanPainted < 0 ? ms : scanPainted);
            // A page record shows a blank page: nothing is written into the view.
            if (entryView->LastWrittenPage().isEmpty()) ++changeOntoPages;
            QElapsedTimer d;
            d.start();
            const QImage decoded = DecodeJpegFile(viewer->CurrentPath());
            decodes.push_back(d.nsecsElapsed() / 1e6);
        }
        // A reader's pace: the next key comes after the marker and the page are drawn.
        Settle();
    }
    // One 60 Hz frame for a step that keeps the scan (the web engine's floor, below, says what is reachable).
    Report(label, QStringLiteral("step to the next entry, same scan"), keep, {}, 16.7);
    // The same steps in three parts: the program's own (key handled, page written into the view); the
    // web engine's frame until the view's surface renders (Qt Quick holds each update 5 ms to batch
    // them); the surface's render and paint.
    for (const auto &[part, times] :
         {std::pair{QStringLiteral("key handled and page written"), &keepOurs},
          std::pair{QStringLiteral("page written until the view renders it"), &keepEngine},
          std::pair{QStringLiteral("the view's render and paint"), &keepPaint}}) {
        if (times->empty()) continue;
        bench::Figure f{label, QStringLiteral("step, same scan: ") + part, QStringLiteral("ms"), *times};
        f.note = QStringLiteral("95th percentile %1 ms").arg(Percentile(*times, 0.95), 0, 'f', 1);
        bench::Emit(f);
    }
    Report(label, QStringLiteral("step to the next entry, another scan"), change, decodes, 20,
           QStringLiteral("; %1 of them onto a page record (blank page loaded)").arg(changeOntoPages));
    Report(label, QStringLiteral("step to the next entry, another scan, until the scan has painted"),
           changeScan, decodes, 20);

    // A double click on the scan near another entry's position, until the page and the scan have
    // painted; beside the steps in the entries list that keep the scan, from above.
    std::vector<double> picks;
    auto *index = window.findChild<ScanIndex *>();
    QWidget *overlay = window.findChild<QWidget *>(QStringLiteral("imgPoint"));
    auto *scroll = qobject_cast<QScrollArea *>(box);
    for (int s = 0; s < 40 && index && overlay && scroll; ++s) {
        const std::vector<PlacedEntry> &placed = index->On(viewer->CurrentPath());
        if (placed.size() < 2) break;
        const PlacedEntry &target = placed[size_t(s) % placed.size()];
        const double z = viewer->ZoomFactor();
        const QPoint at(int(target.pos.x() * z), int(target.pos.y() * z));
        scroll->ensureVisible(at.x(), at.y(), 50, 50);
        QCoreApplication::processEvents();
        const int pageBefore = pagePaints.paints, imageBefore = imagePaints.paints;
        QElapsedTimer t;
        t.start();
        const QPointF global = overlay->mapToGlobal(QPointF(at));
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), global, Qt::LeftButton, Qt::LeftButton, {});
        QApplication::sendEvent(overlay, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), global, Qt::LeftButton, {}, {});
        QApplication::sendEvent(overlay, &release);
        QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(at), global, Qt::LeftButton, Qt::LeftButton, {});
        QApplication::sendEvent(overlay, &dbl);
        QMouseEvent release2(QEvent::MouseButtonRelease, QPointF(at), global, Qt::LeftButton, {}, {});
        QApplication::sendEvent(overlay, &release2);
        while ((pagePaints.paints == pageBefore || imagePaints.paints == imageBefore) && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        picks.push_back(t.nsecsElapsed() / 1e6);
        Settle();
    }
    if (!picks.empty()) {
        bench::Figure f{label,
                        QStringLiteral("double click on the scan to an entry shown (page and scan painted)"),
                        QStringLiteral("ms"),
                        picks,
                        QStringLiteral("a step in the entries list, same scan"),
                        keep};
        f.note = QStringLiteral("%1 double clicks; 95th percentile %2 ms")
                     .arg(picks.size())
                     .arg(Percentile(picks, 0.95), 0, 'f', 1);
        bench::Emit(f);
    }

    // Capture mode: the step after a right click on the scan beside the step after Enter on a proposal,
    // taken in turns over the same stretch of the entries list, each until the entry page and the scan
    // have painted. Before an Enter the proposal is awaited (its arrival after the step is reported too);
    // a right click records where the entry is stored, so nothing moves.
    auto *capture = window.findChild<CaptureSession *>();
    std::vector<double> afterClick, afterEnter, proposalArrived;
    if (capture && overlay && scroll) {
        capture->Reveal();
        capture->SetRecording(true);
        list->setFocus();
        QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
        QApplication::sendEvent(list, &home);
        Settle();
        box->setFocus();
        QElapsedTimer sinceStep;
        sinceStep.start();
        for (int s = 0; s < 120 && afterEnter.size() < 40; ++s) {
            const bool enter = s % 2 == 1;
            double arrived = -1;
            if (enter) {
                while (viewer->Proposals().IsEmpty() && sinceStep.elapsed() < 3000)
                    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 2);
                if (viewer->Proposals().IsEmpty())
                    continue; // a page header or a scan without a proposal: the next turn clicks
                arrived = sinceStep.nsecsElapsed() / 1e6;
            }
            const QString pathBefore = viewer->CurrentPath();
            const int pageBefore = pagePaints.paints, imageBefore = imagePaints.paints;
            QElapsedTimer t;
            t.start();
            if (enter) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
                QApplication::sendEvent(box, &press);
                QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
                QApplication::sendEvent(box, &release);
            } else {
                const double z = viewer->ZoomFactor();
                const QPoint at(
                    int((viewer->Marks().Marks().empty() ? 200 : viewer->Marks().Marks().front().pos.x()) *
                        z),
                    int((viewer->Marks().Marks().empty() ? 200 : viewer->Marks().Marks().front().pos.y()) *
                        z));
                const QPointF global = overlay->mapToGlobal(QPointF(at));
                QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), global, Qt::RightButton,
                                  Qt::RightButton, {});
                QApplication::sendEvent(overlay, &press);
                QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), global, Qt::RightButton, {}, {});
                QApplication::sendEvent(overlay, &release);
            }
            const bool scanMoves = viewer->CurrentPath() != pathBefore || viewer->IsMarkerShown();
            while ((pagePaints.paints == pageBefore || (scanMoves && imagePaints.paints == imageBefore)) &&
                   t.elapsed() < 5000)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            (enter ? afterEnter : afterClick).push_back(t.nsecsElapsed() / 1e6);
            if (arrived >= 0) proposalArrived.push_back(arrived);
            sinceStep.restart();
            Settle();
        }
        capture->ForgetJournal(); // the positions recorded here are not kept
    }
    if (!afterEnter.empty()) {
        bench::Figure f{label,
                        QStringLiteral("capture: step after Enter on a proposal (page and scan painted)"),
                        QStringLiteral("ms"),
                        afterEnter,
                        QStringLiteral("the step after a right click, same run"),
                        afterClick};
        // The target: within one 60 Hz frame of the right click's step.
        f.note =
            QStringLiteral(
                "%1 Enter, %2 right clicks; median %3 ms beside %4 ms, 95th percentile %5 ms beside %6 ms")
                .arg(afterEnter.size())
                .arg(afterClick.size())
                .arg(Percentile(afterEnter, 0.5), 0, 'f', 1)
                .arg(Percentile(afterClick, 0.5), 0, 'f', 1)
                .arg(Percentile(afterEnter, 0.95), 0, 'f', 1)
                .arg(Percentile(afterClick, 0.95), 0, 'f', 1);
        bench::Emit(f);
        bench::Figure a{label, QStringLiteral("capture: proposal shown after the step"), QStringLiteral("ms"),
                        proposalArrived};
        a.note = QStringLiteral(
                     "median %1 ms, 95th percentile %2 ms (the layout read once per scan, on the worker)")
                     .arg(Percentile(proposalArrived, 0.5), 0, 'f', 1)
                     .arg(Percentile(proposalArrived, 0.95), 0, 'f', 1);
        bench::Emit(a);
    }

    // The web engine's floor: a number at the top of the page shown changed by a script of ours (no page
    // written, nothing laid out but one line), until the view has painted it. A step that keeps the scan
    // cannot be shown sooner than this; measured the same way as the steps, at the same pace.
    std::vector<double> floorPaint, floorEngine;
    QWebEnginePage *webPage = entryView->WebView()->page();
    for (int s = 0; s < 100; ++s) {
        const int pageBefore = pagePaints.paints;
        QElapsedTimer t;
        t.start();
        pagePaints.Mark(&t);
        webPage->runJavaScript(QStringLiteral("(function(){var e=document.getElementById('velmora-floor');"
                                              "if(!e){e=document.createElement('b');e.id='velmora-floor';"
                                              "(document.body||document.documentElement).prepend(e);}"
                                              "e.textContent='%1';})();")
                                   .arg(s),
                               QWebEngineScript::ApplicationWorld);
        while (pagePaints.paints == pageBefore && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        floorPaint.push_back(t.nsecsElapsed() / 1e6);
        if (pagePaints.firstTimer >= 0) floorEngine.push_back(pagePaints.firstTimer);
        pagePaints.Mark(nullptr);
        Settle();
    }
    {
        bench::Figure f{label,
                        QStringLiteral("one number in the shown page changed, until the view has painted it "
                                       "(the web engine's floor)"),
                        QStringLiteral("ms"),
                        floorPaint,
                        QStringLiteral("a step in the entries list, same scan"),
                        keep};
        f.note =
            QStringLiteral(
                "95th percentile %1 ms, beside the step's %2 ms; until the view renders it: median %3 ms")
                .arg(Percentile(floorPaint, 0.95), 0, 'f', 1)
                .arg(Percentile(keep, 0.95), 0, 'f', 1)
                .arg(Percentile(floorEngine, 0.5), 0, 'f', 1);
        bench::Emit(f);
        bench::Figure p{label,
                        QStringLiteral("the web engine's floor, 95th percentile"),
                        QStringLiteral("ms"),
                        {Percentile(floorPaint, 0.95)}};
        bench::Emit(p);
    }

    // The scan → entries index, built again from the notebooks loaded, and what it takes.
    if (auto *store = window.findChild<NotebookStore *>()) {
        std::vector<double> builds;
        qint64 bytes = 0;
        int placedCount = 0;
        for (int i = 0; i < 5; ++i) {
            ScanIndex fresh(*store);
            QElapsedTimer t;
            t.start();
            fresh.Build();
            builds.push_back(t.nsecsElapsed() / 1e6);
            bytes = fresh.MemoryBytes();
            placedCount = fresh.PlacedCount();
        }
        bench::Figure f{label, QStringLiteral("building the scan to entries index"), QStringLiteral("ms"),
                        builds};
        f.note =
            QStringLiteral("%1 entries placed; about %2 MB").arg(placedCount).arg(bytes / 1e6, 0, 'f', 1);
        std::printf("scan index: %s\n", qPrintable(f.note));
        bench::Emit(f);
    }
    std::fflush(stdout);
    _exit(0); // closing would write the window settings
}
