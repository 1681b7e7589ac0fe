// Capture by proposals in the real window under a window manager, with real keys: the demo's notes
// with every stored position taken out (the demo's positions are the truth the proposals are measured
// against), recording on, the scan holding the focus. Enter alone places entry after entry where the
// demo placed it; Tab and Shift+Tab go through the candidates and Enter takes the one shown; "A" and
// Ctrl+Enter place a whole scan; the keys stay with the lists and text boxes while they have the focus.
#include "corpus/NotebookStore.h"
#include "shell/CaptureProposals.h"
#include "support/ErrorCheckedTest.h"
#include "support/ScanWindow.h"
#include "tools/DemoLibrary.h"
#include "widgets/NoteList.h"

#include <QHash>
#include <QtTest>

#include <cmath>

namespace {

// The demo's first K pages with their scans, the notes of all four notebooks without positions, and
// the demo's own positions kept aside by scan and headword.
struct StrippedDemo : ReaderFixture {
    explicit StrippedDemo(int pages) {
        QList<demo::DemoBook> books = demo::BuildBooks();
        const demo::DemoBook &k = books[0];
        for (int i = 0; i < pages && i < k.pages.size(); ++i) {
            const demo::DemoPage &page = k.pages[i];
            write(QStringLiteral("Image/K/%1.jpg").arg(page.name),
                  demo::EncodeJpeg(demo::DrawScan(page, k.title), 80));
            for (const demo::DemoEntry &e : page.entries)
                if (e.x >= 0)
                    truth.insert(Key(page.name, e.headword.join(QStringLiteral("<br>"))), QPoint(e.x, e.y));
        }
        QList<QByteArray> notes;
        for (demo::DemoBook &b : books) {
            for (demo::DemoPage &p : b.pages)
                for (demo::DemoEntry &e : p.entries)
                    e.x = e.y = -1;
            notes << demo::NotesFileBytes(b);
        }
        writeNotes(notes[0], notes[1], notes[2], notes[3]);
        QVERIFY2(!read("velmora200_k.xml").contains("座標"), "positions left in the notes");
    }
    static QString Key(const QString &page, const QString &title) { return page + QLatin1Char('|') + title; }
    // The demo's position of an entry, null when the demo placed it nowhere.
    QPoint Truth(const NoteEntry &e) const {
        const QString page = e.pageImage.section(QLatin1Char('\\'), -1).section(QLatin1Char('.'), 0, 0);
        return truth.value(Key(page, e.title));
    }
    QHash<QString, QPoint> truth;
};

struct ProposalWindow : ScanWindow {
    using ScanWindow::ScanWindow;
    const NotebookStore &store() const { return *w.findChild<NotebookStore *>(); }
    CaptureProposals *proposals() const { return w.findChild<CaptureProposals *>(); }
    NoteRef target() const {
        for (NoteList *l : w.findChildren<NoteList *>())
            if (l->View() == lbData) return l->Selected();
        return {};
    }
    // Recording on, the first entry of K shown, and the scan given the focus as a click on it would.
    void startOnFirstEntry() {
        startRecording();
        ClickRow(lbData, 1);
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
    }
    // The proposals of the target, once the worker has answered.
    bool waitForProposal() {
        const NoteRef t = target();
        return QTest::qWaitFor(
            [&] {
                const ProposalRings &r = viewer->Proposals();
                return !r.IsEmpty() && r.Rings()[size_t(r.Current())].ref == t;
            },
            10000);
    }
    void press(Qt::Key key, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(box, key, mods); }
};

double Distance(QPoint a, QPoint b) {
    return std::hypot(double(a.x() - b.x()), double(a.y() - b.y()));
}

} // namespace

class TestProposals : public ErrorCheckedTest {
    Q_OBJECT
private Q_SLOTS:

