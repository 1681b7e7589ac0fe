// The page image pane of the reader window: loading and zooming, wheel scrolling and dragging, the
// marker, the scans and PDF browsers, and the position capture; on real JPEG files in a program
// folder, with real input on the window's own controls.
#include "common/Error.h"
#include "corpus/Data.h"
#include "images/PageViewer.h"
#include "images/ScanWidgets.h"
#include "platform/DesktopOpen.h"
#include "shell/CaptureSession.h"
#include "shell/MainWindow.h"
#include "support/ReaderFixture.h"
#include "support/ScanWindow.h"
#include "widgets/ErrorBoundary.h"
#include "widgets/FileNamesModel.h"
#include "widgets/OwnerDrawList.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
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

bool IsRed(QRgb c) {
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}
bool IsBlue(QRgb c) {
    return qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60;
}

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

// A click in the empty part of a list, below its last row.
void ClickBelowRows(OwnerDrawList *list) {
    const int rows = list->model()->rowCount();
    const int bottom = rows > 0 ? list->visualRect(list->model()->index(rows - 1, 0)).bottom() : 0;
    QVERIFY(bottom + 10 < list->viewport()->height());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(20, bottom + 10));
}

// The records of a notes file as the program reads them.
QList<NoteEntry> NotesOf(const QString &fileName) {
    Notebook book;
    book.LoadNotes(fileName);
    return book.entries;
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

using Window = ScanWindow;

// A wheel turned over the page arrives at the scroll box's viewport; true when it was taken.
bool SendWheel(ScrollBoxArea *box, Qt::KeyboardModifiers mods, int delta, bool sideways = false) {
    const QPointF at(20, 20);
    const QPoint angle = sideways ? QPoint(delta, 0) : QPoint(0, delta);
    QWheelEvent event(at, box->viewport()->mapToGlobal(at), QPoint(), angle, Qt::NoButton, mods,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(box->viewport(), &event);
    return event.isAccepted();
}

// The pane measures a drag on the screen, so the pointer itself goes there before the move event.
void MovePointer(QWidget *overlay, QPoint global, Qt::MouseButtons held) {
    QCursor::setPos(global);
    QTRY_COMPARE(QCursor::pos(), global);
    QMouseEvent move(QEvent::MouseMove, overlay->mapFromGlobal(global), global, Qt::NoButton, held,
                     Qt::NoModifier);
    QApplication::sendEvent(overlay, &move);
}

} // namespace

class TestViewer : public QObject {
    Q_OBJECT
    QStringList errors, notices;
private Q_SLOTS:
    void init();
    void zoomMenu();
    void loadAndZoom();
    void loadFailureShowsANotice();
    void wheel_data();
    void wheel();
    void drag_data();
    void drag();
    void markerShownAndCleared();
    void entryScrolling_data();
    void entryScrolling();
    void entryOnMissingScan();
    void scansList();
    void scanRowColours();
    void scansListOpensPage();
    void pdfList();
    void capture();
    void captureAdvanceAtTheEnd();
    void saveCapturedPositions();
};

void TestViewer::init() {
    errors.clear();
    notices.clear();
    SetErrorDisplayForTesting([this](const QString &m) { errors << m; });
    SetNoticeDisplayForTesting([this](const QString &m) { notices << m; });
    SetQuestionAnswerForTesting([](const QString &) { return true; });
    SetDesktopOpenerForTesting(nullptr);
}

void TestViewer::zoomMenu() {
    Folder fx;
    Window win(fx);
    QStringList captions;
    for (QAction *a : win.menu->actions())
        captions << a->text();
    // The six percentages come first, exactly; the reader's own items follow after a separator.
    QCOMPARE(captions.mid(0, 6), (QStringList{"25%", "50%", "75%", "100%", "150%", "200%"}));
    QVERIFY(captions.size() == 6 || win.menu->actions().at(6)->isSeparator());
    QCOMPARE(win.menu->defaultAction(), win.child<QAction>("N1003"));
    QVERIFY(win.menu->defaultAction()->font().bold());
    QVERIFY(!win.timer->isActive());
    QCOMPARE(win.timer->interval(), 3000);

    // A right click on the page opens the menu, except while positions are recorded.
    win.viewer->LoadPage(kK1);
    QWindow *window = win.w.windowHandle();
    const QPoint onPage = window->mapFromGlobal(win.overlay->mapToGlobal(QPoint(40, 40)));
    for (bool recording : {false, true, false}) {
        win.setRecording(recording);
        QTest::mouseClick(window, Qt::RightButton, {}, onPage);
        QCOMPARE(win.menu->isVisible(), !recording);
        win.menu->hide();
    }
    // An item chosen with the pointer zooms the page.
    QTest::mouseClick(window, Qt::RightButton, {}, onPage);
    QTRY_VERIFY(win.menu->isVisible());
    QTest::mouseClick(win.menu, Qt::LeftButton, {}, win.menu->actionGeometry(win.menuItem("50%")).center());
    QCOMPARE(win.viewer->ZoomFactor(), 0.5f);
    QCOMPARE(win.image->size(), QSize(500, 750));
    QVERIFY(!win.menu->isVisible());
    QVERIFY(!win.capture->HasUnsavedPositions());
}

void TestViewer::loadAndZoom() {
    Folder fx;
    Window win(fx);
    PageViewer *viewer = win.viewer;
    viewer->SetZoomFactor(1.5f);
    viewer->LoadPage(kK1);
    QCOMPARE(win.image->size(), QSize(1500, 2250));
    QCOMPARE(win.overlay->size(), QSize(1500, 2250));
    QCOMPARE(win.overlay->x(), win.image->x() - 3);
    QCOMPARE(viewer->CurrentPath(), kK1);
    QCOMPARE(win.image->NaturalSize(), QSize(1000, 1500));

    viewer->SetZoomFactor(1.0f);
    viewer->LoadPage(kK1);
    QCOMPARE(win.image->size(), QSize(1000, 1500));
    // One notch away with Ctrl, then "100%": the float rate loses a pixel.
    SendWheel(win.box, Qt::ControlModifier, 120);
    QCOMPARE(viewer->ZoomFactor(), 1.1f);
    QCOMPARE(win.image->size(), QSize(1100, 1650));
    QCOMPARE(win.overlay->SurfaceSize(), QSize(1100, 1650));
    win.menuItem("100%")->trigger();
    QCOMPARE(viewer->ZoomFactor(), 1.0f);
    QCOMPARE(win.image->size(), QSize(999, 1499));
    QCOMPARE(win.overlay->size(), QSize(999, 1499));
    QCOMPARE(win.overlay->SurfaceSize(), QSize(999, 1499));
    win.menuItem("25%")->trigger();
    QCOMPARE(win.image->size(), QSize(249, 374));
    // The scroll range follows the page.
    QCOMPARE(win.box->horizontalScrollBar()->maximum(), qMax(0, 249 - win.box->viewport()->width()));

    // The page as painted: blue at every zoom, also below half size where a smaller copy is used.
    for (const char *item : {"25%", "200%"}) {
        win.menuItem(item)->trigger();
        const QImage shown = win.box->viewport()->grab().toImage();
        QVERIFY2(IsBlue(shown.pixel(40, 40)), item);
    }

    // A thousand Ctrl steps each way: sizes stay within what a widget can take, nothing breaks.
    for (int delta : {120, -120}) {
        for (int i = 0; i < 1000; ++i)
            SendWheel(win.box, Qt::ControlModifier, delta);
        QVERIFY(win.image->width() <= QWIDGETSIZE_MAX && win.image->width() >= 0);
        QVERIFY(std::isfinite(viewer->ZoomFactor()));
        win.box->viewport()->grab();
    }
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
    viewer->SetZoomFactor(2.0f);
    viewer->LoadPage(kK2); // a load starts again from the natural size
    QCOMPARE(win.image->size(), QSize(2000, 3000));
}

void TestViewer::loadFailureShowsANotice() {
    Folder fx;
    fx.write("Image/K/bad.jpg", "not a picture");
    Window win(fx);
    for (const QString &path :
         {QStringLiteral(".\\image\\K\\none.jpg"), QStringLiteral(".\\image\\K\\bad.jpg")}) {
        win.viewer->LoadPage(kK1);
        QVERIFY(!win.viewer->IsShowingUnreadableNotice());
        try {
            win.viewer->LoadPage(path);
            QFAIL("no error");
        } catch (const VelmoraError &e) {
            QVERIFY2(e.message().contains(path.mid(path.lastIndexOf(QLatin1Char('\\')) + 1)),
                     qPrintable(e.message()));
        }
        // The earlier page does not stay under the new entry as if it were its page.
        QCOMPARE(win.viewer->CurrentPath(), QString());
        QVERIFY(win.viewer->IsShowingUnreadableNotice());
        QVERIFY(win.image->NaturalSize().isEmpty());
        QCOMPARE(win.image->size(), QSize(0, 0));
        auto *notice = win.viewer->findChild<QLabel *>("unreadableNotice");
        QVERIFY(notice->isVisible() && notice->text().contains(path));
    }
    try {
        win.viewer->LoadPage(".\\image\\K\\none.jpg");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), QString("Cannot open file \".\\image\\K\\none.jpg\". 沒有此檔案或資料夾"));
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
    QTest::newRow("shift scrolls sideways")
        << int(Qt::ShiftModifier) << 120 << 200 << 200 << 80 << 200 << 1.0f << false;
    QTest::newRow("shift and ctrl: sideways, no zoom")
        << int(Qt::ShiftModifier | Qt::ControlModifier) << -120 << 200 << 200 << 320 << 200 << 1.0f << false;
    QTest::newRow("ctrl away zooms in")
        << int(Qt::ControlModifier) << 120 << 200 << 200 << 200 << 200 << 1.1f << false;
    QTest::newRow("ctrl without distance zooms out")
        << int(Qt::ControlModifier) << 0 << 200 << 200 << 200 << 200 << 0.9f << false;
    QTest::newRow("shift with the distance in x")
        << int(Qt::ShiftModifier) << 120 << 200 << 200 << 80 << 200 << 1.0f << true;
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
    win.viewer->LoadPage(kK1);
    win.box->SetHorz(startHorz);
    win.box->SetVert(startVert);
    QVERIFY(SendWheel(win.box, Qt::KeyboardModifiers(modifiers), delta, sideways));
    QCOMPARE(win.box->Horz(), horz);
    QCOMPARE(win.box->Vert(), vert);
    QCOMPARE(win.viewer->ZoomFactor(), rate);
}

