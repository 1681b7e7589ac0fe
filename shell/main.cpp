// The process entry: one window; an error while it is built is shown and ends the program.
#include "shell/MainWindow.h"
#include "widgets/ErrorBoundary.h"

#include <QApplication>

namespace {

// The last line of defence: every connection catches its handler's errors itself, but an event
// handler of the toolkit's own (a paint, a key) could still raise; it is shown and the program goes on.
class ReaderApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (...) {
            ShowCurrentError();
        }
        return false;
    }
};

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); // the web view asks for it
    ReaderApplication app(argc, argv);
    try {
        MainWindow window(QCoreApplication::applicationFilePath());
        window.ShowAsStored();
        app.exec();
    } catch (...) {
        ShowCurrentError();
    }
    return 0;
}
