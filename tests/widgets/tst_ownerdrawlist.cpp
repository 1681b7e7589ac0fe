// The painted list's own geometry: rows of different heights stacked top to bottom, finding the row
// under a point, keyboard moves by row and by page, scrolling a row into view, what a click on
// empty space does, and the text an empty list shows.
#include "widgets/OwnerDrawList.h"

#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStringListModel>
#include <QVBoxLayout>
#include <QtTest>

namespace {

constexpr int kLine = 20;

// 60 rows; every fifth row is three lines tall, the rest one line.
int LinesOf(int row) {
    return row % 5 == 4 ? 3 : 1;
}

// Rows answer their colour and height through the roles the painted lists ask for.
class StripedRows : public QStringListModel, public RowLineCounts {
public:
    int RowLineCount(int row) const override { return LinesOf(row); }
    QVariant data(const QModelIndex &index, int role) const override {
        if (role == Qt::BackgroundRole) return QColor(index.row() % 2 ? 0xFF0000 : 0x00FF00);
        if (role == RowLineCountRole) return LinesOf(index.row());
        return QStringListModel::data(index, role);
    }
};

struct ListUnderTest {
    StripedRows model;
    OwnerDrawList list;
    // Shown as a window of its own, or placed into a layout of another window.
    explicit ListUnderTest(QLayout *into = nullptr) {
        QStringList rows;
        for (int r = 0; r < 60; ++r)
            rows << QStringLiteral("row %1").arg(r);
        model.setStringList(rows);
        list.itemHeight = kLine;
        list.setModel(&model);
        list.setItemDelegate(new RowDelegate(&list));
        list.resize(200, 10 * kLine + 2 * list.frameWidth()); // ten lines of viewport
        if (into)
            into->addWidget(&list);
        else
            list.show();
    }
    int Top(int row) const {
        int y = 0;
        for (int r = 0; r < row; ++r)
            y += kLine * LinesOf(r);
        return y;
    }
};

} // namespace

class TestOwnerDrawList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rowsStackWithTheirHeights();
    void keyMoves_data();
    void keyMoves();
    void scrollingKeepsGeometryAndPaint();
    void clickBelowTheRows();
    void firstMoveInAnUnselectedList_data();
    void firstMoveInAnUnselectedList();
    void emptyTextOnlyWithoutRows();
};

void TestOwnerDrawList::rowsStackWithTheirHeights() {
    ListUnderTest t;
    QVERIFY(QTest::qWaitForWindowExposed(&t.list));
    for (int row : {0, 3, 4, 5, 9, 10}) {
        const QRect r = t.list.visualRect(t.model.index(row, 0));
        QCOMPARE(r.top(), t.Top(row));
        QCOMPARE(r.height(), kLine * LinesOf(row));
        QCOMPARE(r.width(), t.list.viewport()->width());
    }
    // Every line of a tall row belongs to it.
    const int tall = t.Top(4);
    for (int y : {tall, tall + kLine + 5, tall + 3 * kLine - 1})
        QCOMPARE(t.list.indexAt(QPoint(10, y)).row(), 4);
    QCOMPARE(t.list.indexAt(QPoint(10, tall + 3 * kLine)).row(), 5);
    // The scroll range covers every row and no more.
    QCOMPARE(t.list.verticalScrollBar()->maximum(), t.Top(60) - t.list.viewport()->height());
    // A model change lays the rows out again before any answer about them.
    t.model.removeRows(0, 2);
    QVERIFY(t.list.visualRect(t.model.index(57, 0)).isValid());
    QCOMPARE(t.list.verticalScrollBar()->maximum(), t.Top(58) - t.list.viewport()->height());
}

void TestOwnerDrawList::keyMoves_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("to");
    QTest::newRow("down") << 3 << int(Qt::Key_Down) << 4;
    QTest::newRow("up") << 5 << int(Qt::Key_Up) << 4;
    QTest::newRow("up at the top") << 0 << int(Qt::Key_Up) << 0;
    QTest::newRow("down at the bottom") << 59 << int(Qt::Key_Down) << 59;
    QTest::newRow("home") << 30 << int(Qt::Key_Home) << 0;
    QTest::newRow("end") << 30 << int(Qt::Key_End) << 59;
    // A page is the viewport less one line: from row 0 (top 0) to the row at y = 180, row 7.
    QTest::newRow("page down") << 0 << int(Qt::Key_PageDown) << 7;
    QTest::newRow("page up") << 7 << int(Qt::Key_PageUp) << 0;
    QTest::newRow("page down at the end") << 57 << int(Qt::Key_PageDown) << 59;
    QTest::newRow("page up near the top") << 1 << int(Qt::Key_PageUp) << 0;
}

void TestOwnerDrawList::keyMoves() {
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, to);
    ListUnderTest t;
    QVERIFY(QTest::qWaitForWindowExposed(&t.list));
    t.list.SetItemIndex(from);
    QSignalSpy clicks(&t.list, &OwnerDrawList::Click);
    QTest::keyClick(&t.list, Qt::Key(key));
    QCOMPARE(t.list.ItemIndex(), to);
    QCOMPARE(clicks.size(), from == to ? 0 : 1);
    // The row moved to is in view.
    QVERIFY(t.list.viewport()->rect().contains(t.list.visualRect(t.model.index(to, 0))));
}