void TestViewer::drag_data() {
    QTest::addColumn<int>("button");
    QTest::newRow("left") << int(Qt::LeftButton);
    QTest::newRow("middle") << int(Qt::MiddleButton);
}

void TestViewer::drag() {
    QFETCH(int, button);
    const Qt::MouseButton pressed = Qt::MouseButton(button);
    Folder fx;
    Window win(fx);
    win.viewer->LoadPage(kK1);
    win.box->SetHorz(100);
    win.box->SetVert(100);
    const QPoint local(300, 300);
    const QPoint start = win.overlay->mapToGlobal(local);
    // A move without a press does nothing.
    MovePointer(win.overlay, start, Qt::NoButton);
    QCOMPARE(win.box->Horz(), 100);

    QTest::mousePress(win.overlay, pressed, {}, local);
    MovePointer(win.overlay, start + QPoint(-50, -30), pressed);
    QCOMPARE(win.box->Horz(), 150);
    QCOMPARE(win.box->Vert(), 130);
    // Far beyond the page: clamped to the end of the range.
    QVERIFY(100 + start.x() > win.box->horizontalScrollBar()->maximum());
    MovePointer(win.overlay, QPoint(0, start.y()), pressed);
    QCOMPARE(win.box->Horz(), win.box->horizontalScrollBar()->maximum());
    QTest::mouseRelease(win.overlay, pressed, {}, win.overlay->mapFromGlobal(QPoint(0, start.y())));
    // Released: moves scroll no more.
    MovePointer(win.overlay, start, Qt::NoButton);
    QCOMPARE(win.box->Horz(), win.box->horizontalScrollBar()->maximum());
}

