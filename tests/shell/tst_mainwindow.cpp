// The reader window: start-up with and without settings, failures that stop the start, the close
// question, the entries list's rows and colours, and the page written into the web view.
#include "common/Error.h"
#include "display/EntryView.h"
#include "images/PageViewer.h"
#include "shell/CaptureSession.h"
#include "shell/IniFile.h"
#include "shell/MainWindow.h"
#include "support/BigNotes.h"
#include "support/ReaderFixture.h"
#include "support/WebViewProbe.h"
#include "widgets/ErrorBoundary.h"
#include "widgets/Look.h"
#include "widgets/NoticeStrip.h"
#include "widgets/OwnerDrawList.h"
#include "widgets/Translations.h"

#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSplitter>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTcpServer>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <QtTest>

namespace {

const QByteArray kNotesK = "<page>K1</page>\n"
                           "<條目>甲條</條目>\n"
                           "<座標 x=\"10\" y=\"20\"/>\n"
                           "<內容>甲文</內容>\n"
                           "<條目>乙條</條目>\n"
                           "<內容>乙文<script>document.title='ran'</script></內容>\n"
                           "<page>K2</page>\n"
                           "<條目>丙一\n丙二\n丙三</條目>\n";
const QByteArray kNotesM = "<page>M1</page>\n<條目>丁條</條目>\n<出處>某書</出處>\n";

// How many pixels of the widget's rendered picture are dark (text rather than paper).
int DarkPixels(QWidget *widget) {
    const QImage image = widget->grab().toImage();
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            dark += qGray(image.pixel(x, y)) < 100;
    return dark;
}

// The texts of a list's rows, as its model answers them.
QStringList RowTexts(OwnerDrawList *list) {
    QStringList texts;
    for (int r = 0; r < list->model()->rowCount(); ++r)
        texts << list->model()->index(r, 0).data().toString();
    return texts;
}

template <typename T> T *Child(QWidget &w, const char *name) {
    T *child = w.findChild<T *>(QString::fromLatin1(name));
    if (!child) qFatal("no %s", name);
    return child;
}

// A notebook read from the fixture's notes file, for handing its records to a pane.
Notebook Read(const ReaderFixture &fx, const char *file) {
    Notebook book;
    book.LoadNotes(fx.path(QString::fromLatin1(file)));
    return book;
}

QColor PixelOfRow(OwnerDrawList *list, int row) {
    const QRect r = list->visualRect(list->model()->index(row, 0));
    const QImage image = list->viewport()->grab().toImage();
    // A point inside the row, right of the text.
    return image.pixelColor(r.right() - 3, r.top() + 3);
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
    QStringList errors; // messages the error display would have shown
private Q_SLOTS:
    void init() {
        SetQuestionAnswerForTesting(nullptr);
        errors.clear();
        SetErrorDisplayForTesting([this](const QString &m) { errors << m; });
    }
    void cleanup() { QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n'))); }
    void startsWithoutSettings();
    void startsWithSettings();
    void unusableStoredValues_data();
    void unusableStoredValues();
    void startFailures_data();
    void startFailures();
    void closeQuestion_data();
    void closeQuestion();
    void entriesListRows();
    void keyboardShowsEntries();
    void pageWrittenIntoWebView();
    void webViewStaysOffline();
    void maximisedRoundTrip();
    void closesWithoutWritableSettings_data();
    void closesWithoutWritableSettings();
    void zoomStopsAtItsBounds();
    void captureRecordsIntoTheShownEntry();
    void emptyTitleGivesEmptyCaption();
    void searchListWidthWrittenWhenNeverShown();
    void readsOnWhileShown();
    // Last: the translation stays installed for the rest of the program.
    void toolkitTextsInChinese();
};

void TestMainWindow::startsWithoutSettings() {
    ReaderFixture fx;
    fx.writeNotes(kNotesK, kNotesM);
    MainWindow w(fx.programPath());
    QCOMPARE(w.windowTitle(), QString("澄溪導師筆記"));
    QCOMPARE(w.findChild<PageViewer *>()->ZoomFactor(), 1.0f);
    QCOMPARE(Child<QTabWidget>(w, "PageControl1")->currentIndex(), 0);
    OwnerDrawList *entries = Child<OwnerDrawList>(w, "lbData");
    QCOMPARE(RowTexts(entries),
             QStringList({"[K1]", "甲條", "乙條", "[K2]", "丙一<br>丙二<br>丙三", "[M1]", "丁條"}));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(Child<QWidget>(w, "ScrollBox")->width(), DesignPixels(469));
    QVERIFY(!Child<QWidget>(w, "cbGetImgXY")->isVisible() && Child<QWidget>(w, "cbGetImgXY")->isHidden() &&
            Child<QWidget>(w, "btSaveImgXY")->isHidden() && Child<QWidget>(w, "cbPs")->isHidden());
    QVERIFY(Child<QCheckBox>(w, "cbPs")->isChecked());
    QCOMPARE(entries->ItemIndex(), -1);
    // Closing writes both sections with all twelve keys.
    QVERIFY(w.close());
    const IniFile ini(fx.path("velmoranote.ini"));
    QCOMPARE(ini.ReadFloat("System", "ImageRate", -1), 1.0);
    QCOMPARE(ini.ReadInteger("Panel", "Width2", -1), DesignPixels(469));
    const QString text = QString::fromUtf8(fx.read("velmoranote.ini"));
    for (const char *key :
         {"Top=", "Left=", "Width=", "Height=", "ImageRate=1\r\n", "InitMax=0", "Left2=", "Width2="})
        QVERIFY2(text.contains(key), key);
}

void TestMainWindow::startsWithSettings() {
    ReaderFixture fx;
    fx.writeNotes(kNotesK);
    fx.write("setup.ini", "\xEF\xBB\xBF[System]\r\nTitle=我的筆記\r\n");
    fx.write("velmoranote.ini", "[System]\nTop=0x20\nLeft=$10\nWidth=900\nHeight=700\nImageRate=0.75\n"
                                "[Panel]\nWidth2=300\n[Mine]\nkeep=me\n");
    MainWindow w(fx.programPath());
    QCOMPARE(w.windowTitle(), QString("我的筆記"));
    QCOMPARE(Child<QLabel>(w, "Label3")->text(), QString("澄溪導師筆記"));
    QCOMPARE(w.frameGeometry().top(), 32);
    QCOMPARE(w.frameGeometry().left(), 16);
    auto *viewer = w.findChild<PageViewer *>();
    QCOMPARE(viewer->ZoomFactor(), 0.75f);
    w.ShowAsStored();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(Child<QWidget>(w, "ScrollBox")->width(), 300);
    viewer->SetZoomFactor(1.1f); // as a wheel step leaves it
    QVERIFY(w.close());
    const QByteArray ini = fx.read("velmoranote.ini");
    QVERIFY(ini.startsWith("\xEF\xBB\xBF[System]\r\n"));
    QVERIFY(ini.contains("ImageRate=1.10000002384186\r\n"));
    QVERIFY(ini.contains("Width2=300\r\n"));
    QVERIFY(ini.contains("[Mine]\r\nkeep=me\r\n\r\n"));
}

void TestMainWindow::unusableStoredValues_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<float>("rate");
    QTest::newRow("text") << QByteArray("[System]\nImageRate=abc\n") << 1.0f;
    QTest::newRow("zero") << QByteArray("[System]\nImageRate=0\n") << 1.0f;
    QTest::newRow("negative") << QByteArray("[System]\nImageRate=-2\n") << 1.0f;
    QTest::newRow("too large for a float") << QByteArray("[System]\nImageRate=1e300\n") << 1.0f;
    QTest::newRow("fine") << QByteArray("[System]\nImageRate=1.5\n") << 1.5f;
    QTest::newRow("window far off every screen") << QByteArray("[System]\nTop=-90000\nLeft=90000\n") << 1.0f;
    // Kept within what can be shown: a page of a few pixels cannot be zoomed back, and a huge
    // window made the web view ask for gigabytes.
    QTest::newRow("zoom below 5 %") << QByteArray("[System]\nImageRate=0.0001\n") << 0.05f;
    QTest::newRow("zoom above 800 %") << QByteArray("[System]\nImageRate=100\n") << 8.0f;
    QTest::newRow("window larger than the screens")
        << QByteArray("[System]\nWidth=1000000\nHeight=1000000\n") << 1.0f;
}

void TestMainWindow::unusableStoredValues() {
    QFETCH(QByteArray, ini);
    QFETCH(float, rate);
    ReaderFixture fx;
    fx.writeNotes(kNotesK);
    fx.write("velmoranote.ini", ini);
    MainWindow w(fx.programPath());
    QCOMPARE(w.findChild<PageViewer *>()->ZoomFactor(), rate);
    bool onScreen = false;
    QRect desktop;
    for (QScreen *s : QGuiApplication::screens()) {
        onScreen |= s->availableGeometry().intersects(w.frameGeometry());
        desktop |= s->availableGeometry();
    }
    QVERIFY(onScreen);
    QVERIFY(w.frameGeometry().width() <= desktop.width() && w.frameGeometry().height() <= desktop.height());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
}

void TestMainWindow::startFailures_data() {
    QTest::addColumn<QString>("remove");
    QTest::addColumn<QString>("message");
    QTest::newRow("notes file") << "velmora200_N.xml"
                                << "velmora200_N.xml";
    QTest::newRow("scan letter folder") << "Image/L"
                                        << "The specified path was not found";
    QTest::newRow("PDF letter folder") << "PDF/O"
                                       << "The specified path was not found";
}

void TestMainWindow::startFailures() {
    QFETCH(QString, remove);
    QFETCH(QString, message);
    ReaderFixture fx;
    fx.writeNotes(kNotesK);
    QVERIFY(QDir(fx.path()).remove(remove) || QDir(fx.path(remove)).removeRecursively());
    try {
        MainWindow w(fx.programPath());
        QFAIL("the window was built");
    } catch (const VelmoraError &e) {
        QVERIFY2(e.message().contains(message), qPrintable(e.message()));
    }
    QVERIFY(!QFile::exists(fx.path("velmoranote.ini")));
}

void TestMainWindow::closeQuestion_data() {
    QTest::addColumn<bool>("changed");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("closes");
    QTest::newRow("nothing changed") << false << false << false << true;
    QTest::newRow("changed, Yes") << true << true << true << true;
    QTest::newRow("changed, No") << true << false << true << false;
}

void TestMainWindow::closeQuestion() {
    QFETCH(bool, changed);
    QFETCH(bool, answer);
    QFETCH(bool, asked);
    QFETCH(bool, closes);
    ReaderFixture fx;
    fx.writeNotes(kNotesK);
    const QByteArray notesBefore = fx.read("velmora200_k.xml");
    MainWindow w(fx.programPath());
    w.show();
    auto *capture = w.findChild<CaptureSession *>();
    if (changed) capture->Record(NoteRef{0, 1}, 5, 6);
    QString question;
    SetQuestionAnswerForTesting([&](const QString &text) {
        question = text;
        return answer;
    });
    QCOMPARE(w.close(), closes);
    QCOMPARE(!question.isEmpty(), asked);
    if (asked) QCOMPARE(question, QString("警告 : 定位有更改，尚未儲存，是否確定結束程式？"));
    QCOMPARE(QFile::exists(fx.path("velmoranote.ini")), closes);
    QCOMPARE(w.isVisible(), !closes);
    QCOMPARE(capture->IsChanged(0), changed); // the positions are never saved by closing
    QCOMPARE(fx.read("velmora200_k.xml"), notesBefore);
}

void TestMainWindow::entriesListRows() {
    ReaderFixture fx;
    fx.writeNotes(kNotesK, kNotesM);
    MainWindow w(fx.programPath());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    OwnerDrawList *list = Child<OwnerDrawList>(w, "lbData");
    const int h = list->itemHeight;
    // Rows are as high as their headword's lines.
    QCOMPARE(list->visualRect(list->model()->index(1, 0)).height(), h);
    QCOMPARE(list->visualRect(list->model()->index(4, 0)).height(), 3 * h);
    // Page headers in the page colour; the stripe runs over the real entries of each notebook.
    QCOMPARE(PixelOfRow(list, 0), QColor(0xFFA0A0));
    QCOMPARE(PixelOfRow(list, 1), QColor(0xFFD0D0));
    QCOMPARE(PixelOfRow(list, 2), QColor(0xFFF0F0));
    QCOMPARE(PixelOfRow(list, 3), QColor(0xFFA0A0));
    QCOMPARE(PixelOfRow(list, 4), QColor(0xFFD0D0));
    QCOMPARE(PixelOfRow(list, 5), QColor(0xA0FFA0));
    QCOMPARE(PixelOfRow(list, 6), QColor(0xD0FFD0)); // M starts its own stripe
    // The three lines of a headword are drawn one line height apart: text on each line band.
    const QRect r = list->visualRect(list->model()->index(4, 0));
    const QImage image = list->viewport()->grab().toImage();
    for (int k = 0; k < 3; ++k) {
        bool ink = false;
        for (int x = r.left() + 2; x < r.left() + 2 + h && !ink; ++x)
            for (int y = r.top() + k * h; y < r.top() + (k + 1) * h && !ink; ++y)
                ink = image.pixelColor(x, y) != QColor(0xFFD0D0);
        QVERIFY2(ink, qPrintable(QString("line %1 has no text").arg(k)));
    }
    // A selected row is navy, also a page header.
    list->SetItemIndex(3);
    QCOMPARE(PixelOfRow(list, 3), QColor(0x000080));
    // Unticking M removes its rows; ticking it again puts them back after K.
    Child<QCheckBox>(w, "cbMItem")->click();
    QCOMPARE(RowTexts(list).size(), 5);
    Child<QCheckBox>(w, "cbMItem")->click();
    QCOMPARE(RowTexts(list).mid(5), QStringList({"[M1]", "丁條"}));
    for (const char *name : {"cbKItem", "cbMItem", "cbNItem", "cbOItem"})
        Child<QCheckBox>(w, name)->click();
    QCOMPARE(list->model()->rowCount(), 0);
}

void TestMainWindow::keyboardShowsEntries() {
    ReaderFixture fx;
    fx.writeNotes(kNotesK, kNotesM);
    fx.writeScan("Image/K/K1.jpg", 200, 300);
    fx.writeScan("Image/K/K2.jpg", 200, 300);
    fx.writeScan("Image/M/M1.jpg", 200, 300);
    MainWindow w(fx.programPath());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    OwnerDrawList *list = Child<OwnerDrawList>(w, "lbData");
    const EntryView *page = w.findChild<EntryView *>();
    list->setFocus();
    list->SetItemIndex(0); // the program's own selection shows nothing
    QVERIFY(page->LastWrittenPage().isEmpty());
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->ItemIndex(), 1);
    QVERIFY(page->LastWrittenPage().contains("【條目】<br>甲條<br><br>【內容】<br>甲文"));
    QTest::keyClick(list, Qt::Key_Down);
    QVERIFY(page->LastWrittenPage().contains("乙條"));
    QTest::keyClick(list, Qt::Key_Down); // a page header blanks the page
    QVERIFY(page->LastWrittenPage().isEmpty());
    // Type-to-select on the row text.
    QKeyEvent typed(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("丁"));
    QApplication::sendEvent(list, &typed);
    QCOMPARE(list->ItemIndex(), 6);
    QVERIFY(page->LastWrittenPage().contains("【出處】<br><span class=\"blue\">某書<br><br></span>"));
}

