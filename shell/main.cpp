// The process entry: one window; an error while it is built is shown and ends the program.
#include "corpus/Error.h"
#include "shell/ErrorDisplay.h"
#include "shell/Main.h"


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
