// The search tab in the window: rows as the search finds them, their colours and heights, opening a
// result with the search text framed, the count of results, and showing a result in the entries list.
#include "display/EntryView.h"
#include "display/SearchPane.h"
#include "shell/EntriesPane.h"
#include "shell/MainWindow.h"
#include "support/ErrorCheckedTest.h"
#include "support/ReaderFixture.h"
#include "widgets/NoteList.h"
#include "widgets/OwnerDrawList.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QtTest>

namespace {

const QByteArray kK = "<page>K1</page>\n"
                      "<條目>甲乙</條目>\n<內容>無</內容>\n"
                      "<條目>二行\n甲乙</條目>\n"
                      "<條目>丙</條目>\n<出處>甲<b>乙</b></出處>\n";
const QByteArray kM = "<page>M1</page>\n<條目>丁</條目>\n<內容>甲乙</內容>\n";

// The results as (notebook, record) pairs, in list order.
QList<QPair<int, int>> Results(const SearchPane *pane) {
    QList<QPair<int, int>> refs;
    for (int r = 0; r < pane->ResultCount(); ++r)
        refs << qMakePair(pane->Result(r).book, pane->Result(r).entry);
    return refs;
}

// Pixels of the list that are not its white paper.
int InkPixels(OwnerDrawList *list) {
    const QImage image = list->viewport()->grab().toImage();
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += image.pixelColor(x, y) != QColor(Qt::white);
    return ink;
}

// Types text into a widget a character at a time, as an input method delivers it.
void Type(QWidget *widget, const QString &text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

QColor PixelOfRow(OwnerDrawList *list, int row) {
    const QRect r = list->visualRect(list->model()->index(row, 0));
    return list->viewport()->grab().toImage().pixelColor(r.right() - 3, r.top() + 3);
}

} // namespace

class TestSearchList : public ErrorCheckedTest {
    Q_OBJECT
private Q_SLOTS:
    void rowsAndPainting();
    void openingFramesTheQuery();
    void countAndNothingFound();
    void resultShownInEntriesList();
    void foldingBoxFindsVariants();
};

void TestSearchList::rowsAndPainting() {
    ReaderFixture fx;
    fx.writeNotes(kK, kM);
    MainWindow w(fx.programPath());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.findChild<QTabWidget *>("PageControl1")->setCurrentIndex(1);
    const SearchPane *pane = w.findChild<SearchPane *>();
    w.findChild<QLineEdit *>("edSearch")->setText("甲乙");
    OwnerDrawList *list = w.findChild<OwnerDrawList *>("lbSearch");
    QCOMPARE(Results(pane), (QList<QPair<int, int>>{{0, 1}, {0, 2}, {0, 3}, {1, 1}}));
    QCOMPARE(list->model()->data(list->model()->index(1, 0)).toString(), QString("【K】二行<br>甲乙"));
    // Colours by the row's place in the results, not in the notebook; a two-line headword is twice as high.
    QCOMPARE(PixelOfRow(list, 0), QColor(0xFFD0D0));
    QCOMPARE(PixelOfRow(list, 1), QColor(0xFFF0F0));
    QCOMPARE(PixelOfRow(list, 2), QColor(0xFFD0D0));
    QCOMPARE(PixelOfRow(list, 3), QColor(0xF0FFF0));
    QCOMPARE(list->visualRect(list->model()->index(1, 0)).height(), 2 * list->itemHeight);
    // Field boxes and notebook boxes run the search again at once.
    auto *sourceBox = w.findChild<QCheckBox *>("cbSource");
    auto *kBox = w.findChild<QCheckBox *>("cbKSearch");
    sourceBox->click();
    QCOMPARE(Results(pane), (QList<QPair<int, int>>{{0, 1}, {0, 2}, {1, 1}}));
    kBox->click();
    QCOMPARE(Results(pane), (QList<QPair<int, int>>{{1, 1}}));
    QCOMPARE(PixelOfRow(list, 0), QColor(0xD0FFD0));
    kBox->click();
    sourceBox->click();
    QCOMPARE(pane->ResultCount(), 4);
    w.findChild<QLineEdit *>("edSearch")->clear();
    QCOMPARE(list->model()->rowCount(), 0);
}

void TestSearchList::openingFramesTheQuery() {
    ReaderFixture fx;
    fx.writeNotes(kK, kM);
    fx.writeScan("Image/K/K1.jpg", 300, 300);
    fx.writeScan("Image/M/M1.jpg", 300, 300);
    MainWindow w(fx.programPath());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.findChild<QTabWidget *>("PageControl1")->setCurrentIndex(1);
    w.findChild<QLineEdit *>("edSearch")->setText("甲乙");
    OwnerDrawList *list = w.findChild<OwnerDrawList *>("lbSearch");
    const EntryView *page = w.findChild<EntryView *>();
    const QRect r = list->visualRect(list->model()->index(0, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    QVERIFY(page->LastWrittenPage().contains("【條目】<br><span class='search'>甲乙</span><br><br>"));
    // Arrows move through the results and open them, framed too.
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->ItemIndex(), 1);
    QVERIFY(page->LastWrittenPage().contains("二行<br><span class='search'>甲乙</span>"));
    // Found only through markup removal: opened without a frame.
    QTest::keyClick(list, Qt::Key_Down);
    QVERIFY(!page->LastWrittenPage().contains("class='search'"));
    // The same entry from the entries list has no frame at all.
    w.findChild<QTabWidget *>("PageControl1")->setCurrentIndex(0);
    OwnerDrawList *entries = w.findChild<OwnerDrawList *>("lbData");
    QTest::mouseClick(entries->viewport(), Qt::LeftButton, {},
                      entries->visualRect(entries->model()->index(1, 0)).center());
    QVERIFY(page->LastWrittenPage().contains("甲乙"));
    QVERIFY(!page->LastWrittenPage().contains("class='search'"));
}

void TestSearchList::countAndNothingFound() {
    ReaderFixture fx;
    fx.writeNotes(kK, kM);
    MainWindow w(fx.programPath());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.findChild<QTabWidget *>("PageControl1")->setCurrentIndex(1);
    auto *query = w.findChild<QLineEdit *>("edSearch");
    auto *count = w.findChild<QLabel *>("searchResultCount");
    OwnerDrawList *list = w.findChild<OwnerDrawList *>("lbSearch");
    QVERIFY(count && count->isVisible());
    QCOMPARE(count->text(), QString());
    const int blankInk = InkPixels(list);
    query->setFocus();
    Type(query, "甲乙");
    QCOMPARE(count->text(), QString("4 條"));
    Type(query, "x");
    QCOMPARE(list->model()->rowCount(), 0);
    QCOMPARE(count->text(), QString("0 條"));
    // The list says so instead of staying blank; it holds no row for it.
    QCOMPARE(list->EmptyText(), QString("找不到「甲乙x」"));
    QVERIFY(InkPixels(list) > blankInk + 20);
    QTest::keyClick(query, Qt::Key_Backspace);
    QCOMPARE(count->text(), QString("4 條"));
    query->clear();
    QCOMPARE(count->text(), QString());
    QCOMPARE(InkPixels(list), blankInk); // no query: nothing to report
}

// Ctrl+L or the context menu of a result selects that record in the entries list and turns to it.
void TestSearchList::resultShownInEntriesList() {
    ReaderFixture fx;
    fx.writeNotes(kK, kM);
    fx.writeScan("Image/K/K1.jpg", 300, 300);
    fx.writeScan("Image/M/M1.jpg", 300, 300);
    MainWindow w(fx.programPath());
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto *tabs = w.findChild<QTabWidget *>("PageControl1");
    auto *entries = w.findChild<EntriesPane *>();
    OwnerDrawList *entriesList = w.findChild<OwnerDrawList *>("lbData");
    w.findChild<QCheckBox *>("cbKItem")->click(); // K is off: showing a K record turns it on again
    tabs->setCurrentIndex(1);
    w.findChild<QLineEdit *>("edSearch")->setText("甲乙");
    OwnerDrawList *list = w.findChild<OwnerDrawList *>("lbSearch");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(1, 0)).center());
    const QString pageBefore = w.findChild<EntryView *>()->LastWrittenPage();
    QTest::keyClick(list, Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(entries->List()->Selected(), (NoteRef{0, 2}));
    QVERIFY(w.findChild<QCheckBox *>("cbKItem")->isChecked());
    QVERIFY(entriesList->hasFocus());
    QCOMPARE(w.findChild<EntryView *>()->LastWrittenPage(), pageBefore); // selected, not opened again

    // The context menu acts on the row under the pointer.
    tabs->setCurrentIndex(1);
    const QPoint at = list->visualRect(list->model()->index(3, 0)).center();
    QTimer::singleShot(0, this, [] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        // Its first item; the window's own (a bookmark) may follow after a separator.
        QVERIFY(menu->actions().first()->text().startsWith(QString("在條目列表中顯示")));
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &menuEvent);
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(entries->List()->Selected(), (NoteRef{1, 1}));
}

// The "繁簡異體" box, clicked: the search finds the other forms, the page marks the form found, and
// the box's state comes back in the next window from the reader's settings.
void TestSearchList::foldingBoxFindsVariants() {
    ReaderFixture fx;
    fx.writeNotes("<page>K1</page>\n<條目>學而</條目>\n<內容>爲<b>學</b>日益</內容>\n"
                  "<條目>学习</條目>\n<內容>無</內容>\n",
                  "<page>M1</page>\n<條目>覺</條目>\n<內容>觉</內容>\n");
    fx.writeScan("Image/K/K1.jpg", 300, 300);
    fx.writeScan("Image/M/M1.jpg", 300, 300);
    {
        MainWindow w(fx.programPath());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.findChild<QTabWidget *>("PageControl1")->setCurrentIndex(1);
        const SearchPane *pane = w.findChild<SearchPane *>();
        auto *fold = w.findChild<QCheckBox *>("cbFold");
        QVERIFY(fold && fold->isVisible());
        QVERIFY(!fold->isChecked()); // exact until asked
        // Its caption is whole at the left pane's designed width, clear of the results below it.
        QVERIFY(fold->width() >= fold->sizeHint().width());
        const QRect foldInPane(fold->mapTo(pane, QPoint(0, 0)), fold->size());
        const QWidget *results = w.findChild<QWidget *>("lbSearch");
        QVERIFY2(pane->rect().contains(foldInPane),
                 qPrintable(QStringLiteral("box %1,%2 %3x%4 in a pane %5 wide")
                                .arg(foldInPane.x())
                                .arg(foldInPane.y())
                                .arg(foldInPane.width())
                                .arg(foldInPane.height())
                                .arg(pane->width())));
        QVERIFY(!foldInPane.intersects(QRect(results->mapTo(pane, QPoint(0, 0)), results->size())));
        auto *query = w.findChild<QLineEdit *>("edSearch");
        query->setFocus();
        Type(query, "学");
        QCOMPARE(Results(pane), (QList<QPair<int, int>>{{0, 2}}));
        QTest::mouseClick(fold, Qt::LeftButton, {}, QPoint(8, fold->height() / 2));
        QVERIFY(fold->isChecked());
        QCOMPARE(Results(pane), (QList<QPair<int, int>>{{0, 1}, {0, 2}})); // never 覺
        OwnerDrawList *list = w.findChild<OwnerDrawList *>("lbSearch");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(0, 0)).center());
        const QString page = w.findChild<EntryView *>()->LastWrittenPage();
        QVERIFY2(page.contains("<span class='search'>學</span>而"), qPrintable(page));
        QVERIFY(page.contains("<b><span class='search'>學</span></b>")); // the markup stays whole
        QTest::mouseClick(fold, Qt::LeftButton, {}, QPoint(8, fold->height() / 2));
        QCOMPARE(Results(pane), (QList<QPair<int, int>>{{0, 2}}));
        QTest::mouseClick(fold, Qt::LeftButton, {}, QPoint(8, fold->height() / 2));
        w.close();
    }
    QVERIFY(fx.read("velmoranote.ini").contains("SearchFold=1"));
    MainWindow again(fx.programPath());
    again.show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QVERIFY(again.findChild<QCheckBox *>("cbFold")->isChecked());
    QCOMPARE(Results(again.findChild<SearchPane *>()), (QList<QPair<int, int>>{{0, 1}, {0, 2}}));
}

int main(int argc, char **argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestSearchList test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_searchlist.moc"
