// The page image pane of the reader window: loading and zooming, wheel scrolling and dragging, the
// marker, the scans and PDF browsers, and the position capture; on real JPEG files in a program
// folder.
#include "corpus/Error.h"
#include "images/FileLists.h"
#include "images/PageView.h"
#include "platform/DesktopOpen.h"
#include "shell/ErrorDisplay.h"
#include "shell/Main.h"
#include "shell/OwnerDrawList.h"
#include "support/ReaderFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest>

namespace {

const QString kK1 = QStringLiteral(".\\image\\K\\K1.jpg");
const QString kK2 = QStringLiteral(".\\image\\K\\K2.jpg");
const QRgb kPageBlue = qRgb(0, 0, 255);

// Records 0 page K1, 1 at (400,300), 2 without position, 3 page K2, 4 at (5,5), 5 page K3 whose scan is
// missing, 6 on it at (10,10).
const QByteArray kNotesK = "<page>K1</page>\n"
                           "<條目>一</條目>\n<座標 x=\"400\" y=\"300\"/>\n<內容>a</內容>\n"
                           "<條目>二</條目>\n<內容>b</內容>\n"
                           "<page>K2</page>\n"
                           "<條目>三</條目>\n<座標 x=\"5\" y=\"5\"/>\n<內容>c</內容>\n"
                           "<page>K3</page>\n"
                           "<條目>四</條目>\n<座標 x=\"10\" y=\"10\"/>\n<內容>d</內容>\n";

bool IsRed(QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; }
bool IsBlue(QRgb c) { return qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60; }

QColor PixelOfRow(OwnerDrawList *list, int row) {
    const QRect r = list->visualRect(list->model()->index(row, 0));
    return list->viewport()->grab().toImage().pixelColor(r.right() - 3, r.top() + 3);
}

QStringList Rows(OwnerDrawList *list) {
    QStringList rows;
    for (int i = 0; i < list->model()->rowCount(); ++i)
        rows << list->model()->index(i, 0).data().toString();
    return rows;
}

// A program folder with two blue 1000 x 1500 scans, letter folders with files to list, and the notes.
struct Folder : ReaderFixture {
    Folder() {
        writeScan("Image/K/K1.jpg", 1000, 1500, kPageBlue);
        writeScan("Image/K/K2.jpg", 1000, 1500, kPageBlue);
        writeScan("Image/L/L001.jpg", 40, 40);
        write("PDF/K/K1.pdf", "%PDF");
        write("PDF/N/N2.pdf", "%PDF");
        write("PDF/N/N1.pdf", "%PDF");
        writeNotes(kNotesK);
    }
};

struct Window {
    explicit Window(const Folder &fx) : w(fx.programPath()) {
        w.show();
        if (!QTest::qWaitForWindowExposed(&w))
            qFatal("window not exposed");
    }
    TfmMain w;
};

void SendWheel(TfmMain &w, Qt::KeyboardModifiers mods, int delta, bool sideways = false) {
    const QPointF at(20, 20);
    const QPoint angle = sideways ? QPoint(delta, 0) : QPoint(0, delta);
    QWheelEvent event(at, w.ScrollBox->viewport()->mapToGlobal(at), QPoint(), angle, Qt::NoButton, mods,
                      Qt::NoScrollPhase, false);
    // Where a wheel turned over the page ends up: the scroll box's viewport.
    QApplication::sendEvent(w.ScrollBox->viewport(), &event);
}

QAction *MenuItem(TfmMain &w, const QString &caption) {
    for (QAction *a : w.ImagePopupMenu->actions())
        if (a->text() == caption)
            return a;
    return nullptr;
}

} // namespace

class TestViewer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void zoomMenuItems();
    void loadAndZoom();
    void loadFailureKeepsThePage();
    void wheel_data();
    void wheel();
    void drag_data();
    void drag();
    void markerShownAndCleared();
    void entryScrolling_data();
    void entryScrolling();
    void entryOnMissingScan();
    void scansList();
    void scansListOpensPage();
    void pdfList();
    void capture();
    void captureAdvanceAtTheEnd();
    void saveCapturedPositions();
};

