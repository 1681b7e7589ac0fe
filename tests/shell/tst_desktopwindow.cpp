// The window on the desktop: every control named for assistive technology, the window settings kept
// in a folder of their own, and the scan's marker and capture on a high-density screen. Registered
// twice: at the screen's own density and with QT_SCALE_FACTOR=2.
#include "images/PageViewer.h"
#include "images/ScanWidgets.h"
#include "images/ViewerMath.h"
#include "shell/IniFile.h"
#include "shell/MainWindow.h"
#include "support/ErrorCheckedTest.h"
#include "support/ReaderFixture.h"
#include "widgets/OwnerDrawList.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QWebEngineView>
#include <QtTest>

namespace {

// Entry 一 sits at (100, 80) of a 600 x 400 scan.
const QByteArray kNotesK = "<page>K1</page>\n"
                           "<條目>一</條目>\n<座標 x=\"100\" y=\"80\"/>\n<內容>a</內容>\n"
                           "<條目>二</條目>\n<內容>b</內容>\n";

struct Folder : ReaderFixture {
    Folder() {
        writeScan("Image/K/K1.jpg", 600, 400);
        writeNotes(kNotesK);
    }
};

bool HasChinese(const QString &text) {
    for (QChar c : text)
        if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF) return true;
    return false;
}

bool InsideWebView(const QWidget *w) {
    for (const QWidget *p = w->parentWidget(); p; p = p->parentWidget())
        if (qobject_cast<const QWebEngineView *>(p)) return true;
    return false;
}

// What a user operates: buttons, boxes, lists, tabs, the web view, the scan, menus, and whatever else
// takes the keyboard focus. The web view's own render surface and the scroll bars and tab-bar
// arrows that belong to a named control are parts of it, not controls of their own.
bool IsControl(const QWidget *w) {
    if (InsideWebView(w) || qobject_cast<const QScrollBar *>(w) ||
        qobject_cast<const QTabBar *>(w->parentWidget()))
        return false;
    return qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QLineEdit *>(w) ||
           qobject_cast<const QAbstractScrollArea *>(w) || qobject_cast<const QTabWidget *>(w) ||
           qobject_cast<const QTabBar *>(w) || qobject_cast<const QWebEngineView *>(w) ||
           qobject_cast<const QMenu *>(w) || qobject_cast<const PointOverlay *>(w) ||
           w->focusPolicy() != Qt::NoFocus;
}

bool IsRed(QRgb c) {
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}

int RedCount(const QImage &image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += IsRed(image.pixel(x, y));
    return n;
}

QRect RedBounds(const QImage &image) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (IsRed(image.pixel(x, y))) bounds |= QRect(x, y, 1, 1);
        }
    return bounds;
}

} // namespace

class TestDesktopWindow : public ErrorCheckedTest {
    Q_OBJECT
private Q_SLOTS:

