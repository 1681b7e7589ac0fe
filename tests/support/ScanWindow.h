#pragma once
// The reader's window shown on a fixture folder, with the panes and controls the scan, browser and
// capture tests drive found by their names, and the moves a user makes with them.

#include "images/PageViewer.h"
#include "images/ScanWidgets.h"
#include "shell/CaptureSession.h"
#include "shell/MainWindow.h"
#include "support/ReaderFixture.h"
#include "widgets/OwnerDrawList.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QWindow>
#include <QtTest>

// A click on a row of a painted list, scrolled into view first as a user would.
inline void ClickRow(OwnerDrawList *list, int row) {
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
}

struct ScanWindow {
    explicit ScanWindow(const ReaderFixture &fx) : w(fx.programPath()) {
        w.show();
        if (!QTest::qWaitForWindowExposed(&w)) qFatal("window not exposed");
        viewer = w.findChild<PageViewer *>();
        capture = w.findChild<CaptureSession *>();
        if (!viewer || !capture || !box || !image || !overlay || !menu || !timer || !tabs || !lbData ||
            !lbImg || !lbPDF || !edImg || !edPDF || !cbGetImgXY || !btSaveImgXY)
            qFatal("a control of the window is missing");
    }
    template <typename T> T *child(const char *name) { return w.findChild<T *>(QString::fromLatin1(name)); }

    QAction *menuItem(const QString &caption) const {
        for (QAction *a : menu->actions())
            if (a->text() == caption) return a;
        qFatal("no menu item %s", qPrintable(caption));
    }
    void showTab(int index) {
        QTabBar *bar = tabs->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    }
    // Keys go to the scroll box, which holds the focus of the scan pane after a click on the page.
    void key(Qt::Key k, Qt::KeyboardModifiers mods = {}) {
        box->setFocus();
        QTest::keyClick(box, k, mods);
    }
    // The zoom menu, opened by a right click through the window as a user would, at `at` on the overlay.
    void openMenu(QPoint at = QPoint(40, 40)) {
        QWindow *window = w.windowHandle();
        box->ensureVisible(at.x(), at.y(), 10, 10);
        QTest::mouseClick(window, Qt::RightButton, {}, window->mapFromGlobal(overlay->mapToGlobal(at)));
        QTRY_VERIFY(menu->isVisible());
    }
    void choose(const char *objectName, QPoint at = QPoint(40, 40)) {
        openMenu(at);
        QAction *action = child<QAction>(objectName);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    }
    // Reveals the capture controls the way the user does: the keyword in the scans filter.
    void revealCapture() {
        if (cbGetImgXY->isHidden()) edImg->setText(QStringLiteral("update"));
    }
    void setRecording(bool on) {
        revealCapture();
        if (cbGetImgXY->isChecked() != on)
            QTest::mouseClick(cbGetImgXY, Qt::LeftButton, {}, QPoint(5, cbGetImgXY->height() / 2));
        if (cbGetImgXY->isChecked() != on) qFatal("recording did not switch");
    }
    void startRecording() { setRecording(true); }
    void rightClick(QPoint overlayPoint) {
        // The scroll box shows the point first, as a user would scroll to it.
        box->ensureVisible(overlayPoint.x() - 3, overlayPoint.y(), 20, 20);
        QTest::mouseClick(overlay, Qt::RightButton, {}, overlayPoint);
    }
    bool redAt(QPoint overlayPoint) const {
        return overlay->RenderSurface(QRect(overlayPoint, QSize(1, 1))).pixelColor(0, 0) == QColor(Qt::red);
    }

    MainWindow w;
    PageViewer *viewer = nullptr;
    CaptureSession *capture = nullptr;
    ScrollBoxArea *box = child<ScrollBoxArea>("ScrollBox");
    PageImage *image = child<PageImage>("Image");
    PointOverlay *overlay = child<PointOverlay>("imgPoint");
    QMenu *menu = child<QMenu>("ImagePopupMenu");
    QTimer *timer = child<QTimer>("Timer");
    QTabWidget *tabs = child<QTabWidget>("PageControl1");
    OwnerDrawList *lbData = child<OwnerDrawList>("lbData");
    OwnerDrawList *lbImg = child<OwnerDrawList>("lbImg");
    OwnerDrawList *lbPDF = child<OwnerDrawList>("lbPDF");
    QLineEdit *edImg = child<QLineEdit>("edImg");
    QLineEdit *edPDF = child<QLineEdit>("edPDF");
    QCheckBox *cbGetImgXY = child<QCheckBox>("cbGetImgXY");
    QPushButton *btSaveImgXY = child<QPushButton>("btSaveImgXY");
};
