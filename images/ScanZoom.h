#pragma once
// The zoom of the scan pane: the percentages, fit to width or page and natural size from its menu and
// keys, Ctrl+wheel, and the zoom that keeps the entry shown where it is in the view. It sizes the page
// image and the overlay together; the pane is told after every change.

#include <QObject>
#include <QPoint>
#include <QSize>

#include <functional>

class PageImage;
class PointOverlay;
class QAction;
class QKeyEvent;
class QMenu;
class QWidget;
class ScrollBoxArea;

class ScanZoom : public QObject {
    Q_OBJECT
public:
    // The menu is made with `menuParent` as its parent; the pane adds its own items below the zoom's.
    ScanZoom(ScrollBoxArea *box, PageImage *image, PointOverlay *overlay, QWidget *menuParent);

    float Factor() const { return factor_; }
    // Takes a factor read back from the settings; the next page loaded is shown at it.
    void SetFactor(float factor) { factor_ = factor; }
    QMenu *Menu() const { return menu_; }

    // Called after every change of the zoom, before the view is scrolled.
    void SetOnChanged(std::function<void()> changed) { changed_ = std::move(changed); }
    // The shown entry's position (natural-size pixels; null without one): the point a zoom keeps.
    void SetAnchor(std::function<QPoint()> anchor) { anchor_ = std::move(anchor); }

    void FitWidth();
    void FitPage();
    // Sizes the page for `factor` (within the viewer's bounds) from the picture's natural size.
    void ZoomToFactor(float factor);
    // Zooms by `zoom` about the shown entry's position (or the view's middle without one), so that the
    // entry stays where it was in the view.
    void KeepingView(const std::function<void()> &zoom);
    // The scroll box's wheel: Shift scrolls across, Ctrl zooms, else it scrolls down the page.
    void Wheel(Qt::KeyboardModifiers modifiers, int delta, bool &handled);
    // The zoom's keys (W, P, 1, Ctrl+plus, Ctrl+minus, Ctrl+0): what `event` does, or nothing.
    std::function<void()> KeyAction(const QKeyEvent *event);

private:
    void ZoomTo(QAction *action);
    void CheckCurrentItem();
    QSize RoomWithoutBars() const;
    void Changed();

    ScrollBoxArea *box_;
    PageImage *image_;
    PointOverlay *overlay_;
    QMenu *menu_;
    QAction *fitWidth_;
    QAction *fitPage_;
    QAction *naturalSize_;
    std::function<void()> changed_;
    std::function<QPoint()> anchor_;
    float factor_ = 1.0f;
};
