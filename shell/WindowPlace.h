#pragma once
// Where the window stands on the screen, kept steady between runs.
//
// The settings keep the window's outer rectangle (with the window manager's frame). The frame is known
// only once the window manager has framed the window, so the frame seen at the last close is kept too:
// the window opens at the outer size minus that frame, and is corrected once the real frame is known.
// A maximised window keeps the place it had before it was maximised.

#include <QMargins>
#include <QObject>
#include <QRect>

class QWidget;

class WindowPlace : public QObject {
    Q_OBJECT
public:
    explicit WindowPlace(QWidget *window);

    // Before the first show: places the window at `outer` (kept within the screens), its client area
    // `outer` less `frame` (the frame of the last run; empty when unknown).
    void Restore(QRect outer, const QMargins &frame, bool maximised);
    // Shows the window as restored: maximised or not.
    void Show();
    // What to store at close: the outer rectangle of the window in its normal state, and its frame.
    QRect Outer() const;
    QMargins Frame() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QMargins CurrentFrame() const;
    bool InNormalState() const;
    void CorrectForFrame();
    void Follow();

    QWidget *window_;
    QRect wantedOuter_;     // the outer rectangle asked for at the start, until the frame is known
    QMargins assumedFrame_; // the frame the client size was computed with
    bool maximised_ = false;
    bool settled_ = false; // the real frame was seen and the size corrected
    // The window's place the last time it was in its normal state: a maximised or minimised window is
    // stored where it will return to.
    QRect normalOuter_;
    QMargins normalFrame_;
};