void TestMainWindow::pageWrittenIntoWebView() {
    ReaderFixture fx;
    fx.writeNotes(kNotesK, kNotesM);
    fx.writeScan("Image/K/K1.jpg", 200, 300);
    fx.writeScan("Image/M/M1.jpg", 200, 300);
    MainWindow w(fx.programPath());
    auto *page = w.findChild<EntryView *>();
    auto *view = page->WebView();
    const Notebook k = Read(fx, "velmora200_k.xml"), m = Read(fx, "velmora200_M.xml");
    // Asked for before the blank document exists: written once it does.
    page->ShowEntry(k.entries[2], "乙");
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(page->IsDocumentReady(), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(Evaluate(view, "document.querySelectorAll('span.search').length"), QString("2"),
                              10000);
    // The page is drawn by the view, not only held in the document.
    QTRY_VERIFY_WITH_TIMEOUT(DarkPixels(view) > 20, 10000);
    QVERIFY(page->LastWrittenPage().contains("ran")); // written whole, the notes' script kept as text
    QVERIFY(page->LastWrittenPage().startsWith("<html>\n<head>\n"));
    QVERIFY(page->LastWrittenPage().endsWith("\n</body></html>"));
    // The notes' own script did not run.
    QCOMPARE(Evaluate(view, "document.title"), QString("Title"));
    // Another entry replaces the page; a page record blanks it; an entry after it is written again.
    page->ShowEntry(m.entries[1], QString());
    QTRY_VERIFY_WITH_TIMEOUT(Evaluate(view, "document.body.innerText").contains("某書"), 10000);
    page->ShowEntry(k.entries[0], QString());
    page->ShowEntry(k.entries[1], QString());
    QTRY_VERIFY_WITH_TIMEOUT(Evaluate(view, "document.body ? document.body.innerText : ''").contains("甲文"),
                             20000);
    QCOMPARE(Evaluate(view, "document.querySelectorAll('span.search').length"), QString("0"));
}

void TestMainWindow::webViewStaysOffline() {
    // A listener on this machine stands in for the network: the entry page must never reach it.
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QByteArray url = "http://127.0.0.1:" + QByteArray::number(server.serverPort());
    ReaderFixture fx;
    // Remote pictures, frames and style sheets, a link out, a script, event handlers and a javascript: link.
    fx.writeNotes(
        "<條目>網</條目>\n<內容><img src=\"" + url + "/a.png\"><iframe src=\"" + url +
        "/f\"></iframe><link rel=\"stylesheet\" href=\"" + url + "/s.css\"><a id=\"go\" href=\"" + url +
        "/link\">link</a><script>document.title='script'</script>"
        "<img src=\"x\" onerror=\"document.title='handler'\"><body onload=\"document.title='onload'\">"
        "<a id=\"js\" href=\"javascript:document.title='js-link'\">js</a></內容>\n");
    MainWindow w(fx.programPath());
    w.show();
    auto *page = w.findChild<EntryView *>();
    auto *view = page->WebView();
    QTRY_VERIFY_WITH_TIMEOUT(page->IsDocumentReady(), 20000);
    page->ShowEntry(Read(fx, "velmora200_k.xml").entries[0], QString());
    QTRY_COMPARE_WITH_TIMEOUT(Evaluate(view, "String(!!document.getElementById('go'))"), QString("true"),
                              10000);
    Evaluate(view, "document.getElementById('go').click(); 'clicked'");
    Evaluate(view, "document.getElementById('js').click(); 'clicked'");
    QTest::qWait(1500);
    QVERIFY(!server.hasPendingConnections());
    QVERIFY(!server.waitForNewConnection(200));
    QCOMPARE(view->url(), QUrl("about:blank"));
    // No script of the notes ran: not inline, not from a handler, not from a javascript: link.
    QCOMPARE(Evaluate(view, "document.title"), QString("Title"));
    QVERIFY(Evaluate(view, "document.body.innerText").contains("link"));
}

void TestMainWindow::maximisedRoundTrip() {
    ReaderFixture fx;
    fx.writeNotes(kNotesK);
    fx.write("velmoranote.ini", "[System]\r\nInitMax=1\r\n");
    {
        MainWindow w(fx.programPath());
        w.ShowAsStored();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.windowState() & Qt::WindowMaximized);
        QVERIFY(w.close());
    }
    QVERIFY(fx.read("velmoranote.ini").contains("InitMax=1\r\n"));
    MainWindow again(fx.programPath());
    again.ShowAsStored();
    QVERIFY(again.windowState() & Qt::WindowMaximized);
}