    // Twenty entries the demo placed, each placed by Enter alone within 45 px of the demo's position;
    // a page header on the way is stepped over by Enter too, as a right click steps over it.
    void enterAlonePlacesTwentyEntries() {
        StrippedDemo fx(9);
        ProposalWindow win(fx);
        win.startOnFirstEntry();
        int placed = 0;
        NoteRef last;
        QStringList far;
        for (int presses = 0; placed < 20 && presses < 40; ++presses) {
            const NoteRef t = win.target();
            QVERIFY(t.isValid());
            const NoteEntry before = win.store().Entry(t);
            if (before.isPage) {
                win.press(Qt::Key_Return);
                QTRY_VERIFY(win.target() != t);
                continue;
            }
            QVERIFY2(win.waitForProposal(), qPrintable(before.title));
            win.press(Qt::Key_Return);
            QTRY_VERIFY(win.store().Entry(t).HasPosition());
            QVERIFY(win.target() != t); // the list stepped on, as after a right click
            last = t;
            const NoteEntry &e = win.store().Entry(t);
            const QPoint truth = fx.Truth(e);
            if (truth.isNull()) continue; // the demo left it unplaced: nothing to measure against
            ++placed;
            if (Distance(QPoint(e.x, e.y), truth) > 45)
                far << QStringLiteral("%1 at %2,%3, the demo's %4,%5")
                           .arg(e.title)
                           .arg(e.x)
                           .arg(e.y)
                           .arg(truth.x())
                           .arg(truth.y());
        }
        QCOMPARE(placed, 20);
        QVERIFY2(far.isEmpty(), qPrintable(far.join(QLatin1Char('\n'))));
        // Each Enter went through the capture: Ctrl+Z takes the last one back.
        win.press(Qt::Key_Z, Qt::ControlModifier);
        QTRY_VERIFY(!win.store().Entry(last).HasPosition());
    }

    // Tab shows another candidate and Enter records that one; Shift+Tab comes back; Tab past the last
    // goes on to the next control, as the keyboard walk does.
    void tabGoesThroughTheCandidates() {
        StrippedDemo fx(1);
        ProposalWindow win(fx);
        win.startOnFirstEntry();
        const NoteRef t = win.target();
        QVERIFY(win.waitForProposal());
        const std::vector<ProposalRing> rings = win.viewer->Proposals().Rings();
        QVERIFY(rings.size() >= 2);
        win.press(Qt::Key_Tab);
        QCOMPARE(win.viewer->Proposals().Current(), 1);
        QVERIFY(win.box->hasFocus());
        win.press(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(win.viewer->Proposals().Current(), 0);
        win.press(Qt::Key_Tab);
        win.press(Qt::Key_Return);
        QTRY_VERIFY(win.store().Entry(t).HasPosition());
        QCOMPARE(QPoint(win.store().Entry(t).x, win.store().Entry(t).y), rings[1].pos);

        QVERIFY(win.waitForProposal());
        for (size_t i = 1; i < win.viewer->Proposals().Rings().size(); ++i)
            win.press(Qt::Key_Tab);
        QVERIFY(win.box->hasFocus());
        win.press(Qt::Key_Tab);
        QTRY_VERIFY(!win.box->hasFocus());
    }

    // "A" proposes every unplaced entry of the scan as numbered rings; Ctrl+Enter records them all.
    void aWholeScanAtOnce() {
        StrippedDemo fx(1);
        ProposalWindow win(fx);
        win.startOnFirstEntry();
        QVERIFY(win.waitForProposal());
        win.press(Qt::Key_A);
        QTRY_VERIFY(win.proposals()->IsShowingAll() && win.viewer->Proposals().Rings().size() >= 3 &&
                    win.viewer->Proposals().Rings().front().number == 1);
        const std::vector<ProposalRing> rings = win.viewer->Proposals().Rings();
        win.press(Qt::Key_Return, Qt::ControlModifier);
        for (const ProposalRing &r : rings) {
            const NoteEntry &e = win.store().Entry(r.ref);
            QCOMPARE(QPoint(e.x, e.y), r.pos);
            const QPoint truth = fx.Truth(e);
            if (!truth.isNull()) QVERIFY2(Distance(r.pos, truth) <= 45, qPrintable(e.title));
        }
        QVERIFY(!win.proposals()->IsShowingAll());
    }

    // While the entries list has the focus, Enter and Tab are the list's: nothing is recorded.
    void listsKeepTheirKeys() {
        StrippedDemo fx(1);
        ProposalWindow win(fx);
        win.startOnFirstEntry();
        const NoteRef t = win.target();
        QVERIFY(win.waitForProposal());
        win.lbData->setFocus();
        QTRY_VERIFY(win.lbData->hasFocus());
        QTest::keyClick(win.lbData, Qt::Key_Return);
        QTest::keyClick(win.lbData, Qt::Key_Space);
        QTest::qWait(100);
        QVERIFY(!win.store().Entry(t).HasPosition());
        QTest::keyClick(win.lbData, Qt::Key_Tab);
        QTRY_VERIFY(!win.lbData->hasFocus());
        QVERIFY(!win.store().Entry(t).HasPosition());
    }
};

QTEST_MAIN(TestProposals)
#include "tst_proposals.moc"
