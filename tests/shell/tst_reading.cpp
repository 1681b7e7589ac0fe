// Reading in the real window under a window manager, with real keys and clicks: back and forward among
// the entries shown, the reading taken up again at the next start, a search result shown in the
// entries list, the list's rows whole after a restart.
#include "display/EntryView.h"
#include "display/SearchPane.h"
#include "shell/IniFile.h"
#include "shell/MainWindow.h"
#include "support/DialogCapture.h"
#include "support/ReaderFixture.h"
#include "support/WebViewProbe.h"
#include "widgets/OwnerDrawList.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QTabWidget>
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

// A notebook long enough to scroll: pages of ten entries, "條N" with the content "wN;".
QByteArray LongNotes(const ReaderFixture &fx, int entries) {
    QByteArray notes;
    for (int i = 0; i < entries; ++i) {
        if (i % 10 == 0) {
            fx.writeScan("Image/K/K" + QString::number(i / 10 + 1) + ".jpg", 100, 140);
            notes += "<page>K" + QByteArray::number(i / 10 + 1) + "</page>\n";
        }
        notes +=
            "<條目>條" + QByteArray::number(i) + "</條目>\n<內容>w" + QByteArray::number(i) + ";</內容>\n";
    }
    return notes;
}

// A shown, active window with its blank document loaded.
struct Reader {
    ReaderFixture &fx;
    MainWindow w;
    EntryView *page;
    OwnerDrawList *entries;
    explicit Reader(ReaderFixture &fixture, bool asStored = false)
        : fx(fixture), w(fx.programPath()), page(w.findChild<EntryView *>()),
          entries(Child<OwnerDrawList>(w, "lbData")) {
        if (asStored)
            w.ShowAsStored();
        else
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
        const QModelIndex index = entries->model()->index(row, 0);
        entries->scrollTo(index);
        QTest::mouseClick(entries->viewport(), Qt::LeftButton, {}, entries->visualRect(index).center());
    }
    QString pageText() { return Evaluate(page->WebView(), "document.body ? document.body.innerText : ''"); }
    // Waits until the page shows `text`, then puts the keyboard in it.
    bool focusPage(const QString &text) {
        QElapsedTimer clock;
        clock.start();
        while (!pageText().contains(text) && clock.elapsed() < 10000)
            QTest::qWait(20);
        PageSurface(page)->setFocus();
        QTest::qWait(50);
        return pageText().contains(text) && PageSurface(page)->hasFocus();
    }
};

// The rows of a list the viewport shows whole, and whether every row it shows at all is whole.
bool RowWhollyShown(OwnerDrawList *list, int row) {
    return list->viewport()->rect().contains(list->visualRect(list->model()->index(row, 0)));
}
bool TopRowWhole(OwnerDrawList *list) {
    const QModelIndex top = list->indexAt(QPoint(2, 0));
    return !top.isValid() || list->visualRect(top).top() == 0;
}

} // namespace

class TestReading : public QObject {
    Q_OBJECT
    DialogCapture dialogs;
private Q_SLOTS:
    void init() { dialogs.Install(); }
    void cleanup() { VERIFY_NO_ERROR_SHOWN(dialogs); }
    void backAndForward();
    void readingTakenUpAgain_data();
    void readingTakenUpAgain();
    void resultShownInEntriesListScrolledTo();
    void listRowsWholeAfterRestart();
};

void TestReading::backAndForward() {
    ReaderFixture fx;
    WriteLibrary(fx);
    Reader r(fx);
    r.clickRow(1); // 甲
    r.clickRow(2); // 乙
    // A search result is part of the same history.
    auto *tabs = Child<QTabWidget>(r.w, "PageControl1");
    tabs->setCurrentIndex(1);
    auto *query = Child<QLineEdit>(r.w, "edSearch");
    QTest::keyClicks(query, "fourth");
    auto *results = Child<OwnerDrawList>(r.w, "lbSearch");
    QTRY_COMPARE(results->model()->rowCount(), 1);
    QTest::mouseClick(results->viewport(), Qt::LeftButton, {},
                      results->visualRect(results->model()->index(0, 0)).center());
    QVERIFY(r.page->LastWrittenPage().contains("fourth"));

    QWidget *surface = PageSurface(r.page);
    QVERIFY(r.focusPage("fourth"));
    QTest::keyClick(surface, Qt::Key_Left, Qt::AltModifier);
    QVERIFY(r.page->LastWrittenPage().contains("second entry"));
    QCOMPARE(r.entries->ItemIndex(), 2);                   // the list that opened it follows
    QTest::keyClick(query, Qt::Key_Left, Qt::AltModifier); // from anywhere in the window
    QVERIFY(r.page->LastWrittenPage().contains("apple tart"));
    QCOMPARE(r.entries->ItemIndex(), 1);
    QTest::keyClick(r.entries, Qt::Key_Left, Qt::AltModifier); // nothing before the first
    QVERIFY(r.page->LastWrittenPage().contains("apple tart"));
    // Going back added nothing: forward walks the same way again, with the search text marked.
    QTest::keyClick(surface, Qt::Key_Right, Qt::AltModifier);
    QVERIFY(r.page->LastWrittenPage().contains("second entry"));
    QTest::mouseClick(surface, Qt::ForwardButton, {}, surface->rect().center());
    QVERIFY(r.page->LastWrittenPage().contains("<span class='search'>fourth</span>"));
    QTest::mouseClick(r.entries->viewport(), Qt::BackButton, {}, QPoint(5, 5));
    QVERIFY(r.page->LastWrittenPage().contains("second entry"));
    // A new entry after going back drops what lay ahead.
    r.clickRow(4); // 丙
    QTest::keyClick(r.entries, Qt::Key_Right, Qt::AltModifier);
    QVERIFY(r.page->LastWrittenPage().contains("third entry"));
    QTest::keyClick(r.entries, Qt::Key_Left, Qt::AltModifier);
    QVERIFY(r.page->LastWrittenPage().contains("second entry"));
}