void TestOwnerDrawList::scrollingKeepsGeometryAndPaint() {
    ListUnderTest t;
    QVERIFY(QTest::qWaitForWindowExposed(&t.list));
    t.list.SetItemIndex(44); // a tall row far below the viewport
    const QRect r = t.list.visualRect(t.model.index(44, 0));
    QVERIFY(t.list.viewport()->rect().contains(r));
    QCOMPARE(r.top() + t.list.verticalScrollBar()->value(), t.Top(44));
    QCOMPARE(t.list.indexAt(r.center()).row(), 44);
    // What reaches the screen follows the scroll: the selected row and its unselected neighbour, read
    // back from the display rather than painted again for the test.
    const QRect above = t.list.visualRect(t.model.index(43, 0));
    const auto onScreen = [&t](const QPoint &inViewport) {
        const QPoint p = t.list.viewport()->mapTo(&t.list, inViewport);
        return t.list.screen()->grabWindow(t.list.winId(), p.x(), p.y(), 1, 1).toImage().pixelColor(0, 0);
    };
    QTRY_COMPARE(onScreen(r.center()), QColor(0, 0, 128));
    QTRY_COMPARE(onScreen(above.center()), QColor(0xFF0000));
    // Scrolling by the scroll bar moves what is on screen as well.
    t.list.verticalScrollBar()->setValue(t.list.verticalScrollBar()->value() - kLine);
    QTRY_COMPARE(onScreen(r.center() + QPoint(0, kLine)), QColor(0, 0, 128));
}

void TestOwnerDrawList::clickBelowTheRows() {
    ListUnderTest t;
    t.model.setStringList({"a", "b"});
    QVERIFY(QTest::qWaitForWindowExposed(&t.list));
    t.list.SetItemIndex(1);
    QSignalSpy clicks(&t.list, &OwnerDrawList::Click);
    QTest::mouseClick(t.list.viewport(), Qt::LeftButton, {}, QPoint(10, 9 * kLine));
    QCOMPARE(clicks.size(), 0);
    QTest::mouseClick(t.list.viewport(), Qt::LeftButton, {}, QPoint(10, kLine / 2));
    QCOMPARE(t.list.ItemIndex(), 0);
    QCOMPARE(clicks.size(), 1);
}

// Focus (Tab) or an earlier selection leaves a current row that is not selected: the first move from
// such a list selects row 0, as it does in a list that never had a current row.
void TestOwnerDrawList::firstMoveInAnUnselectedList_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("clearedRow"); // selected then cleared by the program; -1 for none
    QTest::newRow("Tab in, Down") << int(Qt::Key_Down) << -1;
    QTest::newRow("Tab in, Up") << int(Qt::Key_Up) << -1;
    QTest::newRow("Tab in, Page Down") << int(Qt::Key_PageDown) << -1;
    QTest::newRow("selection cleared, Down") << int(Qt::Key_Down) << 5;
}

void TestOwnerDrawList::firstMoveInAnUnselectedList() {
    QFETCH(int, key);
    QFETCH(int, clearedRow);
    QWidget host;
    auto *layout = new QVBoxLayout(&host);
    auto *edit = new QLineEdit(&host);
    layout->addWidget(edit);
    ListUnderTest t(layout);
    host.show();
    host.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&host));
    if (clearedRow >= 0) {
        t.list.SetItemIndex(clearedRow);
        t.list.SetItemIndex(-1);
    }
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Tab);
    QVERIFY(t.list.hasFocus());
    QCOMPARE(t.list.ItemIndex(), -1);
    QSignalSpy clicks(&t.list, &OwnerDrawList::Click);
    QTest::keyClick(&t.list, Qt::Key(key));
    QCOMPARE(t.list.ItemIndex(), 0);
    QCOMPARE(clicks.size(), 1);
    QTest::keyClick(&t.list, Qt::Key_Down);
    QCOMPARE(t.list.ItemIndex(), 1);
}

namespace {
// Grey pixels painted on the list's paper (the rows' black text is not grey).
int GreyPixels(OwnerDrawList &list) {
    const QImage image = list.viewport()->grab().toImage();
    int grey = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            grey += c.red() == c.green() && c.green() == c.blue() && c.red() > 0x20 && c.red() < 0xE0;
        }
    return grey;
}
} // namespace

void TestOwnerDrawList::emptyTextOnlyWithoutRows() {
    ListUnderTest t;
    QVERIFY(QTest::qWaitForWindowExposed(&t.list));
    t.list.SetEmptyText(QStringLiteral("Nothing found"));
    QCOMPARE(GreyPixels(t.list), 0); // rows are painted, not the text
    t.model.setStringList({});
    QVERIFY(GreyPixels(t.list) > 20);
    t.list.SetEmptyText(QString());
    QCOMPARE(GreyPixels(t.list), 0);
}

QTEST_MAIN(TestOwnerDrawList)
#include "tst_ownerdrawlist.moc"
