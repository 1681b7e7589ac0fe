// The window's place and size under a window manager that draws frames (run by with-openbox.sh): steady
// over restarts, where it was closed, maximised or not. Registered at screen scales 1, 1.5 and 2; the
// places fit the 800 x 500 logical pixels of the test screen at scale 2.
#include "shell/IniFile.h"
#include "shell/MainWindow.h"
#include "support/ErrorCheckedTest.h"
#include "support/ReaderFixture.h"

#include <QScreen>
#include <QtTest>

namespace {

struct Folder : ReaderFixture {
    Folder() {
        writeScan("Image/K/K1.jpg", 60, 40);
        writeNotes("<page>K1</page>\n<條目>一</條目>\n<內容>a</內容>\n");
    }
    IniFile ini() const { return IniFile(path("velmoranote.ini")); }
    QRect storedOuter() const {
        const IniFile f = ini();
        return QRect(f.ReadInteger("System", "Left", -1), f.ReadInteger("System", "Top", -1),
                     f.ReadInteger("System", "Width", -1), f.ReadInteger("System", "Height", -1));
    }
    void store(const QRect &outer, bool maximised) const {
        IniFile f = ini();
        f.WriteInteger("System", "Left", outer.left());
        f.WriteInteger("System", "Top", outer.top());
        f.WriteInteger("System", "Width", outer.width());
        f.WriteInteger("System", "Height", outer.height());
        f.WriteBool("System", "InitMax", maximised);
        f.UpdateFile();
    }
};

// Waits until the window manager has framed the window and the reader has settled its size.
bool Framed(MainWindow &w) {
    if (!QTest::qWaitForWindowExposed(&w)) return false;
    if (!QTest::qWaitFor([&] { return w.frameGeometry() != w.geometry(); }, 15000)) return false;
    QTest::qWait(400);
    return true;
}

} // namespace

class TestWindowPlace : public ErrorCheckedTest {
    Q_OBJECT
private Q_SLOTS:

    // Five starts and closes in place: the stored rectangle does not move or grow, and the window
    // stands where it was stored, frame included.
    void steadyOverRestarts() {
        Folder fx;
        const QRect first(100, 80, 581, 359);
        fx.store(first, false);
        for (int run = 0; run < 5; ++run) {
            MainWindow w(fx.programPath());
            w.ShowAsStored();
            QVERIFY2(Framed(w), "no window frame: run this test under a window manager (with-openbox.sh)");
            QCOMPARE(w.frameGeometry(), first);
            QVERIFY(w.close());
            QCOMPARE(fx.storedOuter(), first);
        }
    }

    // Moved and resized by the user, then closed: opens there again.
    void opensWhereItWasClosed() {
        Folder fx;
        fx.store(QRect(50, 40, 500, 340), false);
        QRect closedAt;
        {
            MainWindow w(fx.programPath());
            w.ShowAsStored();
            QVERIFY(Framed(w));
            w.move(220, 110);
            w.resize(520, 330);
            QTRY_COMPARE(w.geometry().size(), QSize(520, 330));
            QTest::qWait(200);
            closedAt = w.frameGeometry();
            QVERIFY(w.close());
        }
        MainWindow w(fx.programPath());
        w.ShowAsStored();
        QVERIFY(Framed(w));
        // At a fractional scale the frame is a fraction of a logical pixel: a pixel either way is the
        // rounding of the device pixels, not a drift.
        const int slack = qFuzzyCompare(w.devicePixelRatio(), qRound(w.devicePixelRatio())) ? 0 : 1;
        const auto near = [slack](const QRect &a, const QRect &b) {
            return qAbs(a.left() - b.left()) <= slack && qAbs(a.top() - b.top()) <= slack &&
                   qAbs(a.width() - b.width()) <= slack && qAbs(a.height() - b.height()) <= slack;
        };
        QVERIFY2(near(w.frameGeometry(), closedAt), qPrintable(QString("%1,%2 %3x%4")
                                                                   .arg(w.frameGeometry().x())
                                                                   .arg(w.frameGeometry().y())
                                                                   .arg(w.frameGeometry().width())
                                                                   .arg(w.frameGeometry().height())));
        QVERIFY(near(QRect(QPoint(), w.geometry().size()), QRect(0, 0, 520, 330)));
    }

    // Closed maximised: opens maximised, and keeps the place it had before for when it is restored.
    void maximisedKeepsItsNormalPlace() {
        Folder fx;
        const QRect normal(120, 90, 540, 360);
        fx.store(normal, true);
        for (int run = 0; run < 2; ++run) {
            MainWindow w(fx.programPath());
            w.ShowAsStored();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QTRY_VERIFY(w.isMaximized());
            QTest::qWait(400);
            QVERIFY(w.close());
            QCOMPARE(fx.storedOuter(), normal);
            QVERIFY(fx.ini().ReadBool("System", "InitMax", false));
        }
        MainWindow w(fx.programPath());
        w.ShowAsStored();
        QTRY_VERIFY(w.isMaximized());
        w.showNormal();
        QTRY_VERIFY(!w.isMaximized());
        QTRY_COMPARE(w.frameGeometry(), normal);
    }
};

QTEST_MAIN(TestWindowPlace)
#include "tst_windowplace.moc"
