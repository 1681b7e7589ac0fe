// The reader's own additions to the page scan and to capture mode, driven with real keys and clicks on
// the window's controls: fit and 100 % zoom from the keys and the menu, keyboard zoom steps, the
// checked menu item and the factor in the corner; next and previous scan of a letter; the marker
// following the zoom; undo of recorded positions, the count of entries without a position and the
// key to the next of them; the journal that keeps unsaved positions across a crash.
#include "images/PageViewer.h"
#include "images/ScanWidgets.h"
#include "shell/CaptureSession.h"
#include "shell/MainWindow.h"
#include "support/DialogCapture.h"
#include "support/ReaderFixture.h"
#include "support/ScanWindow.h"
#include "widgets/NoticeStrip.h"
#include "widgets/OwnerDrawList.h"

#include <QAction>
#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>

#include <QtTest>

namespace {

const QString kK1 = QStringLiteral(".\\image\\K\\K1.jpg");

// K: 0 page K1, 1 一 at (400, 300), 2 二 without position, 3 page K2, 4 三 without position.
// M: 0 page M1, 1 丁 without position.
const QByteArray kNotesK = "<page>K1</page>\n"
                           "<條目>一</條目>\n<座標 x=\"400\" y=\"300\"/>\n<內容>a</內容>\n"
                           "<條目>二</條目>\n<內容>b</內容>\n"
                           "<page>K2</page>\n"
                           "<條目>三</條目>\n<內容>c</內容>\n";
const QByteArray kNotesM = "<page>M1</page>\n<條目>丁</條目>\n<內容>d</內容>\n";

struct Folder : ReaderFixture {
    Folder() {
        writeScan("Image/K/K1.jpg", 1000, 1500);
        writeScan("Image/K/K2.jpg", 1000, 1500);
        writeScan("Image/K/K3.jpg", 600, 800);
        writeScan("Image/L/L1.jpg", 1000, 3000);
        writeScan("Image/M/M1.jpg", 1000, 1500);
        writeNotes(kNotesK, kNotesM);
    }
};

using Window = ScanWindow;

// The journals in the folder: every reader keeps one of its own, named after it.
QStringList Journals(const ReaderFixture &fx,
                     const QString &pattern = QStringLiteral("velmoranote-*.journal")) {
    QStringList found;
    for (const QString &name : QDir(fx.path()).entryList({pattern}, QDir::Files))
        if (!name.startsWith(QLatin1String("velmoranote-declined-"))) found << fx.path(name);
    return found;
}

QByteArray ReadAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestScanFeatures : public QObject {
    Q_OBJECT
    DialogCapture dialogs;
    QStringList &errors = dialogs.errors, &notices = dialogs.notices, &questions = dialogs.questions;
    bool &answer = dialogs.answer;
private Q_SLOTS:
    void init() { dialogs.Install(); }
    void fitAndStepZoomFromKeysAndMenu();
    void menuZoomKeepsTheEntryInPlace();
    void currentFactorCheckedAndShown();
    void nextAndPreviousScanKeepTheZoom();
    void markerFollowsTheZoom();
    void undoTakesBackRecordedPositions();
    void countAndNextEntryWithoutPosition();
    void journalKeepsUnsavedPositionsAcrossACrash();
    void journalOfferedWhileTheSessionEndsStays();
    void journalThatCannotBeWrittenIsReported();
};

void TestScanFeatures::fitAndStepZoomFromKeysAndMenu() {
    Folder fx;
    Window win(fx);
    win.viewer->ShowScan(".\\image\\L\\L1.jpg"); // a tall page
    QScrollBar *horz = win.box->horizontalScrollBar();
    QScrollBar *vert = win.box->verticalScrollBar();

    // Fit width: the whole width in view beside the vertical scroll bar, nothing to scroll sideways.
    win.key(Qt::Key_W);
    QVERIFY(vert->maximum() > 0);
    QCOMPARE(horz->maximum(), 0);
    QVERIFY2(win.box->viewport()->width() - win.image->width() <= 4,
             qPrintable(QString("%1 %2").arg(win.box->viewport()->width()).arg(win.image->width())));
    QVERIFY(qAbs(win.viewer->ZoomFactor() - win.image->width() / 1000.0f) < 0.01f);

    // Fit page: the whole page in view.
    win.key(Qt::Key_P);
    QCOMPARE(horz->maximum(), 0);
    QCOMPARE(vert->maximum(), 0);
    QVERIFY(win.box->viewport()->height() - win.image->height() <= 2 ||
            win.box->viewport()->width() - win.image->width() <= 4);

    // 1: the natural size, exactly.
    win.key(Qt::Key_1);
    QCOMPARE(win.viewer->ZoomFactor(), 1.0f);
    QCOMPARE(win.image->size(), QSize(1000, 3000));

    // Ctrl+plus and Ctrl+minus step as the wheel does, from the sizes shown.
    win.key(Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(win.viewer->ZoomFactor(), 1.1f);
    QCOMPARE(win.image->size(), QSize(1100, 3300));
    win.key(Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(win.viewer->ZoomFactor(), float(1.1f * 0.9));
    QCOMPARE(win.image->size(), QSize(990, 2970));
    QCOMPARE(win.overlay->size(), win.image->size());

    // The same three from the zoom menu.
    win.choose("zoomFitPage");
    QCOMPARE(vert->maximum(), 0);
    QCOMPARE(horz->maximum(), 0);
    win.choose("zoomFitWidth");
    QCOMPARE(horz->maximum(), 0);
    QVERIFY(vert->maximum() > 0);
    win.choose("zoomNaturalSize");
    QCOMPARE(win.image->size(), QSize(1000, 3000));
    QVERIFY(errors.isEmpty());
}

// A zoom chosen from the menu, opened over the entry shown, leaves the entry where it was in the view,
// as the zoom keys do (at 200 % the view once showed only the page's blank margin).
void TestScanFeatures::menuZoomKeepsTheEntryInPlace() {
    Folder fx;
    Window win(fx);
    ClickRow(win.lbData, 1); // 一 at (400, 300) on K1
    QTRY_COMPARE(win.viewer->CurrentPath(), kK1);
    const auto onOverlay = [&] { return (QPointF(400, 300) * double(win.viewer->ZoomFactor())).toPoint(); };
    const auto inView = [&] {
        return onOverlay() -
               QPoint(win.box->horizontalScrollBar()->value(), win.box->verticalScrollBar()->value());
    };
    const QPoint before = inView();
    QVERIFY(win.box->viewport()->rect().contains(before));
    for (const char *item : {"N1002", "N751", "N1003", "zoomNaturalSize"}) {
        win.choose(item, onOverlay());
        const QPoint after = inView();
        QVERIFY2((after - before).manhattanLength() <= 4,
                 qPrintable(QString("%1 at %2: (%3, %4), was (%5, %6)")
                                .arg(item)
                                .arg(win.viewer->ZoomFactor())
                                .arg(after.x())
                                .arg(after.y())
                                .arg(before.x())
                                .arg(before.y())));
    }
    QVERIFY(errors.isEmpty());
}

void TestScanFeatures::currentFactorCheckedAndShown() {
    Folder fx;
    Window win(fx);
    win.viewer->ShowScan(kK1);
    QLabel *indicator = win.child<QLabel>("zoomIndicator");
    QVERIFY(indicator && indicator->isHidden());

    win.choose("N501"); // 50%
    QCOMPARE(win.viewer->ZoomFactor(), 0.5f);
    QVERIFY(indicator->isVisible());
    QCOMPARE(indicator->text(), QString("50%"));
    // In the pane's bottom right corner.
    QVERIFY(indicator->geometry().right() > win.viewer->width() / 2);
    QVERIFY(indicator->geometry().bottom() > win.viewer->height() / 2);
    win.openMenu();
    QStringList checked;
    for (QAction *a : win.menu->actions())
        if (a->isChecked()) checked << a->text();
    QCOMPARE(checked, QStringList{"50%"});
    win.menu->hide();

    // A factor no item names: none is checked. The label follows the factor and hides again.
    win.key(Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(indicator->text(), QString("55%"));
    win.openMenu();
    for (QAction *a : win.menu->actions())
        QVERIFY2(!a->isChecked(), qPrintable(a->text()));
    win.menu->hide();
    QTRY_VERIFY_WITH_TIMEOUT(indicator->isHidden(), 3000);
}

void TestScanFeatures::nextAndPreviousScanKeepTheZoom() {
    Folder fx;
    Window win(fx);
    win.viewer->ShowScan(kK1);
    win.choose("N501");
    const struct {
        Qt::Key key;
        const char *path;
        QSize size;
    } steps[] = {
        {Qt::Key_PageDown, ".\\image\\K\\K2.jpg", QSize(500, 750)},
        {Qt::Key_PageDown, ".\\image\\K\\K3.jpg", QSize(300, 400)},
        {Qt::Key_PageDown, ".\\image\\K\\K3.jpg", QSize(300, 400)}, // the last of K: stays
        {Qt::Key_PageUp, ".\\image\\K\\K2.jpg", QSize(500, 750)},
        {Qt::Key_PageUp, ".\\image\\K\\K1.jpg", QSize(500, 750)},
        {Qt::Key_PageUp, ".\\image\\K\\K1.jpg",
         QSize(500, 750)}, // the first: stays, never into another letter
    };
    for (const auto &step : steps) {
        win.key(step.key, Qt::ControlModifier);
        QCOMPARE(win.viewer->CurrentPath(), QString(step.path));
        QCOMPARE(win.image->size(), step.size);
        QCOMPARE(win.viewer->ZoomFactor(), 0.5f);
    }
    // From an entry's page (the notes name it in their own letter case) on to the next scan.
    ClickRow(win.lbData, 1);
    win.key(Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(win.viewer->CurrentPath(), QString(".\\image\\K\\K2.jpg"));
    QVERIFY(!win.viewer->IsMarkerShown()); // the marker belonged to the other page
    QVERIFY(errors.isEmpty());
}

void TestScanFeatures::markerFollowsTheZoom() {
    Folder fx;
    Window win(fx);
    ClickRow(win.lbData, 1); // 一 at (400, 300)
    QVERIFY(win.redAt(QPoint(400, 300)));
    win.key(Qt::Key_Plus, Qt::ControlModifier);
    QVERIFY(win.redAt(QPoint(440, 330)));
    QVERIFY(!win.redAt(QPoint(400, 300)));
    win.choose("N501");
    QVERIFY(win.redAt(QPoint(200, 150)));
    QVERIFY(!win.redAt(QPoint(440, 330)));
    // It still goes when its three seconds are over.
    QTRY_VERIFY_WITH_TIMEOUT(!win.viewer->IsMarkerShown(), 5000);
    win.key(Qt::Key_1);
    QVERIFY(!win.viewer->IsMarkerShown());
}

void TestScanFeatures::undoTakesBackRecordedPositions() {
    Folder fx;
    Window win(fx);
    win.startRecording();
    ClickRow(win.lbData, 1); // 一, which has (400, 300)
    win.rightClick(QPoint(120, 140));
    win.rightClick(QPoint(220, 240)); // into 二, then on past K2 to 三
    QCOMPARE(win.lbData->ItemIndex(), 4);
    const NotebookSet &books = win.capture->Notebooks();
    QCOMPARE(books.entry({0, 2}).x, 220);

    win.key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(books.entry({0, 2}).x, -1);
    QCOMPARE(books.entry({0, 2}).y, -1);
    QCOMPARE(books.entry({0, 1}).x, 120);
    QVERIFY(win.capture->IsChanged(0));
    // The undone entry is selected again, ready for a new click.
    QCOMPARE(win.lbData->ItemIndex(), 2);
    QVERIFY(win.viewer->CaptureCaption().contains("已撤銷"));

    win.key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(books.entry({0, 1}).x, 400); // the value it had
    QCOMPARE(books.entry({0, 1}).y, 300);
    QVERIFY(!win.capture->HasUnsavedPositions());
    win.key(Qt::Key_Z, Qt::ControlModifier); // nothing more to undo
    QCOMPARE(books.entry({0, 1}).x, 400);

    // What is saved stays saved.
    win.rightClick(QPoint(50, 60)); // into 一 again
    QTest::mouseClick(win.btSaveImgXY, Qt::LeftButton);
    QCOMPARE(notices, QStringList{"OK"});
    win.key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(books.entry({0, 1}).x, 50);
    QVERIFY(!win.capture->HasUnsavedPositions());
    QVERIFY(errors.isEmpty());
}

void TestScanFeatures::countAndNextEntryWithoutPosition() {
    Folder fx;
    Window win(fx);
    QLabel *count = win.child<QLabel>("unpositionedCount");
    QVERIFY(count && count->isHidden());
    win.startRecording();
    QVERIFY(count->isVisible());
    QCOMPARE(count->text(), QString("未定位：K 2　M 1　N 0　O 0"));

    win.tabs->setCurrentIndex(2);
    ClickRow(win.child<OwnerDrawList>("lbImg"), 0); // a scan, nothing selected in the entries list
    const struct {
        int row;
        NoteRef ref;
    } expected[] = {{2, {0, 2}}, {4, {0, 4}}, {6, {1, 1}}, {2, {0, 2}}}; // round to the top again
    for (const auto &step : expected) {
        win.key(Qt::Key_N);
        QCOMPARE(win.tabs->currentIndex(), 0);
        QCOMPARE(win.lbData->ItemIndex(), step.row);
        // Shown: its page is loaded, and the next right click records into it.
        QCOMPARE(win.viewer->CurrentPath(), win.capture->Notebooks().entry(step.ref).pageImage);
        QVERIFY(win.viewer->CaptureCaption().contains(win.capture->Notebooks().entry(step.ref).title));
    }
    win.rightClick(QPoint(30, 30));
    QCOMPARE(count->text(), QString("未定位：K 1　M 1　N 0　O 0"));
    win.key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(count->text(), QString("未定位：K 2　M 1　N 0　O 0"));
    QVERIFY(errors.isEmpty());
}

void TestScanFeatures::journalKeepsUnsavedPositionsAcrossACrash() {
    Folder fx;
    {
        Window win(fx);
        win.startRecording();
        ClickRow(win.lbData, 1);
        win.rightClick(QPoint(120, 140)); // 一
        // Written after each click, into this reader's own journal.
        QCOMPARE(Journals(fx).size(), 1);
        QCOMPARE(QJsonDocument::fromJson(ReadAll(Journals(fx)[0])).object()["positions"].toArray().size(), 1);
        win.rightClick(QPoint(220, 240)); // 二
        win.rightClick(QPoint(20, 40));   // 三 on K2
        // The window goes without a save and without the close question: as after a crash.
    }
    QCOMPARE(Journals(fx).size(), 1);
    QVERIFY(!fx.read("velmora200_k.xml").contains("x=\"120\""));
    // Meanwhile 二 was renamed in the notes: its position no longer belongs anywhere.
    QByteArray notes = fx.read("velmora200_k.xml");
    notes.replace("<條目>二</條目>", "<條目>貳</條目>");
    fx.write("velmora200_k.xml", notes);
    {
        Window win(fx);
        QCOMPARE(questions.size(), 1);
        QVERIFY2(questions[0].contains("3"), qPrintable(questions[0]));
        const NotebookSet &books = win.capture->Notebooks();
        QCOMPARE(books.entry({0, 1}).x, 120);
        QCOMPARE(books.entry({0, 1}).y, 140);
        QCOMPARE(books.entry({0, 2}).x, -1);
        QCOMPARE(books.entry({0, 4}).x, 20);
        QVERIFY(win.capture->IsChanged(0) && !win.capture->IsChanged(1));
        // 二 is not placed: kept, and said in the window until dismissed, with where it was clicked.
        QVERIFY2(notices.isEmpty(), qPrintable(notices.join('\n')));
        const QString strip = win.w.findChild<NoticeStrip *>("windowNotice")->Texts().join('\n');
        QVERIFY2(strip.contains("二") && strip.contains("220"), qPrintable(strip));
        // The positions taken back, 二 with them, live in this reader's journal now.
        QCOMPARE(Journals(fx).size(), 1);
        QVERIFY(ReadAll(Journals(fx)[0]).contains("220"));
        // Unsaved changes like any others: the save button is there, and saving writes the two placed.
        QVERIFY(win.btSaveImgXY->isVisible());
        QTest::mouseClick(win.btSaveImgXY, Qt::LeftButton);
        QCOMPARE(notices.last(), QString("OK"));
        // 二 stays in the journal until the person lets it go: leaving without saving does.
        QCOMPARE(Journals(fx).size(), 1);
        QVERIFY(ReadAll(Journals(fx)[0]).contains("220"));
        win.capture->ForgetJournal();
        QVERIFY(Journals(fx).isEmpty());
        QVERIFY(win.w.close());
    }
    const QString saved = QString::fromUtf8(fx.read("velmora200_k.xml"));
    QVERIFY(saved.contains(QRegularExpression("一</條目>\\s*<座標 x=\"120\" y=\"140\"/>")));
    QVERIFY(saved.contains(QRegularExpression("三</條目>\\s*<座標 x=\"20\" y=\"40\"/>")));

    // Declined: the positions are not taken back, and the journal is kept aside where no reader offers
    // it again, and the person is told where.
    {
        Window win(fx);
        win.startRecording();
        ClickRow(win.lbData, 2);
        win.rightClick(QPoint(77, 88));
    }
    answer = false;
    questions.clear();
    notices.clear();
    {
        Window win(fx);
        QCOMPARE(questions.size(), 1);
        QCOMPARE(win.capture->Notebooks().entry({0, 2}).x, -1);
        QVERIFY(!win.capture->HasUnsavedPositions());
        QVERIFY(Journals(fx).isEmpty());
        const QStringList aside = QDir(fx.path()).entryList({"velmoranote-declined-*"}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QVERIFY(ReadAll(fx.path(aside[0])).contains("\"x\": 77"));
        QCOMPARE(notices.size(), 1);
        QVERIFY2(notices[0].contains(aside[0]), qPrintable(notices[0]));
    }
    questions.clear();
    {
        Window win(fx);
        QVERIFY(questions.isEmpty());
        // Leaving without saving on purpose lets the journal go too.
        answer = true;
        win.startRecording();
        ClickRow(win.lbData, 2);
        win.rightClick(QPoint(77, 88));
        QCOMPARE(Journals(fx).size(), 1);
        QVERIFY(win.w.close());
        QVERIFY(Journals(fx).isEmpty());
    }
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
}

void TestScanFeatures::journalOfferedWhileTheSessionEndsStays() {
    Folder fx;
    {
        Window win(fx);
        win.startRecording();
        ClickRow(win.lbData, 1);
        win.rightClick(QPoint(120, 140));
    }
    const QStringList orphan = Journals(fx);
    QCOMPARE(orphan.size(), 1);
    // The session ends (a signal) while the offer is open: the question closes unanswered, which reads
    // as no; the journal must stay as it is for the next start, not be set aside as declined.
    SetQuestionAnswerForTesting([this](const QString &q) {
        questions << q;
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *window = qobject_cast<MainWindow *>(top)) window->PrepareToEndUnasked();
        return false;
    });
    {
        Window win(fx);
        QCOMPARE(questions.size(), 1);
        QVERIFY(!win.capture->HasUnsavedPositions());
    }
    QCOMPARE(Journals(fx), orphan);
    QVERIFY(QDir(fx.path()).entryList({"velmoranote-declined-*"}, QDir::Files).isEmpty());
    QVERIFY2(notices.isEmpty(), qPrintable(notices.join('\n')));
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
}

void TestScanFeatures::journalThatCannotBeWrittenIsReported() {
    Folder fx;
    // A folder named like a journal is no journal: nothing is offered.
    QVERIFY(QDir(fx.path()).mkdir("velmoranote-1-1.journal"));
    Window win(fx);
    QVERIFY2(errors.isEmpty() && questions.isEmpty(), qPrintable(errors.join('\n')));
    win.startRecording();
    ClickRow(win.lbData, 1);
    win.rightClick(QPoint(120, 140));
    QCOMPARE(Journals(fx).size(), 1);
    // Where the journal is, a folder now stands: it cannot be replaced, not even by root.
    const QString journal = Journals(fx)[0];
    QVERIFY(QFile::remove(journal));
    QVERIFY(QDir().mkdir(journal));
    ClickRow(win.lbData, 2);
    win.rightClick(QPoint(130, 150));
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].contains(QFileInfo(journal).fileName()), qPrintable(errors[0]));
    // The position is recorded all the same and can still be saved.
    QCOMPARE(win.capture->Notebooks().entry({0, 2}).x, 130);
    QVERIFY(win.capture->IsChanged(0));
}

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    TestScanFeatures test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_scanfeatures.moc"