void TestViewer::init() {
    TfmMain::confirmDialog = [](const QString &) { return true; };
    TfmMain::messageDialog = [](const QString &) {};
    SetDesktopOpenerForTesting(nullptr);
}

void TestViewer::zoomMenuItems() {
    Folder fx;
    Window win(fx);
    TfmMain &w = win.w;
    QStringList captions;
    for (QAction *a : w.ImagePopupMenu->actions())
        captions << a->text();
    QCOMPARE(captions, (QStringList{"25%", "50%", "75%", "100%", "150%", "200%"}));
    QCOMPARE(w.ImagePopupMenu->defaultAction(), w.N1003);
    QVERIFY(w.N1003->font().bold());
    QVERIFY(!w.Timer->isActive());
    QCOMPARE(w.Timer->interval(), 3000);

    // A right click opens the menu only while its automatic popup is on.
    for (bool automatic : {false, true}) {
        w.imagePopupAuto = automatic;
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), w.imgPoint->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(w.imgPoint, &event);
        QCOMPARE(w.ImagePopupMenu->isVisible(), automatic);
        w.ImagePopupMenu->hide();
    }
}

void TestViewer::loadAndZoom() {
    Folder fx;
    Window win(fx);
    TfmMain &w = win.w;
    w.imageRate = 1.5f;
    w.LoadPageImage(kK1);
    QCOMPARE(w.Image->size(), QSize(1500, 2250));
    QCOMPARE(w.imgPoint->size(), QSize(1500, 2250));
    QCOMPARE(w.imgPoint->x(), w.Image->x() - 3);
    QCOMPARE(w.currentImagePath, kK1);
    QCOMPARE(w.Image->NaturalSize(), QSize(1000, 1500));

    w.imageRate = 1.0f;
    w.LoadPageImage(kK1);
    QCOMPARE(w.Image->size(), QSize(1000, 1500));
    // One notch away with Ctrl, then "100%": the float rate loses a pixel.
    SendWheel(w, Qt::ControlModifier, 120);
    QCOMPARE(w.imageRate, 1.1f);
    QCOMPARE(w.Image->size(), QSize(1100, 1650));
    QCOMPARE(w.imgPoint->SurfaceSize(), QSize(1100, 1650));
    MenuItem(w, "100%")->trigger();
    QCOMPARE(w.imageRate, 1.0f);
    QCOMPARE(w.Image->size(), QSize(999, 1499));
    QCOMPARE(w.imgPoint->size(), QSize(999, 1499));
    QCOMPARE(w.imgPoint->SurfaceSize(), QSize(999, 1499));
    MenuItem(w, "25%")->trigger();
    QCOMPARE(w.Image->size(), QSize(249, 374));
    // The scroll range follows the page.
    QCOMPARE(w.ScrollBox->horizontalScrollBar()->maximum(), qMax(0, 249 - w.ScrollBox->viewport()->width()));

    // The page as painted: blue at every zoom, also below half size where a smaller copy is used.
    for (const char *item : {"25%", "200%"}) {
        MenuItem(w, item)->trigger();
        const QImage shown = w.ScrollBox->viewport()->grab().toImage();
        QVERIFY2(IsBlue(shown.pixel(40, 40)), item);
    }

    // A thousand Ctrl steps each way: sizes stay within what a widget can take, nothing breaks.
    for (int delta : {120, -120}) {
        for (int i = 0; i < 1000; ++i) {
            bool handled = false;
            w.ScrollBoxMouseWheel(Qt::ControlModifier, delta, handled);
        }
        QVERIFY(w.Image->width() <= QWIDGETSIZE_MAX && w.Image->width() >= 0);
        QVERIFY(std::isfinite(w.imageRate));
        w.ScrollBox->viewport()->grab();
    }
    w.imageRate = 2.0f;
    w.LoadPageImage(kK2); // a load starts again from the natural size
    QCOMPARE(w.Image->size(), QSize(2000, 3000));
}

