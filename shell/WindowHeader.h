#pragma once
// The window's header: the title, the manual button (its context menu and Shift+F1 the About box) and
// the capture bar, hidden until capture mode is revealed, side by side in a row.

#include <QWidget>

class CaptureSession;
class QAction;
class QMainWindow;

class WindowHeader : public QWidget {
    Q_OBJECT
public:
    WindowHeader(QMainWindow *window, const QString &programFolder, CaptureSession &capture, QWidget *parent);
    // A button of a feature of its own, after the manual button.
    void AddButton(QWidget *button);
    // An item of the window's own in the manual button's context menu, beside the About box.
    void AddMenuAction(QAction *action);

protected:
    // At night the title turns from dark red to a light red on the dark header.
    void changeEvent(QEvent *event) override;

private:
    class QHBoxLayout *row_;
    int buttons_ = 0;
    QWidget *manualButton_ = nullptr;
    QWidget *title_ = nullptr;
};
