// The window's own layout under a window manager, with real clicks: the page and the scan share the
// room as the window grows and the division is kept, the zoom badge stays clear of the scroll bars,
// the search's field boxes have room for their captions, notices go to the notice strip naming their
// file, the status line follows the reading, and the close question's third button saves first.
#include "images/PageViewer.h"
#include "shell/CaptureSession.h"
#include "shell/IniFile.h"
#include "shell/MainWindow.h"
#include "shell/StatusLine.h"
#include "support/ReaderFixture.h"
#include "support/ScanWindow.h"
#include "widgets/ErrorBoundary.h"
#include "widgets/NoticeStrip.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScrollBar>
#include <QSplitter>
#include <QtTest>

namespace {

// K: 0 page K1, 1 一 at (400, 300), 2 二 without position, 3 page K2, 4 三 without position.
const QByteArray kNotesK = "<page>K1</page>\n"
                           "<條目>一</條目>\n<座標 x=\"400\" y=\"300\"/>\n<內容>a</內容>\n"
                           "<條目>二</條目>\n<內容>b</內容>\n"
                           "<page>K2</page>\n"
                           "<條目>三</條目>\n<內容>c</內容>\n";

struct Folder : ReaderFixture {
    Folder() {
        writeScan("Image/K/K1.jpg", 1000, 1500);
        writeScan("Image/K/K2.jpg", 1000, 1500);
        writeNotes(kNotesK);
    }
};

// The scan's part of the width the page and the scan share.
double ScanShare(MainWindow &w) {
    const QList<int> sizes = w.findChild<QSplitter *>("MainSplitter")->sizes();
    return double(sizes[2]) / double(sizes[1] + sizes[2]);
}

// A drag of a splitter's bar by `dx` pixels with the mouse, as a person makes it.
void DragBar(QWidget *bar, int dx) {
    const QPoint from = bar->rect().center();
    QTest::mousePress(bar, Qt::LeftButton, {}, from);
    for (int step = 1; step <= 4; ++step)
        QTest::mouseMove(bar, from + QPoint(dx * step / 4, 0));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, from + QPoint(dx, 0));
}

// The next message box that opens: its text and buttons are kept, and the button `pick` names is clicked.
struct BoxAnswer {
    QString text;
    QStringList buttons;
    void Next(const QString &pick) {
        auto *timer = new QTimer;
        timer->setInterval(50);
        QObject::connect(timer, &QTimer::timeout, [this, timer, pick] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return;
            timer->deleteLater();
            timer->stop();
            text = box->text();
            buttons.clear();
            QAbstractButton *chosen = nullptr;
            for (QAbstractButton *b : box->buttons()) {
                buttons << b->text();
                if (b->text() == pick || box->standardButton(b) == QMessageBox::StandardButton(pick.toInt()))
                    chosen = b;
            }
            if (chosen)
                QTest::mouseClick(chosen, Qt::LeftButton);
            else
                box->reject();
        });
        timer->start();
    }
};
QString Std(QMessageBox::StandardButton b) {
    return QString::number(int(b));
}

} // namespace