void TestViewer::loadFailureKeepsThePage() {
    Folder fx;
    fx.write("Image/K/bad.jpg", "not a picture");
    Window win(fx);
    TfmMain &w = win.w;
    w.LoadPageImage(kK1);
    w.ScrollBox->SetVert(100);
    for (const QString &path : {QStringLiteral(".\\image\\K\\none.jpg"), QStringLiteral(".\\image\\K\\bad.jpg")}) {
        try {
            w.LoadPageImage(path);
            QFAIL("no error");
        } catch (const VelmoraError &e) {
            QVERIFY2(e.message().contains(path), qPrintable(e.message()));
        }
        QCOMPARE(w.currentImagePath, kK1);
        QCOMPARE(w.Image->size(), QSize(1000, 1500));
        QCOMPARE(w.Image->NaturalSize(), QSize(1000, 1500));
        QCOMPARE(w.ScrollBox->Vert(), 100);
    }
    try {
        w.LoadPageImage(".\\image\\K\\none.jpg");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), QString("Cannot open file \".\\image\\K\\none.jpg\". No such file or directory"));
    }
}

void TestViewer::wheel_data() {
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("delta");
    QTest::addColumn<int>("startHorz");
    QTest::addColumn<int>("startVert");
    QTest::addColumn<int>("horz");
    QTest::addColumn<int>("vert");
    QTest::addColumn<float>("rate");
    QTest::addColumn<bool>("sideways"); // the distance comes in x, as a tilted wheel gives it
    QTest::newRow("away scrolls up") << 0 << 120 << 200 << 200 << 200 << 80 << 1.0f << false;
    QTest::newRow("towards scrolls down") << 0 << -120 << 200 << 200 << 200 << 320 << 1.0f << false;
    QTest::newRow("at the top stays") << 0 << 120 << 200 << 0 << 200 << 0 << 1.0f << false;
    QTest::newRow("shift scrolls sideways") << int(Qt::ShiftModifier) << 120 << 200 << 200 << 80 << 200 << 1.0f << false;
    QTest::newRow("shift and ctrl: sideways, no zoom")
        << int(Qt::ShiftModifier | Qt::ControlModifier) << -120 << 200 << 200 << 320 << 200 << 1.0f << false;
    QTest::newRow("ctrl away zooms in") << int(Qt::ControlModifier) << 120 << 200 << 200 << 200 << 200 << 1.1f << false;
    QTest::newRow("ctrl without distance zooms out") << int(Qt::ControlModifier) << 0 << 200 << 200 << 200 << 200 << 0.9f << false;
    QTest::newRow("shift with the distance in x") << int(Qt::ShiftModifier) << 120 << 200 << 200 << 80 << 200 << 1.0f << true;
    QTest::newRow("tilted wheel scrolls sideways") << 0 << -120 << 200 << 200 << 320 << 200 << 1.0f << true;
}

void TestViewer::wheel() {
    QFETCH(int, modifiers);
    QFETCH(int, delta);
    QFETCH(int, startHorz);
    QFETCH(int, startVert);
    QFETCH(int, horz);
    QFETCH(int, vert);
    QFETCH(float, rate);
    QFETCH(bool, sideways);
    Folder fx;
    Window win(fx);
    TfmMain &w = win.w;
    w.LoadPageImage(kK1);
    w.ScrollBox->SetHorz(startHorz);
    w.ScrollBox->SetVert(startVert);
    if (delta == 0) {
        bool handled = false;
        w.ScrollBoxMouseWheel(Qt::KeyboardModifiers(modifiers), 0, handled);
        QVERIFY(handled);
    } else {
        SendWheel(w, Qt::KeyboardModifiers(modifiers), delta, sideways);
    }
    QCOMPARE(w.ScrollBox->Horz(), horz);
    QCOMPARE(w.ScrollBox->Vert(), vert);
    QCOMPARE(w.imageRate, rate);
}

void TestViewer::drag_data() {
    QTest::addColumn<int>("button");
    QTest::newRow("left") << int(Qt::LeftButton);
    QTest::newRow("middle") << int(Qt::MiddleButton);
}

