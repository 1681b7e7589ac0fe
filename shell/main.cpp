// The process entry: one window per library; an error while it is built is said and ends the program.
#include "common/Error.h"
#include "platform/EndSignals.h"
#include "shell/LibraryLocation.h"
#include "shell/MainWindow.h"
#include "shell/SingleInstance.h"
#include "widgets/ErrorBoundary.h"
#include "widgets/Translations.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

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

void PrintLine(FILE *to, const QString &text) {
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fputc('\n', to);
    std::fflush(to);
}

// The demo library installed with the program, found from the program's own place so that the
// installed tree can be moved as a whole.
QString InstalledDemoFolder() {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QString::fromUtf8("/" VELMORA_DEMO_RELATIVE));
}

struct CommandLine {
    QString library;   // --library DIR, or empty
    int exitCode = -1; // >= 0: the command line was answered (help, version, a mistake): end with it
};

// Read before any window exists, so that --help and --version work without a display (a terminal over
// ssh, a script).
CommandLine ReadCommandLine(int argc, char *argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("澄溪導師筆記：閱讀導師筆記，對照原稿掃描頁。"));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("顯示這段說明"));
    const QCommandLineOption versionOption({QStringLiteral("v"), QStringLiteral("version")},
                                           QStringLiteral("顯示版本"));
    const QCommandLineOption libraryOption(QStringLiteral("library"),
                                           QStringLiteral("筆記資料夾（筆記讀入後記住，下次啟動時沿用）"),
                                           QStringLiteral("DIR"));
    parser.addOption(helpOption);
    parser.addOption(versionOption);
    parser.addOption(libraryOption);
    CommandLine line;
    // The toolkit's own options (-platform, -style …) are left to the application object.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    if (!parser.parse(arguments)) {
        bool onlyToolkitOptions = true;
        for (const QString &name : parser.unknownOptionNames())
            onlyToolkitOptions &= QStringList{QStringLiteral("platform"), QStringLiteral("style"),
                                              QStringLiteral("display"), QStringLiteral("qwindowgeometry")}
                                      .contains(name);
        if (!onlyToolkitOptions) {
            PrintLine(stderr, QStringLiteral("velmoranote：%1\n請用 velmoranote --help 查看用法。")
                                  .arg(parser.errorText()));
            line.exitCode = 2;
            return line;
        }
    }
    if (parser.isSet(helpOption)) {
        PrintLine(stdout, parser.helpText()
                              .replace(QStringLiteral("Usage: <executable_name>"),
                                       QStringLiteral("用法：velmoranote"))
                              .replace(QStringLiteral("Options:"), QStringLiteral("選項：")));
        line.exitCode = 0;
    } else if (parser.isSet(versionOption)) {
        PrintLine(stdout, QStringLiteral("velmoranote %1").arg(QString::fromUtf8(VELMORA_VERSION)));
        line.exitCode = 0;
    }
    line.library = parser.value(libraryOption);
    return line;
}

// Started from a terminal (or a script that reads its output), the reasons are printed and no dialog
// waits for a click; started from the menu, the dialog is the only way to say anything.
bool FromTerminal() {
    return isatty(STDERR_FILENO) || isatty(STDIN_FILENO);
}

void Say(const QString &message, bool fromTerminal) {
    PrintLine(stderr, QStringLiteral("velmoranote：%1").arg(message));
    if (!fromTerminal) ShowErrorMessage(message);
}

} // namespace