void TestViewer::markerShownAndCleared() {
    Folder fx;
    Window win(fx);
    PageViewer *viewer = win.viewer;
    const QList<NoteEntry> notes = NotesOf("velmora200_k.xml");
    viewer->SetZoomFactor(1.5f);
    viewer->ShowEntry(notes[1]); // (400, 300)
    QCOMPARE(viewer->CurrentPath(), kK1);
    QCOMPARE(win.overlay->cursor().shape(), Qt::SizeAllCursor);
    QCOMPARE(win.overlay->SurfaceSize(), QSize(1500, 2250));
    QCOMPARE(win.box->Vert(), int(450 - win.box->height() / 3));
    QCOMPARE(win.box->Horz(), int(600 - win.box->width() / 2));
    QVERIFY(win.timer->isActive());
    QVERIFY(viewer->IsMarkerShown());
    // The marker: rectangle (590,440)-(610,460) on the surface, red inside, white around.
    const QImage surface = win.overlay->RenderSurface(QRect(580, 430, 40, 40));
    QVERIFY(IsRed(surface.pixel(20, 20)));
    QVERIFY(IsRed(surface.pixel(11, 20)) && IsRed(surface.pixel(29, 20)));
    QCOMPARE(surface.pixel(9, 20), qRgb(255, 255, 255));
    QCOMPARE(surface.pixel(30, 20), qRgb(255, 255, 255));
    QCOMPARE(surface.pixel(11, 11), qRgb(255, 255, 255)); // outside the circle, inside its box
    // On screen: red over the marker, the blue page through the rest of the overlay.
    const QPoint centre = win.overlay->mapTo(win.box->viewport(), QPoint(600, 450));
    QImage shown = win.box->viewport()->grab().toImage();
    QVERIFY(IsRed(shown.pixel(centre)));
    QVERIFY(IsBlue(shown.pixel(centre + QPoint(30, 0))));

    // The same page again: no reload (the file is gone), the first marker goes, the new one stays.
    QVERIFY(QFile::remove(fx.path("Image/K/K1.jpg")));
    viewer->ShowEntry(notes[2]); // no position
    QVERIFY(!win.timer->isActive());
    QVERIFY(!viewer->IsMarkerShown());
    QCOMPARE(win.overlay->RenderSurface(QRect(580, 430, 40, 40)).pixel(20, 20), qRgb(255, 255, 255));
    viewer->ShowEntry(notes[1]);
    QVERIFY(win.timer->isActive());
    // Three seconds later the Timer clears it and stops.
    QTRY_VERIFY_WITH_TIMEOUT(!win.timer->isActive(), 4000);
    QCOMPARE(win.overlay->RenderSurface(QRect(580, 430, 40, 40)).pixel(20, 20), qRgb(255, 255, 255));
    QVERIFY(!viewer->IsMarkerShown());
    shown = win.box->viewport()->grab().toImage();
    QVERIFY(IsBlue(shown.pixel(centre)));

    // Near the corner the marker reaches out of the overlay; the part inside shows.
    viewer->SetZoomFactor(1.0f);
    viewer->ShowEntry(notes[4]); // (5, 5) on K2
    QCOMPARE(win.box->Horz(), 0);
    QCOMPARE(win.box->Vert(), 0);
    const QImage corner = win.overlay->RenderSurface(QRect(0, 0, 20, 20));
    QVERIFY(IsRed(corner.pixel(5, 5)) && IsRed(corner.pixel(0, 5)));
    QCOMPARE(corner.pixel(16, 5), qRgb(255, 255, 255));
}

