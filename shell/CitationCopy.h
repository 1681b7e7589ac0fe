#pragma once
// "複製引用": the entry shown goes on the clipboard as a citation: its notebook, page, headword and
// sources as plain text, the same as HTML with the piece of the scan it is written on embedded, and that
// piece as a picture, so that a word processor pastes the scan along. Ctrl+Shift+C anywhere in the
// window, and the entry page's own menu.

#include <QObject>

class NotebookStore;
class QWidget;
class ReadingContext;

class CitationCopy : public QObject {
    Q_OBJECT
public:
    CitationCopy(const NotebookStore &store, const ReadingContext &reading, QWidget *window);
    // Cites the entry shown; nothing without one (a page header shown).
    void Copy();

Q_SIGNALS:
    // What went on the clipboard, and what could not (no position, a scan that cannot be cut).
    void Notice(const QString &text);

private:
    const NotebookStore &store_;
    const ReadingContext &reading_;
};
