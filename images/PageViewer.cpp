#include "images/PageViewer.h"

#include "common/Error.h"
#include "corpus/Data.h"
#include "corpus/ScanIndex.h"
#include "images/FileLists.h"
#include "images/ScanLabels.h"
#include "images/ScanLayouts.h"
#include "images/ScanLoader.h"
#include "images/ScanMap.h"
#include "images/ScanWidgets.h"
#include "images/ScanZoom.h"
#include "images/ViewerMath.h"
#include "widgets/ErrorBoundary.h"
#include "widgets/Look.h"

#include <QAction>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>

PageViewer::PageViewer(QWidget *parent)
    : QWidget(parent), loader_(new ScanLoader(this)), layouts_(new ScanLayouts(this)),
      map_(new ScanMap(layouts_, this)) {
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
        Guarded([&] { zoom_->Wheel(modifiers, delta, handled); })();
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
    overlay_->SetHandlers([this](Qt::MouseButton button, Qt::KeyboardModifiers, int x,
                                 int y) { Guarded([&] { PointerDown(button, x, y); })(); },
                          [this](Qt::KeyboardModifiers, int, int) { Guarded([this] { PointerMove(); })(); },
                          [this](Qt::MouseButton, Qt::KeyboardModifiers, int, int) { dragging_ = false; });
    overlay_->SetDoubleClickHandler([this](int x, int y) {
        // The scan must not follow the pointer from the first press on: the entry decides where it goes.
        dragging_ = false;
        Guarded([&] {
            PickAt(viewer::CapturedCoord(x, ZoomFactor()), viewer::CapturedCoord(y, ZoomFactor()));
        })();
    });
    overlay_->SetUnderlay([this](QPainter &painter, const QRect &exposed) {
        map_->Marks().Paint(painter, exposed, double(ZoomFactor()));
        proposals_.Paint(painter, exposed, double(ZoomFactor()));
    });
    overlay_->installEventFilter(this);
    scrollBox_->UpdateExtent();

    zoom_ = new ScanZoom(scrollBox_, pageImage_, overlay_, this);
    zoom_->SetOnChanged([this] { ZoomChanged(); });
    zoom_->SetAnchor([this] { return entryPosition_; });
    marksAction_ = zoom_->Menu()->addAction(QStringLiteral("顯示條目位置\tM"));
    marksAction_->setObjectName(QStringLiteral("showEntryPositions"));
    marksAction_->setCheckable(true);
    connect(marksAction_, &QAction::triggered, this, Guarded([this](bool on) { SetMarksShown(on); }));
    overlay_->SetPopupMenu(zoom_->Menu(), [this] { return !recording_; });

    labels_ = new ScanLabels(this, layout, scrollBox_);
    connect(map_, &ScanMap::Changed, this, [this] { MarksChanged(); });

    // The scroll box holds the focus of the pane; its keys are seen before it scrolls with them.
    scrollBox_->installEventFilter(this);
    scrollBox_->viewport()->installEventFilter(this);

    connect(loader_, &ScanLoader::LargeDecoded, this,
            Guarded([this](const QString &path, const QImage &picture) { LargeScanDecoded(path, picture); }));
    connect(loader_, &ScanLoader::LargeFailed, this,
            Guarded([this](const QString &path, const QString &error) {
                ShowUnreadable(path, error);
                throw VelmoraError(error);
            }));

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
    ScanLoader::Picture picture;
    try {
        picture = loader_->Load(path, double(ZoomFactor()) * devicePixelRatioF());
    } catch (const std::exception &e) {
        // The page shown must not pass for this one: it makes way for a notice naming the file.
        ShowUnreadable(path, QString::fromUtf8(e.what()));
        throw;
    }
    ApplyPicture(path, picture.image, picture.natural, picture.halvings);
}

