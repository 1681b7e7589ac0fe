// Position capture end to end, with real input: reveal the capture mode, record two positions by
// right clicks on the scan, save, start again and see the marker where the clicks were. A save into a
// read-only notes file fails, keeps its flag and leaves the file as it was.
#include "images/PageView.h"
#include "shell/ErrorDisplay.h"
#include "shell/Main.h"
#include "shell/OwnerDrawList.h"
#include "support/ReaderFixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

const QByteArray kNotes = "<page>K1</page>\n"
                          "<條目>一</條目>\n<內容>甲</內容>\n"
                          "<條目>二</條目>\n<內容>乙</內容>\n"
                          "<page>K2</page>\n"
                          "<條目>三</條目>\n<內容>丙</內容>\n";

void ClickRow(OwnerDrawList *list, int row) {
    const QRect r = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

void RightClick(TfmMain &w, QPoint overlayPoint) {
    // The scroll box shows the point first, as a user would scroll to it.
    w.ScrollBox->ensureVisible(overlayPoint.x() - 3, overlayPoint.y(), 20, 20);
    QTest::mouseClick(w.imgPoint, Qt::RightButton, {}, overlayPoint);
}

bool RedAt(TfmMain &w, QPoint overlayPoint) {
    const QImage surface = w.imgPoint->RenderSurface(QRect(overlayPoint, QSize(1, 1)));
    return surface.pixelColor(0, 0) == QColor(Qt::red);
}

} // namespace

class TestCapture : public QObject {
    Q_OBJECT
    QStringList errors, messages;
private Q_SLOTS:
    void init() {
        errors.clear();
        messages.clear();
        SetErrorDisplayForTesting([this](const QString &m) { errors << m; });
        TfmMain::messageDialog = [this](const QString &m) { messages << m; };
        TfmMain::confirmDialog = [](const QString &) { return true; };
    }
    void recordSaveAndRestart();
    void readOnlyNotesKeepTheirFlag();
};

void TestCapture::recordSaveAndRestart() {
    ReaderFixture fx;
    fx.writeNotes(kNotes);
    fx.writeScan("Image/K/K1.jpg", 800, 1000);
    fx.writeScan("Image/K/K2.jpg", 800, 1000);
    {
        TfmMain w(fx.programPath());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // The keyword reveals the capture controls and clears itself; a capital letter does not.
        w.PageControl1->setCurrentIndex(2);
        QTest::keyClicks(w.edImg, "Update");
        QVERIFY(w.cbGetImgXY->isHidden());
        w.edImg->clear();
        QTest::keyClicks(w.edImg, "update");
        QVERIFY(!w.cbGetImgXY->isHidden() && !w.btSaveImgXY->isHidden());
        QCOMPARE(w.edImg->text(), QString());
        QTest::mouseClick(w.cbGetImgXY, Qt::LeftButton, {}, QPoint(5, w.cbGetImgXY->height() / 2));
        QVERIFY(w.cbGetImgXY->isChecked());

        w.PageControl1->setCurrentIndex(0);
        ClickRow(w.lbData, 1); // 一, on K1
        QCOMPARE(w.currentImagePath, QString(".\\image\\K\\K1.jpg"));
        RightClick(w, QPoint(120, 340));
        QCOMPARE(w.lbData->ItemIndex(), 2); // on to 二
        RightClick(w, QPoint(450, 610));
        QCOMPARE(w.lbData->ItemIndex(), 4); // past the page header K2, on to 三
        QCOMPARE(w.currentImagePath, QString(".\\image\\K\\K2.jpg"));
        QVERIFY(w.positionsChanged[0]);
        QCOMPARE(w.notebooks[0]->entries[1].x, 120);
        QCOMPARE(w.notebooks[0]->entries[2].y, 610);

        QTest::mouseClick(w.btSaveImgXY, Qt::LeftButton);
        QCOMPARE(messages, QStringList{"OK"});
        QVERIFY(!w.positionsChanged[0]);
        QVERIFY(w.close());
    }
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
    const QString saved = QString::fromUtf8(fx.read("velmora200_k.xml"));
    QVERIFY(saved.contains("<條目>一</條目>\n<座標 x=\"120\" y=\"340\"/>\r\n"));
    QVERIFY(saved.contains("<條目>二</條目>\n<座標 x=\"450\" y=\"610\"/>\r\n"));

    // A new start reads the positions back and marks them where they were clicked.
    TfmMain w(fx.programPath());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    ClickRow(w.lbData, 2);
    QVERIFY(RedAt(w, QPoint(450, 610)));
    QVERIFY(!RedAt(w, QPoint(120, 340)));
    ClickRow(w.lbData, 1);
    QVERIFY(RedAt(w, QPoint(120, 340)));
    QVERIFY(!RedAt(w, QPoint(450, 610)));
    QVERIFY(w.Timer->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(!RedAt(w, QPoint(120, 340)), 5000); // gone after three seconds
    QVERIFY(errors.isEmpty());
}

void TestCapture::readOnlyNotesKeepTheirFlag() {
    ReaderFixture fx;
    fx.writeNotes(kNotes, "<條目>丁</條目>\n");
    fx.writeScan("Image/K/K1.jpg", 400, 400);
    TfmMain w(fx.programPath());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.edImg->setText("update");
    w.cbGetImgXY->click();
    ClickRow(w.lbData, 1);
    RightClick(w, QPoint(30, 40));
    w.notebooks[1]->entries[0].x = 5;
    w.notebooks[1]->entries[0].y = 6;
    w.positionsChanged[1] = true;
    const QByteArray before = fx.read("velmora200_k.xml");
    QFile::setPermissions(fx.path("velmora200_k.xml"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);

    QTest::mouseClick(w.btSaveImgXY, Qt::LeftButton);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].contains("velmora200_k.xml"), qPrintable(errors[0]));
    QVERIFY(messages.isEmpty());
    QVERIFY(w.positionsChanged[0] && w.positionsChanged[1]); // M comes after K and is not saved either
    QCOMPARE(fx.read("velmora200_k.xml"), before);
    QVERIFY(!fx.read("velmora200_M.xml").contains("座標"));
    QCOMPARE(QDir(fx.path()).entryList({"velmora200_*"}, QDir::Files | QDir::Hidden).size(), 4);

    // Writable again: the retry saves both and says OK once.
    QFile::setPermissions(fx.path("velmora200_k.xml"), QFile::ReadOwner | QFile::WriteOwner);
    QTest::mouseClick(w.btSaveImgXY, Qt::LeftButton);
    QCOMPARE(messages, QStringList{"OK"});
    QVERIFY(!w.positionsChanged[0] && !w.positionsChanged[1]);
    QVERIFY(fx.read("velmora200_M.xml").contains("<座標 x=\"5\" y=\"6\"/>"));
}

int main(int argc, char **argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    ReaderApplication app(argc, argv);
    TestCapture test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_capture.moc"
