#include "display/WebHost.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QQuickWindow>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineView>

void OfflineInterceptor::interceptRequest(QWebEngineUrlRequestInfo &info) {
    if (info.requestUrl() != BlankPageUrl()) info.block(true);
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
    return isMainFrame && url == BlankPageUrl() && type != NavigationTypeLinkClicked;
}

QWebEnginePage *EntryWebPage::createWindow(WebWindowType) {
    return nullptr;
}

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

QString PaintedMarkScript(const QString &mark) {
    const QByteArray literal = QJsonDocument(QJsonArray{mark}).toJson(QJsonDocument::Compact);
    return QStringLiteral("(function(){var m=") + QString::fromUtf8(literal) +
           QStringLiteral("[0];requestAnimationFrame(function(){requestAnimationFrame(function(){"
                          "if(!document.body||!document.body.firstChild)document.title=m;});});})();");
}

QUrl BlankPageUrl() {
    return QUrl(QStringLiteral("about:blank"));
}
