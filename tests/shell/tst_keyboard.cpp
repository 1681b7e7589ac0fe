// The window from the keyboard alone, under a window manager (with-openbox.sh): Tab runs through the
// panes from left to right, the pane with the focus shows it (the entry page and the scan included),
// and Shift+F10 and the Menu key open the context menu of the scan and of the page.
#include "display/EntryView.h"
#include "images/PageViewer.h"
#include "shell/KeyboardAccess.h"
#include "shell/MainWindow.h"
#include "support/ErrorCheckedTest.h"
#include "support/ReaderFixture.h"
#include "widgets/OwnerDrawList.h"

#include <QApplication>
#include <QMenu>
#include <QProcess>
#include <QTabWidget>
#include <QWebEngineView>
#include <QtTest>

#include <set>

namespace {

struct Folder : ReaderFixture {
    Folder() {
        writeScan("Image/K/K1.jpg", 600, 400);
        writeNotes("<page>K1</page>\n<條目>一</條目>\n<座標 x=\"100\" y=\"80\"/>\n<內容>a</內容>\n");
    }
};

bool Inside(const QWidget *w, const QWidget *pane) {
    for (; w; w = w->parentWidget())
        if (w == pane) return true;
    return false;
}

// Tabs from the current focus until `pane` holds it; false after a whole round without it.
bool TabInto(QWidget *window, const QWidget *pane) {
    for (int i = 0; i < 80; ++i) {
        if (Inside(QApplication::focusWidget(), pane)) return true;
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window, Qt::Key_Tab);
        QTest::qWait(20);
    }
    return false;
}

} // namespace

class TestKeyboard : public ErrorCheckedTest {
    Q_OBJECT
private Q_SLOTS:

    // The ring lies around the page, then the scan, while the focus is in them, and nowhere else.
    void focusShowsOnPageAndScan() {
        Folder fx;
        MainWindow w(fx.programPath());
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto *ring = w.findChild<FocusRing *>();
        QVERIFY(ring);
        w.findChild<QWidget *>("lbData")->setFocus();
        QTRY_VERIFY(!ring->isVisible());
        for (QWidget *pane :
             std::initializer_list<QWidget *>{w.findChild<EntryView *>(), w.findChild<PageViewer *>()}) {
            QVERIFY2(TabInto(&w, pane), pane->metaObject()->className());
            QTRY_VERIFY(ring->isVisible());
            QCOMPARE(ring->Around(), pane);
            QCOMPARE(ring->geometry(), QRect(pane->mapTo(&w, QPoint(0, 0)), pane->size()));
            // Drawn: the ring's colour on the pane's edge in the window as shown.
            const QImage shown = w.grab().toImage();
            const QPoint edge = ring->geometry().topLeft() + QPoint(ring->width() / 2, 0);
            QCOMPARE(shown.pixelColor(edge * shown.devicePixelRatio()).rgb(),
                     w.palette().color(QPalette::Highlight).rgb());
        }
    }

    // Every list shows it has the keyboard with a frame of the focus colour round it, as the page and
    // the scan do (the row's own dotted focus rectangle was lost on the row colours), and only then.
    void focusShowsOnEveryList() {
        Folder fx;
        MainWindow w(fx.programPath());
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto *tabs = w.findChild<QTabWidget *>();
        const QRgb focusColour = w.palette().color(QPalette::Highlight).rgb();
        for (const char *name : {"lbData", "lbSearch", "lbImg", "lbPDF"}) {
            auto *list = w.findChild<OwnerDrawList *>(name);
            QVERIFY2(list, name);
            tabs->setCurrentIndex(tabs->indexOf(list->parentWidget()));
            // The frame's colour on all four edges of the list as the window shows it.
            const auto framed = [&] {
                const QImage shown = w.grab().toImage();
                const QRect r(list->viewport()->mapTo(&w, QPoint(0, 0)), list->viewport()->size());
                for (const QPoint p : {QPoint(r.center().x(), r.top()), QPoint(r.center().x(), r.bottom()),
                                       QPoint(r.left(), r.center().y()), QPoint(r.right(), r.center().y())})
                    if (shown.pixelColor(p * shown.devicePixelRatio()).rgb() != focusColour) return false;
                return true;
            };
            tabs->tabBar()->setFocus(Qt::TabFocusReason);
            QTRY_VERIFY(!list->hasFocus());
            QVERIFY2(!framed(), name);
            list->setFocus(Qt::TabFocusReason);
            QTRY_VERIFY(list->hasFocus());
            QTRY_VERIFY2(framed(), name);
        }
    }