void TestMainWindow::closesWithoutWritableSettings_data() {
    QTest::addColumn<bool>("answer");
    QTest::newRow("close anyway") << true;
    QTest::newRow("stay") << false;
}

void TestMainWindow::closesWithoutWritableSettings() {
    QFETCH(bool, answer);
    ReaderFixture fx;
    fx.writeNotes(kNotesK);
    QVERIFY(QDir(fx.path()).mkdir("velmoranote.ini")); // a folder where the settings file should be
    MainWindow w(fx.programPath());
    w.show();
    QString question;
    SetQuestionAnswerForTesting([&](const QString &text) {
        question = text;
        return answer;
    });
    QCOMPARE(w.close(), answer);
    QVERIFY2(question.contains("velmoranote.ini") && question.contains("仍要結束程式"), qPrintable(question));
    QCOMPARE(w.isVisible(), !answer);
}

void TestMainWindow::zoomStopsAtItsBounds() {
    ReaderFixture fx;
    fx.writeNotes(kNotesK);
    fx.writeScan("Image/K/K1.jpg", 400, 600);
    MainWindow w(fx.programPath());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto *viewer = w.findChild<PageViewer *>();
    viewer->ShowScan(".\\image\\K\\K1.jpg");
    QWidget *box = Child<QAbstractScrollArea>(w, "ScrollBox")->viewport();
    QWidget *image = Child<QWidget>(w, "Image");
    const auto wheel = [&](int delta) {
        const QPointF at(20, 20);
        QWheelEvent e(at, box->mapToGlobal(at), {}, QPoint(0, delta), Qt::NoButton, Qt::ControlModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(box, &e);
    };
    for (int i = 0; i < 100; ++i)
        wheel(-120);
    QCOMPARE(viewer->ZoomFactor(), 0.05f);
    QCOMPARE(image->width(), 20); // 5 % of 400, not a pixel or none
    wheel(120);
    QVERIFY(viewer->ZoomFactor() > 0.05f && image->width() > 20);
    for (int i = 0; i < 100; ++i)
        wheel(120);
    QCOMPARE(viewer->ZoomFactor(), 8.0f);
    QCOMPARE(image->width(), 3200);
}

void TestMainWindow::captureRecordsIntoTheShownEntry() {
    ReaderFixture fx;
    fx.writeNotes(kNotesK, kNotesM);
    for (const char *scan : {"Image/K/K1.jpg", "Image/K/K2.jpg", "Image/M/M1.jpg"})
        fx.writeScan(scan, 300, 400);
    MainWindow w(fx.programPath());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto *tabs = Child<QTabWidget>(w, "PageControl1");
    // An entry of K selected in the entries list...
    auto *entries = Child<OwnerDrawList>(w, "lbData");
    QTest::mouseClick(entries->viewport(), Qt::LeftButton, {},
                      entries->visualRect(entries->model()->index(1, 0)).center());
    // ...then a search hit of M opened: its page is the one shown.
    tabs->setCurrentIndex(1);
    Child<QLineEdit>(w, "edSearch")->setText("丁");
    auto *results = Child<OwnerDrawList>(w, "lbSearch");
    QTest::mouseClick(results->viewport(), Qt::LeftButton, {},
                      results->visualRect(results->model()->index(0, 0)).center());
    auto *viewer = w.findChild<PageViewer *>();
    QCOMPARE(viewer->CurrentPath(), QString(".\\image\\M\\M1.jpg"));
    // Capture mode, and a right click on the page.
    tabs->setCurrentIndex(2);
    Child<QLineEdit>(w, "edImg")->setText("update");
    QTest::mouseClick(Child<QCheckBox>(w, "cbGetImgXY"), Qt::LeftButton);
    QVERIFY(viewer->CaptureCaption().contains("丁條"));
    QTest::mousePress(Child<QWidget>(w, "imgPoint"), Qt::RightButton, {}, QPoint(50, 60));
    auto *capture = w.findChild<CaptureSession *>();
    QVERIFY(capture->IsChanged(1));
    QVERIFY(!capture->IsChanged(0)); // the selected K entry is left alone
    QVERIFY2(viewer->CaptureCaption().contains("丁條：x=50, y=60"), qPrintable(viewer->CaptureCaption()));
    QStringList notices;
    SetNoticeDisplayForTesting([&](const QString &t) { notices << t; });
    QTest::mouseClick(Child<QWidget>(w, "btSaveImgXY"), Qt::LeftButton);
    SetNoticeDisplayForTesting(nullptr);
    QCOMPARE(notices, QStringList{"OK"});
    QVERIFY(fx.read("velmora200_M.xml").contains("<條目>丁條</條目>\n<座標 x=\"50\" y=\"60\"/>"));
    QVERIFY(!fx.read("velmora200_k.xml").contains("x=\"50\""));
}

void TestMainWindow::toolkitTextsInChinese() {
    QMessageBox before(QMessageBox::Question, "t", "q", QMessageBox::Yes | QMessageBox::No);
    QVERIFY(!before.button(QMessageBox::Yes)->text().contains("是"));
    QVERIFY(InstallToolkitTranslation());
    QMessageBox after(QMessageBox::Question, "t", "q", QMessageBox::Yes | QMessageBox::No);
    QVERIFY2(after.button(QMessageBox::Yes)->text().contains("是"),
             qPrintable(after.button(QMessageBox::Yes)->text()));
    QVERIFY2(after.button(QMessageBox::No)->text().contains("否"),
             qPrintable(after.button(QMessageBox::No)->text()));
}

int main(int argc, char **argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"

// The toolkit shows the program's name for an empty title; the caption on the screen must be empty.
void TestMainWindow::emptyTitleGivesEmptyCaption() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) QSKIP("reads the caption from the X server");
    const QString xdotool = QStandardPaths::findExecutable("xdotool");
    if (xdotool.isEmpty()) QSKIP("xdotool reads the caption as the desktop shows it");
    ReaderFixture fx;
    fx.writeNotes(kNotesK);
    fx.write("setup.ini", "[System]\r\nTitle=\r\n");
    MainWindow w(fx.programPath());
    QCOMPARE(w.windowTitle(), QString());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const auto shownCaption = [&] {
        QProcess xdo;
        xdo.start(xdotool, {"getwindowname", QString::number(w.winId())});
        return xdo.waitForFinished(5000) ? QString::fromUtf8(xdo.readAllStandardOutput()).trimmed()
                                         : QString("?");
    };
    QCOMPARE(shownCaption(), QString());
    QCOMPARE(w.windowTitle(), QString());
    w.hide(); // shown again, the caption stays empty
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(shownCaption(), QString());
}

