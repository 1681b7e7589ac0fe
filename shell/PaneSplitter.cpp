#include "shell/PaneSplitter.h"

#include "widgets/ErrorBoundary.h"
#include "widgets/Look.h"

#include <QResizeEvent>

namespace {
constexpr int kDesignLeft = 258, kDesignWidth = 1101, kDesignScan = 469, kDesignHandle = 3;
} // namespace

double PaneSplitter::DesignScanShare() {
    return double(kDesignScan) / double(kDesignWidth - kDesignLeft - 2 * kDesignHandle);
}

PaneSplitter::PaneSplitter(QWidget *parent)
    : QSplitter(Qt::Horizontal, parent), scanShare_(DesignScanShare()) {
    setObjectName(QStringLiteral("MainSplitter"));
    setHandleWidth(DesignPixels(kDesignHandle));
    setOpaqueResize(false); // a line follows the pointer; the panes resize when it ends
    connect(this, &QSplitter::splitterMoved, this, Guarded([this](int, int index) { FollowDrag(index); }));
}

void PaneSplitter::SetPanes(QWidget *left, QWidget *page, QWidget *scan) {
    left_ = left;
    scan_ = scan;
    addWidget(left);
    addWidget(page);
    addWidget(scan);
    setCollapsible(1, false);
    setSizes({DesignPixels(kDesignLeft),
              DesignPixels(kDesignWidth) - DesignPixels(kDesignLeft) - DesignPixels(kDesignScan) -
                  2 * handleWidth(),
              DesignPixels(kDesignScan)});
    pendingScanWidth_ = DesignPixels(kDesignScan);
    left->setMinimumWidth(0);
    // However narrow the window, the page and the scan keep room to be read and used.
    page->setMinimumWidth(DesignPixels(160));
    scan->setMinimumWidth(DesignPixels(120));
    handle(1)->setObjectName(QStringLiteral("Splitter1"));
    handle(2)->setObjectName(QStringLiteral("Splitter3"));
}

void PaneSplitter::SetScanPaneWidth(int width) {
    // The panes get their real widths when the window is first laid out: until then keep the width.
    if (!settled_) {
        pendingScanWidth_ = width;
        return;
    }
    QList<int> widths = sizes();
    if (widths.size() != 3) return;
    const int total = widths[0] + widths[1] + widths[2];
    width = qBound(0, width, qMax(0, total - widths[0]));
    widths[1] = total - widths[0] - width;
    widths[2] = width;
    setSizes(widths);
    const int room = widths[1] + widths[2];
    if (room > 0) scanShare_ = double(scan_->width()) / double(room);
}

int PaneSplitter::ScanPaneWidth() const {
    return settled_ ? scan_->width() : pendingScanWidth_;
}

void PaneSplitter::SetScanShare(double share) {
    if (!(share >= 0.0 && share <= 1.0)) return; // none stored: the width taken at the first layout gives it
    scanShare_ = share;
    shareGiven_ = true;
}

void PaneSplitter::Settle() {
    if (settled_) return;
    settled_ = true;
    const double share = scanShare_;
    SetScanPaneWidth(pendingScanWidth_);
    // A share read back holds from the next change of size on; the width read back holds now.
    if (shareGiven_) scanShare_ = share;
}

void PaneSplitter::resizeEvent(QResizeEvent *event) {
    const QList<int> before = sizes(); // before the splitter hands the change to every pane
    QSplitter::resizeEvent(event);
    if (settled_ && before.size() == 3 && event->oldSize().width() > 0 &&
        event->size().width() != event->oldSize().width())
        Share(before);
}

void PaneSplitter::Share(const QList<int> &before) {
    // What the window gains or loses goes to the page and the scan by the share; the panes keep the
    // widths they had besides, so the scan's width read back at start is not undone by the frame's
    // correction a moment later.
    const int room = width() - 2 * handleWidth() - before[0];
    if (room <= 0) return;
    const int change = room - before[1] - before[2];
    const int scan = qBound(0, before[2] + qRound(change * scanShare_), room);
    setSizes({before[0], room - scan, scan});
}

void PaneSplitter::FollowDrag(int index) {
    // Dragged to its top, the left pane keeps at least 30 pixels of height.
    if (index == 1 && left_->height() <= 29) left_->resize(left_->width(), 30);
    const QList<int> widths = sizes();
    if (widths.size() == 3 && widths[1] + widths[2] > 0)
        scanShare_ = double(widths[2]) / double(widths[1] + widths[2]);
}
