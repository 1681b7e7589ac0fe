#include "platform/DesktopOpen.h"

#include "platform/WinPath.h"

#include <QDesktopServices>
#include <QUrl>

#include <utility>

namespace {

DesktopOpener &TestOpener() {
    static DesktopOpener opener;
    return opener;
}

} // namespace

void SetDesktopOpenerForTesting(DesktopOpener opener) {
    TestOpener() = std::move(opener);
}

void OpenWithDesktop(const QString &path) {
    const QString resolved = ResolveWinPath(path);
    if (TestOpener()) {
        TestOpener()(resolved, path);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(resolved));
}
