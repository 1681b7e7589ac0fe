// The process entry: one window; an error while it is built is shown and ends the program.
#include "common/Error.h"
#include "shell/LibraryLocation.h"
#include "shell/MainWindow.h"
#include "widgets/ErrorBoundary.h"
#include "widgets/Translations.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QStandardPaths>

#include <csignal>

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

// The demo library installed with the program, found from the program's own place so that the
// installed tree can be moved as a whole.
QString InstalledDemoFolder() {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QString::fromUtf8("/" VELMORA_DEMO_RELATIVE));
}

// The library from the command line, remembered for the next start from the menu.
LibraryChoice LibraryFromCommandLine(const QCoreApplication &app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("澄溪導師筆記"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption libraryOption(QStringLiteral("library"),
                                           QStringLiteral("筆記資料夾（記住，下次啟動時沿用）"), QStringLiteral("DIR"));
    parser.addOption(libraryOption);
    parser.process(app);

    LibrarySources sources;
    sources.programFile = QCoreApplication::applicationFilePath();
    sources.requested = parser.value(libraryOption);
    sources.configFolder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    sources.demoFolder = InstalledDemoFolder();
    const LibraryChoice choice = ChooseLibrary(sources);
    if (!sources.requested.isEmpty()) {
        try {
            RememberLibrary(sources.configFolder, sources.requested);
        } catch (...) {
            ShowCurrentError(); // this start still reads the folder asked for
        }
    }
    if (choice.settingsFolder == sources.configFolder + QLatin1Char('/'))
        QDir().mkpath(sources.configFolder); // velmoranote.ini is written there at close
    return choice;
}

} // namespace

int main(int argc, char *argv[]) {
    std::signal(SIGXFSZ, SIG_IGN); // a file-size limit fails the write with its reason, as a full disk does
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); // the web view asks for it
    ReaderApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmoranote"));
    QCoreApplication::setApplicationVersion(QString::fromUtf8(VELMORA_VERSION));
    InstallToolkitTranslation();
    try {
        const LibraryChoice library = LibraryFromCommandLine(app);
        if (!library.workingFolder.isEmpty() && !QDir::setCurrent(library.workingFolder))
            throw VelmoraError(QStringLiteral("無法進入筆記資料夾：%1").arg(library.workingFolder));
        MainWindow window(library.programPath, nullptr, library.settingsFolder);
        window.ShowAsStored();
        app.exec();
    } catch (...) {
        ShowCurrentError();
    }
    return 0;
}
