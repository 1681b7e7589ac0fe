// The reader's own marks and night reading in the window, with real keys (xdotool, through the X server)
// under a window manager: a star, a note and night mode outlive a restart, the note is found by the
// search, and the teacher's notes files stay byte for byte as they were.
#include "corpus/ReaderMarks.h"
#include "display/EntryView.h"
#include "display/SearchPane.h"
#include "shell/BookmarksPane.h"
#include "shell/MainWindow.h"
#include "support/ErrorCheckedTest.h"
#include "support/ReaderFixture.h"
#include "widgets/Look.h"
#include "widgets/NoteList.h"
#include "widgets/OwnerDrawList.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTabWidget>
#include <QWebEngineView>
#include <QtTest>

namespace {

const QByteArray kNotes = "<page>K1</page>\n"
                          "<條目>一</條目>\n<內容>甲文</內容>\n"
                          "<條目>二</條目>\n<內容>乙文</內容>\n"
                          "<條目>三</條目>\n<內容>丙文</內容>\n";

struct Folder : ReaderFixture {
    Folder() {
        writeScan("Image/K/K1.jpg", 600, 400);
        writeNotes(kNotes, "<page>M1</page>\n<條目>天</條目>\n");
    }
    QByteArray AllNotes() const {
        return read("velmora200_k.xml") + read("velmora200_M.xml") + read("velmora200_N.xml") +
               read("velmora200_O.xml");
    }
};

// Keys as a person presses them, to the window with the focus.
void Keys(const QStringList &keys) {
    QStringList args{"key", "--delay", "30"};
    QCOMPARE(QProcess::execute("xdotool", args + keys), 0);
}
void Type(const QString &text) {
    QCOMPARE(QProcess::execute("xdotool", {"type", "--delay", "30", text}), 0);
}

bool Starred(MainWindow &w, const char *list, int row) {
    auto *view = w.findChild<OwnerDrawList *>(list);
    return view->model()->index(row, 0).data(RowStarredRole).toBool();
}

// Records of notebook K.
std::vector<NoteRef> InK(std::initializer_list<int> entries) {
    std::vector<NoteRef> refs;
    for (int e : entries)
        refs.push_back(NoteRef{0, e});
    return refs;
}

std::vector<NoteRef> BookmarkRows(MainWindow &w) {
    return w.findChild<BookmarksPane *>()->List()->Rows()->Rows();
}

// Opens the window and waits until it has the keyboard, in the entries list.
void Open(MainWindow &w) {
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTRY_COMPARE(QApplication::focusWidget(), w.findChild<QWidget *>("lbData"));
}

} // namespace

class TestReaderMarksWindow : public ErrorCheckedTest {
    Q_OBJECT
    QTemporaryDir data_;
private Q_SLOTS:
    void initTestCase() {
        // The marks file goes to the reader's data folder: one of the test's own.
        qputenv("XDG_DATA_HOME", QFile::encodeName(data_.path()));
    }