    // Every control, the hidden capture controls included, has a name, in Chinese.
    void accessibleNames() {
        Folder fx;
        MainWindow w(fx.programPath());
        w.findChild<QLineEdit *>("edImg")->setText("update"); // reveals the capture controls
        QStringList unnamed;
        int controls = 0;
        for (QWidget *child : w.findChildren<QWidget *>()) {
            if (!IsControl(child)) continue;
            ++controls;
            if (!HasChinese(child->accessibleName()))
                unnamed << QStringLiteral("%1 %2 \"%3\"")
                               .arg(child->metaObject()->className(), child->objectName(),
                                    child->accessibleName());
        }
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join('\n')));
        QVERIFY(controls >= 30);
        QCOMPARE(w.findChild<QWidget *>("lbData")->accessibleName(), QString("條目列表"));
        QCOMPARE(w.findChild<QWidget *>("cbMItem")->accessibleName(), QString("條目 M"));
        QCOMPARE(w.findChild<QWidget *>("cbOPDF")->accessibleName(), QString("PDF 冊 O"));
    }

    // A library the user may not write keeps velmoranote.ini elsewhere: read from there at start,
    // written there at close, and the library folder untouched.
    void settingsInAFolderOfTheirOwn() {
        Folder fx;
        QTemporaryDir settings;
        IniFile stored(settings.filePath("velmoranote.ini"));
        stored.WriteFloat("System", "ImageRate", 0.75);
        stored.UpdateFile();
        {
            MainWindow w(fx.programPath(), nullptr, settings.path() + "/");
            QCOMPARE(w.findChild<PageViewer *>()->ZoomFactor(), 0.75f);
            w.findChild<PageViewer *>()->SetZoomFactor(1.5f);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QVERIFY(w.close());
        }
        QVERIFY(!QFile::exists(fx.path("velmoranote.ini")));
        QCOMPARE(IniFile(settings.filePath("velmoranote.ini")).ReadFloat("System", "ImageRate", 0), 1.5);
    }

    // At any density: list rows a design line high in logical pixels, the marker round and where the
    // entry's position lies, and a right click recording the same notes coordinates.
    void scanAtThisDensity() {
        Folder fx;
        MainWindow w(fx.programPath());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *viewer = w.findChild<PageViewer *>();
        auto *overlay = w.findChild<PointOverlay *>("imgPoint");
        auto *list = w.findChild<OwnerDrawList *>("lbData");
        viewer->SetZoomFactor(1.5f);
        const QRect row = list->visualRect(list->model()->index(1, 0));
        QCOMPARE(row.height(), list->visualRect(list->model()->index(0, 0)).height());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
        QVERIFY(viewer->IsMarkerShown());

        const QPixmap shot = overlay->grab(viewer::MarkerRect(100, 80, 1.5f).adjusted(-4, -4, 4, 4));
        const qreal density = shot.devicePixelRatio();
        QCOMPARE(density, w.devicePixelRatioF());
        const QRect red = RedBounds(shot.toImage());
        const QRect expected(QPoint(4, 4) * density, viewer::MarkerRect(100, 80, 1.5f).size() * density);
        // Painted at the screen's density: as wide and high as the marker, give or take its outline.
        QVERIFY2(qAbs(red.left() - expected.left()) <= density &&
                     qAbs(red.right() - expected.right()) <= density &&
                     qAbs(red.top() - expected.top()) <= density &&
                     qAbs(red.bottom() - expected.bottom()) <= density,
                 qPrintable(QStringLiteral("marker at %1,%2 %3x%4, expected %5,%6 %7x%8")
                                .arg(red.x())
                                .arg(red.y())
                                .arg(red.width())
                                .arg(red.height())
                                .arg(expected.x())
                                .arg(expected.y())
                                .arg(expected.width())
                                .arg(expected.height())));

        // Drawn at the device's pixels, not a logical-pixel drawing blown up: on a screen of density 2
        // some 2 x 2 block of device pixels along the marker's edge is partly red.
        if (density >= 2) {
            const QImage image = shot.toImage();
            bool finer = false;
            for (int y = 0; y + 1 < image.height() && !finer; y += 2)
                for (int x = 0; x + 1 < image.width() && !finer; x += 2) {
                    const int reds = RedCount(image.copy(x, y, 2, 2));
                    finer = reds > 0 && reds < 4;
                }
            QVERIFY2(finer, "the marker is a logical-pixel drawing scaled up");
        }

        w.findChild<QLineEdit *>("edImg")->setText("update");
        auto *record = w.findChild<QCheckBox *>("cbGetImgXY");
        QTest::mouseClick(record, Qt::LeftButton, {}, QPoint(5, record->height() / 2));
        QSignalSpy picked(viewer, &PageViewer::PositionPicked);
        QTest::mouseClick(overlay, Qt::RightButton, {}, QPoint(151, 121));
        QCOMPARE(picked.size(), 1);
        QCOMPARE(picked[0][0].toInt(), 100);
        QCOMPARE(picked[0][1].toInt(), 80);
    }
};

QTEST_MAIN(TestDesktopWindow)
#include "tst_desktopwindow.moc"