int main(int argc, char *argv[]) {
    // From the first moment a signal from the session or the system is kept and acted on in order: the
    // start ends with 0 before the window, or the window ends as it would by its close question.
    EndSignals::Install();
    std::signal(SIGXFSZ, SIG_IGN); // a file-size limit fails the write with its reason, as a full disk does

    const CommandLine commandLine = ReadCommandLine(argc, argv);
    if (commandLine.exitCode >= 0) return commandLine.exitCode;
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); // the web view asks for it
    ReaderApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmoranote"));
    QCoreApplication::setApplicationVersion(QString::fromUtf8(VELMORA_VERSION));
    InstallToolkitTranslation();
    const bool fromTerminal = FromTerminal();
    // Any question open when the request comes (the journal offer, the close question, a save's
    // conflict) closes unanswered; the window, once there, keeps its settings.
    EndSignals endSignals;
    MainWindow *built = nullptr;
    QObject::connect(&endSignals, &EndSignals::EndRequested, &app, [&built] {
        EndQuestionsUnanswered();
        if (built) built->PrepareToEndUnasked();
        QCoreApplication::exit(0);
    });
    try {
        LibrarySources sources;
        sources.programFile = QCoreApplication::applicationFilePath();
        sources.requested = commandLine.library;
        sources.configFolder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        sources.demoFolder = InstalledDemoFolder();
        const LibraryChoice library = ChooseLibrary(sources);
        const QString libraryFolder = QFileInfo(library.programPath).absolutePath();

        // Taken before the window is built: two starts a moment apart still give one window.
        SingleInstance instance(libraryFolder);
        const SingleInstance::Claim claim = instance.TakeLibrary();
        if (claim != SingleInstance::Claim::HandedOver && EndSignals::Requested())
            return 0; // asked to end before there was anything to keep
        switch (claim) {
        case SingleInstance::Claim::First:
            break;
        case SingleInstance::Claim::HandedOver:
            PrintLine(stderr,
                      QStringLiteral("velmoranote：這個筆記資料夾已在另一個視窗開著，已切換到該視窗：%1")
                          .arg(ShownPath(libraryFolder)));
            return 0;
        case SingleInstance::Claim::Alone:
            PrintLine(stderr, QStringLiteral("velmoranote：%1").arg(instance.Reason()));
            break;
        case SingleInstance::Claim::Refused:
            throw VelmoraError(instance.Reason());
        }
        if (!library.workingFolder.isEmpty() && !QDir::setCurrent(library.workingFolder))
            throw VelmoraError(QStringLiteral("無法進入筆記資料夾：%1").arg(library.workingFolder));
        if (library.settingsFolder == sources.configFolder + QLatin1Char('/'))
            QDir().mkpath(sources.configFolder); // velmoranote.ini is written there at close
        MainWindow window(library.programPath, nullptr, library.settingsFolder);
        built = &window;
        const auto forget = qScopeGuard([&built] { built = nullptr; });
        // A request that came while the window was built (the journal offer open, the notes read) ends
        // it now, in order.
        if (EndSignals::Requested()) {
            window.PrepareToEndUnasked();
            return 0;
        }
        // Only a folder whose notes have loaded is remembered: a wrong one never locks the next start out.
        const auto remember = [&sources, fromTerminal] {
            if (sources.requested.isEmpty()) return;
            try {
                RememberLibrary(sources.configFolder, sources.requested);
            } catch (const VelmoraError &e) {
                Say(e.message(), fromTerminal); // this start still reads the folder asked for
            }
        };
        if (window.AllNotebooksRead())
            remember();
        else
            QObject::connect(&window, &MainWindow::NotebooksRead, &window, remember);
        // Large notes are read on after the window shows: a file found unreadable then ends the start as
        // one found before would, without writing the window's settings.
        QObject::connect(&window, &MainWindow::NotesUnreadable, &window,
                         [fromTerminal](const QString &message) {
                             Say(message, fromTerminal);
                             QCoreApplication::exit(1);
                         });
        QObject::connect(&instance, &SingleInstance::RaiseRequested, &window, [&window] {
            window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
            window.show();
            window.raise();
            window.activateWindow();
        });
        window.ShowAsStored();
        if (!library.notice.isEmpty()) {
            PrintLine(stderr, QStringLiteral("velmoranote：%1").arg(library.notice));
            if (!fromTerminal)
                QTimer::singleShot(0, &window,
                                   [&window, notice = library.notice] { Inform(&window, notice); });
        }
        return app.exec();
    } catch (const VelmoraError &e) {
        Say(e.message(), fromTerminal);
    } catch (const std::exception &e) {
        Say(QString::fromUtf8(e.what()), fromTerminal);
    }
    return 1;
}
