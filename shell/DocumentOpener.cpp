#include "shell/DocumentOpener.h"

#include "common/Error.h"
#include "images/PdfWindow.h"
#include "platform/DesktopOpen.h"
#include "widgets/ErrorBoundary.h"

#include <QPointer>
#include <QWidget>

namespace {
const QString kInstallHint = QStringLiteral("可安裝 PDF 閱讀程式，例如：sudo apt install evince");
}

void OpenDocument(QWidget *parent, const QString &path) {
    QPointer<QWidget> owner(parent);
    OpenWithDesktop(path, [owner](const QString &resolved, OpenFailure why) {
        try {
            if (why == OpenFailure::Missing)
                throw VelmoraError(QStringLiteral("找不到檔案：%1").arg(ShownPath(resolved)));
            if (!resolved.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
                throw VelmoraError(QStringLiteral("系統沒有可開啟此檔案的程式：%1").arg(ShownPath(resolved)));
            auto *window = new PdfWindow(owner);
            try {
                window->Open(resolved);
            } catch (const VelmoraError &e) {
                delete window;
                throw VelmoraError(e.message() + QStringLiteral("\n\n") + kInstallHint);
            }
            window->SetNote(QStringLiteral("系統沒有開啟 PDF 的程式，以本程式的檢視視窗顯示 %1。%2")
                                .arg(ShownPath(resolved), kInstallHint));
            window->show();
            window->raise();
            window->activateWindow();
        } catch (...) {
            ShowCurrentError();
        }
    });
}