void TestViewer::drag() {
    QFETCH(int, button);
    Folder fx;
    Window win(fx);
    TfmMain &w = win.w;
    w.LoadPageImage(kK1);
    w.ScrollBox->SetHorz(100);
    w.ScrollBox->SetVert(100);
    const QPoint start = w.imgPoint->mapToGlobal(QPoint(300, 300));
    const auto pointerTo = [](QPoint p) {
        QCursor::setPos(p);
        QTRY_COMPARE(QCursor::pos(), p);
    };
    // A move without a press does nothing.
    pointerTo(start);
    w.imgPointMouseMove(Qt::NoModifier, 0, 0);
    QCOMPARE(w.ScrollBox->Horz(), 100);

    w.imgPointMouseDown(Qt::MouseButton(button), Qt::NoModifier, 300, 300);
    QVERIFY(w.dragging);
    pointerTo(start + QPoint(-50, -30));
    w.imgPointMouseMove(Qt::NoModifier, 0, 0);
    QCOMPARE(w.ScrollBox->Horz(), 150);
    QCOMPARE(w.ScrollBox->Vert(), 130);
    // Far beyond the page: clamped to the end of the range.
    pointerTo(QPoint(0, start.y()));
    QVERIFY(100 + start.x() > w.ScrollBox->horizontalScrollBar()->maximum());
    w.imgPointMouseMove(Qt::NoModifier, 0, 0);
    QCOMPARE(w.ScrollBox->Horz(), w.ScrollBox->horizontalScrollBar()->maximum());
    w.imgPointMouseUp(Qt::MouseButton(button), Qt::NoModifier, 0, 0);
    QVERIFY(!w.dragging);
    pointerTo(start);
    w.imgPointMouseMove(Qt::NoModifier, 0, 0);
    QCOMPARE(w.ScrollBox->Horz(), w.ScrollBox->horizontalScrollBar()->maximum());
}

void TestViewer::markerShownAndCleared() {
    Folder fx;
    Window win(fx);
    TfmMain &w = win.w;
    w.imageRate = 1.5f;
    w.ShowEntryOnImage(0, 1); // (400, 300)
    QCOMPARE(w.currentImagePath, kK1);
    QCOMPARE(w.imgPoint->cursor().shape(), Qt::SizeAllCursor);
    QCOMPARE(w.imgPoint->SurfaceSize(), QSize(1500, 2250));
    QCOMPARE(w.ScrollBox->Vert(), int(450 - w.ScrollBox->height() / 3));
    QCOMPARE(w.ScrollBox->Horz(), int(600 - w.ScrollBox->width() / 2));
    QVERIFY(w.Timer->isActive());
    // The marker: rectangle (590,440)-(610,460) on the surface, red inside, white around.
    const QImage surface = w.imgPoint->RenderSurface(QRect(580, 430, 40, 40));
    QVERIFY(IsRed(surface.pixel(20, 20)));
    QVERIFY(IsRed(surface.pixel(11, 20)) && IsRed(surface.pixel(29, 20)));
    QCOMPARE(surface.pixel(9, 20), qRgb(255, 255, 255));
    QCOMPARE(surface.pixel(30, 20), qRgb(255, 255, 255));
    QCOMPARE(surface.pixel(11, 11), qRgb(255, 255, 255)); // outside the circle, inside its box
    // On screen: red over the marker, the blue page through the rest of the overlay.
    const QPoint centre = w.imgPoint->mapTo(w.ScrollBox->viewport(), QPoint(600, 450));
    QImage shown = w.ScrollBox->viewport()->grab().toImage();
    QVERIFY(IsRed(shown.pixel(centre)));
    QVERIFY(IsBlue(shown.pixel(centre + QPoint(30, 0))));

    // The same page again: no reload (the file is gone), the first marker goes, the new one stays.
    QVERIFY(QFile::remove(fx.path("Image/K/K1.jpg")));
    w.ShowEntryOnImage(0, 2); // no position
    QVERIFY(!w.Timer->isActive());
    QCOMPARE(w.imgPoint->RenderSurface(QRect(580, 430, 40, 40)).pixel(20, 20), qRgb(255, 255, 255));
    w.ShowEntryOnImage(0, 1);
    QVERIFY(w.Timer->isActive());
    // Three seconds later the Timer clears it and stops.
    QTRY_VERIFY_WITH_TIMEOUT(!w.Timer->isActive(), 4000);
    QCOMPARE(w.imgPoint->RenderSurface(QRect(580, 430, 40, 40)).pixel(20, 20), qRgb(255, 255, 255));
    QCOMPARE(w.imgPoint->ShapeCount(), 0);
    shown = w.ScrollBox->viewport()->grab().toImage();
    QVERIFY(IsBlue(shown.pixel(centre)));

    // Near the corner the marker reaches out of the overlay; the part inside shows.
    w.imageRate = 1.0f;
    w.ShowEntryOnImage(0, 4); // (5, 5) on K2
    QCOMPARE(w.ScrollBox->Horz(), 0);
    QCOMPARE(w.ScrollBox->Vert(), 0);
    const QImage corner = w.imgPoint->RenderSurface(QRect(0, 0, 20, 20));
    QVERIFY(IsRed(corner.pixel(5, 5)) && IsRed(corner.pixel(0, 5)));
    QCOMPARE(corner.pixel(16, 5), qRgb(255, 255, 255));
}