// The search tab is laid out only when it is shown: the list's width must still be the one it has
// in the layout, also after the left pane was widened.
void TestMainWindow::searchListWidthWrittenWhenNeverShown() {
    ReaderFixture fx;
    fx.writeNotes(kNotesK);
    MainWindow w(fx.programPath());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto *splitter = Child<QSplitter>(w, "MainSplitter");
    const int designedWidth = Child<OwnerDrawList>(w, "lbData")->width();
    QList<int> sizes = splitter->sizes();
    sizes[1] -= 100;
    sizes[0] += 100;
    splitter->setSizes(sizes);
    QCoreApplication::processEvents();
    const int entriesWidth = Child<OwnerDrawList>(w, "lbData")->width();
    QCOMPARE(entriesWidth, designedWidth + 100);
    QVERIFY(w.close());
    QCOMPARE(IniFile(fx.path("velmoranote.ini")).ReadInteger("Panel", "Width", -1), entriesWidth);
}

// Notes too large to be read before the window shows (17 MB): the window opens with the first notebook
// and the others come in while it is shown. The entries list grows without losing its place or its
// selection; the search and the entry where the reading stopped are taken up once their notebooks are
// in; a file found unreadable afterwards ends the start with its reason.
void TestMainWindow::readsOnWhileShown() {
    static const QByteArray k = MakeNotesBytes(2 << 20);
    static const QByteArray m = MakeNotesBytes(17 << 20);
    const QByteArray o = "<條目>獨條</條目>\n";
    Notebook alone;
    {
        ReaderFixture fx;
        fx.write("velmora200_k.xml", k);
        alone.LoadNotes(fx.path("velmora200_k.xml"));
    }
    const int kRows = int(alone.entries.size());

    {
        ReaderFixture fx;
        fx.writeNotes(k, m, {}, o);
        fx.write("velmoranote.ini", "[Reader]\nSearchText=獨\n");
        MainWindow w(fx.programPath());
        QSignalSpy read(&w, &MainWindow::NotebooksRead);
        OwnerDrawList *entries = Child<OwnerDrawList>(w, "lbData");
        // The window has K's first records (more than a screen of them), or all of K when it was read
        // while the window was built.
        QVERIFY(!w.AllNotebooksRead());
        const int first = entries->model()->rowCount();
        QVERIFY2(first > 100 && first <= kRows, qPrintable(QString::number(first)));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // A row selected, and the list scrolled on past it to the end of what is there.
        entries->SetItemIndex(first / 2);
        entries->verticalScrollBar()->setValue(entries->verticalScrollBar()->maximum());
        const int scrolled = entries->verticalScrollBar()->value();
        QVERIFY(scrolled > 0 && !entries->viewport()->rect().intersects(
                                    entries->visualRect(entries->model()->index(first / 2, 0))));
        QVERIFY(Child<NoticeStrip>(w, "windowNotice")->Texts().join('\n').contains("讀入中"));
        QVERIFY(read.wait(30000));
        QVERIFY(w.AllNotebooksRead());
        QVERIFY(Child<NoticeStrip>(w, "windowNotice")->Texts().isEmpty());
        QVERIFY(entries->model()->rowCount() > kRows + 1000);
        QCOMPARE(entries->model()->index(kRows - 1, 0).data().toString(), alone.entries.last().title);
        QCOMPARE(entries->model()->index(entries->model()->rowCount() - 1, 0).data().toString(),
                 QString("獨條"));
        QCOMPARE(entries->ItemIndex(), first / 2);
        QCOMPARE(entries->verticalScrollBar()->value(), scrolled);
        QCOMPARE(Child<QLineEdit>(w, "edSearch")->text(), QString("獨"));
        QCOMPARE(Child<OwnerDrawList>(w, "lbSearch")->model()->rowCount(), 1);
        QVERIFY(w.close());
    }
    {
        // The entry where the reading stopped is in M: shown once M is in. Closed before that, the
        // settings keep it, and the search too.
        ReaderFixture fx;
        fx.writeNotes(k, m, {}, o);
        fx.write("velmoranote.ini", "[Reader]\nLastEntry=M:2\nLastHeadword=條1\nSearchText=獨\n");
        fx.writeScan("Image/K/K1000.jpg", 40, 60); // the entry's page
        {
            MainWindow early(fx.programPath());
            QVERIFY(!early.AllNotebooksRead());
            QVERIFY(early.close());
            const QByteArray ini = fx.read("velmoranote.ini");
            QVERIFY2(ini.contains("LastEntry=M:2") && ini.contains("SearchText=獨"), ini.constData());
        }
        MainWindow w(fx.programPath());
        QSignalSpy read(&w, &MainWindow::NotebooksRead);
        w.show();
        QVERIFY(read.wait(30000));
        QCOMPARE(Child<OwnerDrawList>(w, "lbData")->ItemIndex(), kRows + 2);
        QVERIFY(w.close());
        QVERIFY(fx.read("velmoranote.ini").contains("LastEntry=M:2"));
    }
    {
        ReaderFixture fx;
        fx.writeNotes(k, m, {}, "<條目>獨條\n"); // O ends inside a headword
        MainWindow w(fx.programPath());
        QSignalSpy failed(&w, &MainWindow::NotesUnreadable);
        QSignalSpy read(&w, &MainWindow::NotebooksRead);
        w.show();
        QVERIFY(failed.wait(30000));
        QVERIFY2(failed.at(0).at(0).toString().contains("velmora200_O.xml"),
                 qPrintable(failed.at(0).at(0).toString()));
        QTest::qWait(200); // what else comes in must not count the notebooks as read
        QCOMPARE(read.count(), 0);
        QVERIFY(!w.AllNotebooksRead());
    }
}
