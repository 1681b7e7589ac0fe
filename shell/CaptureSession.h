#pragma once
// The hidden capture mode, all its rules in one place: typing "update" into the scans filter reveals a
// check box and a save button. While the box is checked, a right click on the scan records the
// position of the record selected in the list that opened the page shown, and the list steps on; Ctrl+Z
// takes the last one back, N shows the next entry without a position, the save button writes what was
// recorded into the notes files. The unsaved positions are kept in this reader's journal after each
// click, so that a crash loses none of them, and a journal left by a reader that is gone is offered
// back at start. A captured position travels one way: scan pane -> this session -> notebooks -> file.
// The pure part (undo steps, journal contents, counts) is CaptureLog.

#include "corpus/CaptureLog.h"
#include "corpus/NotebookStore.h"
#include "corpus/ReaderJournal.h"
#include "widgets/NoteList.h"

#include <QObject>
#include <QPointer>

class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;
class QWidget;

class CaptureSession : public QObject {
    Q_OBJECT
public:
    // Places its controls, hidden, at their design places in the header.
    CaptureSession(NotebookStore &store, QWidget *header);

    // True (and the controls revealed) for the keyword that reveals them.
    bool TakeKeyword(const QString &filterText);
    void Reveal();
    bool IsRecording() const;

    // The entries list, where N looks for the next entry without a position.
    void SetEntriesList(NoteList *entries) { entries_ = entries; }
    // The page shown was opened from `list` (nullptr: from elsewhere) with `highlight`: the next
    // right click records into that list's selection.
    void SetOpener(NoteList *list, const QString &highlight);
    NoteList *Opener() const { return opener_; }

    // The right click on the scan: records into the target and steps on in its list.
    void RecordAt(int x, int y);
    // Records a position into `ref` itself (a page header takes none), without stepping on.
    void Record(NoteRef ref, int x, int y);
    // Ctrl+Z on the scan.
    void Undo();
    // N on the scan.
    void ShowNextWithoutPosition();
    // Saves every changed notebook; an error stops at that notebook, which stays marked with the ones
    // after it. "OK" when everything asked was saved; after "no" to the conflict question, what was
    // written and what was not.
    void Save();

    // At start: offers the journals of readers that are gone. Raises when one cannot be read; it is
    // then left as it is.
    void OfferJournals();
    // The user leaves without saving, knowingly: this reader's journal goes (the positions stay in
    // memory until the window is gone).
    void ForgetJournal();
    // The session or the system is ending the reader: a question open now closes unanswered, and its
    // "no" must not set a journal aside; the journals not yet taken are offered at the next start.
    void EndUnasked() { ending_ = true; }

    bool HasUnsavedPositions() const { return log_.HasUnsaved(); }
    bool IsChanged(int book) const { return log_.IsChanged(book); }
    const NotebookSet &Notebooks() const { return store_.Set(); }
    const CaptureLog &Log() const { return log_; }
    QString UnpositionedText() const { return log_.UnpositionedText(); }
    // The line over the scan while recording: what was just done and where the next click goes.
    void RefreshCaption(const QString &done = QString());

Q_SIGNALS:
    void RecordingChanged(bool recording);
    void CaptionChanged(const QString &caption);
    // The session moved on to a record: show it as if `list` had opened it (nullptr: keep the opener).
    void ShowWanted(NoteRef ref, NoteList *list, const QString &highlight);
    // A notice for the window: a notes file read anew or not taken yet, positions not placed.
    void Notice(const QString &text);

private:
    // The list whose selection the next right click records into: the one that opened the page
    // shown, else the entries list.
    NoteList *TargetList() const;
    NoteRef Target() const;
    QString Describe(NoteRef ref) const;
    void WriteJournal();
    void UpdateCounts();
    void AfterReadAnew(int book);
    QString UnplacedNotice() const;

    NotebookStore &store_;
    CaptureLog log_;
    ReaderJournal journal_;
    QPointer<NoteList> entries_;
    QPointer<NoteList> opener_;
    QString openerHighlight_;
    QWidget *header_;
    QCheckBox *recordCheck_;
    QPushButton *saveButton_;
    QLabel *unpositionedLabel_;
    bool ending_ = false;
};
