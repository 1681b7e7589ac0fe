#pragma once
// The web view that shows entry pages. Its pages come only from the program: scripts in the notes
// never run, nothing is fetched from any network, and a click on a link does not navigate away.

#include <QWebEnginePage>
#include <QWebEngineUrlRequestInterceptor>

class QWebEngineView;
class QWidget;

// The page the view starts from and returns to for a page header: entry pages are written into it.
QUrl BlankPageUrl();

// Refuses every request but the blank page the view starts from.
class OfflineInterceptor : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo &info) override;
};

class EntryWebPage : public QWebEnginePage {
    Q_OBJECT
public:
    EntryWebPage(QWebEngineProfile *profile, QObject *parent);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
};

// A web view with its own off-the-record profile and the restrictions above.
QWebEngineView *CreateWebView(QWidget *parent);

// The script that replaces the current document with `page` in one write.
QString DocumentWriteScript(const QString &page);

// The script that sets the document's title to `mark` two animation frames on, when the frame that
// shows the document as it stands has been drawn, if it is still empty then (a page written into it
// meanwhile keeps its own title): the view's load signal comes before that frame.
QString PaintedMarkScript(const QString &mark);
