#pragma once
// "匯出…": a button in the window's header whose menu takes out the notebook of the entry shown, the
// search's results or the entry shown, in a form and to a place chosen in a dialog. One button for the
// three, beside the manual's: reachable by Tab and Space like it, and nothing added to the panes.

#include "corpus/Notebooks.h"

#include <QObject>

#include <vector>

class NotebookStore;
class QAction;
class QPushButton;
class ReadingContext;

class ExportMenu : public QObject {
    Q_OBJECT
public:
    ExportMenu(const NotebookStore &store, const ReadingContext &reading, QWidget *window);
    QPushButton *Button() const { return button_; }
    // The search's results as they are now (none for an empty query).
    void SetResults(const std::vector<NoteRef> &hits) { hits_ = hits; }

Q_SIGNALS:
    void Notice(const QString &text);

private:
    enum class Scope { Notebook, Results, Entry };
    void Refresh();
    void Export(Scope scope);

    const NotebookStore &store_;
    const ReadingContext &reading_;
    QWidget *window_;
    QPushButton *button_;
    QAction *notebook_;
    QAction *results_;
    QAction *entry_;
    std::vector<NoteRef> hits_;
};