void TestViewer::entryScrolling_data() {
    QTest::addColumn<int>("entry"); // record of K; the record's position is patched to x, y
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<QString>("horz"); // "same", "0", "max", or "x"/"y" for the scroll target
    QTest::addColumn<QString>("vert");
    QTest::addColumn<bool>("marker");
    QTest::newRow("no position") << 1 << -1 << -1 << "same" << "same" << false;
    QTest::newRow("x only") << 1 << 650 << -1 << "x" << "same" << false;
    QTest::newRow("y only") << 1 << -1 << 900 << "same" << "y" << false;
    QTest::newRow("x 0") << 1 << 0 << 900 << "0" << "y" << false;
    QTest::newRow("page record: top right corner") << 0 << -1 << -1 << "max" << "0" << false;
}

void TestViewer::entryScrolling() {
    QFETCH(int, entry);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(QString, horz);
    QFETCH(QString, vert);
    QFETCH(bool, marker);
    Folder fx;
    Window win(fx);
    TfmMain &w = win.w;
    w.notebooks[0]->entries[entry].x = x;
    w.notebooks[0]->entries[entry].y = y;
    w.LoadPageImage(kK1);
    w.ScrollBox->SetHorz(100);
    w.ScrollBox->SetVert(100);
    w.ShowEntryOnImage(0, entry);
    // "x" and "y": the position in the middle, one third down, clamped to the range.
    const auto expect = [](const QString &what, int same, int max, int computed) {
        return what == "same" ? same : what == "0" ? 0 : what == "max" ? max : qBound(0, computed, max);
    };
    const int maxHorz = w.ScrollBox->horizontalScrollBar()->maximum();
    const int maxVert = w.ScrollBox->verticalScrollBar()->maximum();
    QCOMPARE(w.ScrollBox->Horz(), expect(horz, 100, maxHorz, x - w.ScrollBox->width() / 2));
    QCOMPARE(w.ScrollBox->Vert(), expect(vert, 100, maxVert, y - w.ScrollBox->height() / 3));
    QCOMPARE(w.Timer->isActive(), marker);
    QCOMPARE(w.imgPoint->ShapeCount(), 0);
}

void TestViewer::entryOnMissingScan() {
    Folder fx;
    Window win(fx);
    TfmMain &w = win.w;
    w.ShowEntryOnImage(0, 1);
    w.ScrollBox->SetVert(77);
    try {
        w.ShowEntryOnImage(0, 6); // K3 has no scan
        QFAIL("no error");
    } catch (const VelmoraError &e) {
        QVERIFY2(e.message().contains("K3.jpg"), qPrintable(e.message()));
    }
    QCOMPARE(w.currentImagePath, kK1);
    QCOMPARE(w.ScrollBox->Vert(), 77);
    QVERIFY(!w.Timer->isActive());
    QCOMPARE(w.imgPoint->ShapeCount(), 0);
    QVERIFY(IsBlue(w.ScrollBox->viewport()->grab().toImage().pixel(40, 40)));
}

