// The keys reach what the reader looks at: the scan's keys from anywhere in the window unless a text
// box needs them, the text-size keys on the pane under the pointer, the zoom keys about the shown
// entry; the find bar's Esc and its place; the capture line; the search tab's keyboard; back and
// forward in the entries list; a narrow window; cut headwords; the recovery question's default.
#include "display/EntryView.h"
#include "support/DialogCapture.h"
#include "support/ReaderFixture.h"
#include "support/ScanWindow.h"
#include "support/WebViewProbe.h"

#include <QApplication>
#include <QCursor>
#include <QHelpEvent>
#include <QLabel>
#include <QMessageBox>
#include <QScrollBar>
#include <QSplitter>
#include <QToolTip>
#include <QWebEngineView>
#include <QtTest>

namespace {

// K: 0 page K1, 1 一 at (1500, 1800), 2 二 at (300, 400), 3 page K2, 4 a long headword without
// position, 5 三 without position.
const QByteArray kNotesK =
    "<page>K1</page>\n"
    "<條目>一</條目>\n<座標 x=\"1500\" y=\"1800\"/>\n<內容>甲</內容>\n"
    "<條目>二</條目>\n<座標 x=\"300\" y=\"400\"/>\n<內容>乙</內容>\n"
    "<page>K2</page>\n"
    "<條目>學而時習之不亦說乎有朋自遠方來不亦樂乎人不知而不慍不亦君子乎</條目>\n<內容>丙</內容>\n"
    "<條目>三</條目>\n<內容>丁</內容>\n";

struct Folder : ReaderFixture {
    Folder() {
        writeScan("Image/K/K1.jpg", 2000, 2800);
        writeScan("Image/K/K2.jpg", 2000, 2800);
        writeNotes(kNotesK);
    }
};

// Where a natural-size point of the scan lies in the scan's viewport.
QPoint OnScreen(const ScanWindow &win, QPoint natural) {
    const double f = win.viewer->ZoomFactor();
    return QPoint(int(natural.x() * f) - win.box->horizontalScrollBar()->value(),
                  int(natural.y() * f) - win.box->verticalScrollBar()->value());
}

bool InView(const ScanWindow &win, QPoint natural) {
    return win.box->viewport()->rect().contains(OnScreen(win, natural));
}

// Moves the pointer over a widget, or off the window.
void PointAt(QWidget *w) {
    QCursor::setPos(w ? w->mapToGlobal(w->rect().center()) : QPoint(1590, 990));
}

// The window as the person's: active, so the keyboard reaches it.
void Activate(ScanWindow &win) {
    win.w.activateWindow();
    if (!QTest::qWaitForWindowActive(&win.w)) qWarning("window not active");
}

QWidget *PageSurface(ScanWindow &win) {
    return win.w.findChild<EntryView *>()->WebView()->focusProxy();
}

// Notes for the search's keys: 爲人君 found only folded from 为人君; 学 and 學 in three entries.
struct SearchFolder : ReaderFixture {
    SearchFolder() {
        writeScan("Image/K/K1.jpg", 600, 800);
        writeScan("Image/K/K2.jpg", 600, 800);
        writeNotes("<page>K1</page>\n"
                   "<條目>一</條目>\n<內容>爲人君者</內容>\n"
                   "<條目>二</條目>\n<內容>學而時習</內容>\n"
                   "<條目>三</條目>\n<內容>学者所習</內容>\n"
                   "<page>K2</page>\n"
                   "<條目>四</條目>\n<內容>好學者</內容>\n");
    }
};

// The page shown, as the program last wrote it, and whether it frames `text` as a search hit.
const QString &PageShown(ScanWindow &win) {
    return win.w.findChild<EntryView *>()->LastWrittenPage();
}
bool Framed(ScanWindow &win, const QString &text) {
    return PageShown(win).contains("<span class='search'>" + text);
}

} // namespace