void PageViewer::ApplyPicture(const QString &path, const QImage &picture, QSize natural,
                              const QList<QImage> &halvings) {
    labels_->SetNotice(QString());
    pageImage_->SetPicture(picture, natural, halvings);
    const QSize size = viewer::SizeAfterLoad(pageImage_->NaturalSize(), ZoomFactor());
    pageImage_->resize(size);
    overlay_->resize(size);
    scrollBox_->UpdateExtent();
    const bool another = currentPath_ != path;
    currentPath_ = path;
    map_->Show(path);
    if (another) Q_EMIT ScanShown(path);
}

void PageViewer::ShowUnreadable(const QString &path, const QString &reason) {
    pageImage_->SetPicture(QImage()); // the earlier picture's memory goes back at once
    pageImage_->resize(0, 0);
    overlay_->resize(0, 0);
    overlay_->ResizeSurface(overlay_->size());
    scrollBox_->UpdateExtent();
    // No page is shown now: the next request for this scan tries it again.
    currentPath_.clear();
    map_->Show(QString());
    Q_EMIT ScanShown(QString());
    labels_->SetNotice(QStringLiteral("無法讀取這一頁的圖檔：\n%1\n\n%2").arg(path, reason));
}

bool PageViewer::IsShowingUnreadableNotice() const {
    // The same notice says "loading" while a large scan decodes.
    return labels_->IsNoticeShown() && !loader_->IsDecodingInBackground();
}

void PageViewer::LargeScanDecoded(const QString &path, const QImage &picture) {
    ApplyPicture(path, picture);
    overlay_->setCursor(Qt::SizeAllCursor);
    overlay_->ResizeSurface(overlay_->size());
    ShowEntry(pendingEntry_); // its page is shown now: scroll to the entry and mark it
}

bool PageViewer::IsDecodingInBackground() const {
    return loader_->IsDecodingInBackground();
}

void PageViewer::PrefetchScans(const QStringList &paths) {
    QStringList wanted;
    for (const QString &path : paths)
        if (!path.isEmpty() && path != currentPath_ && !wanted.contains(path)) wanted << path;
    // With the copies the present zoom draws from, on this screen.
    loader_->Prefetch(wanted, HalvingsFor(double(ZoomFactor()) * devicePixelRatioF()));
}

void PageViewer::ShowScan(const QString &path) {
    if (path == currentPath_) return;
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
    if (e.pageImage != currentPath_ && loader_->IsLarge(e.pageImage)) {
        // Decoded on the worker thread: the window keeps painting and answering meanwhile, and the
        // entry is shown on its page once the picture is there (unless another page was asked for).
        pendingEntry_ = e;
        loader_->Request(e.pageImage);
        labels_->SetNotice(QStringLiteral("正在載入這一頁的圖檔：\n%1").arg(e.pageImage));
        return;
    }
    loader_->DropRequest();
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
        if (y != -1) scrollBox_->SetVert(viewer::ScrollTargetVert(y, ZoomFactor(), scrollBox_->height()));
        if (x == -1) return;
        scrollBox_->SetHorz(viewer::ScrollTargetHorz(x, ZoomFactor(), scrollBox_->width()));
    }
    if (x > 0 && y > 0) {
        markedPosition_ = QPoint(x, y);
        DrawMarker();
        markerTimer_->start();
    }
}

void PageViewer::SetCaptureCaption(const QString &text) {
    labels_->SetCaption(text);
}

QString PageViewer::CaptureCaption() const {
    return labels_->Caption();
}

void PageViewer::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    labels_->Place();
}

QWidget *PageViewer::MenuSurface() const {
    return overlay_;
}

bool PageViewer::IsMarkerShown() const {
    return overlay_->ShapeCount() > 0;
}

void PageViewer::ClearMarker() {
    overlay_->SetBrushColor(Qt::white);
    overlay_->FillRect(QRect(0, 0, overlay_->width(), overlay_->height()));
}

float PageViewer::ZoomFactor() const {
    return zoom_->Factor();
}

void PageViewer::SetZoomFactor(float factor) {
    zoom_->SetFactor(factor);
}

void PageViewer::FitWidth() {
    zoom_->FitWidth();
}