void TestViewer::entryScrolling_data() {
    QTest::addColumn<int>("entry"); // record of K; its position is replaced by x, y
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<QString>("horz"); // "same", "0", "max", or "x"/"y" for the scroll target
    QTest::addColumn<QString>("vert");
    QTest::newRow("no position") << 1 << -1 << -1 << "same"
                                 << "same";
    QTest::newRow("x only") << 1 << 650 << -1 << "x"
                            << "same";
    QTest::newRow("y only") << 1 << -1 << 900 << "same"
                            << "y";
    QTest::newRow("x 0") << 1 << 0 << 900 << "0"
                         << "y";
    QTest::newRow("page record: top right corner") << 0 << -1 << -1 << "max"
                                                   << "0";
}

void TestViewer::entryScrolling() {
    QFETCH(int, entry);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(QString, horz);
    QFETCH(QString, vert);
    Folder fx;
    Window win(fx);
    NoteEntry e = NotesOf("velmora200_k.xml")[entry];
    e.x = x;
    e.y = y;
    win.viewer->LoadPage(kK1);
    win.box->SetHorz(100);
    win.box->SetVert(100);
    win.viewer->ShowEntry(e);
    // "x" and "y": the position in the middle, one third down, clamped to the range.
    const auto expect = [](const QString &what, int same, int max, int computed) {
        return what == "same" ? same : what == "0" ? 0 : what == "max" ? max : qBound(0, computed, max);
    };
    const int maxHorz = win.box->horizontalScrollBar()->maximum();
    const int maxVert = win.box->verticalScrollBar()->maximum();
    QCOMPARE(win.box->Horz(), expect(horz, 100, maxHorz, x - win.box->width() / 2));
    QCOMPARE(win.box->Vert(), expect(vert, 100, maxVert, y - win.box->height() / 3));
    // No marker without both coordinates above zero.
    QVERIFY(!win.timer->isActive());
    QVERIFY(!win.viewer->IsMarkerShown());
}