class TestWindowKeys : public QObject {
    Q_OBJECT
    DialogCapture dialogs;
private Q_SLOTS:
    void init() {
        dialogs.Install();
        PointAt(nullptr);
    }
    void cleanup() { VERIFY_NO_ERROR_SHOWN(dialogs); }
    void scanKeysWhereverTheFocusIs();
    void textSizeKeysActUnderThePointer();
    void captureKeysFromTheList();
    void findBarAboveThePage();
    void captureLineReadableAboveTheScan();
    void searchTabKeyboard();
    void everyTabTakesTheKeyboard();
    void backAndForwardMoveTheEntriesList();
    void narrowWindowKeepsThePanes();
    void cutHeadwordShowsItsTooltip();
    void enterRestoresTheJournal();
    void resultsOpenByKey();
    void pageFramesFollowTheQuery();
};

void TestWindowKeys::scanKeysWhereverTheFocusIs() {
    Folder fx;
    ScanWindow win(fx);
    Activate(win);
    ClickRow(win.lbData, 1); // 一, far to the right and down the page
    QVERIFY(win.lbData->hasFocus());
    QVERIFY(InView(win, {1500, 1800}));
    const float before = win.viewer->ZoomFactor();

    // 1: natural size, about the entry, from the list.
    QTest::keyClick(win.lbData, Qt::Key_1);
    QCOMPARE(win.viewer->ZoomFactor(), 1.0f);
    QVERIFY(win.lbData->hasFocus());
    QCOMPARE(win.lbData->ItemIndex(), 1); // not a type-select in the list
    QVERIFY(InView(win, {1500, 1800}));
    // P: the whole page; W: the width.
    QTest::keyClick(win.lbData, Qt::Key_P);
    QVERIFY(win.viewer->ZoomFactor() < before || win.viewer->ZoomFactor() < 0.5f);
    QVERIFY(InView(win, {1500, 1800}));
    QTest::keyClick(win.lbData, Qt::Key_W);
    QVERIFY(InView(win, {1500, 1800}));
    // Ctrl+plus with the pointer over the scan: zoom about the entry too.
    PointAt(win.box->viewport());
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(win.lbData, Qt::Key_Plus, Qt::ControlModifier);
    QVERIFY(InView(win, {1500, 1800}));
    PointAt(nullptr);

    // Ctrl+PgDn from the list: the next scan.
    QTest::keyClick(win.lbData, Qt::Key_PageDown, Qt::ControlModifier);
    QVERIFY2(win.viewer->CurrentPath().endsWith("K2.jpg"), qPrintable(win.viewer->CurrentPath()));
    QTest::keyClick(win.lbData, Qt::Key_PageUp, Qt::ControlModifier);
    QVERIFY(win.viewer->CurrentPath().endsWith("K1.jpg"));

    // From the page too.
    QWidget *surface = PageSurface(win);
    surface->setFocus();
    QTest::keyClick(surface, Qt::Key_1);
    QCOMPARE(win.viewer->ZoomFactor(), 1.0f);

    // A text box keeps its typing: W in the scans filter is a letter, not a zoom.
    win.showTab(2);
    win.edImg->setFocus();
    QTest::keyClick(win.lbData, Qt::Key_P); // (to the list, which is hidden now: nothing)
    const float inFilter = win.viewer->ZoomFactor();
    QTest::keyClicks(win.edImg, "w1p");
    QCOMPARE(win.edImg->text(), QString("w1p"));
    QCOMPARE(win.viewer->ZoomFactor(), inFilter);
    // but Ctrl+PgDn is the scan's.
    QTest::keyClick(win.edImg, Qt::Key_PageDown, Qt::ControlModifier);
    QVERIFY(win.viewer->CurrentPath().endsWith("K2.jpg"));
}