void PageViewer::FitPage() {
    zoom_->FitPage();
}

void PageViewer::ZoomToFactor(float factor) {
    zoom_->ZoomToFactor(factor);
}

void PageViewer::DrawMarker() {
    overlay_->SetPenColor(QColor(0xFF, 0x00, 0x00));
    overlay_->SetBrushColor(QColor(0xFF, 0x00, 0x00));
    overlay_->Ellipse(viewer::MarkerRect(markedPosition_.x(), markedPosition_.y(), ZoomFactor()));
}

void PageViewer::PointerDown(Qt::MouseButton button, int x, int y) {
    if (button == Qt::RightButton) {
        if (recording_)
            Q_EMIT PositionPicked(viewer::CapturedCoord(x, ZoomFactor()),
                                  viewer::CapturedCoord(y, ZoomFactor()));
        return; // otherwise the zoom menu opens
    }
    dragStartPointer_ = QCursor::pos();
    dragStartScroll_ = QPoint(scrollBox_->Horz(), scrollBox_->Vert());
    dragging_ = true;
}

void PageViewer::PointerMove() {
    if (!dragging_) return;
    // Screen coordinates: moving the content under the pointer does not feed back into the distance.
    const QPoint pos = QCursor::pos();
    scrollBox_->SetHorz(viewer::TruncCoord(double(dragStartScroll_.x()) + dragStartPointer_.x() - pos.x()));
    scrollBox_->SetVert(viewer::TruncCoord(double(dragStartScroll_.y()) + dragStartPointer_.y() - pos.y()));
}

void PageViewer::ZoomChanged() {
    // The sizes stay as the zoom made them; only the picture painted into them may be finer.
    const QImage finer = loader_->Refine(currentPath_, double(ZoomFactor()) * devicePixelRatioF());
    if (!finer.isNull()) pageImage_->SetPicture(finer, pageImage_->NaturalSize());
    // A marker still shown is drawn again where its position now lies; its three seconds run on.
    if (markerTimer_->isActive() && IsMarkerShown()) {
        ClearMarker();
        DrawMarker();
    }
    labels_->ShowPassing(QStringLiteral("%1%").arg(double(ZoomFactor()) * 100.0, 0, 'f', 0));
    Q_EMIT ZoomFactorChanged(ZoomFactor());
}

void PageViewer::SetScanIndex(ScanIndex *index) {
    map_->SetIndex(index);
}

void PageViewer::SetHits(std::vector<NoteRef> hits) {
    map_->SetHits(std::move(hits));
}

const ScanMarks &PageViewer::Marks() const {
    return map_->Marks();
}

bool PageViewer::MarksShown() const {
    return map_->Marks().ShowAll();
}

void PageViewer::SetMarksShown(bool shown) {
    marksAction_->setChecked(shown);
    if (map_->Marks().ShowAll() == shown) return;
    map_->Marks().SetShowAll(shown);
    overlay_->update();
}

void PageViewer::MarksChanged() {
    const int hits = map_->Marks().HitCount();
    labels_->SetHitCount(hits > 0 ? QStringLiteral("本頁 %1 條").arg(hits) : QString());
    overlay_->update();
}

QString PageViewer::CornerNote() const {
    return labels_->HitCount();
}

double PageViewer::PickRadius() const {
    return pageImage_->NaturalSize().width() / 12.0;
}

bool PageViewer::PickAt(int x, int y) {
    const NoteRef ref = currentPath_.isEmpty() ? NoteRef() : map_->EntryAt(QPoint(x, y), PickRadius());
    if (!ref.isValid()) {
        labels_->ShowPassing(QStringLiteral("此處無條目"));
        return false;
    }
    Q_EMIT EntryPicked(ref);
    return true;
}

bool PageViewer::ShowMarkTip(const QHelpEvent *event) {
    const QString label = map_->LabelAt(event->pos(), double(ZoomFactor()));
    if (label.isEmpty()) {
        QToolTip::hideText();
        return false;
    }
    QToolTip::showText(event->globalPos(), label, overlay_);
    return true;
}