class TestWindowLayout : public QObject {
    Q_OBJECT
    QStringList errors, notices;
private Q_SLOTS:
    void init() {
        errors.clear();
        notices.clear();
        SetErrorDisplayForTesting([this](const QString &m) { errors << m; });
        SetNoticeDisplayForTesting([this](const QString &m) { notices << m; });
        SetQuestionAnswerForTesting(nullptr); // the questions are real boxes, clicked
    }
    void cleanup() { QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n'))); }
    void scanSharesTheRoom();
    void zoomBadgeClearOfScrollBars();
    void fieldBoxesHaveRoom();
    void noticesInTheStrip();
    void statusLineFollowsTheReading();
    void saveThenLeave_data();
    void saveThenLeave();
};

void TestWindowLayout::scanSharesTheRoom() {
    Folder fx;
    double dragged = 0;
    {
        ScanWindow win(fx);
        const double designShare = ScanShare(win.w);
        const int leftWidth = win.w.findChild<QWidget *>("Panel2")->width();
        win.w.showMaximized();
        QTRY_VERIFY(win.w.isMaximized());
        QTest::qWait(200);
        QCOMPARE(win.w.findChild<QWidget *>("Panel2")->width(), leftWidth); // the lists keep their width
        // The scan gets its part of the room the maximised window adds, not a fixed 469 pixels.
        QVERIFY2(qAbs(ScanShare(win.w) - designShare) < 0.02, qPrintable(QString::number(ScanShare(win.w))));
        DragBar(win.w.findChild<QWidget *>("Splitter3"), 200);
        QTRY_VERIFY(ScanShare(win.w) < designShare - 0.1);
        dragged = ScanShare(win.w);
        win.w.showNormal();
        QTRY_VERIFY(!win.w.isMaximized());
        QVERIFY(win.w.close());
    }
    const IniFile ini(fx.path("velmoranote.ini"));
    QVERIFY(qAbs(ini.ReadFloat("Reader", "ScanShare", -1) - dragged) < 0.001);
    // The specified key keeps its meaning: the scan pane's width.
    const int width2 = ini.ReadInteger("Panel", "Width2", -1);
    // Started again, the scan's width read back holds, and the room the window gains later is shared
    // in the division read back.
    ScanWindow win(fx);
    // (or all the room the window has for it, when the lists' and the page's own least widths leave less)
    // The page's pane in the splitter, at the least width the splitter gives it.
    const QWidget *page = nullptr;
    for (const QSplitter *split : win.w.findChildren<QSplitter *>())
        if (split->count() == 3) page = split->widget(1);
    QVERIFY(page);
    const auto holds = [&] {
        const int least = qMax(page->minimumSizeHint().width(), page->minimumWidth());
        return qAbs(win.box->width() - width2) <= 2 ||
               (win.box->width() < width2 && page->width() <= least + 2);
    };
    QTRY_VERIFY2_WITH_TIMEOUT(holds(),
                              qPrintable(QString("scan %1, stored %2, page %3 (least %4)")
                                             .arg(win.box->width())
                                             .arg(width2)
                                             .arg(page->width())
                                             .arg(page->minimumSizeHint().width())),
                              3000);
    const int before = win.box->width();
    win.w.resize(win.w.width() + 300, win.w.height());
    QTRY_VERIFY2(qAbs(win.box->width() - before - 300 * dragged) <= 3,
                 qPrintable(QString::number(win.box->width())));
}

void TestWindowLayout::zoomBadgeClearOfScrollBars() {
    Folder fx;
    ScanWindow win(fx);
    ClickRow(win.lbData, 1);
    QTRY_VERIFY(!win.viewer->CurrentPath().isEmpty());
    auto *badge = win.viewer->findChild<QLabel *>("zoomIndicator");
    for (const char *item : {"N1002", "itemImage100", "N1003"}) { // 200 %, 25 %, 150 %
        win.choose(item);
        QTRY_VERIFY(badge->isVisible());
        QTest::qWait(100);
        const QRect at(badge->mapTo(&win.w, QPoint(0, 0)), badge->size());
        for (QScrollBar *bar : {win.box->horizontalScrollBar(), win.box->verticalScrollBar()})
            if (bar->isVisible())
                QVERIFY2(!at.intersects(QRect(bar->mapTo(&win.w, QPoint(0, 0)), bar->size())), item);
        QVERIFY(QRect(win.box->mapTo(&win.w, QPoint(0, 0)), win.box->size()).contains(at));
    }
}

// 條目, 內容 and 出處 show their whole captions with a gap before the next box.
void TestWindowLayout::fieldBoxesHaveRoom() {
    Folder fx;
    ScanWindow win(fx);
    win.showTab(1);
    const auto *title = win.child<QCheckBox>("cbTitle");
    const auto *content = win.child<QCheckBox>("cbContent");
    const auto *source = win.child<QCheckBox>("cbSource");
    for (const QCheckBox *box : {title, content, source}) {
        QVERIFY2(box->width() >= box->sizeHint().width(), qPrintable(box->text()));
        QVERIFY(box->geometry().right() < box->parentWidget()->width());
    }
    const int gap = QFontMetrics(title->font()).horizontalAdvance(QChar(0x3000)) / 2;
    QVERIFY(content->x() - (title->x() + title->sizeHint().width()) >= gap);
    QVERIFY(source->x() - (content->x() + content->sizeHint().width()) >= gap);
}

// A notes file not in UTF-8 and a file read again after another program wrote it: each is said in the
// strip, one notice per file, naming it.
void TestWindowLayout::noticesInTheStrip() {
    Folder fx;
    fx.writeNotes(kNotesK, "<page>M1</page>\n<條目>\xB0\xA1</條目>\n",
                  "<page>N1</page>\n<條目>\xB0\xA2</條目>\n");
    ScanWindow win(fx);
    auto *strip = win.child<NoticeStrip>("windowNotice");
    QTRY_COMPARE(strip->Texts().size(), 2);
    QVERIFY(strip->Texts()[0].contains("velmora200_M.xml"));
    QVERIFY(strip->Texts()[1].contains("velmora200_N.xml"));
    QVERIFY(strip->isVisible() && strip->y() < win.w.findChild<QSplitter *>("MainSplitter")->y());
    QByteArray edited = fx.read("velmora200_k.xml");
    fx.write("velmora200_k.xml", edited.replace("<內容>b</內容>", "<內容>bb</內容>"));
    QTRY_VERIFY_WITH_TIMEOUT(strip->Texts().size() == 3, 5000);
    QVERIFY(strip->Texts()[2].contains("velmora200_k.xml"));
    // Readable: at least the window's own text size.
    for (QLabel *label : strip->findChildren<QLabel *>())
        if (!label->text().isEmpty())
            QVERIFY(QFontInfo(label->font()).pixelSize() >= QFontInfo(win.w.font()).pixelSize());
}

void TestWindowLayout::statusLineFollowsTheReading() {
    Folder fx;
    ScanWindow win(fx);
    auto *status = win.w.findChild<StatusLine *>();
    QVERIFY(status && status->isVisible());
    // Below the panes, covering none of them.
    auto *panes = win.w.findChild<QSplitter *>("MainSplitter");
    QVERIFY(status->mapTo(&win.w, QPoint(0, 0)).y() >= panes->mapTo(&win.w, QPoint(0, panes->height())).y());
    QCOMPARE(status->Text(), QString("圖檔 100%"));
    ClickRow(win.lbData, 4);
    QCOMPARE(status->Text(), QString("筆記 K　頁 K2　圖檔 100%"));
    win.choose("N501"); // 50 %
    QCOMPARE(status->Text(), QString("筆記 K　頁 K2　圖檔 50%"));
    // Capture mode: how many entries have their position, as they get one.
    win.startRecording();
    QCOMPARE(status->Text(), QString("筆記 K　頁 K2　已定位 1／3 條　圖檔 50%"));
    win.rightClick(QPoint(100, 100));
    QCOMPARE(status->Text().section(QString("　"), 2, 2), QString("已定位 2／3 條"));
    SetQuestionAnswerForTesting([](const QString &) { return true; }); // leave without saving
}

void TestWindowLayout::saveThenLeave_data() {
    QTest::addColumn<bool>("conflict");
    QTest::addColumn<bool>("closes");
    QTest::newRow("saved") << false << true;
    // Another program moved the same entry and the reader keeps the file's value: not everything written.
    QTest::newRow("conflict answered no") << true << false;
}

void TestWindowLayout::saveThenLeave() {
    QFETCH(bool, conflict);
    QFETCH(bool, closes);
    Folder fx;
    ScanWindow win(fx);
    win.startRecording();
    ClickRow(win.lbData, 1);
    win.rightClick(QPoint(120, 140)); // 一, not saved
    if (conflict) {
        QByteArray edited = fx.read("velmora200_k.xml");
        fx.write("velmora200_k.xml",
                 edited.replace("<座標 x=\"400\" y=\"300\"/>", "<座標 x=\"410\" y=\"310\"/>"));
        QTRY_VERIFY_WITH_TIMEOUT(
            win.capture->IsChanged(0) && win.w.findChild<NoticeStrip *>()->Texts().size() == 1, 5000);
    }
    BoxAnswer closing, question;
    closing.Next("儲存後結束");
    if (conflict) question.Next(Std(QMessageBox::No));
    QCOMPARE(win.w.close(), closes);
    QCOMPARE(closing.text, QString("警告 : 定位有更改，尚未儲存，是否確定結束程式？"));
    QCOMPARE(closing.buttons.size(), 3);
    QVERIFY(closing.buttons.contains("儲存後結束"));
    QCOMPARE(!question.text.isEmpty(), conflict);
    const QByteArray notes = fx.read("velmora200_k.xml");
    QCOMPARE(notes.contains("x=\"410\" y=\"310\""), conflict);
    QCOMPARE(notes.contains("x=\"120\" y=\"140\""), !conflict);
    QCOMPARE(QFile::exists(fx.path("velmoranote.ini")), closes);
    QCOMPARE(notices.size(), 1);
    QCOMPARE(notices[0] == "OK", !conflict);
    if (!closes) {
        // Still open, and the specified 是 leaves without saving.
        BoxAnswer again;
        again.Next(Std(QMessageBox::Yes));
        QVERIFY(!win.capture->HasUnsavedPositions() || win.w.close());
        if (win.w.isVisible()) QVERIFY(win.w.close());
    }
}

QTEST_MAIN(TestWindowLayout)
#include "tst_windowlayout.moc"
