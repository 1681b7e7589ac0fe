// The reading aids around the entry page, in the real window with the real web view and real input:
// find in page, text size of the page and the lists, copying.
#include "display/EntryView.h"
#include "shell/IniFile.h"
#include "shell/MainWindow.h"
#include "support/DialogCapture.h"
#include "support/ReaderFixture.h"
#include "support/WebViewProbe.h"
#include "widgets/OwnerDrawList.h"

#include <QClipboard>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTabWidget>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <QtTest>

namespace {

const QByteArray kNotesK = "<page>K1</page>\n"
                           "<條目>甲條</條目>\n"
                           "<內容>apple pie, apple tart and an apple</內容>\n"
                           "<條目>乙條</條目>\n"
                           "<內容>second entry</內容>\n"
                           "<page>K2</page>\n"
                           "<條目>丙條</條目>\n"
                           "<內容>third entry</內容>\n";
const QByteArray kNotesM = "<page>M1</page>\n<條目>丁條</條目>\n<內容>fourth</內容>\n";

template <typename T> T *Child(QWidget &w, const char *name) {
    T *child = w.findChild<T *>(QString::fromLatin1(name));
    if (!child) qFatal("no %s", name);
    return child;
}

// The widget the web view draws into and takes its keys and mouse through.
QWidget *PageSurface(EntryView *page) {
    QWidget *surface = page->WebView()->focusProxy();
    return surface ? surface : page->WebView();
}

// The notes and the scans their pages name.
void WriteLibrary(const ReaderFixture &fx, const QByteArray &notesK = kNotesK) {
    fx.writeNotes(notesK, kNotesM);
    fx.writeScan("Image/K/K1.jpg", 200, 300);
    fx.writeScan("Image/K/K2.jpg", 200, 300);
    fx.writeScan("Image/M/M1.jpg", 200, 300);
}

// A shown window with its blank document loaded.
struct Reader {
    ReaderFixture &fx;
    MainWindow w;
    EntryView *page;
    OwnerDrawList *entries;
    explicit Reader(ReaderFixture &fixture)
        : fx(fixture), w(fx.programPath()), page(w.findChild<EntryView *>()),
          entries(Child<OwnerDrawList>(w, "lbData")) {
        w.show();
        w.activateWindow();
        if (!QTest::qWaitForWindowActive(&w)) qFatal("window not shown");
        QElapsedTimer clock;
        clock.start();
        while (!page->IsDocumentReady() && clock.elapsed() < 20000)
            QTest::qWait(20);
    }
    // Clicks a row of the entries list as the user does.
    void clickRow(int row) {
        const QRect r = entries->visualRect(entries->model()->index(row, 0));
        QTest::mouseClick(entries->viewport(), Qt::LeftButton, {}, r.center());
    }
    QString pageText() { return Evaluate(page->WebView(), "document.body ? document.body.innerText : ''"); }
    // Waits until the page shows `text`, then puts the keyboard in it.
    bool focusPage(const QString &text) {
        QElapsedTimer clock;
        clock.start();
        while (!pageText().contains(text) && clock.elapsed() < 10000)
            QTest::qWait(20);
        if (!pageText().contains(text)) qWarning("page shows %s", qPrintable(pageText()));
        PageSurface(page)->setFocus();
        QTest::qWait(50);
        if (!PageSurface(page)->hasFocus())
            qWarning("focus is on %s", QApplication::focusWidget()
                                           ? QApplication::focusWidget()->metaObject()->className()
                                           : "nothing");
        return pageText().contains(text) && PageSurface(page)->hasFocus();
    }
};

} // namespace

class TestEntryView : public QObject {
    Q_OBJECT
    DialogCapture dialogs;
private Q_SLOTS:
    void init() { dialogs.Install(); }
    void cleanup() { VERIFY_NO_ERROR_SHOWN(dialogs); }
    void findInPage();
    void findBarIsOneLine_data();
    void findBarIsOneLine();
    void pageRecordBlankAtOnce();
    void textSizeKeptBetweenRuns();
    void copyAndContextMenu();
};

