#pragma once
// The entry page pane: the web view that shows an entry as an HTML page. The program writes each
// page into a blank document itself; a page asked for while that document is still loading is kept
// and written once it is ready. A page header shows the blank page.

#include <QString>
#include <QWidget>

struct NoteEntry;
class QWebEngineView;

class EntryView : public QWidget {
    Q_OBJECT
public:
    explicit EntryView(QWidget *parent);

    // The entry's page with `highlight` marked, or the blank page for a page header.
    void ShowEntry(const NoteEntry &entry, const QString &highlight);
    // Goes back to the blank document.
    void ShowBlank();
    // The whole page last handed to the view ("" after the blank page).
    const QString &LastWrittenPage() const { return lastWrittenPage_; }
    QWebEngineView *WebView() const { return view_; }
    // The blank document has loaded: pages are written straight into it from now on.
    bool IsDocumentReady() const { return documentReady_; }

private:
    void WritePage(const QString &body);
    void DocumentLoaded();

    QWebEngineView *view_;
    bool documentReady_ = false; // the blank document has loaded and can be written into
    QString pendingPage_;
    bool hasPendingPage_ = false;
    QString lastWrittenPage_;
};
