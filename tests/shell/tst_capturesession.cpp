// Capture mode when another program writes the notes: the window reads a changed notes file again,
// keeps the entry shown, the selection and the unsaved positions, and says so; a save then asks about a
// record that both sides changed, keeps the disk's value unless told otherwise, and writes the rest.
#include "support/DialogCapture.h"
#include "support/ReaderFixture.h"
#include "support/ScanWindow.h"

#include "widgets/NoticeStrip.h"

#include <QLabel>
#include <QProcess>
#include <QtTest>

namespace {

// K: 0 page K1, 1 一 at (400, 300), 2 二 without position, 3 page K2, 4 三 without position.
const QByteArray kNotesK = "<page>K1</page>\n"
                           "<條目>一</條目>\n<座標 x=\"400\" y=\"300\"/>\n<內容>a</內容>\n"
                           "<條目>二</條目>\n<內容>b</內容>\n"
                           "<page>K2</page>\n"
                           "<條目>三</條目>\n<內容>c</內容>\n";

struct Folder : ReaderFixture {
    Folder() {
        writeScan("Image/K/K1.jpg", 1000, 1500);
        writeScan("Image/K/K2.jpg", 1000, 1500);
        writeNotes(kNotesK);
    }
};

} // namespace

class TestCaptureSession : public QObject {
    Q_OBJECT
    DialogCapture dialogs;
    QStringList &errors = dialogs.errors, &notices = dialogs.notices, &questions = dialogs.questions;
    bool &answer = dialogs.answer;
private Q_SLOTS:
    void init() { dialogs.Install(); }
    void changedFileIsReadAgain();
    void halfWrittenFileIsSaidAndWaitedFor();
    void endWhileConflictQuestionIsOpenKeepsThePosition();
};

void TestCaptureSession::changedFileIsReadAgain() {
    Folder fx;
    ScanWindow win(fx);
    win.startRecording();
    ClickRow(win.lbData, 1);
    win.rightClick(QPoint(120, 140)); // 一 moved by this reader; the list steps on to 二
    ClickRow(win.lbData, 2);
    const int selected = win.lbData->ItemIndex();
    const QString shown = win.viewer->CurrentPath();
    auto *strip = win.child<NoticeStrip>("windowNotice");
    QVERIFY(strip && strip->Texts().isEmpty());
    const auto noticeText = [strip] { return strip->Texts().join('\n'); };

    // An editor gives 三 a position, moves 一 too and rewrites 二's text.
    QByteArray edited = fx.read("velmora200_k.xml");
    edited.replace("<座標 x=\"400\" y=\"300\"/>", "<座標 x=\"410\" y=\"310\"/>");
    edited.replace("<條目>三</條目>\n", "<條目>三</條目>\n<座標 x=\"70\" y=\"80\"/>\n");
    edited.replace("<內容>b</內容>", "<內容>乙乙</內容>");
    fx.write("velmora200_k.xml", edited);

    QTRY_VERIFY_WITH_TIMEOUT(noticeText().contains("已重新讀取"), 5000);
    QVERIFY2(noticeText().contains("velmora200_k.xml"), qPrintable(noticeText()));
    const NotebookSet &books = win.capture->Notebooks();
    QCOMPARE(books.entry({0, 4}).x, 70); // the editor's position is read
    QCOMPARE(books.entry({0, 2}).content, QString("乙乙"));
    QCOMPARE(books.entry({0, 1}).x, 120); // the unsaved one is kept
    QVERIFY(win.capture->IsChanged(0));
    QCOMPARE(win.lbData->ItemIndex(), selected); // selection and page stay
    QCOMPARE(win.viewer->CurrentPath(), shown);

    // The save asks about 一, which both changed; the disk's value stays.
    answer = false;
    QTest::mouseClick(win.btSaveImgXY, Qt::LeftButton);
    QCOMPARE(questions.size(), 1);
    QVERIFY2(questions[0].contains("一") && questions[0].contains("410"), qPrintable(questions[0]));
    // Not the bare "OK": what was written and what was not, by name and value.
    QCOMPARE(notices.size(), 1);
    QVERIFY2(notices[0] != "OK" && notices[0].contains("未寫入") && notices[0].contains("【K】一") &&
                 notices[0].contains("410") && notices[0].contains("120"),
             qPrintable(notices[0]));
    const QString saved = QString::fromUtf8(fx.read("velmora200_k.xml"));
    QVERIFY(saved.contains("<座標 x=\"410\" y=\"310\"/>"));
    QVERIFY(saved.contains("<座標 x=\"70\" y=\"80\"/>"));
    QVERIFY(!saved.contains("x=\"120\""));
    QCOMPARE(books.entry({0, 1}).x, 410);
    QVERIFY(!win.capture->HasUnsavedPositions());
    // The reader's own save is not taken for another program's change.
    QTest::qWait(300);
    QVERIFY2(!noticeText().contains("已重新讀取") || notices.size() == 1, qPrintable(noticeText()));
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
}

