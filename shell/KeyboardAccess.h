#pragma once
// Keyboard access the panes do not give themselves: a ring around the pane with the focus where the
// pane draws none (the entry page's web view and the scan), and the context menu of the control with
// the focus on Shift+F10 and the Menu key, also where the control is a web view or the scan's overlay.

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <vector>

class FocusRing : public QWidget {
    Q_OBJECT
public:
    // `window` holds the ring; `panes` are the panes that show no focus of their own.
    FocusRing(QWidget *window, std::vector<QWidget *> panes);
    QWidget *Around() const { return pane_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Follow(QWidget *focus);
    void Place();

    std::vector<QWidget *> panes_;
    QPointer<QWidget> pane_;
};

// Tab runs through `panes` in the order given (left to right), each pane's controls in their own order;
// the controls outside every pane (the header) come first. A pane's web view counts as one control.
void OrderPanes(QWidget *window, const std::vector<QWidget *> &panes);

// Shift+F10 and the Menu key in `window` open the context menu of the focused control; for a control
// inside one of `targets`' panes (pane, the widget that shows its menu), the menu of that widget.
void InstallContextMenuKeys(QWidget *window, std::vector<std::pair<QWidget *, QWidget *>> targets);
