// The search tab in the window: rows as the search finds them, their colours and heights, and
// opening a result with the search text framed.
#include "shell/ErrorDisplay.h"
#include "shell/Main.h"
#include "shell/OwnerDrawList.h"
#include "support/ReaderFixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QtTest>

namespace {

const QByteArray kK = "<page>K1</page>\n"
                      "<條目>甲乙</條目>\n<內容>無</內容>\n"
                      "<條目>二行\n甲乙</條目>\n"
                      "<條目>丙</條目>\n<出處>甲<b>乙</b></出處>\n";
const QByteArray kM = "<page>M1</page>\n<條目>丁</條目>\n<內容>甲乙</內容>\n";

QColor PixelOfRow(OwnerDrawList *list, int row) {
    const QRect r = list->visualRect(list->model()->index(row, 0));
    return list->viewport()->grab().toImage().pixelColor(r.right() - 3, r.top() + 3);
}

} // namespace

class TestSearchList : public QObject {
    Q_OBJECT
    QStringList errors;
private Q_SLOTS:
    void init() {
        errors.clear();
        SetErrorDisplayForTesting([this](const QString &m) { errors << m; });
    }
    void cleanup() { QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n'))); }
    void rowsAndPainting();
    void openingFramesTheQuery();
};

void TestSearchList::rowsAndPainting() {
    ReaderFixture fx;
    fx.writeNotes(kK, kM);
    TfmMain w(fx.programPath());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.PageControl1->setCurrentIndex(1);
    w.edSearch->setText("甲乙");
    OwnerDrawList *list = w.lbSearch;
    QCOMPARE(w.searchBooks, QList<int>({0, 0, 0, 1}));
    QCOMPARE(w.searchEntries, QList<int>({1, 2, 3, 1}));
    QCOMPARE(list->model()->data(list->model()->index(1, 0)).toString(), QString("【K】二行<br>甲乙"));
    // Colours by the row's place in the results, not in the notebook; a two-line headword is twice as high.
    QCOMPARE(PixelOfRow(list, 0), QColor(0xFFD0D0));
    QCOMPARE(PixelOfRow(list, 1), QColor(0xFFF0F0));
    QCOMPARE(PixelOfRow(list, 2), QColor(0xFFD0D0));
    QCOMPARE(PixelOfRow(list, 3), QColor(0xF0FFF0));
    QCOMPARE(list->visualRect(list->model()->index(1, 0)).height(), 2 * list->itemHeight);
    // Field boxes and notebook boxes run the search again at once.
    w.cbSource->click();
    QCOMPARE(w.searchEntries, QList<int>({1, 2, 1}));
    w.cbKSearch->click();
    QCOMPARE(w.searchBooks, QList<int>({1}));
    QCOMPARE(PixelOfRow(list, 0), QColor(0xD0FFD0));
    w.cbKSearch->click();
    w.cbSource->click();
    QCOMPARE(w.searchBooks.size(), 4);
    w.edSearch->clear();
    QCOMPARE(list->model()->rowCount(), 0);
}

void TestSearchList::openingFramesTheQuery() {
    ReaderFixture fx;
    fx.writeNotes(kK, kM);
    fx.writeScan("Image/K/K1.jpg", 300, 300);
    fx.writeScan("Image/M/M1.jpg", 300, 300);
    TfmMain w(fx.programPath());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.PageControl1->setCurrentIndex(1);
    w.edSearch->setText("甲乙");
    OwnerDrawList *list = w.lbSearch;
    const QRect r = list->visualRect(list->model()->index(0, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    QVERIFY(w.lastWrittenPage.contains("【條目】<br><span class='search'>甲乙</span><br><br>"));
    // Arrows move through the results and open them, framed too.
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->ItemIndex(), 1);
    QVERIFY(w.lastWrittenPage.contains("二行<br><span class='search'>甲乙</span>"));
    // Found only through markup removal: opened without a frame.
    QTest::keyClick(list, Qt::Key_Down);
    QVERIFY(!w.lastWrittenPage.contains("class='search'"));
    // The same entry from the entries list has no frame at all.
    w.ShowEntry(0, 1, QString());
    QVERIFY(!w.lastWrittenPage.contains("class='search'"));
}

int main(int argc, char **argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    ReaderApplication app(argc, argv);
    TestSearchList test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_searchlist.moc"