void TestViewer::entryOnMissingScan() {
    Folder fx;
    Window win(fx);
    ClickRow(win.lbData, 1);
    win.box->SetVert(77);
    // K3 has no scan: the error is shown once, and a notice naming the file takes the place of K1.
    ClickRow(win.lbData, 6);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].contains("K3.jpg"), qPrintable(errors[0]));
    QCOMPARE(win.viewer->CurrentPath(), QString());
    QVERIFY(win.viewer->IsShowingUnreadableNotice());
    QVERIFY(win.viewer->findChild<QLabel *>("unreadableNotice")->text().contains("K3.jpg"));
    QVERIFY(!win.timer->isActive());
    QVERIFY(!win.viewer->IsMarkerShown());
    QVERIFY(!IsBlue(win.viewer->grab().toImage().pixel(40, 40)));
    // Back on K1 the page is shown again; called directly the pane raises the same error.
    ClickRow(win.lbData, 1);
    QCOMPARE(win.viewer->CurrentPath(), kK1);
    QVERIFY(!win.viewer->IsShowingUnreadableNotice());
    QVERIFY_THROWS_EXCEPTION(VelmoraError, win.viewer->ShowEntry(NotesOf("velmora200_k.xml")[6]));
}

void TestViewer::scansList() {
    Folder fx;
    Window win(fx);
    OwnerDrawList *list = win.lbImg;
    QLineEdit *filter = win.edImg;
    win.showTab(2);
    QCOMPARE(win.tabs->currentWidget()->objectName(), QString("TabSheet2"));
    QCOMPARE(Rows(list), (QStringList{"K1.jpg", "K2.jpg", "L001.jpg"}));
    QCOMPARE(PixelOfRow(list, 0), QColor("#FFD0D0"));
    QCOMPARE(PixelOfRow(list, 1), QColor("#FFF0F0"));
    QCOMPARE(PixelOfRow(list, 2), QColor("#FFFFBB"));
    list->SetItemIndex(1);
    QCOMPARE(PixelOfRow(list, 1), QColor("#000080"));

    QCheckBox *boxL = win.child<QCheckBox>("cbLImg");
    QCheckBox *boxK = win.child<QCheckBox>("cbKImg");
    QVERIFY(boxL && boxK);
    boxL->click();
    QCOMPARE(Rows(list), (QStringList{"K1.jpg", "K2.jpg"}));
    QCOMPARE(list->ItemIndex(), -1); // refilling loses the selection
    boxL->click();
    QCOMPARE(Rows(list), (QStringList{"K1.jpg", "K2.jpg", "L001.jpg"}));
    boxK->click();
    boxK->click();
    QTest::keyClicks(filter, "L");
    QCOMPARE(Rows(list), (QStringList{"L001.jpg"}));
    filter->setText("2");
    QCOMPARE(Rows(list), (QStringList{"K2.jpg"}));
    filter->setText("k"); // case counts
    QCOMPARE(Rows(list), QStringList());

    // Only the exact keyword reveals the capture controls.
    filter->setText("Update");
    QCOMPARE(Rows(list), QStringList());
    QVERIFY(win.cbGetImgXY->isHidden());
    filter->setText("update");
    QVERIFY(win.cbGetImgXY->isVisible() && win.btSaveImgXY->isVisible());
    QVERIFY(!win.cbGetImgXY->isChecked());
    QVERIFY(!win.capture->IsRecording());
    QCOMPARE(filter->text(), QString());
    QCOMPARE(Rows(list), (QStringList{"K1.jpg", "K2.jpg", "L001.jpg"}));
}

