// Position capture end to end, with real input: reveal the capture mode, record two positions by
// right clicks on the scan, save, start again and see the marker where the clicks were. A save into a
// read-only notes file fails, keeps its flag and leaves the file as it was.
#include "images/PageViewer.h"
#include "images/ScanWidgets.h"
#include "shell/CaptureSession.h"
#include "shell/MainWindow.h"
#include "support/DialogCapture.h"
#include "support/ReaderFixture.h"
#include "support/ScanWindow.h"
#include "widgets/OwnerDrawList.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

namespace {

const QByteArray kNotes = "<page>K1</page>\n"
                          "<條目>一</條目>\n<內容>甲</內容>\n"
                          "<條目>二</條目>\n<內容>乙</內容>\n"
                          "<page>K2</page>\n"
                          "<條目>三</條目>\n<內容>丙</內容>\n";

using Window = ScanWindow;

} // namespace

class TestCapture : public QObject {
    Q_OBJECT
    DialogCapture dialogs;
    QStringList &errors = dialogs.errors, &messages = dialogs.notices;
private Q_SLOTS:
    void init() { dialogs.Install(); }
    void recordSaveAndRestart();
    void readOnlyNotesKeepTheirFlag();
};

void TestCapture::recordSaveAndRestart() {
    ReaderFixture fx;
    fx.writeNotes(kNotes);
    fx.writeScan("Image/K/K1.jpg", 800, 1000);
    fx.writeScan("Image/K/K2.jpg", 800, 1000);
    {
        Window win(fx);
        // The keyword reveals the capture controls and clears itself; a capital letter does not.
        win.showTab(2);
        QTest::keyClicks(win.edImg, "Update");
        QVERIFY(win.cbGetImgXY->isHidden());
        win.edImg->clear();
        QTest::keyClicks(win.edImg, "update");
        QVERIFY(!win.cbGetImgXY->isHidden() && !win.btSaveImgXY->isHidden());
        QCOMPARE(win.edImg->text(), QString());
        QTest::mouseClick(win.cbGetImgXY, Qt::LeftButton, {}, QPoint(5, win.cbGetImgXY->height() / 2));
        QVERIFY(win.cbGetImgXY->isChecked());

        win.showTab(0);
        ClickRow(win.lbData, 1); // 一, on K1
        QCOMPARE(win.viewer->CurrentPath(), QString(".\\image\\K\\K1.jpg"));
        win.rightClick(QPoint(120, 340));
        QCOMPARE(win.lbData->ItemIndex(), 2); // on to 二
        win.rightClick(QPoint(450, 610));
        QCOMPARE(win.lbData->ItemIndex(), 4); // past the page header K2, on to 三
        QCOMPARE(win.viewer->CurrentPath(), QString(".\\image\\K\\K2.jpg"));
        QVERIFY(win.capture->IsChanged(0));

        QTest::mouseClick(win.btSaveImgXY, Qt::LeftButton);
        QCOMPARE(messages, QStringList{"OK"});
        QVERIFY(!win.capture->IsChanged(0));
        QVERIFY(win.w.close());
    }
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
    const QString saved = QString::fromUtf8(fx.read("velmora200_k.xml"));
    QVERIFY(saved.contains("<條目>一</條目>\n<座標 x=\"120\" y=\"340\"/>\r\n"));
    QVERIFY(saved.contains("<條目>二</條目>\n<座標 x=\"450\" y=\"610\"/>\r\n"));
    QVERIFY(!saved.contains("<條目>三</條目>\n<座標"));

    // A new start reads the positions back and marks them where they were clicked.
    Window win(fx);
    ClickRow(win.lbData, 2);
    QVERIFY(win.redAt(QPoint(450, 610)));
    QVERIFY(!win.redAt(QPoint(120, 340)));
    ClickRow(win.lbData, 1);
    QVERIFY(win.redAt(QPoint(120, 340)));
    QVERIFY(!win.redAt(QPoint(450, 610)));
    QVERIFY(win.timer->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(!win.redAt(QPoint(120, 340)), 5000); // gone after three seconds
    QVERIFY(!win.viewer->IsMarkerShown());
    QVERIFY(errors.isEmpty());
}

void TestCapture::readOnlyNotesKeepTheirFlag() {
    ReaderFixture fx;
    fx.writeNotes(kNotes, "<條目>丁</條目>\n");
    fx.writeScan("Image/K/K1.jpg", 400, 400);
    Window win(fx);
    win.edImg->setText("update");
    QTest::mouseClick(win.cbGetImgXY, Qt::LeftButton, {}, QPoint(5, win.cbGetImgXY->height() / 2));
    ClickRow(win.lbData, 1);
    win.rightClick(QPoint(30, 40));
    // A position for M's only entry, as a right click with its row selected would record it.
    win.capture->Record(NoteRef{1, 0}, 5, 6);
    QVERIFY(win.capture->IsChanged(0) && win.capture->IsChanged(1));
    const QByteArray before = fx.read("velmora200_k.xml");
    QFile::setPermissions(fx.path("velmora200_k.xml"),
                          QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);

    QTest::mouseClick(win.btSaveImgXY, Qt::LeftButton);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].contains("velmora200_k.xml"), qPrintable(errors[0]));
    QVERIFY(messages.isEmpty());
    // M comes after K and is not saved either.
    QVERIFY(win.capture->IsChanged(0) && win.capture->IsChanged(1));
    QCOMPARE(fx.read("velmora200_k.xml"), before);
    QVERIFY(!fx.read("velmora200_M.xml").contains("座標"));
    QCOMPARE(QDir(fx.path()).entryList({"velmora200_*"}, QDir::Files | QDir::Hidden).size(), 4);

    // Writable again: the retry saves both and says OK once.
    QFile::setPermissions(fx.path("velmora200_k.xml"), QFile::ReadOwner | QFile::WriteOwner);
    QTest::mouseClick(win.btSaveImgXY, Qt::LeftButton);
    QCOMPARE(messages, QStringList{"OK"});
    QVERIFY(!win.capture->HasUnsavedPositions());
    QVERIFY(fx.read("velmora200_k.xml").contains("<條目>一</條目>\n<座標 x=\"30\" y=\"40\"/>"));
    QVERIFY(fx.read("velmora200_M.xml").contains("<座標 x=\"5\" y=\"6\"/>"));
}

int main(int argc, char **argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv); // the panes catch their handlers' errors and show them themselves
    TestCapture test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_capture.moc"