void TestViewer::scansList() {
    Folder fx;
    Window win(fx);
    TfmMain &w = win.w;
    w.PageControl1->setCurrentIndex(2);
    QCOMPARE(Rows(w.lbImg), (QStringList{"K1.jpg", "K2.jpg", "L001.jpg"}));
    QCOMPARE(PixelOfRow(w.lbImg, 0), QColor("#FFD0D0"));
    QCOMPARE(PixelOfRow(w.lbImg, 1), QColor("#FFF0F0"));
    QCOMPARE(PixelOfRow(w.lbImg, 2), QColor("#FFFFBB"));
    w.lbImg->SetItemIndex(1);
    QCOMPARE(PixelOfRow(w.lbImg, 1), QColor("#000080"));

    w.cbLImg->click();
    QCOMPARE(Rows(w.lbImg), (QStringList{"K1.jpg", "K2.jpg"}));
    QCOMPARE(w.lbImg->ItemIndex(), -1); // refilling loses the selection
    w.cbLImg->click();
    QCOMPARE(Rows(w.lbImg), (QStringList{"K1.jpg", "K2.jpg", "L001.jpg"}));
    // The stripe follows the row in the whole list: L001 on an odd row takes L's other colour.
    w.cbKImg->click();
    w.cbKImg->click();
    QTest::keyClicks(w.edImg, "L");
    QCOMPARE(Rows(w.lbImg), (QStringList{"L001.jpg"}));
    w.edImg->setText("2");
    QCOMPARE(Rows(w.lbImg), (QStringList{"K2.jpg"}));
    w.edImg->setText("k");
    QCOMPARE(Rows(w.lbImg), QStringList());

    // Only the exact keyword reveals the capture controls.
    w.edImg->setText("Update");
    QCOMPARE(Rows(w.lbImg), QStringList());
    QVERIFY(w.cbGetImgXY->isHidden());
    w.edImg->setText("update");
    QVERIFY(w.cbGetImgXY->isVisible() && w.btSaveImgXY->isVisible());
    QVERIFY(!w.cbGetImgXY->isChecked());
    QCOMPARE(w.edImg->text(), QString());
    QCOMPARE(Rows(w.lbImg), (QStringList{"K1.jpg", "K2.jpg", "L001.jpg"}));

    // Letter colours by the first character, for names of every kind.
    const std::array<QColor, 5> colors{QColor("#FFD0D0"), QColor("#FFFFBB"), QColor("#D0FFD0"), QColor("#FFEED0"),
                                       QColor("#D0D0FF")};
    const std::array<QColor, 5> alt{QColor("#FFF0F0"), QColor("#FFFFE3"), QColor("#F0FFF0"), QColor("#FFFAF0"),
                                    QColor("#F0F0FF")};
    const QList<QPair<QString, QColor>> cases{{"O9.jpg", colors[4]}, {"book.pdf", colors[0]}, {"", colors[0]},
                                              {"M1.pdf", colors[2]}, {"x.JPG", colors[0]}};
    for (const auto &c : cases) {
        QImage row(60, 21, QImage::Format_RGB32);
        QPainter painter(&row);
        PaintFileRow(painter, row.rect(), c.first, 0, false, colors, alt);
        painter.end();
        QCOMPARE(row.pixelColor(55, 3), c.second);
    }
}

void TestViewer::scansListOpensPage() {
    Folder fx;
    Window win(fx);
    TfmMain &w = win.w;
    w.PageControl1->setCurrentIndex(2);
    // No row selected: nothing to open.
    w.lbImgClick();
    QCOMPARE(w.currentImagePath, QString());
    // A click on a row, as the user makes it.
    QTest::mouseClick(w.lbImg->viewport(), Qt::LeftButton, {}, w.lbImg->visualRect(w.lbImg->model()->index(1, 0)).center());
    QCOMPARE(w.currentImagePath, kK2);
    QCOMPARE(w.Image->size(), QSize(1000, 1500));
    QCOMPARE(w.imgPoint->SurfaceSize(), QSize(1000, 1500));
    QCOMPARE(w.ScrollBox->Vert(), 0);
    QVERIFY(w.ScrollBox->Horz() > 0);
    QCOMPARE(w.ScrollBox->Horz(), w.ScrollBox->horizontalScrollBar()->maximum());
    // The page already shown: nothing changes, not even the scroll positions.
    w.ScrollBox->SetHorz(10);
    w.ScrollBox->SetVert(20);
    w.lbImgClick();
    QCOMPARE(w.ScrollBox->Horz(), 10);
    QCOMPARE(w.ScrollBox->Vert(), 20);
    // A name whose scan cannot be opened: the error, and the page stays.
    fx.write("Image/L/L002.jpg", "broken");
    w.imgFileLists[1].append("L002.jpg");
    w.FilterImageList();
    w.lbImg->SetItemIndex(3);
    QVERIFY_THROWS_EXCEPTION(VelmoraError, w.lbImgClick());
    QCOMPARE(w.currentImagePath, kK2);
    QCOMPARE(w.ScrollBox->Horz(), 10);
}