void TestViewer::scanRowColours() {
    // The colour of a file row goes by the first character of its name, for names of every kind; odd
    // rows take the letter's other colour.
    const QList<QPair<QString, QColor>> cases{
        {"K1.jpg", QColor("#FFD0D0")}, {"L1.jpg", QColor("#FFFFBB")}, {"M1.pdf", QColor("#D0FFD0")},
        {"N1.pdf", QColor("#FFEED0")}, {"O9.jpg", QColor("#D0D0FF")}, {"book.pdf", QColor("#FFD0D0")},
        {"", QColor("#FFD0D0")},       {"x.JPG", QColor("#FFD0D0")},  {"l1.jpg", QColor("#FFD0D0")}};
    const QList<QPair<QString, QColor>> odd{{"K1.jpg", QColor("#FFF0F0")}, {"L1.jpg", QColor("#FFFFE3")},
                                            {"M1.pdf", QColor("#F0FFF0")}, {"N1.pdf", QColor("#FFFAF0")},
                                            {"O9.jpg", QColor("#F0F0FF")}, {"book.pdf", QColor("#FFF0F0")}};
    FileNamesModel model(nullptr);
    for (const auto &c : cases) {
        model.SetNames({c.first});
        QCOMPARE(model.index(0).data(Qt::BackgroundRole).value<QColor>(), c.second);
    }
    for (const auto &c : odd) {
        model.SetNames({QString(), c.first});
        QCOMPARE(model.index(1).data(Qt::BackgroundRole).value<QColor>(), c.second);
    }
}

void TestViewer::scansListOpensPage() {
    Folder fx;
    fx.write("Image/L/L002.jpg", "broken");
    Window win(fx);
    OwnerDrawList *list = win.lbImg;
    win.showTab(2);
    QCOMPARE(Rows(list), (QStringList{"K1.jpg", "K2.jpg", "L001.jpg", "L002.jpg"}));
    // No row under the pointer: nothing to open.
    ClickBelowRows(list);
    QCOMPARE(win.viewer->CurrentPath(), QString());
    // A click on a row shows its scan at the top right corner.
    ClickRow(list, 1);
    QCOMPARE(win.viewer->CurrentPath(), kK2);
    QCOMPARE(win.image->size(), QSize(1000, 1500));
    QCOMPARE(win.overlay->SurfaceSize(), QSize(1000, 1500));
    QCOMPARE(win.box->Vert(), 0);
    QVERIFY(win.box->Horz() > 0);
    QCOMPARE(win.box->Horz(), win.box->horizontalScrollBar()->maximum());
    // The page already shown: nothing changes, not even the scroll positions.
    win.box->SetHorz(10);
    win.box->SetVert(20);
    ClickRow(list, 1);
    QCOMPARE(win.box->Horz(), 10);
    QCOMPARE(win.box->Vert(), 20);
    QVERIFY(errors.isEmpty());
    // A name whose scan cannot be opened: the error, and a notice naming it instead of K2.
    ClickRow(list, 3);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].contains("L002.jpg"), qPrintable(errors[0]));
    QCOMPARE(win.viewer->CurrentPath(), QString());
    QVERIFY(win.viewer->IsShowingUnreadableNotice());
    // Asked for again, it is tried again (it may have been mended in the meantime).
    ClickRow(list, 3);
    QCOMPARE(errors.size(), 2);
    QVERIFY(win.image->NaturalSize().isEmpty());
}

