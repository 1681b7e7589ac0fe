#include "shell/HistoryKeys.h"

#include "corpus/ReadingContext.h"
#include "widgets/ErrorBoundary.h"

#include <QApplication>
#include <QMouseEvent>
#include <QShortcut>
#include <QWidget>

HistoryKeys::HistoryKeys(QWidget *window, ReadingContext &context)
    : QObject(window), window_(window), context_(context) {
    auto *back = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Left), window);
    back->setContext(Qt::WindowShortcut);
    connect(back, &QShortcut::activated, this, Guarded([this] { context_.GoBack(); }));
    auto *forward = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Right), window);
    forward->setContext(Qt::WindowShortcut);
    connect(forward, &QShortcut::activated, this, Guarded([this] { context_.GoForward(); }));
    // The mouse buttons reach whatever widget is under the pointer: watched for the whole application.
    qApp->installEventFilter(this);
}

bool HistoryKeys::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::MouseButtonPress && watched->isWidgetType() &&
        static_cast<QWidget *>(watched)->window() == window_) {
        const Qt::MouseButton button = static_cast<QMouseEvent *>(event)->button();
        if (button == Qt::BackButton || button == Qt::ForwardButton) {
            Guarded(
                [this, button] { button == Qt::BackButton ? context_.GoBack() : context_.GoForward(); })();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
