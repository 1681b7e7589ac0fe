#include "display/EntryView.h"

#include "corpus/Data.h"
#include "display/EntryPage.h"
#include "display/WebHost.h"
#include "widgets/ErrorBoundary.h"

#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

EntryView::EntryView(QWidget *parent) : QWidget(parent), view_(CreateWebView(this)) {
    setObjectName(QStringLiteral("EntryView"));
    view_->setObjectName(QStringLiteral("WebBrowser1"));
    view_->setAccessibleName(QStringLiteral("條目內容"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    connect(view_, &QWebEngineView::loadFinished, this, Guarded([this] { DocumentLoaded(); }));
    ShowBlank();
}

void EntryView::ShowEntry(const NoteEntry &entry, const QString &highlight) {
    if (entry.isPage)
        ShowBlank();
    else
        WritePage(HighlightWords(BuildEntryPage(entry), highlight));
}

void EntryView::ShowBlank() {
    documentReady_ = false;
    hasPendingPage_ = false;
    pendingPage_.clear();
    lastWrittenPage_.clear();
    view_->setUrl(BlankPageUrl());
}

void EntryView::WritePage(const QString &body) {
    const QString page = WrapPage(body);
    lastWrittenPage_ = page;
    // Until the blank document has loaded there is nothing to write into: keep the page for then.
    if (!documentReady_) {
        pendingPage_ = page;
        hasPendingPage_ = true;
        return;
    }
    view_->page()->runJavaScript(DocumentWriteScript(page), QWebEngineScript::ApplicationWorld);
}

void EntryView::DocumentLoaded() {
    documentReady_ = true;
    if (hasPendingPage_) {
        hasPendingPage_ = false;
        view_->page()->runJavaScript(DocumentWriteScript(pendingPage_), QWebEngineScript::ApplicationWorld);
        pendingPage_.clear();
    }
}