    // Real Tab and Shift+Tab (through the X server, as a person presses them) run left to right, and
    // back, through the header, the lists' pane, the entry page and the scan: over two rounds the focus
    // only ever moves on to the next of these, and reaches each.
    void tabRunsLeftToRight_data() {
        QTest::addColumn<bool>("backward");
        QTest::newRow("Tab") << false;
        QTest::newRow("Shift+Tab") << true;
    }
    void tabRunsLeftToRight() {
        QFETCH(bool, backward);
        Folder fx;
        MainWindow w(fx.programPath());
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto *list = w.findChild<QWidget *>("lbData");
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        QTRY_VERIFY(!w.findChild<EntryView *>()->LastWrittenPage().isEmpty()); // an entry's page is shown
        const std::vector<const QWidget *> panes{list->parentWidget()->parentWidget(),
                                                 w.findChild<EntryView *>(), w.findChild<PageViewer *>()};
        QVERIFY(Inside(list, panes[0]) && !Inside(w.findChild<QWidget *>("btReadme"), panes[0]));
        const auto paneOf = [&](const QWidget *f) {
            for (size_t i = 0; i < panes.size(); ++i)
                if (Inside(f, panes[i])) return int(i) + 1;
            return 0; // the header
        };
        QString walk;
        int now = paneOf(QApplication::focusWidget());
        std::set<int> reached{now};
        for (int i = 0; i < 26; ++i) {
            QCOMPARE(QProcess::execute("xdotool", {"key", backward ? "shift+Tab" : "Tab"}), 0);
            QWidget *before = QApplication::focusWidget();
            QTRY_VERIFY(QApplication::focusWidget() != before);
            const int next = paneOf(QApplication::focusWidget());
            walk += QString::number(next);
            const int onward = backward ? (now + 3) % 4 : (now + 1) % 4;
            QVERIFY2(next == now || next == onward, qPrintable("panes in the order of focus: " + walk));
            now = next;
            reached.insert(now);
        }
        QCOMPARE(reached.size(), size_t(4));
    }

    // At start the keyboard is in the entries list: Down steps through the entries (the first row is
    // the page header), as a person reaching for the keys expects (it was on the manual button, where
    // Space opened the manual).
    void startsInTheEntriesList() {
        Folder fx;
        MainWindow w(fx.programPath());
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTRY_COMPARE(QApplication::focusWidget(), w.findChild<QWidget *>("lbData"));
        QCOMPARE(QProcess::execute("xdotool", {"key", "Down", "Down"}), 0);
        QTRY_VERIFY(!w.findChild<EntryView *>()->LastWrittenPage().isEmpty());
    }

    // Shift+F10 and the Menu key: the scan's zoom menu and the page's context menu.
    void contextMenuFromTheKeyboard_data() {
        QTest::addColumn<bool>("scan");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("scan, Shift+F10") << true << int(Qt::Key_F10) << int(Qt::ShiftModifier);
        QTest::newRow("scan, Menu") << true << int(Qt::Key_Menu) << int(Qt::NoModifier);
        QTest::newRow("page, Shift+F10") << false << int(Qt::Key_F10) << int(Qt::ShiftModifier);
        QTest::newRow("page, Menu") << false << int(Qt::Key_Menu) << int(Qt::NoModifier);
    }
    void contextMenuFromTheKeyboard() {
        QFETCH(bool, scan);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        Folder fx;
        MainWindow w(fx.programPath());
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QWidget *pane =
            scan ? static_cast<QWidget *>(w.findChild<PageViewer *>()) : w.findChild<EntryView *>();
        w.findChild<QWidget *>("lbData")->setFocus();
        QVERIFY(TabInto(&w, pane));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTRY_VERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
        QVERIFY(!QApplication::activePopupWidget()->actions().isEmpty());
        QApplication::activePopupWidget()->close();
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
