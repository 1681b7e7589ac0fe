#include "display/WebHost.h"

#include "display/EntryPage.h"
#include "shell/Main.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QQuickWindow>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineView>

void OfflineInterceptor::interceptRequest(QWebEngineUrlRequestInfo &info) {
    if (info.requestUrl() != QUrl(QStringLiteral("about:blank")))
        info.block(true);
}

EntryWebPage::EntryWebPage(QWebEngineProfile *profile, QObject *parent) : QWebEnginePage(profile, parent) {
    QWebEngineSettings *s = settings();
    // Markup in the notes reaches the page as it is; its scripts must not run.
    s->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::AutoLoadImages, false);
    s->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
}

bool EntryWebPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) {
    Q_UNUSED(type);
    // Only the blank page the program asks for; links in the notes lead nowhere.
    return isMainFrame && url == QUrl(QStringLiteral("about:blank")) && type != NavigationTypeLinkClicked;
}

QWebEnginePage *EntryWebPage::createWindow(WebWindowType) { return nullptr; }

QWebEngineView *CreateWebView(QWidget *parent) {
    // The view composes its pages through Qt Quick. On its OpenGL path every frame of the whole window
    // (a list repainted for one keystroke) is composed again by OpenGL, which on a machine without a
    // graphics card (a virtual machine, a remote desktop) is a software rasteriser costing 5-8 ms of
    // CPU per frame. Entry pages are static text and small pictures, which software composition draws
    // at no visible cost, so the window stays a plain raster window. A backend the user picks through
    // QT_QUICK_BACKEND is kept. This must happen before the first view exists.
    static const bool chosen = [] {
        if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND") && qEnvironmentVariableIsEmpty("QMLSCENE_DEVICE"))
            QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        return true;
    }();
    Q_UNUSED(chosen);
    auto *view = new QWebEngineView(parent);
    // Off the record: nothing is stored on disk. The profile must outlive the page, so it belongs to
    // the window, whose widgets (the page among them) go first.
    auto *profile = new QWebEngineProfile(parent ? parent->window() : nullptr);
    profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    profile->setUrlRequestInterceptor(new OfflineInterceptor(profile));
    view->setPage(new EntryWebPage(profile, view));
    view->setContextMenuPolicy(Qt::NoContextMenu);
    return view;
}

QString DocumentWriteScript(const QString &page) {
    // The page travels as a JSON string literal, so no character of it can end the script early.
    const QByteArray literal = QJsonDocument(QJsonArray{page}).toJson(QJsonDocument::Compact);
    return QStringLiteral("(function(){var p=") + QString::fromUtf8(literal) +
           QStringLiteral("[0];document.open();document.write(p);document.close();})();");
}

void TfmMain::ShowEntry(int bookIndex, int entryIndex, const QString &highlight) {
    const NoteEntry &entry = notebooks[bookIndex]->entries[entryIndex];
    if (entry.isPage) {
        blankPending = true;
        hasPendingPage = false;
        lastWrittenPage.clear();
        WebBrowser1->setUrl(QUrl(QStringLiteral("about:blank")));
    } else {
        WritePage(HighlightWords(BuildEntryPage(entry), highlight));
    }
    ShowEntryOnImage(bookIndex, entryIndex);
}

void TfmMain::WritePage(const QString &body) {
    const QString page = WrapPage(body);
    lastWrittenPage = page;
    // Until the blank document has loaded there is nothing to write into: keep the page for then.
    if (!htmlDocument || blankPending) {
        pendingPage = page;
        hasPendingPage = true;
        return;
    }
    htmlDocument->runJavaScript(DocumentWriteScript(page), QWebEngineScript::ApplicationWorld);
}

void TfmMain::WebBrowser1DocumentComplete() {
    if (QWebEnginePage *page = WebBrowser1->page())
        htmlDocument = page;
    blankPending = false;
    if (hasPendingPage && htmlDocument) {
        hasPendingPage = false;
        htmlDocument->runJavaScript(DocumentWriteScript(pendingPage), QWebEngineScript::ApplicationWorld);
        pendingPage.clear();
    }
}
