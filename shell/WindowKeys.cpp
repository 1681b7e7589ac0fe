#include "shell/WindowKeys.h"

#include "display/EntryView.h"
#include "display/SearchPane.h"
#include "images/PageViewer.h"
#include "widgets/ErrorBoundary.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {

bool IsTextBox(const QWidget *w) {
    if (!w) return false;
    if (qobject_cast<const QLineEdit *>(w) || qobject_cast<const QAbstractSpinBox *>(w) ||
        qobject_cast<const QTextEdit *>(w) || qobject_cast<const QPlainTextEdit *>(w))
        return true;
    const auto *combo = qobject_cast<const QComboBox *>(w);
    return combo && combo->isEditable();
}

bool IsTextSizeKey(const QKeyEvent *key) {
    const Qt::KeyboardModifiers mods = key->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (mods != Qt::ControlModifier) return false;
    const int k = key->key();
    return k == Qt::Key_Plus || k == Qt::Key_Equal || k == Qt::Key_Minus || k == Qt::Key_0;
}

int Direction(const QKeyEvent *key) {
    return key->key() == Qt::Key_Minus ? -1 : key->key() == Qt::Key_0 ? 0 : 1;
}

// A text box needs its typing and its own undo; the scan's Ctrl+PgUp/PgDn it does not need.
bool TextBoxNeeds(const QKeyEvent *key) {
    const Qt::KeyboardModifiers mods = key->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (!(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) return true;
    return key->key() == Qt::Key_Z;
}

} // namespace

WindowKeys::WindowKeys(Panes panes, QObject *parent)
    : QObject(parent), panes_(std::move(panes)), page_(panes_.pageView), search_(panes_.search) {
    qApp->installEventFilter(this);
}

WindowKeys::Pane WindowKeys::PaneOf(const QWidget *widget) const {
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        if (w == panes_.scan) return Pane::Scan;
        if (w == panes_.page) return Pane::Page;
        if (w == panes_.lists) return Pane::Lists;
        if (w->isWindow()) break;
    }
    return Pane::None;
}

WindowKeys::Pane WindowKeys::SizeTarget() const {
    const Pane underPointer = PaneOf(QApplication::widgetAt(QCursor::pos()));
    return underPointer != Pane::None ? underPointer : PaneOf(QApplication::focusWidget());
}

bool WindowKeys::TakeResultStep(QKeyEvent *key, bool act) {
    if (!search_ || search_->ResultCount() == 0) return false;
    if (page_ && page_->IsFindBarOpen() && PaneOf(QApplication::focusWidget()) == Pane::Page) return false;
    if (act) search_->StepResult(key->modifiers().testFlag(Qt::ShiftModifier) ? -1 : 1);
    return true;
}

bool WindowKeys::Take(QKeyEvent *key, bool act) {
    if (key->key() == Qt::Key_F3 && (key->modifiers() & ~Qt::ShiftModifier) == Qt::NoModifier)
        return TakeResultStep(key, act);
    if (IsTextSizeKey(key)) {
        const Pane target = SizeTarget();
        if (target == Pane::Scan) return panes_.scan->TakeKey(key, act);
        if (target == Pane::None) return false;
        if (act) (target == Pane::Lists ? panes_.stepListText : panes_.stepPageZoom)(Direction(key));
        return true;
    }
    const QWidget *focus = QApplication::focusWidget();
    // The scan pane takes its keys itself while it has the focus.
    if (PaneOf(focus) == Pane::Scan || !panes_.scan->isVisible()) return false;
    if (IsTextBox(focus) && TextBoxNeeds(key)) return false;
    return panes_.scan->TakeKey(key, act);
}

bool WindowKeys::eventFilter(QObject *watched, QEvent *event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress) return false;
    // A key travels from the focus widget up to the window: it is looked at once, where it starts.
    QWidget *focus = QApplication::focusWidget();
    if (watched != focus || !focus || focus->window() != panes_.window) return false;
    auto *key = static_cast<QKeyEvent *>(event);
    bool taken = false;
    Guarded([&] { taken = Take(key, type == QEvent::KeyPress); })();
    if (taken) event->accept(); // an accepted override keeps the window's shortcuts off the key
    return taken;
}
