#pragma once
// Capture by proposals: while recording, the entry the next right click records into gets a proposed
// position on the scan shown (a ring with its headword), read from the scan's layout on the worker;
// Enter or Space records it as a right click there would, Tab and Shift+Tab go through the other
// candidates. "A" (or the scan menu's item) proposes every unplaced entry of the scan at once as
// numbered rings, taken one by one with Enter or all together with Ctrl+Enter; Esc leaves them.
//
// The keys act only while the scan pane has the focus: the lists and text boxes keep their Enter,
// Space and Tab, and Tab past the last candidate (Shift+Tab before the first) goes on to the next
// control as always. Answers that come after the scan or the target changed are dropped.

#include "corpus/Notebooks.h"
#include "images/PositionProposals.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <deque>
#include <memory>
#include <vector>

class CaptureSession;
class CaptureTargets;
class NotebookStore;
class PageViewer;
class QAction;
class QKeyEvent;
class ReadingContext;

class CaptureProposals : public QObject {
    Q_OBJECT
public:
    CaptureProposals(CaptureSession &session, CaptureTargets &targets, const NotebookStore &store,
                     const ReadingContext &context, PageViewer &viewer, QObject *parent);

    // Every unplaced entry of the scan shown, numbered; false when recording is off or none is found.
    bool ProposeAll();
    // Records every numbered proposal; their count.
    int AcceptAll();
    // Records the current proposal; false without one.
    bool AcceptCurrent();
    bool IsShowingAll() const { return all_; }

private:
    // A scan's entries in the notebook's order and the references they come from.
    struct ScanEntries {
        QString path;
        std::vector<ScanEntry> entries;
        std::vector<NoteRef> refs;
    };
    ScanEntries EntriesAround(NoteRef anchor) const;
    // The scan shown, when it is the scan of `ref`.
    bool OnShownScan(NoteRef ref) const;
    // Drops what is shown and what is on its way, and asks again.
    void Refresh();
    void AskForTarget();
    void AskForAll();
    std::vector<ScanEntries> Lessons(int book, const QString &path);
    void Remember(NoteRef anchor, const QString &path);
    bool TakeKey(const QKeyEvent *event, bool act);

    CaptureSession &session_;
    CaptureTargets &targets_;
    const NotebookStore &store_;
    const ReadingContext &context_;
    PageViewer &viewer_;
    QAction *proposeAll_;
    QAction *acceptAll_;
    bool all_ = false;
    bool accepting_ = false;                      // recording several: one refresh after the last
    std::shared_ptr<std::atomic<quint64>> asked_; // the latest question to the worker
    // Scans proposed on lately, per notebook: the habits are learnt from their placed entries.
    std::deque<std::pair<NoteRef, QString>> recent_;
};