void TestWindowKeys::textSizeKeysActUnderThePointer() {
    Folder fx;
    ScanWindow win(fx);
    Activate(win);
    ClickRow(win.lbData, 2);
    auto *page = win.w.findChild<EntryView *>();
    const int listFont = win.lbData->font().pixelSize();
    const float scanZoom = win.viewer->ZoomFactor();
    const double pageZoom = page->PageZoom();

    // The focus stays in the list; the pointer decides.
    PointAt(win.box->viewport());
    QTest::keyClick(win.lbData, Qt::Key_Plus, Qt::ControlModifier);
    QVERIFY(win.viewer->ZoomFactor() > scanZoom);
    QCOMPARE(win.lbData->font().pixelSize(), listFont);
    QCOMPARE(page->PageZoom(), pageZoom);

    PointAt(PageSurface(win));
    QTest::keyClick(win.lbData, Qt::Key_Plus, Qt::ControlModifier);
    QVERIFY(page->PageZoom() > pageZoom);
    QCOMPARE(win.lbData->font().pixelSize(), listFont);

    PointAt(win.lbData->viewport());
    PageSurface(win)->setFocus();
    QTest::keyClick(PageSurface(win), Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(win.lbData->font().pixelSize(), listFont + 2);

    // Off the window: the focused pane.
    PointAt(nullptr);
    win.lbData->setFocus();
    QTest::keyClick(win.lbData, Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(win.lbData->font().pixelSize(), listFont);
}

void TestWindowKeys::captureKeysFromTheList() {
    Folder fx;
    ScanWindow win(fx);
    Activate(win);
    win.startRecording();
    ClickRow(win.lbData, 2);
    win.rightClick(QPoint(100, 100)); // 二 moves; the list steps on
    QVERIFY(win.capture->IsChanged(0));
    win.lbData->setFocus();
    QTest::keyClick(win.lbData, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(!win.capture->IsChanged(0));
    QCOMPARE(win.capture->Notebooks().entry({0, 2}).x, 300);
    // N: on to the next entry without a position.
    ClickRow(win.lbData, 1);
    QTest::keyClick(win.lbData, Qt::Key_N);
    QCOMPARE(win.lbData->ItemIndex(), 4);
    // Ctrl+Z in a text box is the box's own undo.
    win.rightClick(QPoint(150, 150));
    QVERIFY(win.capture->IsChanged(0));
    win.showTab(1);
    auto *query = win.child<QLineEdit>("edSearch");
    QTest::keyClicks(query, "ab");
    QTest::keyClick(query, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(win.capture->IsChanged(0));
    // Without recording N is a letter for the list again.
    win.setRecording(false);
    win.showTab(0);
    win.lbData->setFocus();
    const int row = win.lbData->ItemIndex();
    QTest::keyClick(win.lbData, Qt::Key_N);
    QCOMPARE(win.lbData->ItemIndex(), row);
}

void TestWindowKeys::findBarAboveThePage() {
    Folder fx;
    ScanWindow win(fx);
    Activate(win);
    ClickRow(win.lbData, 1);
    QWidget *surface = PageSurface(win);
    surface->setFocus();
    QTest::keyClick(surface, Qt::Key_F, Qt::ControlModifier);
    auto *bar = win.child<QWidget>("FindBar");
    QTRY_VERIFY(bar->isVisible());
    auto *view = win.w.findChild<EntryView *>()->WebView();
    // The bar does not lie over the page's first line.
    const QRect barOnWindow(bar->mapTo(&win.w, QPoint(0, 0)), bar->size());
    const QRect viewOnWindow(view->mapTo(&win.w, QPoint(0, 0)), view->size());
    QVERIFY(!barOnWindow.intersects(viewOnWindow));
    // Esc in the page closes it, as Esc in its text box does.
    surface = PageSurface(win);
    surface->setFocus();
    QTest::keyClick(surface, Qt::Key_Escape);
    QVERIFY(bar->isHidden());
    QTest::keyClick(surface, Qt::Key_F, Qt::ControlModifier);
    QTRY_VERIFY(bar->isVisible());
    auto *next = win.child<QWidget>("FindNext");
    next->setFocus();
    QTest::keyClick(next, Qt::Key_Escape);
    QVERIFY(bar->isHidden());
}

void TestWindowKeys::captureLineReadableAboveTheScan() {
    Folder fx;
    ScanWindow win(fx); // the default window size
    Activate(win);
    win.startRecording();
    ClickRow(win.lbData, 1);
    auto *caption = win.child<QLabel>("captureCaption");
    QTRY_VERIFY(caption->isVisible());
    win.rightClick(QPoint(80, 90)); // the line says what was recorded and what comes next
    QVERIFY2(caption->text().size() > 20, qPrintable(caption->text()));
    // All of its text fits in it, and it leaves the scan's top in sight.
    QTRY_VERIFY2(
        caption->heightForWidth(caption->width()) <= caption->height(),
        qPrintable(QString("%1 > %2").arg(caption->heightForWidth(caption->width())).arg(caption->height())));
    const QRect captionRect(caption->mapTo(win.viewer, QPoint(0, 0)), caption->size());
    const QRect boxRect(win.box->mapTo(win.viewer, QPoint(0, 0)), win.box->size());
    QVERIFY(!captionRect.intersects(boxRect));
    QCOMPARE(caption->toolTip(), caption->text());
}

void TestWindowKeys::searchTabKeyboard() {
    Folder fx;
    ScanWindow win(fx);
    Activate(win);
    auto *query = win.child<QLineEdit>("edSearch");
    auto *results = win.child<OwnerDrawList>("lbSearch");
    win.lbData->setFocus();
    QTest::keyClick(win.lbData, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(win.tabs->currentIndex(), 1);
    QVERIFY(query->hasFocus());
    query->insert("乙"); // typed: the test keyboard has no Chinese
    QTRY_COMPARE(results->model()->rowCount(), 1);
    QTest::keyClick(query, Qt::Key_Down);
    QVERIFY(results->hasFocus());
    QCOMPARE(results->ItemIndex(), 0);

    // With every notebook box off the list says so; a long query loses its middle, not its ends.
    for (const char *name : {"cbKSearch", "cbMSearch", "cbNSearch", "cbOSearch"})
        if (auto *box = win.child<QCheckBox>(name); box && box->isChecked())
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    QVERIFY2(results->EmptyText().contains("未選擇"), qPrintable(results->EmptyText()));
    for (const char *name : {"cbKSearch", "cbMSearch", "cbNSearch", "cbOSearch"})
        if (auto *box = win.child<QCheckBox>(name))
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    query->setText(QString(200, QChar('x')));
    QVERIFY(results->EmptyText().startsWith("找不到"));
    const QImage shot = results->viewport()->grab().toImage();
    int greyAtEdges = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x : {0, 1, 2, shot.width() - 1, shot.width() - 2, shot.width() - 3}) {
            const QColor c = shot.pixelColor(x, y);
            greyAtEdges += c.red() == c.green() && c.green() == c.blue() && c.red() < 0xE0;
        }
    QCOMPARE(greyAtEdges, 0);
}

// Each tab turned to from the keyboard puts it in the tab's own control: the scans' and the volumes'
// name filters (Down goes on into the list, choosing nothing), and back round to the entries list.
void TestWindowKeys::everyTabTakesTheKeyboard() {
    Folder fx;
    ScanWindow win(fx);
    Activate(win);
    win.lbData->setFocus();
    QTest::keyClick(win.lbData, Qt::Key_Tab, Qt::ControlModifier);
    QVERIFY(win.child<QLineEdit>("edSearch")->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    auto *scanFilter = win.child<QLineEdit>("edImg");
    auto *scanList = win.child<OwnerDrawList>("lbImg");
    QVERIFY(scanFilter->hasFocus());
    QTest::keyClicks(scanFilter, "K2");
    QCOMPARE(scanList->model()->rowCount(), 1);
    const QString shown = win.viewer->CurrentPath();
    QTest::keyClick(scanFilter, Qt::Key_Down);
    QVERIFY(scanList->hasFocus());
    QCOMPARE(win.viewer->CurrentPath(), shown);
    QTest::keyClick(scanList, Qt::Key_Tab, Qt::ControlModifier);
    QVERIFY(win.child<QLineEdit>("edPDF")->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    QVERIFY(win.child<OwnerDrawList>("lbBookmarks")->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(win.tabs->currentIndex(), 0);
    QVERIFY(win.lbData->hasFocus());
}

void TestWindowKeys::backAndForwardMoveTheEntriesList() {
    Folder fx;
    ScanWindow win(fx);
    Activate(win);
    ClickRow(win.lbData, 1);
    win.showTab(1);
    auto *query = win.child<QLineEdit>("edSearch");
    query->insert("丁");
    auto *results = win.child<OwnerDrawList>("lbSearch");
    QTRY_COMPARE(results->model()->rowCount(), 1);
    ClickRow(results, 0); // 三, opened from the search
    QTest::keyClick(query, Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(win.lbData->ItemIndex(), 1);
    QTest::keyClick(query, Qt::Key_Right, Qt::AltModifier);
    QCOMPARE(win.lbData->ItemIndex(), 5); // it is in the entries list too
}

void TestWindowKeys::narrowWindowKeepsThePanes() {
    Folder fx;
    ScanWindow win(fx);
    Activate(win);
    auto *splitter = win.child<QSplitter>("MainSplitter");
    auto *page = win.w.findChild<EntryView *>();
    win.w.resize(300, 200);
    QTest::qWait(100);
    QVERIFY2(win.w.width() >= 400 && win.w.height() >= 300,
             qPrintable(QString("%1x%2").arg(win.w.width()).arg(win.w.height())));
    splitter->setSizes({200, 0, 5000}); // the scan asks for all the width
    QVERIFY2(page->width() >= 120, qPrintable(QString::number(page->width())));
    QVERIFY(win.viewer->width() >= 90);
}

void TestWindowKeys::cutHeadwordShowsItsTooltip() {
    Folder fx;
    ScanWindow win(fx);
    Activate(win);
    const QRect longRow = win.lbData->visualRect(win.lbData->model()->index(4, 0));
    const QRect shortRow = win.lbData->visualRect(win.lbData->model()->index(1, 0));
    const auto tipAt = [&](QPoint at) {
        QToolTip::hideText();
        QHelpEvent help(QEvent::ToolTip, at, win.lbData->viewport()->mapToGlobal(at));
        QApplication::sendEvent(win.lbData->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QVERIFY(tipAt(shortRow.center()).isEmpty());
    QVERIFY(tipAt(longRow.center()).contains("人不知而不慍不亦君子乎"));
}

void TestWindowKeys::enterRestoresTheJournal() {
    Folder fx;
    {
        ScanWindow win(fx);
        Activate(win);
        win.startRecording();
        ClickRow(win.lbData, 5);
        win.rightClick(QPoint(60, 70));
    } // gone without a save: the journal stays
    // The real question this time, answered with Enter.
    SetQuestionAnswerForTesting(nullptr);
    QTimer::singleShot(300, [] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *box = qobject_cast<QDialog *>(w); box && box->isVisible())
                QTest::keyClick(box, Qt::Key_Return);
    });
    ScanWindow win(fx);
    Activate(win);
    dialogs.Install();
    QVERIFY(win.capture->IsChanged(0));
    QVERIFY(win.capture->Notebooks().entry({0, 5}).x > 0);
}

// The results open by key as the entries list does: Down from the query box opens the result it lands
// on (also the only one), Enter opens the selected one; F3 and Shift+F3 step through them from
// anywhere in the window, going round at the ends, with the place shown ("2/3"); in the page with its
// find bar open they find in the page instead.
void TestWindowKeys::resultsOpenByKey() {
    SearchFolder fx;
    ScanWindow win(fx);
    Activate(win);
    auto *query = win.child<QLineEdit>("edSearch");
    auto *results = win.child<OwnerDrawList>("lbSearch");
    auto *place = win.child<QLabel>("searchResultPosition");
    win.lbData->setFocus();
    QTest::keyClick(win.lbData, Qt::Key_Tab, Qt::ControlModifier);
    QVERIFY(query->hasFocus());
    auto *fold = win.child<QCheckBox>("cbFold");
    QTest::mouseClick(fold, Qt::LeftButton, {}, QPoint(5, fold->height() / 2));
    QVERIFY(fold->isChecked());
    query->setFocus();
    query->insert("为人君"); // typed: the test keyboard has no Chinese
    QTRY_COMPARE(results->model()->rowCount(), 1);
    QTest::keyClick(query, Qt::Key_Down);
    QVERIFY(results->hasFocus());
    QCOMPARE(results->ItemIndex(), 0);
    QVERIFY2(Framed(win, "爲人君"), qPrintable(PageShown(win)));
    QCOMPARE(place->text(), QString("1/1"));
    // Enter opens the selected result again.
    win.w.findChild<EntryView *>()->ShowBlank();
    QVERIFY(PageShown(win).isEmpty());
    QTest::keyClick(results, Qt::Key_Return);
    QVERIFY2(Framed(win, "爲人君"), qPrintable(PageShown(win)));

    // 学 folded: 二, 三, 四. F3 from the entries list, the scan, the page, the query box.
    query->setText("学");
    QTRY_COMPARE(results->model()->rowCount(), 3);
    QCOMPARE(place->text(), QString());
    win.showTab(0);
    win.lbData->setFocus();
    QTest::keyClick(win.lbData, Qt::Key_F3);
    QCOMPARE(place->text(), QString("1/3"));
    QVERIFY2(Framed(win, "學") && PageShown(win).contains("時習"), qPrintable(PageShown(win)));
    win.key(Qt::Key_F3);
    QCOMPARE(place->text(), QString("2/3"));
    QVERIFY(PageShown(win).contains("所習"));
    QWidget *surface = PageSurface(win);
    surface->setFocus();
    QTest::keyClick(surface, Qt::Key_F3);
    QCOMPARE(place->text(), QString("3/3"));
    QTest::keyClick(PageSurface(win), Qt::Key_F3); // round to the first
    QCOMPARE(place->text(), QString("1/3"));
    QTest::keyClick(PageSurface(win), Qt::Key_F3, Qt::ShiftModifier); // and back to the last
    QCOMPARE(place->text(), QString("3/3"));
    QVERIFY(PageShown(win).contains("好<"));
    win.showTab(1);
    query->setFocus();
    QTest::keyClick(query, Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(place->text(), QString("2/3"));
    QCOMPARE(query->text(), QString("学"));

    // The find bar open in the page: F3 there finds in the page, the results stay.
    QTRY_VERIFY_WITH_TIMEOUT(
        Evaluate(win.w.findChild<EntryView *>()->WebView(), "document.body.innerText").contains("所習"),
        10000);
    surface = PageSurface(win);
    surface->setFocus();
    QTest::keyClick(surface, Qt::Key_F, Qt::ControlModifier);
    auto *findText = win.child<QLineEdit>("FindText");
    QTRY_VERIFY(findText->hasFocus());
    findText->insert("者");
    QTest::keyClick(findText, Qt::Key_F3);
    QCOMPARE(place->text(), QString("2/3"));
    QTRY_COMPARE_WITH_TIMEOUT(win.child<QLabel>("FindCount")->text(), QString("1/1"), 10000);
}

// The page opened from a result keeps its frames on the query as it changes: 学 framed, then 为 (no
// hit) leaves no frame, then 者 frames 者. A page opened from the entries list gets none.
void TestWindowKeys::pageFramesFollowTheQuery() {
    SearchFolder fx;
    ScanWindow win(fx);
    Activate(win);
    win.showTab(1);
    auto *query = win.child<QLineEdit>("edSearch");
    query->setFocus();
    query->insert("学");
    QTRY_COMPARE(win.child<OwnerDrawList>("lbSearch")->model()->rowCount(), 1);
    ClickRow(win.child<OwnerDrawList>("lbSearch"), 0);
    QVERIFY2(Framed(win, "学"), qPrintable(PageShown(win)));
    query->setText("为");
    QVERIFY2(!PageShown(win).contains("class='search'"), qPrintable(PageShown(win)));
    QVERIFY(PageShown(win).contains("学者所習")); // the same entry, unmarked
    query->setText("者");
    QVERIFY2(Framed(win, "者"), qPrintable(PageShown(win)));
    win.showTab(0);
    ClickRow(win.lbData, 5); // 四, from the entries list
    QTRY_VERIFY(PageShown(win).contains("好學"));
    query->setText("好");
    QVERIFY(!PageShown(win).contains("class='search'"));
}

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    TestWindowKeys test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_windowkeys.moc"