void TestViewer::pdfList() {
    Folder fx;
    Window win(fx);
    TfmMain &w = win.w;
    QStringList opened;
    SetDesktopOpenerForTesting([&](const QString &, const QString &requested) { opened << requested; });
    w.PageControl1->setCurrentIndex(3);
    QCOMPARE(Rows(w.lbPDF), (QStringList{"K1.pdf", "N1.pdf", "N2.pdf"}));
    QCOMPARE(PixelOfRow(w.lbPDF, 0), QColor("#FFD0D0"));
    QCOMPARE(PixelOfRow(w.lbPDF, 1), QColor("#FFFAF0"));
    QCOMPARE(PixelOfRow(w.lbPDF, 2), QColor("#FFEED0"));

    w.lbPDFClick(); // no row selected
    QCOMPARE(opened, QStringList());
    const QPoint row1 = w.lbPDF->visualRect(w.lbPDF->model()->index(1, 0)).center();
    QTest::mouseClick(w.lbPDF->viewport(), Qt::LeftButton, {}, row1);
    QTest::mouseClick(w.lbPDF->viewport(), Qt::LeftButton, {}, row1);
    QCOMPARE(opened, (QStringList{"PDF\\N\\N1.pdf", "PDF\\N\\N1.pdf"}));
    w.btReadme->click();
    QCOMPARE(opened.last(), QString("readme.pdf"));

    w.cbNPDF->click();
    QCOMPARE(Rows(w.lbPDF), (QStringList{"K1.pdf"}));
    w.cbNPDF->click();
    w.edPDF->setText("2");
    QCOMPARE(Rows(w.lbPDF), (QStringList{"N2.pdf"}));
    // The keyword belongs to the scans filter only.
    w.edPDF->setText("update");
    QCOMPARE(Rows(w.lbPDF), QStringList());
    QVERIFY(w.cbGetImgXY->isHidden());
}

void TestViewer::capture() {
    Folder fx;
    Window win(fx);
    TfmMain &w = win.w;
    const auto &entries = w.notebooks[0]->entries;
    w.imageRate = 1.5f;
    w.lbData->SetItemIndex(1);
    w.ShowEntry(0, 1, QString());
    // Not in capture mode: a right click records nothing.
    w.imgPointMouseDown(Qt::RightButton, Qt::NoModifier, 601, 452);
    QCOMPARE(entries[1].x, 400);
    QCOMPARE(w.lbData->ItemIndex(), 1);

    w.edImg->setText("update");
    w.cbGetImgXY->click();
    QVERIFY(!w.imagePopupAuto);
    w.imgPointMouseDown(Qt::RightButton, Qt::NoModifier, 601, 452);
    QCOMPARE(entries[1].x, 400);
    QCOMPARE(entries[1].y, 301);
    QVERIFY(w.positionsChanged[0]);
    QCOMPARE(w.lbData->ItemIndex(), 2);
    // Row 3 is page K2: the advance jumps over it to the entry after it, which is shown.
    w.imgPointMouseDown(Qt::RightButton, Qt::NoModifier, 1, 30);
    QCOMPARE(entries[2].x, 0);
    QCOMPARE(entries[2].y, 20);
    QCOMPARE(w.lbData->ItemIndex(), 4);
    QCOMPARE(w.currentImagePath, kK2);
    // A page record selected: nothing recorded, the selection still moves on.
    w.positionsChanged[0] = false;
    w.lbData->SetItemIndex(0);
    w.imgPointMouseDown(Qt::RightButton, Qt::NoModifier, 90, 90);
    QCOMPARE(entries[0].x, -1);
    QVERIFY(!w.positionsChanged[0]);
    QCOMPARE(w.lbData->ItemIndex(), 1);
    // No row selected: nothing at all.
    w.lbData->SetItemIndex(-1);
    w.imgPointMouseDown(Qt::RightButton, Qt::NoModifier, 90, 90);
    QVERIFY(!w.positionsChanged[0]);
    QCOMPARE(w.lbData->ItemIndex(), -1);
    // Other buttons drag, in capture mode as outside it.
    w.imgPointMouseDown(Qt::LeftButton, Qt::NoModifier, 90, 90);
    QVERIFY(w.dragging);
    QVERIFY(!w.positionsChanged[0]);
    w.cbGetImgXY->click();
    QVERIFY(w.imagePopupAuto);
}

