#pragma once
// The widgets of the page image pane: the scroll box, the page image painted stretched, and the
// transparent overlay that takes the pointer and carries the position marker.

#include <QColor>
#include <QImage>
#include <QList>
#include <QScrollArea>
#include <QWidget>

#include <functional>

class QMenu;

// The scroll box. Its content is a plain widget whose size follows the controls inside it (the right
// and bottom edges furthest out), so the scroll range is always content extent - visible extent.
class ScrollBoxArea : public QScrollArea {
    Q_OBJECT
public:
    explicit ScrollBoxArea(QWidget *parent);

    // The parent for the controls inside the box.
    QWidget *Content() const;
    // Recomputes the content extent from the controls inside and the scroll ranges from it. Called
    // after the controls change size; also run on their resize and move events while shown.
    void UpdateExtent();

    int Horz() const;
    int Vert() const;
    // Clamped to 0 .. extent - visible by the scroll bars.
    void SetHorz(int value);
    void SetVert(int value);

    // The wheel handler: (modifiers, delta, handled). When set, it owns every wheel event of the box;
    // the default scrolling of the scroll area runs only when it leaves handled false.
    using WheelHandler = std::function<void(Qt::KeyboardModifiers, int, bool &)>;
    void SetWheelHandler(WheelHandler handler);

protected:
    void wheelEvent(QWheelEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    WheelHandler wheel_;
};

// The page image: a decoded picture painted stretched to the widget's size. Only the exposed part is
// painted, so the cost of a paint follows the visible area, not the zoom. Below half size the picture
// is drawn from a smoothly pre-halved copy (made once per picture and level), so that small zooms keep
// their detail instead of skipping source pixels.
// How often a picture is halved before it is drawn at `scale` of its size (in device pixels): the
// smallest halving still at least the size drawn.
int HalvingsFor(double scale);
// The picture at half its width and height, smoothly.
QImage HalvedPicture(const QImage &picture);
// Up to `count` halvings of the picture, each half the one before; they stop at a picture too small
// to halve.
QList<QImage> HalvedCopies(const QImage &picture, int count);

class PageImage : public QWidget {
    Q_OBJECT
public:
    explicit PageImage(QWidget *parent);

    // The picture may be decoded at a fraction of the page's size (for a small zoom); `naturalSize`
    // is then the page's own size, which every size of the viewer is reckoned from.
    // `halvings` may bring the picture's halved copies made ahead (each half the one before), so that
    // the first paint need not make them.
    void SetPicture(const QImage &picture, QSize naturalSize = QSize(), const QList<QImage> &halvings = {});
    const QImage &Picture() const { return levels_.isEmpty() ? empty_ : levels_.first(); }
    QSize NaturalSize() const { return levels_.isEmpty() ? QSize(0, 0) : naturalSize_; }
    // The halved copies at hand, whether brought along or made by paints so far.
    int HalvingsAtHand() const { return levels_.isEmpty() ? 0 : int(levels_.size()) - 1; }

    // Paints the part `target` of the widget (widget coordinates) onto `painter`, which must be set
    // up in widget coordinates. paintEvent and the benchmark use it.
    void PaintRegion(QPainter &painter, const QRect &target);

    // For reading at night: the picture dimmed, and inverted first when asked (dark paper, light ink).
    // The overlay above it (marker, marks) is not touched.
    enum class Shade { None, Dimmed, Inverted };
    void SetShade(Shade shade);
    Shade CurrentShade() const { return shade_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const QImage &LevelFor(double scale, int &level);
    Shade shade_ = Shade::None;
    QList<QImage> levels_; // [0] the picture, [k] the picture halved k times
    QImage empty_;
    QSize naturalSize_;
};

// The overlay. Its drawing surface is logical: a white background of a given size plus the shapes
// drawn on it, painted over the page with white transparent. Memory stays small at every zoom.
class PointOverlay : public QWidget {
    Q_OBJECT
public:
    explicit PointOverlay(QWidget *parent);

    // ---- drawing surface ------------------------------------------------------------------------
    QSize SurfaceSize() const { return surface_; }
    // Shapes keep their place; whatever lies outside the new size is cut off, as with a bitmap.
    void ResizeSurface(QSize size);
    void SetPenColor(const QColor &color) { pen_ = color; }
    void SetBrushColor(const QColor &color) { brush_ = color; }
    // Fills a rectangle with the brush colour. A fill covering the whole surface replaces everything.
    void FillRect(const QRect &rect);
    // Draws the ellipse inscribed in rect with a 1-pixel pen outline and the brush fill.
    void Ellipse(const QRect &rect);
    // The part `region` of the surface as it would be stored: white background with the shapes.
    QImage RenderSurface(const QRect &region) const;
    int ShapeCount() const { return int(shapes_.size()); }

    // ---- pointer ---------------------------------------------------------------------------------
    using ButtonHandler = std::function<void(Qt::MouseButton, Qt::KeyboardModifiers, int, int)>;
    using MoveHandler = std::function<void(Qt::KeyboardModifiers, int, int)>;
    void SetHandlers(ButtonHandler down, MoveHandler move, ButtonHandler up);
    // The context menu opens on a right click while `popupAuto` says so.
    void SetPopupMenu(QMenu *menu, std::function<bool()> popupAuto);
    // A double click of the left button; it starts no drag. Other buttons' double clicks count as
    // presses, as before.
    using DoubleClickHandler = std::function<void(int, int)>;
    void SetDoubleClickHandler(DoubleClickHandler handler) { doubleClick_ = std::move(handler); }
    // Painted under the shapes (the marker stays on top): the part `exposed` of the widget, in widget
    // coordinates.
    using Underlay = std::function<void(QPainter &, const QRect &)>;
    void SetUnderlay(Underlay underlay) { underlay_ = std::move(underlay); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    struct Shape {
        bool ellipse;
        QRect rect;
        QColor pen, brush;
    };
    void PaintShapes(QPainter &painter) const;

    QSize surface_;
    QColor pen_ = Qt::black, brush_ = Qt::white;
    QList<Shape> shapes_;
    ButtonHandler down_, up_;
    MoveHandler move_;
    DoubleClickHandler doubleClick_;
    Underlay underlay_;
    QMenu *menu_ = nullptr;
    std::function<bool()> popupAuto_;
};
