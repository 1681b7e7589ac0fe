// Taking the notes out of the window, by real input through the X server (xdotool) under a window
// manager: the header's "匯出…" menu and its dialog by mouse and by keys, a cancel and a refused export
// that leave nothing written, and "複製引用" putting text, HTML with the scan's crop, and the crop itself
// on the clipboard (read back from the clipboard).
#include "display/EntryView.h"
#include "shell/ExportDialog.h"
#include "shell/MainWindow.h"
#include "support/BigNotes.h"
#include "support/DialogCapture.h"
#include "support/ReaderFixture.h"
#include "widgets/NoticeStrip.h"
#include "widgets/OwnerDrawList.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWebEngineView>
#include <QtTest>

namespace {

const QByteArray kNotes = "<page>K1</page>\n"
                          "<條目>學而</條目>\n<座標 x=\"100\" y=\"200\"/>\n<內容>子曰學而時習之</內容>\n"
                          "<出處>《論語》</出處>\n"
                          "<條目>無座標</條目>\n<內容>二</內容>\n";

struct Library : ReaderFixture {
    explicit Library(const QByteArray &notes = kNotes) {
        writeNotes(notes);
        writeScan("Image/K/K1.jpg", 400, 600);
    }
};

void X(const QStringList &args) {
    QCOMPARE(QProcess::execute("xdotool", args), 0);
}
void Keys(const QStringList &keys) {
    X(QStringList{"key", "--delay", "40"} + keys);
}
void ClickAt(QWidget *w, QPoint at, int button = 1) {
    const QPoint g = w->mapToGlobal(at);
    X({"mousemove", QString::number(g.x()), QString::number(g.y()), "click", QString::number(button)});
}
void Click(QWidget *w) {
    ClickAt(w, w->rect().center());
}

template <typename T> T *Shown(const char *name = nullptr) {
    for (QWidget *top : QApplication::topLevelWidgets()) {
        T *t = qobject_cast<T *>(top);
        if (!t) t = name ? top->findChild<T *>(name) : nullptr;
        if (t && t->isVisible() && (!name || t->objectName() == QLatin1String(name))) return t;
    }
    return nullptr;
}

struct Window {
    MainWindow w;
    explicit Window(const ReaderFixture &fx) : w(fx.programPath()) {
        w.show();
        if (!QTest::qWaitForWindowActive(&w)) qFatal("window not shown");
    }
    // Shows the entries list's row as a click on it does.
    void ShowRow(int row) {
        auto *list = w.findChild<OwnerDrawList *>("lbData");
        ClickAt(list->viewport(), list->visualRect(list->model()->index(row, 0)).center());
    }
    QStringList Notices() const { return w.findChild<NoticeStrip *>()->Texts(); }
    bool Noticed(const QString &words) const { return Notices().join('\n').contains(words); }
    // Picks an item of the header's export menu with the mouse.
    void ExportByMouse(const char *item) {
        Click(w.findChild<QPushButton *>("btExport"));
        QMenu *menu = nullptr;
        QTRY_VERIFY((menu = Shown<QMenu>("ExportMenu")));
        QAction *action = menu->findChild<QAction *>(item);
        QTRY_VERIFY(action && action->isEnabled());
        ClickAt(menu, menu->actionGeometry(action).center());
    }
    ExportDialog *Dialog() {
        QElapsedTimer clock;
        clock.start();
        ExportDialog *d = nullptr;
        while (!((d = Shown<ExportDialog>()) && d->isActiveWindow()) && clock.elapsed() < 10000)
            QTest::qWait(20);
        if (!d || !d->isActiveWindow()) qFatal("the export dialog did not show");
        return d;
    }
};

// The path typed into the dialog's field, which has the keyboard.
void TypePath(const QString &path) {
    Keys({"alt+w", "ctrl+a"});
    X({"type", "--delay", "10", path});
}

QStringList Listing(const QString &folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray Read(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestExportWindow : public QObject {
    Q_OBJECT
    DialogCapture dialogs_;

private Q_SLOTS:
    void init() { dialogs_.Install(); }

    // The notebook shown, taken out by mouse (TEI with crops, the button "匯出") and by keys alone
    // (Space on the button, the menu's mnemonic, Alt+F and Down for Markdown, Alt+S for no crops, Enter).
    void exportByClicksAndKeys_data() {
        QTest::addColumn<bool>("byKeys");
        QTest::newRow("mouse") << false;
        QTest::newRow("keys") << true;
    }
    void exportByClicksAndKeys() {
        QFETCH(bool, byKeys);
        Library fx;
        QTemporaryDir out;
        Window win(fx);
        win.ShowRow(1);
        if (byKeys) {
            // Once the entry shows (the list keeps the keyboard), the keyboard goes to the button.
            QTRY_VERIFY_WITH_TIMEOUT(win.w.findChild<EntryView *>()->LastWrittenPage().contains("子曰"),
                                     10000);
            QTest::qWait(300);
            auto *button = win.w.findChild<QPushButton *>("btExport");
            button->setFocus();
            QTRY_VERIFY(button->hasFocus());
            Keys({"space"});
            QTRY_VERIFY(Shown<QMenu>("ExportMenu"));
            Keys({"n"});
        } else {
            win.ExportByMouse("ExportNotebook");
        }
        ExportDialog *dialog = win.Dialog();
        QVERIFY(dialog->findChild<QLabel *>("ExportWhat")->text().contains("筆記 K"));
        const QString file = out.filePath(byKeys ? "k.md" : "k.tei.xml");
        if (byKeys) {
            Keys({"alt+f", "Down"});
            QTRY_COMPARE(dialog->findChild<QComboBox *>("ExportFormat")->currentText(), QString("Markdown"));
            TypePath(file);
            Keys({"alt+s"});
            QTRY_VERIFY(!dialog->findChild<QCheckBox *>("ExportCrops")->isChecked());
            Keys({"Return"});
        } else {
            TypePath(file);
            auto *ok = dialog->findChild<QPushButton *>();
            for (QPushButton *b : dialog->findChildren<QPushButton *>())
                if (b->text() == "匯出") ok = b;
            Click(ok);
        }
        QTRY_VERIFY_WITH_TIMEOUT(win.Noticed("已匯出"), 20000);
        QVERIFY2(win.Noticed(QDir::toNativeSeparators(file)), qPrintable(win.Notices().join('\n')));
        VERIFY_NO_ERROR_SHOWN(dialogs_);
        const QString written = QString::fromUtf8(Read(file));
        if (byKeys) {
            QVERIFY2(written.contains("## 學而") && written.contains("## 無座標"), qPrintable(written));
            QCOMPARE(Listing(out.path()), QStringList{"k.md"});
        } else {
            QVERIFY(written.contains("http://www.tei-c.org/ns/1.0") && written.contains("<head>學而</head>"));
            QCOMPARE(Listing(out.path()), (QStringList{"k-掃描圖", "k.tei.xml"}));
            QCOMPARE(Listing(out.filePath("k-掃描圖")), (QStringList{".velmora-export", "K-00001.jpg"}));
        }
    }

    // A long export cancelled from its progress dialog, and one the crops' folder refuses (it holds a
    // file of the reader's own): nothing is written, and the reader's file stays.
    void cancelledOrRefusedWritesNothing() {
        Library fx(MakeNotesBytes(
            16 << 20)); // long enough that the cancel lands while it runs, also on a busy machine
        QTemporaryDir out;
        Window win(fx);
        QTRY_VERIFY_WITH_TIMEOUT(win.w.AllNotebooksRead(), 30000);
        win.ShowRow(1);
        win.ExportByMouse("ExportNotebook");
        win.Dialog();
        Keys({"alt+f", "Down", "Down"}); // 網站
        TypePath(out.filePath("site"));
        Keys({"Return"});
        QProgressDialog *progress = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((progress = Shown<QProgressDialog>("ExportProgress")), 20000);
        QPushButton *cancel = progress->findChild<QPushButton *>();
        QVERIFY(cancel);
        Click(cancel);
        QTRY_VERIFY_WITH_TIMEOUT(win.Noticed("匯出已取消"), 30000);
        QVERIFY(!win.Noticed("已匯出"));
        QCOMPARE(Listing(out.path()), QStringList());
        dialogs_.errors.clear(); // the scans these notes name are not there: said as the entry shows

        QVERIFY(QDir(out.path()).mkpath("k-掃描圖"));
        QFile mine(out.filePath("k-掃描圖/mine.txt"));
        QVERIFY(mine.open(QIODevice::WriteOnly) && mine.write("keep") == 4);
        mine.close();
        win.ExportByMouse("ExportNotebook");
        win.Dialog();
        TypePath(out.filePath("k.tei.xml"));
        Keys({"Return"});
        QTRY_VERIFY_WITH_TIMEOUT(dialogs_.errors.join('\n').contains("匯出失敗"), 20000);
        QCOMPARE(Listing(out.path()), QStringList{"k-掃描圖"});
        QCOMPARE(Listing(out.filePath("k-掃描圖")), QStringList{"mine.txt"});
        dialogs_.errors.clear();
    }

    // "複製引用": by Ctrl+Shift+C for a placed entry (text, HTML with the crop embedded, the crop), and
    // from the page's menu for one without a position (text and HTML only, and said so).
    void citationOnTheClipboard() {
        Library fx;
        Window win(fx);
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->setText("before");
        win.ShowRow(1);
        QTRY_VERIFY_WITH_TIMEOUT(win.w.findChild<EntryView *>()->LastWrittenPage().contains("子曰"), 10000);
        Keys({"ctrl+shift+c"});
        QTRY_COMPARE(clipboard->text(), QString("K K1 學而\n出處：《論語》"));
        const QMimeData *data = clipboard->mimeData();
        QVERIFY(data->hasHtml() && data->html().contains("K K1 學而<br>出處：《論語》"));
        QVERIFY(data->html().contains("<img src=\"data:image/jpeg;base64,"));
        QVERIFY(data->hasImage());
        const QImage crop = qvariant_cast<QImage>(data->imageData());
        QVERIFY(!crop.isNull() && crop.width() <= 400 && crop.height() < 600);
        QTRY_VERIFY(win.Noticed("附掃描圖"));

        win.ShowRow(2);
        EntryView *page = win.w.findChild<EntryView *>();
        QTRY_VERIFY_WITH_TIMEOUT(page->LastWrittenPage().contains("二"), 10000);
        // The page's menu from the keyboard, with the keyboard put in the page by a click.
        QTRY_VERIFY_WITH_TIMEOUT(page->WebView()->focusProxy(), 10000);
        QWidget *surface = page->WebView()->focusProxy();
        QTest::qWait(300); // the list keeps the keyboard as the entry shows
        ClickAt(surface, QPoint(30, 30));
        QTRY_VERIFY(surface->hasFocus());
        Keys({"shift+F10"});
        QMenu *menu = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((menu = page->findChild<QMenu *>("EntryPageMenu")) && menu->isVisible(),
                                 10000);
        QAction *cite = menu->findChild<QAction *>("CopyReferenceAction");
        if (!cite)
            for (QAction *a : menu->actions())
                if (a->objectName() == "CopyReferenceAction") cite = a;
        QVERIFY(cite);
        ClickAt(menu, menu->actionGeometry(cite).center());
        QTRY_COMPARE(clipboard->text(), QString("K K1 無座標"));
        QVERIFY(clipboard->mimeData()->hasHtml() && !clipboard->mimeData()->hasImage());
        QTRY_VERIFY(win.Noticed("沒有定位"));
        VERIFY_NO_ERROR_SHOWN(dialogs_);
    }
};

QTEST_MAIN(TestExportWindow)
#include "tst_exportwindow.moc"
