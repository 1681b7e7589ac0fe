#include "images/ScanWidgets.h"

#include <QChildEvent>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtMath>

#include <algorithm>

// ---- ScrollBoxArea ---------------------------------------------------------------------------------

ScrollBoxArea::ScrollBoxArea(QWidget *parent) : QScrollArea(parent) {
    auto *content = new QWidget;
    content->resize(0, 0);
    setWidget(content);
    setWidgetResizable(false);
    content->installEventFilter(this);
    horizontalScrollBar()->setSingleStep(81);
    // The content follows the thumb while it is dragged, not only when it is let go.
    horizontalScrollBar()->setTracking(true);
    verticalScrollBar()->setTracking(true);
}

QWidget *ScrollBoxArea::Content() const {
    return widget();
}

void ScrollBoxArea::UpdateExtent() {
    QWidget *content = widget();
    int right = 0, bottom = 0;
    for (QObject *child : content->children()) {
        auto *w = qobject_cast<QWidget *>(child);
        if (!w || w->isHidden()) continue;
        // Computed in 64 bits: a child at the largest size and a positive left would overflow.
        right = int(std::min<qint64>(std::max<qint64>(right, qint64(w->x()) + w->width()), QWIDGETSIZE_MAX));
        bottom =
            int(std::min<qint64>(std::max<qint64>(bottom, qint64(w->y()) + w->height()), QWIDGETSIZE_MAX));
    }
    if (content->size() != QSize(right, bottom)) content->resize(right, bottom);
    // Resize events of a hidden widget are postponed; this recomputes the scroll ranges now, so that a
    // scroll position set right after a size change is clamped to the new range.
    setWidgetResizable(false);
}

int ScrollBoxArea::Horz() const {
    return horizontalScrollBar()->value();
}

int ScrollBoxArea::Vert() const {
    return verticalScrollBar()->value();
}

void ScrollBoxArea::SetHorz(int value) {
    horizontalScrollBar()->setValue(value);
}

void ScrollBoxArea::SetVert(int value) {
    verticalScrollBar()->setValue(value);
}

void ScrollBoxArea::SetWheelHandler(WheelHandler handler) {
    wheel_ = std::move(handler);
}

void ScrollBoxArea::wheelEvent(QWheelEvent *event) {
    if (!wheel_) {
        QScrollArea::wheelEvent(event);
        return;
    }
    const QPoint angle = event->angleDelta();
    // Shift turns the wheel sideways on some platforms; the distance is then in x. A sideways wheel
    // (tilt, touchpad) scrolls sideways, as Shift with the wheel does.
    const int delta = angle.y() != 0 ? angle.y() : angle.x();
    Qt::KeyboardModifiers modifiers = event->modifiers();
    if (angle.y() == 0 && angle.x() != 0) modifiers |= Qt::ShiftModifier;
    // Touchpads open and close a gesture with empty events; they are no wheel notch.
    if (delta == 0 && event->phase() != Qt::NoScrollPhase && event->phase() != Qt::ScrollUpdate) {
        event->accept();
        return;
    }
    bool handled = false;
    wheel_(modifiers, delta, handled);
    if (handled)
        event->accept();
    else
        QScrollArea::wheelEvent(event);
}

bool ScrollBoxArea::eventFilter(QObject *watched, QEvent *event) {
    if (watched == widget()) {
        if (event->type() == QEvent::ChildAdded) {
            if (auto *w = qobject_cast<QWidget *>(static_cast<QChildEvent *>(event)->child()))
                w->installEventFilter(this);
        }
    } else if (watched->parent() == widget()) {
        switch (event->type()) {
        case QEvent::Resize:
        case QEvent::Move:
        case QEvent::Show:
        case QEvent::Hide:
            UpdateExtent();
            break;
        default:
            break;
        }
        return false;
    }
    return QScrollArea::eventFilter(watched, event);
}

// ---- PageImage -------------------------------------------------------------------------------------