void TestViewer::pdfList() {
    Folder fx;
    Window win(fx);
    OwnerDrawList *list = win.lbPDF;
    QStringList opened;
    SetDesktopOpenerForTesting([&](const QString &, const QString &requested) { opened << requested; });
    win.showTab(3);
    QCOMPARE(Rows(list), (QStringList{"K1.pdf", "N1.pdf", "N2.pdf"}));
    QCOMPARE(PixelOfRow(list, 0), QColor("#FFD0D0"));
    QCOMPARE(PixelOfRow(list, 1), QColor("#FFFAF0"));
    QCOMPARE(PixelOfRow(list, 2), QColor("#FFEED0"));

    ClickBelowRows(list);
    QCOMPARE(opened, QStringList());
    // Every click opens the volume again.
    ClickRow(list, 1);
    ClickRow(list, 1);
    QCOMPARE(opened, (QStringList{"PDF\\N\\N1.pdf", "PDF\\N\\N1.pdf"}));
    QPushButton *manual = win.child<QPushButton>("btReadme");
    QVERIFY(manual);
    QTest::mouseClick(manual, Qt::LeftButton);
    QCOMPARE(opened.last(), QString("readme.pdf"));

    QCheckBox *boxN = win.child<QCheckBox>("cbNPDF");
    QVERIFY(boxN);
    boxN->click();
    QCOMPARE(Rows(list), (QStringList{"K1.pdf"}));
    boxN->click();
    win.edPDF->setText("2");
    QCOMPARE(Rows(list), (QStringList{"N2.pdf"}));
    // The keyword belongs to the scans filter only.
    win.edPDF->setText("update");
    QCOMPARE(Rows(list), QStringList());
    QVERIFY(win.cbGetImgXY->isHidden());
    QCOMPARE(win.viewer->CurrentPath(), QString()); // a volume is never shown as a page
}

void TestViewer::capture() {
    Folder fx;
    Window win(fx);
    OwnerDrawList *list = win.lbData;
    CaptureSession *capture = win.capture;
    win.viewer->SetZoomFactor(1.5f);
    ClickRow(list, 1);
    QCOMPARE(win.viewer->CurrentPath(), kK1);
    // Not in capture mode: a right click records nothing and the selection stays.
    QTest::mouseClick(win.overlay, Qt::RightButton, {}, QPoint(601, 452));
    QVERIFY(!capture->HasUnsavedPositions());
    QCOMPARE(list->ItemIndex(), 1);

    // Recording: the position, at the natural size of the page, goes to the selected entry.
    win.setRecording(true);
    QVERIFY(capture->IsRecording());
    QTest::mouseClick(win.overlay, Qt::RightButton, {}, QPoint(601, 452));
    QVERIFY(capture->IsChanged(0));
    QCOMPARE(list->ItemIndex(), 2);
    // Row 3 is page K2: the advance jumps over it to the entry after it, which is shown.
    QTest::mouseClick(win.overlay, Qt::RightButton, {}, QPoint(1, 30));
    QCOMPARE(list->ItemIndex(), 4);
    QCOMPARE(win.viewer->CurrentPath(), kK2);
    QVERIFY(win.viewer->IsMarkerShown()); // 三 has a position of its own
    QTest::mouseClick(win.btSaveImgXY, Qt::LeftButton);
    QCOMPARE(notices, QStringList{"OK"});
    QVERIFY(!capture->IsChanged(0));

    // A page record selected: nothing recorded, the selection still moves on.
    list->SetItemIndex(0);
    QTest::mouseClick(win.overlay, Qt::RightButton, {}, QPoint(90, 90));
    QVERIFY(!capture->HasUnsavedPositions());
    QCOMPARE(list->ItemIndex(), 1);
    // No row selected: nothing at all.
    list->SetItemIndex(-1);
    QTest::mouseClick(win.overlay, Qt::RightButton, {}, QPoint(90, 90));
    QVERIFY(!capture->HasUnsavedPositions());
    QCOMPARE(list->ItemIndex(), -1);
    // Other buttons drag, in capture mode as outside it.
    win.box->SetHorz(0);
    const QPoint local = win.overlay->mapFrom(win.box->viewport(), win.box->viewport()->rect().center());
    const QPoint start = win.overlay->mapToGlobal(local);
    QCursor::setPos(start);
    QTRY_COMPARE(QCursor::pos(), start);
    QTest::mousePress(win.overlay, Qt::LeftButton, {}, local);
    MovePointer(win.overlay, start - QPoint(40, 0), Qt::LeftButton);
    QTest::mouseRelease(win.overlay, Qt::LeftButton, {}, win.overlay->mapFromGlobal(start - QPoint(40, 0)));
    QCOMPARE(win.box->Horz(), 40);
    QVERIFY(!capture->HasUnsavedPositions());
    QTest::mouseClick(win.btSaveImgXY, Qt::LeftButton); // nothing changed: no notice
    QCOMPARE(notices, QStringList{"OK"});
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));

    // What was saved: 一 and 二 at the clicks divided by the zoom; the page headers take no position.
    const QList<NoteEntry> saved = NotesOf("velmora200_k.xml");
    QCOMPARE(QPoint(saved[1].x, saved[1].y), QPoint(400, 301));
    QCOMPARE(QPoint(saved[2].x, saved[2].y), QPoint(0, 20));
    QCOMPARE(QPoint(saved[0].x, saved[0].y), QPoint(-1, -1));
    QCOMPARE(QPoint(saved[3].x, saved[3].y), QPoint(-1, -1));
    QCOMPARE(QPoint(saved[4].x, saved[4].y), QPoint(5, 5));
}