void TestViewer::captureAdvanceAtTheEnd() {
    Folder fx;
    // Rows: 0 page K1, 1 entry, 2 page K2 as the last row.
    fx.writeNotes("<page>K1</page>\n<條目>一</條目>\n<內容>a</內容>\n<page>K2</page>\n");
    Window win(fx);
    TfmMain &w = win.w;
    w.edImg->setText("update");
    w.cbGetImgXY->click();
    w.lbData->SetItemIndex(1);
    w.imgPointMouseDown(Qt::RightButton, Qt::NoModifier, 50, 60);
    QCOMPARE(w.notebooks[0]->entries[1].x, 50);
    // The page record after it is the last row: it is selected, nothing is shown.
    QCOMPARE(w.lbData->ItemIndex(), 2);
    QCOMPARE(w.currentImagePath, QString());
    // On the last row the selection stays.
    w.imgPointMouseDown(Qt::RightButton, Qt::NoModifier, 50, 60);
    QCOMPARE(w.lbData->ItemIndex(), 2);
    QCOMPARE(w.currentImagePath, QString());
}

void TestViewer::saveCapturedPositions() {
    Folder fx;
    fx.write("velmora200_N.xml", "<條目>丙</條目>\n<內容>n</內容>\n");
    Window win(fx);
    TfmMain &w = win.w;
    QStringList messages;
    TfmMain::messageDialog = [&](const QString &text) { messages << text; };
    w.btSaveImgXYClick(); // nothing changed: nothing shown
    QCOMPARE(messages, QStringList());

    w.notebooks[0]->entries[2].x = 35;
    w.notebooks[0]->entries[2].y = 410;
    w.notebooks[2]->entries[0].x = 7;
    w.notebooks[2]->entries[0].y = 8;
    w.positionsChanged[0] = w.positionsChanged[2] = true;
    // K no longer holds what was loaded: its save fails, so N after it is not saved either.
    const QByteArray k = fx.read("velmora200_k.xml");
    fx.write("velmora200_k.xml", "<條目>別</條目>\n");
    QVERIFY_THROWS_EXCEPTION(VelmoraError, w.btSaveImgXYClick());
    QVERIFY(w.positionsChanged[0] && w.positionsChanged[2]);
    QCOMPARE(messages, QStringList());
    QVERIFY(!fx.read("velmora200_N.xml").contains("座標"));

    fx.write("velmora200_k.xml", k);
    w.btSaveImgXYClick();
    QCOMPARE(messages, QStringList{"OK"});
    QVERIFY(!w.positionsChanged[0] && !w.positionsChanged[2]);
    QVERIFY(QString::fromUtf8(fx.read("velmora200_k.xml")).contains("<座標 x=\"35\" y=\"410\"/>"));
    QVERIFY(QString::fromUtf8(fx.read("velmora200_N.xml")).contains("<座標 x=\"7\" y=\"8\"/>"));
    w.btSaveImgXYClick();
    QCOMPARE(messages, QStringList{"OK"});
}

int main(int argc, char **argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    ReaderApplication app(argc, argv); // handler errors reach the error display, as in the program
    TestViewer test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_viewer.moc"