// Stepping onto a page record shows a blank page pane at once, not the last entry until the blank
// document has loaded; the view takes over when it has.
void TestEntryView::pageRecordBlankAtOnce() {
    ReaderFixture fx;
    WriteLibrary(fx);
    Reader r(fx);
    r.clickRow(1);
    QVERIFY(r.focusPage("apple"));
    QTest::qWait(200);
    const auto darkPixels = [&] {
        const QImage shot = r.page->grab().toImage();
        int dark = 0;
        for (int y = 0; y < shot.height(); y += 2)
            for (int x = 0; x < shot.width(); x += 2)
                dark += qGray(shot.pixel(x, y)) < 128;
        return dark;
    };
    QVERIFY(darkPixels() > 20); // the entry's text
    r.clickRow(3);              // the page record K2: no event loop has run since
    QCOMPARE(darkPixels(), 0);
    auto *cover = Child<QWidget>(r.w, "blankCover");
    QTRY_VERIFY_WITH_TIMEOUT(cover->isHidden(), 5000);
    QCOMPARE(darkPixels(), 0);
    r.clickRow(4); // an entry again: its text comes
    QVERIFY(r.focusPage("third"));
}

void TestEntryView::findInPage() {
    ReaderFixture fx;
    WriteLibrary(fx);
    Reader r(fx);
    r.clickRow(1);
    QVERIFY(r.focusPage("apple tart"));
    auto *bar = Child<QWidget>(r.w, "FindBar");
    auto *text = Child<QLineEdit>(r.w, "FindText");
    auto *count = Child<QLabel>(r.w, "FindCount");
    QVERIFY(bar->isHidden());
    QTest::keyClick(PageSurface(r.page), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(bar->isVisible());
    QVERIFY(text->hasFocus());
    QTest::keyClicks(text, "apple");
    QTRY_COMPARE_WITH_TIMEOUT(count->text(), QString("1/3"), 10000);
    QTest::keyClick(text, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(count->text(), QString("2/3"), 10000);
    QTest::keyClick(text, Qt::Key_Return, Qt::ShiftModifier);
    QTRY_COMPARE_WITH_TIMEOUT(count->text(), QString("1/3"), 10000);
    QTest::keyClicks(text, "z");
    QTRY_COMPARE_WITH_TIMEOUT(count->text(), QString("無"), 10000);
    QTest::keyClick(text, Qt::Key_Backspace);
    QTest::keyClick(text, Qt::Key_Escape);
    QVERIFY(bar->isHidden());
    QVERIFY(PageSurface(r.page)->hasFocus());
    // F3 from the page repeats the last search.
    QTest::keyClick(PageSurface(r.page), Qt::Key_F3);
    QVERIFY(bar->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!count->text().isEmpty() && count->text().endsWith("/3"), 10000);
}

// The find bar is one line high at every window size, and the page takes the rest of the pane (it
// was a grey strip of about 270 pixels at 879 x 574, growing with the window).
void TestEntryView::findBarIsOneLine_data() {
    QTest::addColumn<QSize>("window");
    QTest::newRow("879x574") << QSize(879, 574);
    QTest::newRow("1200x800") << QSize(1200, 800);
    QTest::newRow("1500x950") << QSize(1500, 950);
}

void TestEntryView::findBarIsOneLine() {
    QFETCH(QSize, window);
    ReaderFixture fx;
    WriteLibrary(fx);
    Reader r(fx);
    r.w.resize(window);
    r.clickRow(1);
    QVERIFY(r.focusPage("apple tart"));
    QTest::keyClick(PageSurface(r.page), Qt::Key_F, Qt::ControlModifier);
    auto *bar = Child<QWidget>(r.w, "FindBar");
    auto *text = Child<QLineEdit>(r.w, "FindText");
    QVERIFY(bar->isVisible());
    QTest::qWait(50);
    QVERIFY2(
        bar->height() < 2 * text->sizeHint().height(),
        qPrintable(
            QString("find bar %1 high in a page pane %2 high").arg(bar->height()).arg(r.page->height())));
    QCOMPARE(r.page->WebView()->geometry().top(), bar->geometry().bottom() + 1);
    // Down to the page's own strip (the reader's star and note), or to the pane's bottom without one.
    auto *strip = r.page->findChild<QWidget *>("PersonalNotePanel");
    QCOMPARE(r.page->WebView()->geometry().bottom(),
             strip ? strip->geometry().top() - 1 : r.page->rect().bottom());
    if (strip)
        QVERIFY2(strip->height() < 2 * text->sizeHint().height(),
                 qPrintable(QString::number(strip->height())));
}

void TestEntryView::textSizeKeptBetweenRuns() {
    QCursor::setPos(1590, 990); // off the window: the keys act on the focused pane
    ReaderFixture fx;
    WriteLibrary(fx);
    fx.write("velmoranote.ini", "[System]\nImageRate=0.75\n[Panel]\nWidth2=300\n");
    int listRow = 0;
    {
        Reader r(fx);
        r.clickRow(1);
        QVERIFY(r.focusPage("apple"));
        QWidget *surface = PageSurface(r.page);
        QTest::keyClick(surface, Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(r.page->PageZoom(), 1.1);
        QCOMPARE(r.page->WebView()->zoomFactor(), 1.1);
        QTest::keyClick(surface, Qt::Key_Minus, Qt::ControlModifier);
        QTest::keyClick(surface, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(r.page->PageZoom(), 0.9);
        QTest::keyClick(surface, Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(r.page->PageZoom(), 1.0);
        // Ctrl with the wheel over the page, away from the user: larger.
        const QPoint at = surface->rect().center();
        QWheelEvent wheel(at, surface->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(surface, &wheel);
        QCOMPARE(r.page->PageZoom(), 1.1);
        QTest::keyClick(surface, Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(r.page->PageZoom(), 1.25);

        // In the lists the same keys change the lists' text.
        r.entries->setFocus();
        listRow = r.entries->itemHeight;
        const int fontBefore = r.entries->font().pixelSize();
        QTest::keyClick(r.entries, Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(r.entries->font().pixelSize(), fontBefore + 2);
        QVERIFY(r.entries->itemHeight > listRow);
        QCOMPARE(Child<OwnerDrawList>(r.w, "lbSearch")->font().pixelSize(), fontBefore + 2);
        QCOMPARE(r.page->PageZoom(), 1.25); // the page keeps its size
        QVERIFY(r.w.close());
    }
    const IniFile ini(fx.path("velmoranote.ini"));
    QCOMPARE(ini.ReadFloat("Reader", "PageZoom", -1), 1.25);
    QVERIFY(ini.ReadInteger("Reader", "ListFontSize", 0) > 0);
    QCOMPARE(ini.ReadFloat("System", "ImageRate", -1), 0.75); // the window's own keys stay as they were
    QCOMPARE(ini.ReadInteger("Panel", "Width2", -1), 300);
    {
        Reader r(fx);
        QCOMPARE(r.page->PageZoom(), 1.25);
        QTRY_COMPARE_WITH_TIMEOUT(r.page->WebView()->zoomFactor(), 1.25, 5000);
        QVERIFY(r.entries->itemHeight > listRow);
        // Ctrl+0 in a list goes back to the design size, which is then kept as none.
        r.entries->setFocus();
        QTest::keyClick(r.entries, Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(r.entries->itemHeight, listRow);
        QVERIFY(r.w.close());
    }
    QCOMPARE(IniFile(fx.path("velmoranote.ini")).ReadInteger("Reader", "ListFontSize", -1), 0);
}

void TestEntryView::copyAndContextMenu() {
    ReaderFixture fx;
    WriteLibrary(fx);
    Reader r(fx);
    r.clickRow(1);
    QVERIFY(r.focusPage("apple tart"));
    QWidget *surface = PageSurface(r.page);
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText("before");
    QTest::keyClick(surface, Qt::Key_A, Qt::ControlModifier);
    QTRY_VERIFY_WITH_TIMEOUT(r.page->WebView()->selectedText().contains("apple tart"), 10000);
    QTest::keyClick(surface, Qt::Key_C, Qt::ControlModifier);
    QTRY_VERIFY_WITH_TIMEOUT(clipboard->text().contains("apple tart"), 10000);
    QTest::qWait(300); // a rich copy by the view itself would arrive after ours
    QVERIFY(clipboard->text().contains("apple tart"));
    QVERIFY(!clipboard->mimeData()->hasHtml());

    // The page's own menu: exactly our three items, none that navigates.
    QTest::mouseClick(surface, Qt::RightButton, {}, QPoint(30, 30));
    QMenu *menu = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((menu = r.page->findChild<QMenu *>("EntryPageMenu")) && menu->isVisible(),
                             10000);
    QStringList items;
    for (QAction *a : menu->actions())
        items << a->text();
    QCOMPARE(items.mid(0, 3), QStringList({"複製", "全選", "複製引用"}));
    // After a separator only the window's own items: the reader's marks and night reading.
    const QStringList own{"", "加入書籤", "移除書籤", "我的筆記", "夜間模式", "夜間反白圖檔"};
    for (const QString &item : items.mid(3))
        QVERIFY2(own.contains(item), qPrintable(item));
    QAction *reference = nullptr;
    for (QAction *a : menu->actions())
        if (a->objectName() == "CopyReferenceAction") reference = a;
    QVERIFY(reference && reference->isEnabled());
    reference->trigger();
    menu->close();
    QCOMPARE(clipboard->text(), QString("K K1 甲條"));
}

QTEST_MAIN(TestEntryView)
#include "tst_entryview.moc"