void TestReading::readingTakenUpAgain_data() {
    QTest::addColumn<QByteArray>("notesAtRestart");
    QTest::addColumn<bool>("entryBack");
    QTest::addColumn<int>("results");
    QTest::newRow("same notes") << kNotesK << true << 2;
    // The record at that place is another one now: nothing is shown, and nothing is said.
    QTest::newRow("entry renamed") << QByteArray(kNotesK).replace("乙條", "乙改") << false << 2;
    QTest::newRow("entry gone") << QByteArray("<page>K1</page>\n<條目>甲條</條目>\n") << false << 0;
}

void TestReading::readingTakenUpAgain() {
    QFETCH(QByteArray, notesAtRestart);
    QFETCH(bool, entryBack);
    QFETCH(int, results);
    ReaderFixture fx;
    WriteLibrary(fx);
    {
        Reader r(fx);
        r.clickRow(2); // 乙
        Child<QTabWidget>(r.w, "PageControl1")->setCurrentIndex(1);
        QTest::keyClicks(Child<QLineEdit>(r.w, "edSearch"), "entry");
        QVERIFY(r.w.close());
    }
    WriteLibrary(fx, notesAtRestart);
    Reader r(fx);
    QCOMPARE(Child<QTabWidget>(r.w, "PageControl1")->currentIndex(), 1);
    QCOMPARE(r.w.findChild<SearchPane *>()->Query(), QString("entry"));
    QCOMPARE(r.w.findChild<SearchPane *>()->ResultCount(), results);
    if (entryBack) {
        QTRY_VERIFY_WITH_TIMEOUT(r.pageText().contains("second entry"), 10000);
        QCOMPARE(r.entries->ItemIndex(), 2);
    } else {
        QVERIFY(r.page->LastWrittenPage().isEmpty());
        QCOMPARE(r.entries->ItemIndex(), -1);
    }
}

// Ctrl+L on a result far down the notebook: its row is selected in the entries list and shown whole,
// wherever the list was scrolled before.
void TestReading::resultShownInEntriesListScrolledTo() {
    ReaderFixture fx;
    fx.writeNotes(LongNotes(fx, 300));
    // The search tab open at start in a window smaller than the designed one: the entries list has not
    // been shown at that size.
    fx.write("velmoranote.ini", "[System]\r\nWidth=879\r\nHeight=574\r\n[Reader]\r\nTab=1\r\n");
    Reader r(fx, true);
    auto *tabs = Child<QTabWidget>(r.w, "PageControl1");
    for (const char *query : {"123", "7", "288"}) {
        tabs->setCurrentIndex(1);
        auto *edit = Child<QLineEdit>(r.w, "edSearch");
        edit->selectAll();
        QTest::keyClicks(edit, QLatin1String("w") + query + ";");
        auto *results = Child<OwnerDrawList>(r.w, "lbSearch");
        QTRY_VERIFY(results->model()->rowCount() >= 1);
        QTest::keyClick(edit, Qt::Key_Down); // opens the first result
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 0);
        const int row = r.entries->ItemIndex();
        QVERIFY(row > 0);
        QCOMPARE(r.entries->model()->index(row, 0).data().toString(), QString::fromUtf8("條") + query);
        QVERIFY2(RowWhollyShown(r.entries, row), query);
    }
}

// A restart taking the reading up again far down the list shows whole rows from the top, with the
// entry's row among them.
void TestReading::listRowsWholeAfterRestart() {
    ReaderFixture fx;
    fx.writeNotes(LongNotes(fx, 300));
    {
        Reader r(fx);
        r.clickRow(150);
        QVERIFY(r.w.close());
    }
    Reader r(fx, true);
    QTRY_COMPARE(r.entries->ItemIndex(), 150);
    QTest::qWait(200);
    QVERIFY(RowWhollyShown(r.entries, r.entries->ItemIndex()));
    QVERIFY(TopRowWhole(r.entries));
}

QTEST_MAIN(TestReading)
#include "tst_reading.moc"
