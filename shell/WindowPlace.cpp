#include "shell/WindowPlace.h"

#include "common/Log.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

// A stored size larger than the screens together cannot be shown, and a huge one makes the web view
// ask for gigabytes of shared memory: keep it within what the screens can show.
QRect WithinScreens(QRect outer) {
    QRect desktop;
    for (const QScreen *screen : QGuiApplication::screens())
        desktop |= screen->availableGeometry();
    if (desktop.isEmpty()) return outer;
    outer.setSize(outer.size().boundedTo(desktop.size()).expandedTo(QSize(1, 1)));
    return outer;
}

// A window whose title bar would lie outside every screen cannot be reached: bring it back.
QRect OntoAScreen(const QRect &outer) {
    const QRect titleBar(outer.left(), outer.top(), outer.width(), 30);
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QRect seen = screen->availableGeometry().intersected(titleBar);
        if (seen.width() >= 50 && seen.height() >= 10) return outer;
    }
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (!primary) return outer;
    const QRect avail = primary->availableGeometry();
    return QRect(avail.topLeft(), outer.size().boundedTo(avail.size()));
}

bool Plausible(const QMargins &m) {
    const auto ok = [](int v) { return v >= 0 && v <= 200; };
    return ok(m.left()) && ok(m.top()) && ok(m.right()) && ok(m.bottom());
}

} // namespace

WindowPlace::WindowPlace(QWidget *window) : QObject(window), window_(window) {
    window_->installEventFilter(this);
}

void WindowPlace::Restore(QRect outer, const QMargins &frame, bool maximised) {
    outer = OntoAScreen(WithinScreens(outer));
    wantedOuter_ = outer;
    assumedFrame_ = Plausible(frame) ? frame : QMargins();
    maximised_ = maximised;
    settled_ = false;
    normalOuter_ = outer;
    normalFrame_ = assumedFrame_;
    // A top-level window's position is that of its frame; its size is that of its client area.
    window_->move(outer.topLeft());
    window_->resize((outer.size().shrunkBy(assumedFrame_)).expandedTo(QSize(1, 1)));
}

void WindowPlace::Show() {
    if (maximised_)
        window_->showMaximized();
    else
        window_->show();
    // Without a window manager, or with one that draws no frame, no frame ever shows: stop waiting.
    QTimer::singleShot(3000, this, [this] {
        if (!settled_ && InNormalState()) {
            settled_ = true;
            Follow();
        }
    });
}

QMargins WindowPlace::CurrentFrame() const {
    const QRect outer = window_->frameGeometry(), inner = window_->geometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                    outer.bottom() - inner.bottom());
}

bool WindowPlace::InNormalState() const {
    return window_->isVisible() &&
           !(window_->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
}

QMargins WindowPlace::Frame() const {
    if (settled_ && InNormalState()) {
        const QMargins frame = CurrentFrame();
        if (Plausible(frame) && !frame.isNull()) return frame;
    }
    return normalFrame_;
}

QRect WindowPlace::Outer() const {
    return settled_ && InNormalState() ? window_->frameGeometry() : normalOuter_;
}

void WindowPlace::Follow() {
    normalOuter_ = window_->frameGeometry();
    const QMargins frame = CurrentFrame();
    if (Plausible(frame) && !frame.isNull()) normalFrame_ = frame;
}

void WindowPlace::CorrectForFrame() {
    const QMargins frame = CurrentFrame();
    if (frame.isNull() || !Plausible(frame)) return; // not framed yet
    settled_ = true;
    if (frame != assumedFrame_) {
        qCDebug(lcShell) << "window frame" << frame << "differs from the one assumed" << assumedFrame_;
        window_->resize(wantedOuter_.size().shrunkBy(frame).expandedTo(QSize(1, 1)));
        window_->move(wantedOuter_.topLeft());
    }
    normalOuter_ = wantedOuter_;
    normalFrame_ = frame;
}

bool WindowPlace::eventFilter(QObject *watched, QEvent *event) {
    if (watched == window_) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::WindowStateChange:
            // After the event is handled the frame may be known: look then. Only the normal state
            // counts: a maximised window's frame is not the one it returns to.
            QTimer::singleShot(0, this, [this] {
                if (!InNormalState()) return;
                if (settled_)
                    Follow();
                else
                    CorrectForFrame();
            });
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}