    void starNoteAndNightOutliveARestart() {
        Folder fx;
        const QByteArray notes = fx.AllNotes();
        {
            MainWindow w(fx.programPath());
            Open(w);
            Keys({"Down", "Down"}); // the page header, then 一
            QTRY_VERIFY(w.findChild<EntryView *>()->LastWrittenPage().contains(QStringLiteral("甲文")));
            Keys({"ctrl+d"});
            QTRY_VERIFY(Starred(w, "lbData", 1));
            QCOMPARE(BookmarkRows(w), InK({1}));
            Keys({"ctrl+e"});
            QTRY_COMPARE(QApplication::focusWidget(), w.findChild<QWidget *>("edPersonalNote"));
            Type("zhuangzi note");
            Keys({"Return"});
            Type("line two");
            Keys({"Escape"}); // the editor closes; the page shows the note under the teacher's text
            QTRY_VERIFY(w.findChild<EntryView *>()->LastWrittenPage().contains(
                QStringLiteral("zhuangzi note\nline two")));
            // The page takes back the height the editor had.
            auto *view = w.findChild<EntryView *>();
            QTRY_VERIFY2(view->WebView()->height() > view->height() * 3 / 4,
                         qPrintable(QString("%1 of %2").arg(view->WebView()->height()).arg(view->height())));
            const QString page = w.findChild<EntryView *>()->LastWrittenPage();
            QVERIFY(page.indexOf(QStringLiteral("我的筆記")) > page.indexOf(QStringLiteral("甲文")));
            QVERIFY(!IsNightPalette(QApplication::palette()));
            Keys({"ctrl+shift+n"});
            QTRY_VERIFY(IsNightPalette(QApplication::palette()));
            QTRY_VERIFY(w.findChild<EntryView *>()->LastWrittenPage().contains(QStringLiteral("#1B1D22")));
            QVERIFY(w.close());
        }
        QCOMPARE(fx.AllNotes(), notes);
        {
            MainWindow w(fx.programPath());
            Open(w);
            QVERIFY(w.findChild<QAction *>("actNightMode")->isChecked());
            QVERIFY(IsNightPalette(QApplication::palette()));
            QTRY_VERIFY(Starred(w, "lbData", 1));
            QVERIFY(!Starred(w, "lbData", 2));
            auto *tabs = w.findChild<QTabWidget *>();
            QCOMPARE(tabs->tabText(tabs->count() - 1), QStringLiteral("書籤"));
            QCOMPARE(BookmarkRows(w), InK({1}));
            // The entry where the reading stopped is shown again, with its note, on the night page.
            auto *page = w.findChild<EntryView *>();
            QTRY_VERIFY(page->LastWrittenPage().contains(QStringLiteral("zhuangzi note\nline two")));
            QVERIFY(page->LastWrittenPage().contains(QStringLiteral("#1B1D22")));
            // Found by the search through the note alone, with the box on since a note exists.
            tabs->setCurrentWidget(w.findChild<SearchPane *>());
            QTRY_COMPARE(QApplication::focusWidget(), w.findChild<QWidget *>("edSearch"));
            QVERIFY(w.findChild<QCheckBox *>("cbMyNotes")->isChecked());
            Type("zhuangzi");
            auto *search = w.findChild<SearchPane *>();
            QTRY_COMPARE(search->ResultCount(), 1);
            QCOMPARE(search->Result(0), (NoteRef{0, 1}));
            QVERIFY(Starred(w, "lbSearch", 0));
            // Without the box, the teacher's text alone holds no such word.
            QTest::mouseClick(w.findChild<QCheckBox *>("cbMyNotes"), Qt::LeftButton, {}, QPoint(4, 4));
            QTRY_COMPARE(search->ResultCount(), 0);
            Keys({"ctrl+shift+n"}); // the day again
            QTRY_VERIFY(!IsNightPalette(QApplication::palette()));
            QVERIFY(w.close());
        }
        QCOMPARE(fx.AllNotes(), notes);
    }

    // The tab "書籤": newest first or in book order, Delete takes the star off; a star whose headword
    // was edited in the notes file is listed as "找不到的條目" with its text.
    void bookmarksTab() {
        Folder fx;
        {
            MainWindow w(fx.programPath());
            Open(w);
            Keys({"Down", "Down", "ctrl+d", "Down", "Down", "ctrl+d", "Up", "ctrl+d"}); // 一, 三, 二
            QTRY_COMPARE(BookmarkRows(w), InK({2, 3, 1}));
            auto *pane = w.findChild<BookmarksPane *>();
            pane->SetBookOrder(true);
            QCOMPARE(BookmarkRows(w), InK({1, 2, 3}));
            auto *tabs = w.findChild<QTabWidget *>();
            tabs->setCurrentWidget(pane);
            auto *list = w.findChild<OwnerDrawList *>("lbBookmarks");
            list->setFocus();
            QTRY_COMPARE(QApplication::focusWidget(), list);
            Keys({"Down", "Down"}); // 二, opened as from the entries list
            QTRY_VERIFY(w.findChild<EntryView *>()->LastWrittenPage().contains(QStringLiteral("乙文")));
            QCOMPARE(w.findChild<OwnerDrawList *>("lbData")->ItemIndex(), 2);
            Keys({"Delete"});
            QTRY_COMPARE(BookmarkRows(w), InK({1, 3}));
            QVERIFY(!Starred(w, "lbData", 2));
            QVERIFY(w.close());
        }
        // 三 renamed on disk: its star is kept and said, not dropped.
        fx.write("velmora200_k.xml", QByteArray(kNotes).replace("<條目>三</條目>", "<條目>叁</條目>"));
        MainWindow w(fx.programPath());
        w.show(); // on the tab "書籤", where it was left
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(BookmarkRows(w), InK({1}));
        const QStringList unfound = w.findChild<BookmarksPane *>()->UnfoundLines();
        QCOMPARE(unfound.size(), 1);
        QVERIFY2(unfound[0].startsWith(QStringLiteral("【K】三")), qPrintable(unfound[0]));
        QVERIFY(w.close());
    }
};

QTEST_MAIN(TestReaderMarksWindow)
#include "tst_readermarkswindow.moc"
