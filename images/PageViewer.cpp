#include "images/PageViewer.h"

#include "common/Error.h"
#include "corpus/Data.h"
#include "corpus/ScanIndex.h"
#include "images/JpegImage.h"
#include "images/ScanCache.h"
#include "platform/WinPath.h"
#include "images/ViewerMath.h"
#include "widgets/ErrorBoundary.h"
#include "widgets/Look.h"
#include "images/PageView.h"

#include <QAction>
#include <QtGlobal>
#include <QCursor>
#include <QFileInfo>
#include <QFont>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QResizeEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// Room for the page shown and its neighbours on either side: a page scan takes about 35 MB decoded.
constexpr qint64 kScanCacheBytes = 160LL << 20;
// Scans above this size (a page scan has about 9 million pixels) are decoded off the window's thread.
constexpr qint64 kLargeScanPixels = 40'000'000;

bool RefBefore(const NoteRef &a, const NoteRef &b) {
    return a.book != b.book ? a.book < b.book : a.entry < b.entry;
}
} // namespace

PageViewer::PageViewer(QWidget *parent) : QWidget(parent), scanCache_(new ScanCache(kScanCacheBytes, this)) {
    setObjectName(QStringLiteral("PageViewer"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    scrollBox_ = new ScrollBoxArea(this);
    scrollBox_->setObjectName(QStringLiteral("ScrollBox"));
    layout->addWidget(scrollBox_);
    scrollBox_->resize(DesignPixels(469), DesignPixels(692));
    scrollBox_->horizontalScrollBar()->setSingleStep(DesignPixels(81));
    scrollBox_->SetWheelHandler([this](Qt::KeyboardModifiers modifiers, int delta, bool &handled) {
        handled = true;
        Guarded([&] { Wheel(modifiers, delta, handled); })();
    });

    // The image first, so that the overlay lies on top of it.
    pageImage_ = new PageImage(scrollBox_->Content());
    pageImage_->setObjectName(QStringLiteral("Image"));
    pageImage_->setGeometry(0, 0, DesignPixels(270), DesignPixels(201));
    overlay_ = new PointOverlay(scrollBox_->Content());
    overlay_->setObjectName(QStringLiteral("imgPoint"));
    scrollBox_->setAccessibleName(QStringLiteral("頁面圖檔"));
    overlay_->setAccessibleName(QStringLiteral("頁面圖檔"));
    // The overlay sits 3 pixels left of the page; stored positions are measured from its corner.
    overlay_->setGeometry(-3, 0, DesignPixels(372), DesignPixels(129));
    overlay_->ResizeSurface(overlay_->size());
    overlay_->SetHandlers(
        [this](Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
            Guarded([&] { PointerDown(button, x, y); })();
        },
        [this](Qt::KeyboardModifiers, int, int) { Guarded([this] { PointerMove(); })(); },
        [this](Qt::MouseButton, Qt::KeyboardModifiers, int, int) { dragging_ = false; });
    overlay_->SetDoubleClickHandler([this](int x, int y) {
        // The scan must not follow the pointer from the first press on: the entry decides where it goes.
        dragging_ = false;
        Guarded([&] { PickAt(viewer::CapturedCoord(x, zoomFactor_), viewer::CapturedCoord(y, zoomFactor_)); })();
    });
    overlay_->SetUnderlay([this](QPainter &painter, const QRect &exposed) {
        marks_.Paint(painter, exposed, double(zoomFactor_));
    });
    overlay_->installEventFilter(this);
    scrollBox_->UpdateExtent();

    zoomMenu_ = new QMenu(this);
    zoomMenu_->setObjectName(QStringLiteral("ImagePopupMenu"));
    zoomMenu_->setAccessibleName(QStringLiteral("縮放"));
    // Captions without "&": no access keys are added, so the captions are read back exactly.
    const auto add = [this](const char *caption, const char *name) {
        QAction *action = zoomMenu_->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    add("25%", "itemImage100");
    add("50%", "N501");
    add("75%", "N751");
    add("100%", "N1004");
    QAction *zoom150Action = add("150%", "N1003");
    add("200%", "N1002");
    QFont bold = zoom150Action->font();
    bold.setBold(true);
    zoom150Action->setFont(bold);
    zoomMenu_->setDefaultAction(zoom150Action);
    // The percentage items show a check at the current factor; choosing one still only sets it.
    for (QAction *action : zoomMenu_->actions())
        action->setCheckable(true);
    zoomMenu_->addSeparator();
    const auto addFit = [this](const QString &caption, const char *name) {
        QAction *action = zoomMenu_->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    fitWidthAction_ = addFit(QStringLiteral("適合寬度\tW"), "zoomFitWidth");
    fitPageAction_ = addFit(QStringLiteral("適合頁面\tP"), "zoomFitPage");
    naturalSizeAction_ = addFit(QStringLiteral("原始大小\t1"), "zoomNaturalSize");
    marksAction_ = addFit(QStringLiteral("顯示條目位置\tM"), "showEntryPositions");
    marksAction_->setCheckable(true);
    connect(zoomMenu_, &QMenu::aboutToShow, this, Guarded([this] { CheckCurrentZoomItem(); }));
    // A zoom from the menu keeps the entry shown where it is in the view, as the keys do.
    connect(zoomMenu_, &QMenu::triggered, this, Guarded([this](QAction *action) {
                if (action == fitWidthAction_)
                    ZoomKeepingView([this] { FitWidth(); });
                else if (action == fitPageAction_)
                    ZoomKeepingView([this] { FitPage(); });
                else if (action == naturalSizeAction_)
                    ZoomKeepingView([this] { ZoomToFactor(1.0f); });
                else if (action == marksAction_)
                    SetMarksShown(action->isChecked());
                else
                    ZoomKeepingView([this, action] { ZoomTo(action); });
            }));
    overlay_->SetPopupMenu(zoomMenu_, [this] { return !recording_; });

    unreadableNotice_ = new QLabel(this);
    unreadableNotice_->setObjectName(QStringLiteral("unreadableNotice"));
    unreadableNotice_->setAlignment(Qt::AlignCenter);
    unreadableNotice_->setWordWrap(true);
    unreadableNotice_->setStyleSheet(QStringLiteral("background: #f0f0f0; color: #606060; padding: 12px;"));
    unreadableNotice_->setAttribute(Qt::WA_TransparentForMouseEvents);
    unreadableNotice_->hide();

    // The capture line is a strip of its own above the scan, wrapped to the pane's width: all of it
    // can be read at any width, and it hides no part of the scan.
    captureCaption_ = new QLabel(this);
    captureCaption_->setObjectName(QStringLiteral("captureCaption"));
    captureCaption_->setStyleSheet(QStringLiteral("background: #ffffe0; color: #800000; padding: 2px 4px;"));
    captureCaption_->setWordWrap(true);
    QSizePolicy wrapping(QSizePolicy::Ignored, QSizePolicy::Minimum);
    wrapping.setHeightForWidth(true); // the strip grows a line for each line of text
    captureCaption_->setSizePolicy(wrapping);
    captureCaption_->hide();
    layout->insertWidget(0, captureCaption_);

    // The factor in the pane's corner while it changes.
    zoomIndicator_ = new QLabel(this);
    zoomIndicator_->setObjectName(QStringLiteral("zoomIndicator"));
    zoomIndicator_->setStyleSheet(
        QStringLiteral("background: rgba(40, 40, 40, 200); color: white; padding: 2px 6px; border-radius: 3px;"));
    zoomIndicator_->setAttribute(Qt::WA_TransparentForMouseEvents);
    zoomIndicator_->hide();
    zoomIndicatorTimer_ = new QTimer(this);
    zoomIndicatorTimer_->setObjectName(QStringLiteral("zoomIndicatorTimer"));
    zoomIndicatorTimer_->setSingleShot(true);
    zoomIndicatorTimer_->setInterval(1500);
    connect(zoomIndicatorTimer_, &QTimer::timeout, zoomIndicator_, &QWidget::hide);

    // How many of the search's results lie on the scan shown, in the opposite corner.
    hitCount_ = new QLabel(this);
    hitCount_->setObjectName(QStringLiteral("hitCount"));
    hitCount_->setStyleSheet(
        QStringLiteral("background: rgba(224, 128, 0, 220); color: white; padding: 2px 6px; border-radius: 3px;"));
    hitCount_->setAttribute(Qt::WA_TransparentForMouseEvents);
    hitCount_->hide();

    // The scroll box holds the focus of the pane; its keys are seen before it scrolls with them.
    scrollBox_->installEventFilter(this);

    connect(scanCache_, &ScanCache::Requested, this,
            Guarded([this](const QString &path, bool ok, const QString &error) { LargeScanDecoded(path, ok, error); }));

    markerTimer_ = new QTimer(this);
    markerTimer_->setObjectName(QStringLiteral("Timer"));
    markerTimer_->setInterval(3000);
    // A repeating timer switched off at its first tick: one shot per marker.
    connect(markerTimer_, &QTimer::timeout, this, Guarded([this] {
                ClearMarker();
                markerTimer_->stop();
            }));
}

void PageViewer::LoadPage(const QString &path) {
    pendingPath_.clear(); // a page asked for now supersedes one still decoding
    QImage picture;
    QList<QImage> halvings;
    QSize natural;
    try {
        // A scan decoded ahead costs nothing here; any other is decoded now and kept for a return.
        picture = scanCache_->Find(path, &halvings);
        decodedScale_ = JpegScale::Full;
        if (picture.isNull()) {
            // Below half size the decoder itself decodes at 1/2, 1/4 or 1/8: a fraction of the work
            // and the memory; the full picture comes when the zoom grows past it.
            const JpegScale scale = WantedScale();
            if (scale != JpegScale::Full)
                natural = QImageReader(ResolveWinPath(path), "jpeg").size();
            if (natural.isValid()) {
                picture = DecodeJpegFile(path, scale);
                decodedScale_ = scale;
            } else {
                picture = DecodeJpegFile(path);
                scanCache_->Keep(path, picture);
            }
        }
    } catch (const std::exception &e) {
        // The page shown must not pass for this one: it makes way for a notice naming the file.
        ShowUnreadable(path, QString::fromUtf8(e.what()));
        throw;
    }
    ApplyPicture(path, picture, natural, halvings);
}

void PageViewer::ApplyPicture(const QString &path, const QImage &picture, QSize natural,
                              const QList<QImage> &halvings) {
    unreadableNotice_->hide();
    pageImage_->SetPicture(picture, natural, halvings);
    const QSize size = viewer::SizeAfterLoad(pageImage_->NaturalSize(), zoomFactor_);
    pageImage_->resize(size);
    overlay_->resize(size);
    scrollBox_->UpdateExtent();
    currentPath_ = path;
    RefreshMarks();
}

void PageViewer::ShowUnreadable(const QString &path, const QString &reason) {
    pageImage_->SetPicture(QImage()); // the earlier picture's memory goes back at once
    pageImage_->resize(0, 0);
    overlay_->resize(0, 0);
    overlay_->ResizeSurface(overlay_->size());
    scrollBox_->UpdateExtent();
    // No page is shown now: the next request for this scan tries it again.
    currentPath_.clear();
    RefreshMarks();
    unreadableNotice_->setText(QStringLiteral("無法讀取這一頁的圖檔：\n%1\n\n%2").arg(path, reason));
    unreadableNotice_->setGeometry(rect());
    unreadableNotice_->show();
    unreadableNotice_->raise();
}

bool PageViewer::IsShowingUnreadableNotice() const {
    // The same notice says "loading" while a large scan decodes.
    return !unreadableNotice_->isHidden() && pendingPath_.isEmpty();
}

bool PageViewer::IsLargeScan(const QString &path) {
    if (!scanCache_->Find(path).isNull())
        return false; // at hand already
    const QSize size = QImageReader(ResolveWinPath(path), "jpeg").size();
    return size.isValid() && qint64(size.width()) * size.height() > kLargeScanPixels;
}

void PageViewer::LargeScanDecoded(const QString &path, bool ok, const QString &error) {
    if (path != pendingPath_)
        return; // superseded by a later page: this picture is not shown
    pendingPath_.clear();
    if (!ok) {
        ShowUnreadable(path, error);
        throw VelmoraError(error);
    }
    const QImage picture = scanCache_->TakeRequested(path);
    if (picture.isNull())
        return;
    decodedScale_ = JpegScale::Full;
    ApplyPicture(path, picture);
    overlay_->setCursor(Qt::SizeAllCursor);
    overlay_->ResizeSurface(overlay_->size());
    ShowEntry(pendingEntry_); // its page is shown now: scroll to the entry and mark it
}

bool PageViewer::IsDecodingInBackground() const { return !pendingPath_.isEmpty(); }

void PageViewer::PrefetchScans(const QStringList &paths) {
    QStringList wanted;
    for (const QString &path : paths)
        if (!path.isEmpty() && path != currentPath_ && !wanted.contains(path))
            wanted << path;
    // With the copies the present zoom draws from, on this screen.
    scanCache_->Prefetch(wanted, HalvingsFor(double(zoomFactor_) * devicePixelRatioF()));
}

void PageViewer::ShowScan(const QString &path) {
    if (path == currentPath_)
        return;
    entryPosition_ = QPoint();
    LoadPage(path);
    overlay_->ResizeSurface(overlay_->size());
    scrollBox_->SetVert(0);
    // Clamped to the end of the range: the view shows the top right corner of the page.
    scrollBox_->SetHorz(pageImage_->width());
}

void PageViewer::ShowEntry(const NoteEntry &entry) {
    ClearMarker();
    markerTimer_->stop();
    // A copy: the load below shows an error box, whose event loop may run other handlers.
    const NoteEntry e = entry;
    if (e.pageImage != currentPath_ && IsLargeScan(e.pageImage)) {
        // Decoded on the worker thread: the window keeps painting and answering meanwhile, and the
        // entry is shown on its page once the picture is there (unless another page was asked for).
        pendingEntry_ = e;
        pendingPath_ = e.pageImage;
        scanCache_->Request(e.pageImage);
        unreadableNotice_->setText(QStringLiteral("正在載入這一頁的圖檔：\n%1").arg(e.pageImage));
        unreadableNotice_->setGeometry(rect());
        unreadableNotice_->show();
        unreadableNotice_->raise();
        return;
    }
    pendingPath_.clear();
    if (e.pageImage != currentPath_) {
        LoadPage(e.pageImage);
        overlay_->setCursor(Qt::SizeAllCursor);
        overlay_->ResizeSurface(overlay_->size());
    }
    const int x = e.x, y = e.y;
    entryPosition_ = x > 0 && y > 0 ? QPoint(x, y) : QPoint();
    if (e.isPage) {
        // Clamped to the end of the range: the view shows the top right corner of the page.
        scrollBox_->SetVert(0);
        scrollBox_->SetHorz(pageImage_->width());
    } else {
        if (y != -1)
            scrollBox_->SetVert(viewer::ScrollTargetVert(y, zoomFactor_, scrollBox_->height()));
        if (x == -1)
            return;
        scrollBox_->SetHorz(viewer::ScrollTargetHorz(x, zoomFactor_, scrollBox_->width()));
    }
    if (x > 0 && y > 0) {
        overlay_->SetPenColor(QColor(0xFF, 0x00, 0x00));
        overlay_->SetBrushColor(QColor(0xFF, 0x00, 0x00));
        overlay_->Ellipse(viewer::MarkerRect(x, y, zoomFactor_));
        markedPosition_ = QPoint(x, y);
        markerTimer_->start();
    }
}

void PageViewer::SetCaptureCaption(const QString &text) {
    captureCaption_->setText(text);
    captureCaption_->setToolTip(text);
    captureCaption_->setVisible(!text.isEmpty());
}

QString PageViewer::CaptureCaption() const { return captureCaption_->isHidden() ? QString() : captureCaption_->text(); }

void PageViewer::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    unreadableNotice_->setGeometry(rect());
    PlaceCornerLabels();
}

QWidget *PageViewer::MenuSurface() const { return overlay_; }

bool PageViewer::IsMarkerShown() const { return overlay_->ShapeCount() > 0; }

void PageViewer::ClearMarker() {
    overlay_->SetBrushColor(Qt::white);
    overlay_->FillRect(QRect(0, 0, overlay_->width(), overlay_->height()));
}

void PageViewer::Wheel(Qt::KeyboardModifiers modifiers, int delta, bool &handled) {
    handled = true;
    if (modifiers & Qt::ShiftModifier) {
        scrollBox_->SetHorz(viewer::TruncCoord(double(scrollBox_->Horz()) - delta));
        return;
    }
    if (modifiers & Qt::ControlModifier) {
        const double f = viewer::WheelFactor(delta);
        const float next = viewer::RateAfterWheel(zoomFactor_, f);
        if (next >= viewer::kMinZoom && next <= viewer::kMaxZoom) {
            zoomFactor_ = next;
            RefineAfterZoom();
            pageImage_->resize(viewer::ScaleSize(pageImage_->size(), f));
            overlay_->resize(viewer::ScaleSize(overlay_->size(), f));
            overlay_->ResizeSurface(overlay_->size());
            scrollBox_->UpdateExtent();
        } else {
            // A step past a bound stops at it; at the bound the wheel does nothing more that way.
            ZoomToFactor(qBound(viewer::kMinZoom, next, viewer::kMaxZoom));
            return;
        }
        ZoomChanged();
        return;
    }
    scrollBox_->SetVert(viewer::TruncCoord(double(scrollBox_->Vert()) - delta));
}

JpegScale PageViewer::WantedScale() const {
    // The scale the screen shows the page at, in device pixels.
    const double shown = double(zoomFactor_) * devicePixelRatioF();
    if (shown < 0.125)
        return JpegScale::Eighth;
    if (shown < 0.25)
        return JpegScale::Quarter;
    if (shown < 0.5)
        return JpegScale::Half;
    return JpegScale::Full;
}

void PageViewer::RefineAfterZoom() {
    const JpegScale wanted = WantedScale();
    if (currentPath_.isEmpty() || int(wanted) >= int(decodedScale_))
        return; // the picture at hand is fine enough for the new zoom
    QImage finer = wanted == JpegScale::Full ? scanCache_->Find(currentPath_) : QImage();
    if (finer.isNull())
        finer = DecodeJpegFile(currentPath_, wanted);
    if (wanted == JpegScale::Full)
        scanCache_->Keep(currentPath_, finer);
    // The sizes stay as the zoom made them; only the picture painted into them is finer.
    pageImage_->SetPicture(finer, pageImage_->NaturalSize());
    decodedScale_ = wanted;
}

void PageViewer::ZoomToFactor(float factor) {
    factor = qBound(viewer::kMinZoom, factor, viewer::kMaxZoom);
    // From the picture's own size, so that no truncation of earlier steps is carried on.
    const QSize natural = pageImage_->NaturalSize();
    const QSize size = natural.isEmpty() ? viewer::ScaleSize(pageImage_->size(), double(factor) / double(zoomFactor_))
                                         : viewer::SizeAfterLoad(natural, factor);
    if (factor == zoomFactor_ && size == pageImage_->size())
        return;
    pageImage_->resize(size);
    overlay_->resize(size);
    overlay_->ResizeSurface(size);
    scrollBox_->UpdateExtent();
    zoomFactor_ = factor;
    RefineAfterZoom();
    ZoomChanged();
}

void PageViewer::ZoomTo(QAction *action) {
    if (!action)
        return;
    int percent = 0;
    if (!viewer::MenuPercent(action->text(), percent))
        throw VelmoraError(QStringLiteral("'%1' is not a valid integer value").arg(action->text().chopped(1)));
    const double newRate = percent / 100.0;
    const float oldRate = zoomFactor_;
    pageImage_->resize(viewer::SizeAfterMenu(pageImage_->size(), newRate, oldRate));
    overlay_->resize(viewer::SizeAfterMenu(overlay_->size(), newRate, oldRate));
    overlay_->ResizeSurface(overlay_->size());
    scrollBox_->UpdateExtent();
    zoomFactor_ = float(newRate);
    RefineAfterZoom();
    ZoomChanged();
}

void PageViewer::PointerDown(Qt::MouseButton button, int x, int y) {
    if (button == Qt::RightButton) {
        if (recording_)
            Q_EMIT PositionPicked(viewer::CapturedCoord(x, zoomFactor_), viewer::CapturedCoord(y, zoomFactor_));
        return; // otherwise the zoom menu opens
    }
    dragStartPointer_ = QCursor::pos();
    dragStartScroll_ = QPoint(scrollBox_->Horz(), scrollBox_->Vert());
    dragging_ = true;
}

void PageViewer::PointerMove() {
    if (!dragging_)
        return;
    // Screen coordinates: moving the content under the pointer does not feed back into the distance.
    const QPoint pos = QCursor::pos();
    scrollBox_->SetHorz(viewer::TruncCoord(double(dragStartScroll_.x()) + dragStartPointer_.x() - pos.x()));
    scrollBox_->SetVert(viewer::TruncCoord(double(dragStartScroll_.y()) + dragStartPointer_.y() - pos.y()));
}

void PageViewer::ZoomChanged() {
    // A marker still shown is drawn again where its position now lies; its three seconds run on.
    if (markerTimer_->isActive() && IsMarkerShown()) {
        ClearMarker();
        overlay_->SetPenColor(QColor(0xFF, 0x00, 0x00));
        overlay_->SetBrushColor(QColor(0xFF, 0x00, 0x00));
        overlay_->Ellipse(viewer::MarkerRect(markedPosition_.x(), markedPosition_.y(), zoomFactor_));
    }
    ShowInCorner(QStringLiteral("%1%").arg(double(zoomFactor_) * 100.0, 0, 'f', 0));
}

void PageViewer::ShowInCorner(const QString &text) {
    zoomIndicator_->setText(text);
    zoomIndicator_->adjustSize();
    PlaceCornerLabels();
    zoomIndicator_->show();
    zoomIndicator_->raise();
    zoomIndicatorTimer_->start();
}

void PageViewer::PlaceCornerLabels() {
    const int margin = 8;
    const int bottom = height() - margin -
                       scrollBox_->horizontalScrollBar()->height() * scrollBox_->horizontalScrollBar()->isVisible();
    zoomIndicator_->move(width() - zoomIndicator_->width() - margin -
                             scrollBox_->verticalScrollBar()->width() * scrollBox_->verticalScrollBar()->isVisible(),
                         bottom - zoomIndicator_->height());
    hitCount_->move(margin, bottom - hitCount_->height());
}

void PageViewer::SetScanIndex(ScanIndex *index) {
    if (scanIndex_)
        disconnect(scanIndex_, nullptr, this, nullptr);
    scanIndex_ = index;
    if (scanIndex_)
        connect(scanIndex_, &ScanIndex::Changed, this, Guarded([this] { RefreshMarks(); }));
    RefreshMarks();
}

void PageViewer::SetHits(std::vector<NoteRef> hits) {
    if (!std::is_sorted(hits.begin(), hits.end(), RefBefore))
        std::sort(hits.begin(), hits.end(), RefBefore);
    hits_ = std::move(hits);
    RefreshMarks();
}

void PageViewer::SetMarksShown(bool shown) {
    marksAction_->setChecked(shown);
    if (marks_.ShowAll() == shown)
        return;
    marks_.SetShowAll(shown);
    overlay_->update();
}

void PageViewer::RefreshMarks() {
    std::vector<ScanMark> marks;
    // Before the index is built (it comes after the first paint) only the hits need it at once.
    if (scanIndex_ && !currentPath_.isEmpty() && (scanIndex_->IsBuilt() || !hits_.empty())) {
        const std::vector<PlacedEntry> &placed = scanIndex_->On(currentPath_);
        marks.reserve(placed.size());
        for (const PlacedEntry &p : placed)
            marks.push_back({p.pos, QString(p.title).replace(QStringLiteral("<br>"), QStringLiteral(" ")),
                             std::binary_search(hits_.begin(), hits_.end(), p.ref, RefBefore)});
    }
    marks_.Set(std::move(marks));
    if (marks_.HitCount() > 0) {
        hitCount_->setText(QStringLiteral("本頁 %1 條").arg(marks_.HitCount()));
        hitCount_->adjustSize();
        PlaceCornerLabels();
        hitCount_->show();
        hitCount_->raise();
    } else {
        hitCount_->hide();
    }
    overlay_->update();
}

QString PageViewer::CornerNote() const { return hitCount_->isHidden() ? QString() : hitCount_->text(); }

double PageViewer::PickRadius() const { return pageImage_->NaturalSize().width() / 12.0; }

bool PageViewer::PickAt(int x, int y) {
    NoteRef ref;
    if (scanIndex_ && !currentPath_.isEmpty())
        ref = scanIndex_->Nearest(currentPath_, x, y, PickRadius());
    if (!ref.isValid()) {
        ShowInCorner(QStringLiteral("此處無條目"));
        return false;
    }
    Q_EMIT EntryPicked(ref);
    return true;
}

bool PageViewer::ShowMarkTip(const QHelpEvent *event) {
    const int at = marks_.MarkAt(event->pos(), double(zoomFactor_));
    if (at < 0) {
        QToolTip::hideText();
        return false;
    }
    QToolTip::showText(event->globalPos(), marks_.Marks()[size_t(at)].label, overlay_);
    return true;
}

void PageViewer::CheckCurrentZoomItem() {
    for (QAction *action : zoomMenu_->actions()) {
        int percent = 0;
        if (action->isCheckable() && viewer::MenuPercent(action->text(), percent))
            action->setChecked(float(percent / 100.0) == zoomFactor_);
    }
}

QSize PageViewer::RoomWithoutBars() const { return scrollBox_->maximumViewportSize(); }

void PageViewer::FitWidth() {
    const QSize natural = pageImage_->NaturalSize();
    if (natural.isEmpty())
        return;
    ZoomToFactor(float(double(RoomWithoutBars().width()) / natural.width()));
    // A page taller than the pane brings the vertical scroll bar, which may take some of the width.
    const int visible = scrollBox_->viewport()->width();
    if (visible < RoomWithoutBars().width())
        ZoomToFactor(float(double(visible) / natural.width()));
}

void PageViewer::FitPage() {
    const QSize natural = pageImage_->NaturalSize();
    if (natural.isEmpty())
        return;
    const QSize room = RoomWithoutBars();
    ZoomToFactor(float(qMin(double(room.width()) / natural.width(), double(room.height()) / natural.height())));
}

bool PageViewer::StepScan(int step) {
    if (!scanListing_ || currentPath_.isEmpty())
        return false;
    // The letter is the folder the page lies in; the browser names the paths, so compare bare names.
    QString path = currentPath_;
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    const QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (parts.size() < 2)
        return false;
    const QString name = parts.last();
    const QStringList paths = scanListing_(parts[parts.size() - 2].toUpper());
    const auto bareName = [](const QString &p) { return p.mid(p.lastIndexOf(QLatin1Char('\\')) + 1); };
    qsizetype at = -1;
    for (qsizetype i = 0; i < paths.size() && at < 0; ++i)
        if (bareName(paths[i]).compare(name, Qt::CaseInsensitive) == 0)
            at = i;
    const qsizetype next = at + step;
    if (at < 0 || next < 0 || next >= paths.size())
        return false;
    // Another page: the marker of this one goes.
    ClearMarker();
    markerTimer_->stop();
    ShowScan(paths[next]);
    return true;
}

bool PageViewer::TakeKey(const QKeyEvent *event, bool act) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    std::function<void()> action;
    if (mods == Qt::NoModifier || mods == Qt::ShiftModifier) {
        if (mods == Qt::NoModifier && key == Qt::Key_W)
            action = [this] { ZoomKeepingView([this] { FitWidth(); }); };
        else if (mods == Qt::NoModifier && key == Qt::Key_P)
            action = [this] { ZoomKeepingView([this] { FitPage(); }); };
        else if (mods == Qt::NoModifier && key == Qt::Key_1)
            action = [this] { ZoomKeepingView([this] { ZoomToFactor(1.0f); }); };
        else if (mods == Qt::NoModifier && key == Qt::Key_M)
            action = [this] { SetMarksShown(!MarksShown()); };
        else if (mods == Qt::NoModifier && key == Qt::Key_N && recording_)
            action = [this] { Q_EMIT NextUnpositionedWanted(); };
    }
    if (mods & Qt::ControlModifier) {
        // Plus needs Shift on many keyboards, and "=" shares its key.
        const Qt::KeyboardModifiers rest = mods & ~(Qt::ControlModifier | Qt::ShiftModifier);
        if (rest == Qt::NoModifier) {
            const auto wheelZoom = [this](int delta) {
                return [this, delta] {
                    ZoomKeepingView([this, delta] {
                        bool handled = true;
                        Wheel(Qt::ControlModifier, delta, handled);
                    });
                };
            };
            if (key == Qt::Key_Plus || key == Qt::Key_Equal)
                action = wheelZoom(120);
            else if (key == Qt::Key_Minus)
                action = wheelZoom(-120);
            else if (key == Qt::Key_0 && !(mods & Qt::ShiftModifier))
                action = [this] { ZoomKeepingView([this] { ZoomToFactor(1.0f); }); };
            else if (key == Qt::Key_PageDown && !(mods & Qt::ShiftModifier))
                action = [this] { StepScan(1); };
            else if (key == Qt::Key_PageUp && !(mods & Qt::ShiftModifier))
                action = [this] { StepScan(-1); };
            else if (key == Qt::Key_Z && !(mods & Qt::ShiftModifier) && recording_)
                action = [this] { Q_EMIT UndoCaptureWanted(); };
        }
    }
    if (!action)
        return false;
    if (act)
        Guarded(action)();
    return true;
}

void PageViewer::ZoomKeepingView(const std::function<void()> &zoom) {
    const QSize view = scrollBox_->viewport()->size();
    const QPointF scroll(scrollBox_->Horz(), scrollBox_->Vert());
    const double before = zoomFactor_;
    // The point to keep: the shown entry where it is on screen (or in the middle when it is out of
    // view), else whatever lies in the middle of the view.
    QPointF at(view.width() / 2.0, view.height() / 2.0);
    QPointF anchor = (scroll + at) / before;
    if (!entryPosition_.isNull()) {
        anchor = QPointF(entryPosition_);
        const QPointF onScreen = anchor * before - scroll;
        if (QRectF(QPointF(0, 0), QSizeF(view)).contains(onScreen))
            at = onScreen;
    }
    zoom();
    const QPointF target = anchor * double(zoomFactor_) - at;
    scrollBox_->SetHorz(viewer::TruncCoord(target.x()));
    scrollBox_->SetVert(viewer::TruncCoord(target.y()));
}

void PageViewer::keyPressEvent(QKeyEvent *event) {
    if (!TakeKey(event, true))
        QWidget::keyPressEvent(event);
}

bool PageViewer::eventFilter(QObject *watched, QEvent *event) {
    if (watched == overlay_ && event->type() == QEvent::ToolTip) {
        bool shown = false;
        Guarded([&] { shown = ShowMarkTip(static_cast<QHelpEvent *>(event)); })();
        if (!shown)
            event->ignore();
        return true;
    }
    if (watched == scrollBox_) {
        if (event->type() == QEvent::ShortcutOverride && TakeKey(static_cast<QKeyEvent *>(event), false)) {
            // The scan's own keys win over the window's shortcuts while it has focus.
            event->accept();
            return true;
        }
        if (event->type() == QEvent::KeyPress && TakeKey(static_cast<QKeyEvent *>(event), true))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PageViewer::SetNightShade(bool night, bool inverted) {
    pageImage_->SetShade(!night ? PageImage::Shade::None : inverted ? PageImage::Shade::Inverted : PageImage::Shade::Dimmed);
}
