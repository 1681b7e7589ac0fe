#pragma once
// What is shown: the entry, the list that opened it and the search text its page is marked with, the
// way back and forward among the entries shown, and where the reading stopped, taken up at the next
// start. It lives beside the notebooks' owner, not in the window: it needs no widget, only the store,
// and the panes that show the entry (the page, the scan, the lists, the capture session) follow its
// one announcement instead of being told by the window one by one.

#include "corpus/EntryHistory.h"

#include <QObject>

#include <functional>

class NotebookStore;

class ReadingContext : public QObject {
    Q_OBJECT
public:
    // How the entry came to be shown; the lists follow some moves and not others.
    enum class Move {
        Opened,    // a list, the scan or the person chose it
        Stepped,   // capture mode moved on in the list that opened the entry before
        Revisited, // back or forward
        Reread,    // its notebook was read anew from its file
        Restored,  // where the reading stopped last time
    };
    Q_ENUM(Move)

    explicit ReadingContext(const NotebookStore &store, QObject *parent = nullptr);

    const ShownEntry &Shown() const { return shown_; }

    // Shows `ref` (it must be in the store); every move but going back or forward enters the history.
    void Show(NoteRef ref, const QString &highlight, OpenedFrom from, Move move = Move::Opened);
    // Back and forward among the entries shown; nothing happens at either end.
    void GoBack();
    // The search text the shown entry is marked with changed (the query it was opened from was edited);
    // announced as HighlightChanged, and the history keeps it. Nothing happens when it is the same.
    void Rehighlight(const QString &highlight);
    void GoForward();

    // Where the reading stopped: "K:12" and a test that the record there is still the one it was.
    // Shown once its notebook is in (now, or when it is read on: call this after the panes that follow
    // the store are made); not shown when the person opened
    // another entry first, or when the record there is another one now.
    using SameRecord = std::function<bool(const NoteEntry &)>;
    void RestoreLast(const QString &place, SameRecord same);
    bool IsRestoring() const { return restoring_; }
    // The place to store at the end ("K:12"), with its record; the place being restored while its
    // notebook is still read; "" when nothing is shown.
    QString LastPlace() const;

Q_SIGNALS:
    void ShownChanged(const ShownEntry &shown, ReadingContext::Move move);
    // The same entry, marked with another search text: only its page changes.
    void HighlightChanged(const ShownEntry &shown);

private:
    void Revisit(const ShownEntry &visit);
    void TryRestore();

    const NotebookStore &store_;
    ShownEntry shown_;
    EntryHistory history_;
    bool restoring_ = false;
    bool followsReadingOn_ = false;
    QString restorePlace_;
    SameRecord restoreSame_;
};