// A writer rewriting K in place with long pauses: the window says the file is being written and keeps
// what it holds, then reads the whole file with the unsaved position kept.
void TestCaptureSession::halfWrittenFileIsSaidAndWaitedFor() {
    Folder fx;
    ScanWindow win(fx);
    win.startRecording();
    ClickRow(win.lbData, 4);
    win.rightClick(QPoint(120, 140)); // 三, unsaved
    auto *strip = win.child<NoticeStrip>("windowNotice");
    const auto noticeText = [strip] { return strip->Texts().join('\n'); };
    QByteArray next = "<page>K0</page>\n<條目>零</條目>\n<內容>z</內容>\n" + kNotesK;
    fx.write("next.xml", next);
    QProcess writer;
    writer.start(
        "perl",
        {"-e",
         "open(my $in, '<', $ARGV[1]); binmode $in; local $/; my $c = <$in>;"
         "open(my $f, '+<', $ARGV[0]); binmode $f; truncate($f, 0);"
         "for (my $i = 0; $i < length($c); $i += 50) { seek($f, $i, 0); syswrite($f, substr($c, $i, 50));"
         "  select(undef, undef, undef, 0.7); }",
         fx.path("velmora200_k.xml"), fx.path("next.xml")});
    QVERIFY(writer.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(noticeText().contains("正在被其他程式寫入，稍後再讀"), 10000);
    QVERIFY2(noticeText().contains("velmora200_k.xml 正在被"), qPrintable(noticeText()));
    QCOMPARE(win.capture->Notebooks().books[0].entries.size(), 5); // the half file was not taken
    QVERIFY(writer.waitForFinished(30000));
    QTRY_VERIFY_WITH_TIMEOUT(noticeText().contains("已重新讀取"), 15000);
    // The file is taken now: the notice that it was being written goes.
    QVERIFY2(!noticeText().contains("正在被其他程式寫入"), qPrintable(noticeText()));
    const NotebookSet &books = win.capture->Notebooks();
    QCOMPARE(books.books[0].entries.size(), 7);
    QCOMPARE(books.entry({0, 6}).title, QString("三"));
    QCOMPARE(books.entry({0, 6}).x, 120);
    QVERIFY(win.capture->IsChanged(0));
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
}

void TestCaptureSession::endWhileConflictQuestionIsOpenKeepsThePosition() {
    Folder fx;
    ScanWindow win(fx);
    win.startRecording();
    ClickRow(win.lbData, 1);
    win.rightClick(QPoint(120, 140)); // 一, not saved
    QByteArray edited = fx.read("velmora200_k.xml");
    edited.replace("<座標 x=\"400\" y=\"300\"/>", "<座標 x=\"410\" y=\"310\"/>");
    fx.write("velmora200_k.xml", edited);
    QTRY_VERIFY_WITH_TIMEOUT(win.capture->Notebooks().entry({0, 1}).y == 140 &&
                                 fx.read("velmora200_k.xml").contains("410") && win.capture->IsChanged(0),
                             5000);
    QTest::qWait(300); // the file read again
    // The session ends (a signal) while the save asks about 一: the question closes unanswered, which must
    // not read as "keep the file's value".
    SetQuestionAnswerForTesting([&](const QString &q) {
        questions << q;
        win.w.PrepareToEndUnasked();
        return false;
    });
    QTest::mouseClick(win.btSaveImgXY, Qt::LeftButton);
    QCOMPARE(questions.size(), 1);
    QVERIFY2(notices.isEmpty() && errors.isEmpty(), qPrintable((notices + errors).join('\n')));
    QCOMPARE(fx.read("velmora200_k.xml"), edited);
    QCOMPARE(win.capture->Notebooks().entry({0, 1}).x, 120);
    QVERIFY(win.capture->IsChanged(0));
    const QStringList journals = QDir(fx.path()).entryList({"velmoranote-*.journal"}, QDir::Files);
    QCOMPARE(journals.size(), 1);
    QVERIFY(fx.read(journals[0]).contains("\"x\": 120"));
}

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    TestCaptureSession test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_capturesession.moc"
