#pragma once
// The reader's own marks on the page pane: a strip under the page with the star of the entry shown
// and the button of its note, and the small editor of that note, which opens over the strip. What is
// typed is kept a moment after typing stops (ReaderMarks::SetNote, then Flush), into the reader's marks
// file and never into the notes files; the page shows the note again once the editor closes.

#include "corpus/Notebooks.h"

#include <QWidget>

class NotebookStore;
class QAction;
class QPlainTextEdit;
class QTimer;
class ReaderMarks;
class ReadingContext;

class PersonalNotePanel : public QWidget {
    Q_OBJECT
public:
    // `star` and `note` are the window's actions (Ctrl+D, Ctrl+E) the strip's buttons show.
    PersonalNotePanel(const NotebookStore &store, ReaderMarks &marks, const ReadingContext &reading,
                      QAction *star, QAction *note, QWidget *parent);

    // Opens the editor on the entry shown (a page record takes no note), or closes it.
    void SetEditorOpen(bool open);
    bool IsEditorOpen() const;
    // Writes what was typed now rather than after the pause.
    void SaveNow();
    QPlainTextEdit *Editor() const { return editor_; }

Q_SIGNALS:
    // The editor closed, or a note was kept while it was closed: the page may show another note.
    void NoteShown();

private:
    void Follow(NoteRef ref);

    const NotebookStore &store_;
    ReaderMarks &marks_;
    QWidget *editorBox_;
    QPlainTextEdit *editor_;
    QTimer *pause_;
    QAction *noteAction_;
    NoteRef editing_;    // the entry whose note the editor holds
    bool typed_ = false; // typed since the last save
};