bool PageViewer::StepScan(int step) {
    const QString letter = ScanLetter(currentPath_);
    if (!scanListing_ || letter.isEmpty()) return false;
    const QString next = NeighbourScan(currentPath_, scanListing_(letter), step);
    if (next.isEmpty()) return false;
    // Another page: the marker of this one goes.
    ClearMarker();
    markerTimer_->stop();
    ShowScan(next);
    return true;
}

bool PageViewer::TakeKey(const QKeyEvent *event, bool act) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    std::function<void()> action = zoom_->KeyAction(event);
    if (action)
        ; // a key of the zoom
    else if (mods == Qt::NoModifier && key == Qt::Key_M)
        action = [this] { SetMarksShown(!MarksShown()); };
    else if (mods == Qt::NoModifier && key == Qt::Key_N && recording_)
        action = [this] { Q_EMIT NextUnpositionedWanted(); };
    else if (mods == Qt::ControlModifier && key == Qt::Key_PageDown)
        action = [this] { StepScan(1); };
    else if (mods == Qt::ControlModifier && key == Qt::Key_PageUp)
        action = [this] { StepScan(-1); };
    else if (mods == Qt::ControlModifier && key == Qt::Key_Z && recording_)
        action = [this] { Q_EMIT UndoCaptureWanted(); };
    if (!action) return false;
    if (act) Guarded(action)();
    return true;
}

void PageViewer::keyPressEvent(QKeyEvent *event) {
    if (!TakeKey(event, true)) QWidget::keyPressEvent(event);
}

bool PageViewer::eventFilter(QObject *watched, QEvent *event) {
    if (watched == overlay_ && event->type() == QEvent::ToolTip) {
        bool shown = false;
        Guarded([&] { shown = ShowMarkTip(static_cast<QHelpEvent *>(event)); })();
        if (!shown) event->ignore();
        return true;
    }
    // The scroll bars come and go with the zoom after the labels were placed: the viewport's size says so.
    if (watched == scrollBox_->viewport() && event->type() == QEvent::Resize) labels_->Place();
    if (watched == scrollBox_ && recording_ && captureKeys_ &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)) {
        const bool press = event->type() == QEvent::KeyPress;
        bool taken = false;
        Guarded([&] { taken = captureKeys_(static_cast<QKeyEvent *>(event), press); })();
        if (taken) {
            event->accept();
            return true;
        }
    }
    if (watched == scrollBox_) {
        if (event->type() == QEvent::ShortcutOverride && TakeKey(static_cast<QKeyEvent *>(event), false)) {
            // The scan's own keys win over the window's shortcuts while it has focus.
            event->accept();
            return true;
        }
        if (event->type() == QEvent::KeyPress && TakeKey(static_cast<QKeyEvent *>(event), true)) return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PageViewer::SetProposals(std::vector<ProposalRing> rings, int current, bool showAll) {
    proposals_.Set(std::move(rings), current);
    proposals_.SetShowAll(showAll);
    overlay_->update();
    if (!proposals_.IsEmpty()) Reveal(proposals_.Rings()[size_t(proposals_.Current())].pos);
}

void PageViewer::SetCurrentProposal(int index) {
    proposals_.SetCurrent(index);
    overlay_->update();
    if (!proposals_.IsEmpty()) Reveal(proposals_.Rings()[size_t(proposals_.Current())].pos);
}

QMenu *PageViewer::Menu() const {
    return zoom_->Menu();
}

void PageViewer::Reveal(QPoint natural) {
    const double z = ZoomFactor();
    // The overlay lies 3 pixels left of the page's content origin.
    scrollBox_->ensureVisible(int(natural.x() * z) - 3, int(natural.y() * z), 120, 80);
}

void PageViewer::SetNightShade(bool night, bool inverted) {
    pageImage_->SetShade(!night     ? PageImage::Shade::None
                         : inverted ? PageImage::Shade::Inverted
                                    : PageImage::Shade::Dimmed);
}
