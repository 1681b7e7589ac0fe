#include "images/ScanZoom.h"

#include "common/Error.h"
#include "images/ScanWidgets.h"
#include "images/ViewerMath.h"
#include "widgets/ErrorBoundary.h"

#include <QAction>
#include <QFont>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>

ScanZoom::ScanZoom(ScrollBoxArea *box, PageImage *image, PointOverlay *overlay, QWidget *menuParent)
    : QObject(menuParent), box_(box), image_(image), overlay_(overlay), menu_(new QMenu(menuParent)) {
    menu_->setObjectName(QStringLiteral("ImagePopupMenu"));
    menu_->setAccessibleName(QStringLiteral("縮放"));
    // Captions without "&": no access keys are added, so the captions are read back exactly.
    const auto add = [this](const QString &caption, const char *name) {
        QAction *action = menu_->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    add(QStringLiteral("25%"), "itemImage100");
    add(QStringLiteral("50%"), "N501");
    add(QStringLiteral("75%"), "N751");
    add(QStringLiteral("100%"), "N1004");
    QAction *zoom150 = add(QStringLiteral("150%"), "N1003");
    add(QStringLiteral("200%"), "N1002");
    QFont bold = zoom150->font();
    bold.setBold(true);
    zoom150->setFont(bold);
    menu_->setDefaultAction(zoom150);
    // The percentage items show a check at the current factor; choosing one still only sets it.
    for (QAction *action : menu_->actions())
        action->setCheckable(true);
    const QList<QAction *> percentages = menu_->actions();
    menu_->addSeparator();
    fitWidth_ = add(QStringLiteral("適合寬度\tW"), "zoomFitWidth");
    fitPage_ = add(QStringLiteral("適合頁面\tP"), "zoomFitPage");
    naturalSize_ = add(QStringLiteral("原始大小\t1"), "zoomNaturalSize");
    connect(menu_, &QMenu::aboutToShow, this, Guarded([this] { CheckCurrentItem(); }));
    // A zoom from the menu keeps the entry shown where it is in the view, as the keys do.
    connect(menu_, &QMenu::triggered, this, Guarded([this, percentages](QAction *action) {
                if (action == fitWidth_)
                    KeepingView([this] { FitWidth(); });
                else if (action == fitPage_)
                    KeepingView([this] { FitPage(); });
                else if (action == naturalSize_)
                    KeepingView([this] { ZoomToFactor(1.0f); });
                else if (percentages.contains(action))
                    KeepingView([this, action] { ZoomTo(action); });
                // the pane's own items act by themselves
            }));
}

void ScanZoom::Changed() {
    if (changed_) changed_();
}

void ScanZoom::Wheel(Qt::KeyboardModifiers modifiers, int delta, bool &handled) {
    handled = true;
    if (modifiers & Qt::ShiftModifier) {
        box_->SetHorz(viewer::TruncCoord(double(box_->Horz()) - delta));
        return;
    }
    if (modifiers & Qt::ControlModifier) {
        const double f = viewer::WheelFactor(delta);
        const float next = viewer::RateAfterWheel(factor_, f);
        if (next >= viewer::kMinZoom && next <= viewer::kMaxZoom) {
            factor_ = next;
            image_->resize(viewer::ScaleSize(image_->size(), f));
            overlay_->resize(viewer::ScaleSize(overlay_->size(), f));
            overlay_->ResizeSurface(overlay_->size());
            box_->UpdateExtent();
            Changed();
        } else {
            // A step past a bound stops at it; at the bound the wheel does nothing more that way.
            ZoomToFactor(qBound(viewer::kMinZoom, next, viewer::kMaxZoom));
        }
        return;
    }
    box_->SetVert(viewer::TruncCoord(double(box_->Vert()) - delta));
}

void ScanZoom::ZoomToFactor(float factor) {
    factor = qBound(viewer::kMinZoom, factor, viewer::kMaxZoom);
    // From the picture's own size, so that no truncation of earlier steps is carried on.
    const QSize natural = image_->NaturalSize();
    const QSize size = natural.isEmpty() ? viewer::ScaleSize(image_->size(), double(factor) / double(factor_))
                                         : viewer::SizeAfterLoad(natural, factor);
    if (factor == factor_ && size == image_->size()) return;
    image_->resize(size);
    overlay_->resize(size);
    overlay_->ResizeSurface(size);
    box_->UpdateExtent();
    factor_ = factor;
    Changed();
}

void ScanZoom::ZoomTo(QAction *action) {
    if (!action) return;
    int percent = 0;
    if (!viewer::MenuPercent(action->text(), percent))
        throw VelmoraError(
            QStringLiteral("'%1' is not a valid integer value").arg(action->text().chopped(1)));
    const double newRate = percent / 100.0;
    const float oldRate = factor_;
    image_->resize(viewer::SizeAfterMenu(image_->size(), newRate, oldRate));
    overlay_->resize(viewer::SizeAfterMenu(overlay_->size(), newRate, oldRate));
    overlay_->ResizeSurface(overlay_->size());
    box_->UpdateExtent();
    factor_ = float(newRate);
    Changed();
}

void ScanZoom::CheckCurrentItem() {
    for (QAction *action : menu_->actions()) {
        int percent = 0;
        if (action->isCheckable() && viewer::MenuPercent(action->text(), percent))
            action->setChecked(float(percent / 100.0) == factor_);
    }
}

QSize ScanZoom::RoomWithoutBars() const {
    return box_->maximumViewportSize();
}

void ScanZoom::FitWidth() {
    const QSize natural = image_->NaturalSize();
    if (natural.isEmpty()) return;
    ZoomToFactor(float(double(RoomWithoutBars().width()) / natural.width()));
    // A page taller than the pane brings the vertical scroll bar, which may take some of the width.
    const int visible = box_->viewport()->width();
    if (visible < RoomWithoutBars().width()) ZoomToFactor(float(double(visible) / natural.width()));
}

void ScanZoom::FitPage() {
    const QSize natural = image_->NaturalSize();
    if (natural.isEmpty()) return;
    const QSize room = RoomWithoutBars();
    ZoomToFactor(
        float(qMin(double(room.width()) / natural.width(), double(room.height()) / natural.height())));
}

std::function<void()> ScanZoom::KeyAction(const QKeyEvent *event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if (mods == Qt::NoModifier) {
        if (key == Qt::Key_W) return [this] { KeepingView([this] { FitWidth(); }); };
        if (key == Qt::Key_P) return [this] { KeepingView([this] { FitPage(); }); };
        if (key == Qt::Key_1) return [this] { KeepingView([this] { ZoomToFactor(1.0f); }); };
    }
    // Plus needs Shift on many keyboards, and "=" shares its key.
    if ((mods & Qt::ControlModifier) &&
        (mods & ~(Qt::ControlModifier | Qt::ShiftModifier)) == Qt::NoModifier) {
        const auto wheelZoom = [this](int delta) {
            return [this, delta] {
                KeepingView([this, delta] {
                    bool handled = true;
                    Wheel(Qt::ControlModifier, delta, handled);
                });
            };
        };
        if (key == Qt::Key_Plus || key == Qt::Key_Equal) return wheelZoom(120);
        if (key == Qt::Key_Minus) return wheelZoom(-120);
        if (key == Qt::Key_0 && !(mods & Qt::ShiftModifier))
            return [this] { KeepingView([this] { ZoomToFactor(1.0f); }); };
    }
    return {};
}

void ScanZoom::KeepingView(const std::function<void()> &zoom) {
    const QSize view = box_->viewport()->size();
    const QPointF scroll(box_->Horz(), box_->Vert());
    const double before = factor_;
    // The point to keep: the shown entry where it is on screen (or in the middle when it is out of
    // view), else whatever lies in the middle of the view.
    QPointF at(view.width() / 2.0, view.height() / 2.0);
    QPointF anchor = (scroll + at) / before;
    const QPoint entry = anchor_ ? anchor_() : QPoint();
    if (!entry.isNull()) {
        anchor = QPointF(entry);
        const QPointF onScreen = anchor * before - scroll;
        if (QRectF(QPointF(0, 0), QSizeF(view)).contains(onScreen)) at = onScreen;
    }
    zoom();
    const QPointF target = anchor * double(factor_) - at;
    box_->SetHorz(viewer::TruncCoord(target.x()));
    box_->SetVert(viewer::TruncCoord(target.y()));
}