PageImage::PageImage(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

int HalvingsFor(double scale) {
    int halvings = 0;
    while (scale > 0 && scale * 2 <= 1.0 && halvings < 16) {
        scale *= 2;
        ++halvings;
    }
    return halvings;
}

QImage HalvedPicture(const QImage &picture) {
    return picture.scaled(picture.width() / 2, picture.height() / 2, Qt::IgnoreAspectRatio,
                          Qt::SmoothTransformation);
}

QList<QImage> HalvedCopies(const QImage &picture, int count) {
    QList<QImage> copies;
    for (const QImage *from = &picture; copies.size() < count && from->width() >= 2 && from->height() >= 2;
         from = &copies.last())
        copies.append(HalvedPicture(*from));
    return copies;
}

void PageImage::SetPicture(const QImage &picture, QSize naturalSize, const QList<QImage> &halvings) {
    levels_.clear();
    naturalSize_ = naturalSize.isValid() ? naturalSize : picture.size();
    if (!picture.isNull()) {
        levels_.append(picture);
        for (const QImage &half : halvings) {
            const QImage &prev = levels_.last();
            if (half.size() != QSize(prev.width() / 2, prev.height() / 2))
                break; // not a halving of this picture
            levels_.append(half);
        }
    }
    update();
}

const QImage &PageImage::LevelFor(double scale, int &level) {
    level = 0;
    // The largest halving that is still at least the displayed size.
    while (scale * 2 <= 1.0 && levels_[level].width() >= 2 && levels_[level].height() >= 2) {
        scale *= 2;
        ++level;
        if (level == levels_.size()) levels_.append(HalvedPicture(levels_[level - 1]));
    }
    return levels_[level];
}

void PageImage::PaintRegion(QPainter &painter, const QRect &target) {
    if (levels_.isEmpty() || width() <= 0 || height() <= 0) return;
    const QRect area = target & rect();
    if (area.isEmpty()) return;
    const QImage &natural = levels_.first();
    // On a high-density screen a logical pixel is several device pixels: pick the level for those.
    const double scale = std::min(double(width()) / natural.width(), double(height()) / natural.height()) *
                         painter.device()->devicePixelRatioF();
    int level = 0;
    const QImage &source = LevelFor(scale, level);
    const double sx = double(source.width()) / width(), sy = double(source.height()) / height();
    const QRectF from(area.x() * sx, area.y() * sy, area.width() * sx, area.height() * sy);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(QRectF(area), source, from);
}

void PageImage::SetShade(Shade shade) {
    if (shade == shade_) return;
    shade_ = shade;
    update();
}

void PageImage::paintEvent(QPaintEvent *event) {
    QPainter painter(this);
    PaintRegion(painter, event->rect());
    if (shade_ == Shade::None || levels_.isEmpty()) return;
    const QRect area = event->rect() & rect();
    if (shade_ == Shade::Inverted) {
        painter.setCompositionMode(QPainter::CompositionMode_Difference);
        painter.fillRect(area, Qt::white);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    // White paper comes down to about the night page's text grey, so the scan does not glare beside it.
    painter.fillRect(area, QColor(0, 0, 0, shade_ == Shade::Inverted ? 40 : 95));
}

// ---- PointOverlay ----------------------------------------------------------------------------------

PointOverlay::PointOverlay(QWidget *parent) : QWidget(parent) {
    // Transparent: only the shapes are painted, the page shows through everywhere else.
    setAttribute(Qt::WA_NoSystemBackground, true);
    setAttribute(Qt::WA_TranslucentBackground, true);
    setAutoFillBackground(false);
    setContextMenuPolicy(Qt::DefaultContextMenu);
}

void PointOverlay::ResizeSurface(QSize size) {
    surface_ = size.expandedTo(QSize(0, 0));
    const QRect bounds(QPoint(0, 0), surface_);
    // Shapes wholly outside the surface are gone for good, as the pixels of a shrunk bitmap would be.
    shapes_.erase(std::remove_if(shapes_.begin(), shapes_.end(),
                                 [&](const Shape &s) { return !s.rect.intersects(bounds); }),
                  shapes_.end());
    update();
}

void PointOverlay::FillRect(const QRect &rect) {
    const QRect r = rect.normalized();
    if (surface_.isEmpty() || r.contains(QRect(QPoint(0, 0), surface_))) shapes_.clear();
    // Painting white on an empty surface changes nothing.
    if (!(shapes_.isEmpty() && brush_ == QColor(Qt::white)) && !r.isEmpty())
        shapes_.append(Shape{false, r, pen_, brush_});
    update();
}

void PointOverlay::Ellipse(const QRect &rect) {
    const QRect r = rect.normalized();
    if (!r.isEmpty()) shapes_.append(Shape{true, r, pen_, brush_});
    update();
}

void PointOverlay::PaintShapes(QPainter &painter) const {
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const Shape &s : shapes_) {
        if (s.ellipse) {
            painter.setPen(QPen(s.pen, 1));
            painter.setBrush(s.brush);
            // Inscribed in the rectangle with right and bottom exclusive, outline included.
            painter.drawEllipse(
                QRectF(s.rect.x() + 0.5, s.rect.y() + 0.5, s.rect.width() - 1, s.rect.height() - 1));
        } else {
            painter.fillRect(s.rect, s.brush);
        }
    }
}

QImage PointOverlay::RenderSurface(const QRect &region) const {
    const QRect area = region & QRect(QPoint(0, 0), surface_);
    QImage image(region.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    if (area.isEmpty() || shapes_.isEmpty()) return image;
    QPainter painter(&image);
    painter.translate(-region.topLeft());
    painter.setClipRect(area);
    PaintShapes(painter);
    return image;
}

void PointOverlay::paintEvent(QPaintEvent *event) {
    if (underlay_) {
        QPainter painter(this);
        painter.setClipRect(event->rect());
        underlay_(painter, event->rect());
    }
    if (shapes_.isEmpty() || surface_.isEmpty() || width() <= 0 || height() <= 0) return;
    // The surface is painted stretched to the widget; normally both have the same size.
    const double sx = double(width()) / surface_.width(), sy = double(height()) / surface_.height();
    QRect bounds;
    for (const Shape &s : shapes_) {
        if (s.brush != QColor(Qt::white) || (s.ellipse && s.pen != QColor(Qt::white))) bounds |= s.rect;
    }
    const QRectF exposed(event->rect().x() / sx, event->rect().y() / sy, event->rect().width() / sx,
                         event->rect().height() / sy);
    const QRect region = bounds & exposed.toAlignedRect() & QRect(QPoint(0, 0), surface_);
    if (region.isEmpty()) return;
    // Render just that region as the bitmap would hold it, at the screen's density so that the marker
    // stays round on a high-density screen, then make its white transparent.
    const qreal density = devicePixelRatioF() * std::max(sx, sy);
    QImage part((QSizeF(region.size()) * density).toSize(), QImage::Format_ARGB32_Premultiplied);
    part.fill(Qt::white);
    {
        QPainter surface(&part);
        surface.scale(density, density);
        surface.translate(-region.topLeft());
        PaintShapes(surface);
    }
    part.setDevicePixelRatio(density);
    for (int y = 0; y < part.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(part.scanLine(y));
        for (int x = 0; x < part.width(); ++x) {
            if (line[x] == 0xffffffffu) line[x] = 0;
        }
    }
    QPainter painter(this);
    painter.scale(sx, sy);
    painter.drawImage(region.topLeft(), part);
}

void PointOverlay::SetHandlers(ButtonHandler down, MoveHandler move, ButtonHandler up) {
    down_ = std::move(down);
    move_ = std::move(move);
    up_ = std::move(up);
}

void PointOverlay::SetPopupMenu(QMenu *menu, std::function<bool()> popupAuto) {
    menu_ = menu;
    popupAuto_ = std::move(popupAuto);
}

// Pointer positions in whole pixels of the overlay; floor keeps points left of or above it negative.
void PointOverlay::mousePressEvent(QMouseEvent *event) {
    event->accept();
    if (down_)
        down_(event->button(), event->modifiers(), qFloor(event->position().x()),
              qFloor(event->position().y()));
}

void PointOverlay::mouseMoveEvent(QMouseEvent *event) {
    event->accept();
    if (move_) move_(event->modifiers(), qFloor(event->position().x()), qFloor(event->position().y()));
}

void PointOverlay::mouseReleaseEvent(QMouseEvent *event) {
    event->accept();
    if (up_)
        up_(event->button(), event->modifiers(), qFloor(event->position().x()),
            qFloor(event->position().y()));
}

void PointOverlay::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton || !doubleClick_) {
        mousePressEvent(event);
        return;
    }
    event->accept();
    doubleClick_(qFloor(event->position().x()), qFloor(event->position().y()));
}

void PointOverlay::contextMenuEvent(QContextMenuEvent *event) {
    event->accept();
    if (menu_ && (!popupAuto_ || popupAuto_())) menu_->popup(event->globalPos());
}
