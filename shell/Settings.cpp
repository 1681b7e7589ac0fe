// The two settings files beside the program: setup.ini (the caption) and velmoranote.ini (the window).
#include "images/PageView.h"
#include "shell/IniFile.h"
#include "shell/Main.h"
#include "shell/OwnerDrawList.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QShowEvent>
#include <QSplitter>
#include <cmath>

namespace {

const QString kSystem = QStringLiteral("System");
const QString kPanel = QStringLiteral("Panel");

// A window whose title bar would lie outside every screen cannot be reached: bring it back.
QRect OntoAScreen(const QRect &outer) {
    const QRect titleBar(outer.left(), outer.top(), outer.width(), 30);
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QRect seen = screen->availableGeometry().intersected(titleBar);
        if (seen.width() >= 50 && seen.height() >= 10)
            return outer;
    }
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (!primary)
        return outer;
    const QRect avail = primary->availableGeometry();
    return QRect(avail.topLeft(), outer.size().boundedTo(avail.size()));
}

} // namespace

void TfmMain::LoadSetup() {
    const IniFile ini(appFolder + QStringLiteral("setup.ini"));
    setWindowTitle(ini.ReadString(kSystem, QStringLiteral("Title"), windowTitle()));
}

void TfmMain::LoadWindowState() {
    const IniFile ini(appFolder + QStringLiteral("velmoranote.ini"));
    // Each value is applied before the next is read: the defaults are the window's values so far.
    QRect outer = frameGeometry();
    outer.moveTop(ini.ReadInteger(kSystem, QStringLiteral("Top"), outer.top()));
    outer.moveLeft(ini.ReadInteger(kSystem, QStringLiteral("Left"), outer.left()));
    outer.setWidth(ini.ReadInteger(kSystem, QStringLiteral("Width"), outer.width()));
    outer.setHeight(ini.ReadInteger(kSystem, QStringLiteral("Height"), outer.height()));
    outer = OntoAScreen(outer);
    move(outer.topLeft());
    resize(qMax(outer.width(), 1), qMax(outer.height(), 1));
    storedOuterSize = outer.size();

    const double rate = ini.ReadFloat(kSystem, QStringLiteral("ImageRate"), double(imageRate));
    // A zoom factor of zero, below zero or not a number would make every page vanish or divide by zero.
    imageRate = (std::isfinite(rate) && rate > 0 && std::isfinite(float(rate)) && float(rate) > 0) ? float(rate) : 1.0f;

    initMax = ini.ReadBool(kSystem, QStringLiteral("InitMax"), isMaximized());
    setWindowState(initMax ? (windowState() | Qt::WindowMaximized) : (windowState() & ~Qt::WindowMaximized));

    // The docked controls keep their places whatever these say; the page-image pane takes its width.
    ini.ReadInteger(kPanel, QStringLiteral("Top"), Splitter1 ? Splitter1->y() : S(57));
    ini.ReadInteger(kPanel, QStringLiteral("Left"), Splitter2->x());
    ini.ReadInteger(kPanel, QStringLiteral("Left2"), Splitter3 ? Splitter3->x() : 0);
    ini.ReadInteger(kPanel, QStringLiteral("Width"), lbSearch->width());
    SetScrollBoxWidth(ini.ReadInteger(kPanel, QStringLiteral("Width2"), ScrollBoxWidth()));
    ini.ReadInteger(kPanel, QStringLiteral("Height"), Panel2->height());
}

void TfmMain::SetScrollBoxWidth(int width) {
    // The panes get their real widths when the window is first laid out: until then keep the width.
    if (firstShow) {
        pendingScrollBoxWidth = width;
        return;
    }
    QList<int> sizes = MainSplitter->sizes();
    if (sizes.size() != 3)
        return;
    const int total = sizes[0] + sizes[1] + sizes[2];
    width = qBound(0, width, qMax(0, total - sizes[0]));
    sizes[1] = total - sizes[0] - width;
    sizes[2] = width;
    MainSplitter->setSizes(sizes);
}

int TfmMain::ScrollBoxWidth() const { return firstShow ? pendingScrollBoxWidth : ScrollBox->width(); }

void TfmMain::SaveWindowState() {
    IniFile ini(appFolder + QStringLiteral("velmoranote.ini"));
    const QRect outer = frameGeometry();
    ini.WriteInteger(kSystem, QStringLiteral("Top"), outer.top());
    ini.WriteInteger(kSystem, QStringLiteral("Left"), outer.left());
    ini.WriteInteger(kSystem, QStringLiteral("Width"), outer.width());
    ini.WriteInteger(kSystem, QStringLiteral("Height"), outer.height());
    ini.WriteFloat(kSystem, QStringLiteral("ImageRate"), double(imageRate));
    ini.WriteBool(kSystem, QStringLiteral("InitMax"), isMaximized());
    QWidget *client = centralWidget();
    ini.WriteInteger(kPanel, QStringLiteral("Top"), Splitter1->mapTo(client, QPoint(0, 0)).y());
    ini.WriteInteger(kPanel, QStringLiteral("Left"), Splitter2->x());
    ini.WriteInteger(kPanel, QStringLiteral("Left2"), Splitter3->mapTo(client, QPoint(0, 0)).x());
    ini.WriteInteger(kPanel, QStringLiteral("Width"), lbSearch->width());
    ini.WriteInteger(kPanel, QStringLiteral("Width2"), ScrollBoxWidth());
    ini.WriteInteger(kPanel, QStringLiteral("Height"), Panel2->height());
    ini.UpdateFile();
}

void TfmMain::ShowAsStored() {
    if (initMax)
        showMaximized();
    else
        show();
}

void TfmMain::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    if (!firstShow)
        return;
    firstShow = false;
    if (QLayout *layout = centralWidget()->layout())
        layout->activate();
    SetScrollBoxWidth(pendingScrollBoxWidth);
    // The stored size is the outer one; once the frame is known, take it off the client size.
    if (!isMaximized() && storedOuterSize.isValid()) {
        const QSize frame = frameGeometry().size() - geometry().size();
        if (!frame.isEmpty())
            resize(storedOuterSize - frame);
    }
}
