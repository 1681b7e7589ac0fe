// The process entry: one window; an error while it is built is shown and ends the program.
#include "corpus/Error.h"
#include "shell/Main.h"

#include <QApplication>
#include <QDir>

namespace {

// Every error that ends an event handler is shown in a message box; the program goes on.
class ReaderApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception &e) {
            ShowErrorMessage(QString::fromUtf8(e.what()));
        } catch (...) {
            ShowErrorMessage(QString());
        }
        return false;
    }
};

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); // the web view asks for it
    ReaderApplication app(argc, argv);
    try {
        TfmMain window(QCoreApplication::applicationFilePath());
        window.ShowAsStored();
        app.exec();
    } catch (const std::exception &e) {
        ShowErrorMessage(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowErrorMessage(QString());
    }
    return 0;
}