void TestViewer::captureAdvanceAtTheEnd() {
    Folder fx;
    // Rows: 0 page K1, 1 entry, 2 page K2 as the last row.
    fx.writeNotes("<page>K1</page>\n<條目>一</條目>\n<內容>a</內容>\n<page>K2</page>\n");
    Window win(fx);
    win.setRecording(true);
    win.lbData->SetItemIndex(1);
    QTest::mouseClick(win.overlay, Qt::RightButton, {}, QPoint(50, 60));
    QVERIFY(win.capture->IsChanged(0));
    // The page record after it is the last row: it is selected, nothing is shown.
    QCOMPARE(win.lbData->ItemIndex(), 2);
    QCOMPARE(win.viewer->CurrentPath(), QString());
    // On the last row the selection stays.
    QTest::mouseClick(win.overlay, Qt::RightButton, {}, QPoint(50, 60));
    QCOMPARE(win.lbData->ItemIndex(), 2);
    QCOMPARE(win.viewer->CurrentPath(), QString());
    QTest::mouseClick(win.btSaveImgXY, Qt::LeftButton);
    const QList<NoteEntry> saved = NotesOf("velmora200_k.xml");
    QCOMPARE(QPoint(saved[1].x, saved[1].y), QPoint(50, 60));
    QCOMPARE(saved[2].x, -1);
}

void TestViewer::saveCapturedPositions() {
    Folder fx;
    fx.write("velmora200_N.xml", "<條目>丙</條目>\n<內容>n</內容>\n");
    Window win(fx);
    CaptureSession *capture = win.capture;
    win.revealCapture();
    QTest::mouseClick(win.btSaveImgXY, Qt::LeftButton); // nothing changed: nothing shown
    QCOMPARE(notices, QStringList());

    capture->Record(NoteRef{0, 2}, 35, 410);
    capture->Record(NoteRef{2, 0}, 7, 8);
    QVERIFY(capture->IsChanged(0) && !capture->IsChanged(1) && capture->IsChanged(2));
    // K no longer holds what was loaded: its save fails, so N after it is not saved either.
    const QByteArray k = fx.read("velmora200_k.xml");
    fx.write("velmora200_k.xml", "<條目>別</條目>\n");
    QTest::mouseClick(win.btSaveImgXY, Qt::LeftButton);
    QCOMPARE(errors.size(), 1);
    QVERIFY(capture->IsChanged(0) && capture->IsChanged(2));
    QCOMPARE(notices, QStringList());
    QVERIFY(!fx.read("velmora200_N.xml").contains("座標"));

    fx.write("velmora200_k.xml", k);
    QTest::mouseClick(win.btSaveImgXY, Qt::LeftButton);
    QCOMPARE(notices, QStringList{"OK"});
    QVERIFY(!capture->HasUnsavedPositions());
    QVERIFY(QString::fromUtf8(fx.read("velmora200_k.xml")).contains("<座標 x=\"35\" y=\"410\"/>"));
    QVERIFY(QString::fromUtf8(fx.read("velmora200_N.xml")).contains("<座標 x=\"7\" y=\"8\"/>"));
    QTest::mouseClick(win.btSaveImgXY, Qt::LeftButton);
    QCOMPARE(notices, QStringList{"OK"});
    QCOMPARE(errors.size(), 1);
}

int main(int argc, char **argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv); // the panes catch their handlers' errors and show them themselves
    TestViewer test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_viewer.moc"
