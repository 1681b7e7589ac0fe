#include "shell/KeyboardAccess.h"

#include "widgets/ErrorBoundary.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QPainter>
#include <QShortcut>
#include <QWebEngineView>

namespace {

bool Inside(const QWidget *w, const QWidget *pane) {
    return w && (w == pane || pane->isAncestorOf(w));
}

// The web view whose page `w` is part of (its surface, or a widget of the surface's), if any.
const QWebEngineView *ViewAround(const QWidget *w) {
    for (const QWidget *p = w->parentWidget(); p; p = p->parentWidget())
        if (const auto *view = qobject_cast<const QWebEngineView *>(p)) return view;
    return nullptr;
}

constexpr int kRingWidth = 2;

} // namespace

FocusRing::FocusRing(QWidget *window, std::vector<QWidget *> panes)
    : QWidget(window), panes_(std::move(panes)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setObjectName(QStringLiteral("focusRing"));
    hide();
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { Follow(now); });
}

void FocusRing::Follow(QWidget *focus) {
    QWidget *around = nullptr;
    for (QWidget *pane : panes_)
        if (Inside(focus, pane)) around = pane;
    if (pane_ == around) return;
    if (pane_) pane_->removeEventFilter(this);
    pane_ = around;
    if (!pane_) {
        hide();
        return;
    }
    pane_->installEventFilter(this);
    Place();
    show();
    raise();
}

void FocusRing::Place() {
    if (!pane_) return;
    const QPoint at = pane_->mapTo(parentWidget(), QPoint(0, 0));
    setGeometry(QRect(at, pane_->size()));
    // Only the border is the ring's: the pane underneath stays reachable and visible.
    const QRect inner = rect().adjusted(kRingWidth, kRingWidth, -kRingWidth, -kRingWidth);
    setMask(QRegion(rect()).subtracted(QRegion(inner)));
}

bool FocusRing::eventFilter(QObject *watched, QEvent *event) {
    if (watched == pane_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) Place();
    if (watched == pane_ && event->type() == QEvent::Hide) hide();
    return QWidget::eventFilter(watched, event);
}

void FocusRing::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    QPen pen(palette().color(QPalette::Highlight), kRingWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.drawRect(
        QRectF(rect()).adjusted(kRingWidth / 2.0, kRingWidth / 2.0, -kRingWidth / 2.0, -kRingWidth / 2.0));
}

void InstallContextMenuKeys(QWidget *window, std::vector<std::pair<QWidget *, QWidget *>> targets) {
    const auto open = [window, targets] {
        QWidget *focus = QApplication::focusWidget();
        if (!focus || focus->window() != window) return;
        QWidget *target = focus;
        for (const auto &[pane, shower] : targets)
            if (Inside(focus, pane)) target = shower;
        // As the toolkit does for the Menu key: a context menu event from the keyboard, at the middle
        // of the control (a custom menu policy turns it into the control's signal).
        const QPoint middle = target->rect().center();
        if (target->contextMenuPolicy() == Qt::CustomContextMenu) {
            // A web view takes context menu events for its own page menu: ask for the custom one.
            Q_EMIT target->customContextMenuRequested(middle);
            return;
        }
        QContextMenuEvent event(QContextMenuEvent::Keyboard, middle, target->mapToGlobal(middle));
        QCoreApplication::sendEvent(target, &event);
    };
    for (const QKeySequence &keys : {QKeySequence(Qt::SHIFT | Qt::Key_F10), QKeySequence(Qt::Key_Menu)}) {
        auto *shortcut = new QShortcut(keys, window);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, window, Guarded(open));
    }
}

namespace {
void ApplyPaneOrder(QWidget *window, const std::vector<QWidget *> &panes) {
    std::vector<std::vector<QWidget *>> groups(panes.size() + 1); // [0]: outside every pane
    QWidget *w = window;
    do {
        w = w->nextInFocusChain();
        // A web view takes the focus through its page's surface, its focus proxy: the two go together.
        const QWebEngineView *view = ViewAround(w);
        if ((view && view->focusProxy() != w) || w->window() != window || qobject_cast<FocusRing *>(w))
            continue;
        if (!view && !(w->focusPolicy() & Qt::TabFocus) && !qobject_cast<QWebEngineView *>(w)) continue;
        size_t group = 0;
        for (size_t i = 0; i < panes.size(); ++i)
            if (Inside(w, panes[i])) group = i + 1;
        groups[group].push_back(w);
    } while (w != window);
    QWidget *previous = nullptr;
    for (const auto &group : groups)
        for (QWidget *next : group) {
            if (previous) QWidget::setTabOrder(previous, next);
            previous = next;
        }
}
} // namespace

void OrderPanes(QWidget *window, const std::vector<QWidget *> &panes) {
    ApplyPaneOrder(window, panes);
    // A web view makes its page's surface anew when the page loads, and the new one joins the focus
    // chain at its end: order again when the focus first enters a surface not yet in order.
    QObject::connect(qApp, &QApplication::focusChanged, window, [window, panes](QWidget *, QWidget *now) {
        if (!now || now->window() != window || now->property("velmoraOrdered").toBool()) return;
        if (const QWebEngineView *view = ViewAround(now); view && view->focusProxy() == now) {
            now->setProperty("velmoraOrdered", true);
            ApplyPaneOrder(window, panes);
        }
    });
}
