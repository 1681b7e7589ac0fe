// The journals left by readers that are gone, offered at start in one question: a journal that cannot
// be read (broken, or larger than positions can make it) is said in a lasting notice and left as it is
// without keeping the others from being offered; one whose lock names another computer is offered with
// that said; fifty of them are one question; the person may take back only the ones ticked.
#include "shell/JournalOfferDialog.h"
#include "support/DialogCapture.h"
#include "support/ReaderFixture.h"
#include "support/ScanWindow.h"
#include "widgets/NoticeStrip.h"

#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

namespace {

// K: 0 page K1, 1 一, 2 二, 3 page K2, 4 三; none with a position.
const QByteArray kNotesK =
    "<page>K1</page>\n<條目>一</條目>\n<內容>a</內容>\n<條目>二</條目>\n<內容>b</內容>\n"
    "<page>K2</page>\n<條目>三</條目>\n<內容>c</內容>\n";

struct Folder : ReaderFixture {
    Folder() {
        writeScan("Image/K/K1.jpg", 1000, 1500);
        writeScan("Image/K/K2.jpg", 1000, 1500);
        writeNotes(kNotesK);
    }
    // A journal of a reader that is gone, with one position.
    void journal(const QString &name, int record, const char *title, int x) {
        write(name,
              QStringLiteral("{\"velmoranote-journal\":1,\"positions\":[{\"notebook\":\"K\",\"record\":%1,"
                             "\"title\":\"%2\",\"x\":%3,\"y\":7}]}")
                  .arg(record)
                  .arg(QString::fromUtf8(title))
                  .arg(x)
                  .toUtf8());
    }
};

} // namespace

class TestJournalOffer : public QObject {
    Q_OBJECT
    DialogCapture dialogs;
private Q_SLOTS:
    void init() { dialogs.Install(); }
    void unreadableJournalsDoNotHideTheOthers();
    void fiftyJournalsAreOneQuestion();
    void onlyTheTickedAreTakenBack();
};

void TestJournalOffer::unreadableJournalsDoNotHideTheOthers() {
    Folder fx;
    fx.write("velmoranote-1-1.journal", "{\"positions\": [ broken");
    fx.journal("velmoranote-2-2.journal", 1, "一", 11);
    // Larger than positions can make: refused before it is read.
    {
        QFile big(fx.path("velmoranote-3-3.journal"));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(ReaderJournal::kMaxBytes + 1));
    }
    // Locked by a reader on another computer, which may still use it: offered, with that said.
    fx.journal("velmoranote-4-4.journal", 4, "三", 44);
    fx.write("velmoranote-4-4.journal.lock", "4242\nvelmoranote\nfaraway-host\n");
    ScanWindow win(fx);
    QCOMPARE(dialogs.questions.size(), 1);
    QVERIFY2(dialogs.questions[0].contains("2 個座標") && dialogs.questions[0].contains("faraway-host"),
             qPrintable(dialogs.questions[0]));
    QCOMPARE(win.capture->Notebooks().entry({0, 1}).x, 11);
    QCOMPARE(win.capture->Notebooks().entry({0, 4}).x, 44);
    VERIFY_NO_ERROR_SHOWN(dialogs);
    // The two that could not be read stay as they were, each said until dismissed.
    QVERIFY(QFileInfo::exists(fx.path("velmoranote-1-1.journal")));
    QCOMPARE(QFileInfo(fx.path("velmoranote-3-3.journal")).size(), ReaderJournal::kMaxBytes + 1);
    const QStringList shown = win.child<NoticeStrip>("windowNotice")->Texts();
    QCOMPARE(shown.size(), 2);
    QVERIFY2(shown[0].contains("velmoranote-1-1.journal") || shown[1].contains("velmoranote-1-1.journal"),
             qPrintable(shown.join('\n')));
    QVERIFY2(shown.join('\n').contains("velmoranote-3-3.journal"), qPrintable(shown.join('\n')));
}

void TestJournalOffer::fiftyJournalsAreOneQuestion() {
    Folder fx;
    for (int i = 0; i < 50; ++i)
        fx.journal(QStringLiteral("velmoranote-%1-1.journal").arg(100 + i), 2, "二", 100 + i);
    ScanWindow win(fx);
    QCOMPARE(dialogs.questions.size(), 1);
    QVERIFY2(dialogs.questions[0].contains("50 個座標日誌"), qPrintable(dialogs.questions[0]));
    QVERIFY(win.capture->Notebooks().entry({0, 2}).x >= 100);
    QCOMPARE(QDir(fx.path()).entryList({"velmoranote-1[0-9][0-9]-1.journal"}).size(), 0);
    VERIFY_NO_ERROR_SHOWN(dialogs);
}

void TestJournalOffer::onlyTheTickedAreTakenBack() {
    Folder fx;
    fx.journal("velmoranote-1-1.journal", 1, "一", 11);
    fx.journal("velmoranote-2-2.journal", 2, "二", 22);
    // The real dialog: the first journal unticked, "恢復勾選的".
    SetQuestionAnswerForTesting(nullptr);
    bool answered = false;
    QTimer::singleShot(200, [&] {
        for (QWidget *top : QApplication::topLevelWidgets()) {
            auto *list = top->findChild<QTreeWidget *>("journalList");
            if (!list || !top->isVisible()) continue;
            QCOMPARE(list->topLevelItemCount(), 2);
            for (int i = 0; i < 2; ++i) {
                QTreeWidgetItem *item = list->topLevelItem(i);
                QVERIFY(item->text(2).contains("velmora200_k.xml"));
                if (item->text(0).contains("velmoranote-1-1.journal")) item->setCheckState(0, Qt::Unchecked);
            }
            QTest::mouseClick(top->findChild<QPushButton *>("restoreTicked"), Qt::LeftButton);
            answered = true;
        }
    });
    ScanWindow win(fx);
    QVERIFY(answered);
    QCOMPARE(win.capture->Notebooks().entry({0, 1}).x, -1);
    QCOMPARE(win.capture->Notebooks().entry({0, 2}).x, 22);
    const QStringList aside = QDir(fx.path()).entryList({"velmoranote-declined-*"}, QDir::Files);
    QCOMPARE(aside.size(), 1);
    QVERIFY(fx.read(aside[0]).contains("\"x\":11"));
    QCOMPARE(dialogs.notices.size(), 1);
    QVERIFY2(dialogs.notices[0].contains(aside[0]), qPrintable(dialogs.notices[0]));
}

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    TestJournalOffer test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_journaloffer.moc"
