#include "platform/DesktopOpen.h"

#include "common/Log.h"
#include "platform/WinPath.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include <utility>

namespace {

DesktopOpener &TestOpener() {
    static DesktopOpener opener;
    return opener;
}

void Fail(const OpenFailed &onFailure, const QString &path, OpenFailure why) {
    if (onFailure) QTimer::singleShot(0, qApp, [onFailure, path, why] { onFailure(path, why); });
}

} // namespace

void SetDesktopOpenerForTesting(DesktopOpener opener) {
    TestOpener() = std::move(opener);
}

void OpenWithDesktop(const QString &path, OpenFailed onFailure) {
    const QString resolved = ResolveWinPath(path);
    if (TestOpener()) {
        TestOpener()(resolved, path);
        return;
    }
    if (!QFileInfo(resolved).isFile()) {
        Fail(onFailure, QFileInfo(resolved).absoluteFilePath(), OpenFailure::Missing);
        return;
    }
    // xdg-open says through its exit status whether it found an application (0) or not (3, 4); it
    // may stay until the application ends, so it is awaited on the event loop, never here.
    auto *opener = new QProcess(qApp);
    const QString absolute = QFileInfo(resolved).absoluteFilePath();
    opener->setProgram(QStringLiteral("xdg-open"));
    opener->setArguments({absolute});
    opener->setStandardOutputFile(QProcess::nullDevice());
    QObject::connect(opener, &QProcess::errorOccurred, opener, [=](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;
        qCWarning(lcPlatform) << "no xdg-open to open" << absolute;
        Fail(onFailure, absolute, OpenFailure::NoOpener);
        opener->deleteLater();
    });
    QObject::connect(opener, &QProcess::finished, opener, [=](int code, QProcess::ExitStatus status) {
        if (status != QProcess::NormalExit || code != 0) {
            qCWarning(lcPlatform) << "xdg-open found no application for" << absolute << "exit" << code
                                  << QString::fromLocal8Bit(opener->readAllStandardError()).trimmed();
            Fail(onFailure, absolute, OpenFailure::NoOpener);
        }
        opener->deleteLater();
    });
    opener->start();
}
