#pragma once
// The hidden capture mode, its rules without its controls: typing "update" into the scans filter reveals a
// check box and a save button. While the box is checked, a right click on the scan records the
// position of the record selected in the list that opened the page shown, and the list steps on; Ctrl+Z
// takes the last one back, N shows the next entry without a position, the save button writes what was
// recorded into the notes files. The unsaved positions are kept in this reader's journal after each
// click, so that a crash loses none of them, and a journal left by a reader that is gone is offered
// back at start. A captured position travels one way: scan pane -> this session -> notebooks -> file.
// The pure part (undo steps, journal contents, counts) is CaptureLog; the controls that show the
// session are CaptureBar, and the lists' rules for moving on are CaptureStepping.

#include "corpus/CaptureLog.h"
#include "corpus/NotebookStore.h"
#include "corpus/ReaderJournal.h"

#include <QObject>
#include <QPointer>

class ReadingContext;
class QWidget;

// Where a right click records and how capture mode moves on: the lists' rules, kept beside the session
// (CaptureStepping) so that the session itself holds no list.
class CaptureTargets {
public:
    virtual ~CaptureTargets() = default;
    // The record the next right click records into: the selection of the list that opened the entry shown.
    virtual NoteRef Target() const = 0;
    // After a right click: the next row of that list, shown.
    virtual void StepOn() = 0;
    // After an undo: the undone record selected again where it can be recorded anew, and shown.
    virtual void Reselect(NoteRef undone) = 0;
    // N: the next entry without a position selected and shown; invalid when every entry has one.
    virtual NoteRef ShowNextWithoutPosition() = 0;
};

class CaptureSession : public QObject {
    Q_OBJECT
public:
    // Follows the entry shown (the caption names where the next click goes). `parent` is the window.
    CaptureSession(NotebookStore &store, const ReadingContext &context, QObject *parent);

    void SetTargets(CaptureTargets *targets) { targets_ = targets; }
    // Dialogs (the save's questions, the journals offered) open over this widget's window.
    void SetDialogParent(QWidget *widget) { dialogParent_ = widget; }

    // True (and the controls revealed) for the keyword that reveals them.
    bool TakeKeyword(const QString &filterText);
    void Reveal();
    bool IsRevealed() const { return revealed_; }
    // The check box: while recording, a right click on the scan records a position.
    void SetRecording(bool recording);
    bool IsRecording() const { return recording_; }

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
    // written and what was not. True when every position recorded is in the notes files now.
    bool Save();

    // At start: offers the journals of readers that are gone, in one question. One that cannot be read
    // is left as it is and said in a lasting notice; the others are offered all the same.
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
    void Revealed();
    // The count of entries without a position per notebook, while the controls are revealed.
    void CountsChanged(const QString &text);
    // A notice for the window: a notes file read anew or not taken yet, positions not placed.
    void Notice(const QString &text);
    // A notice of something not taken (a journal that cannot be read), kept until dismissed.
    void LastingNotice(const QString &text);
    // A lasting notice no longer holds (the file it said was being written is taken).
    void NoticeOver(const QString &text);

private:
    NoteRef Target() const;
    QWidget *DialogParent() const;
    QString Describe(NoteRef ref) const;
    void WriteJournal();
    void UpdateCounts();
    void AfterReadAnew(int book);
    QString UnplacedNotice() const;

    NotebookStore &store_;
    CaptureLog log_;
    ReaderJournal journal_;
    CaptureTargets *targets_ = nullptr;
    QPointer<QWidget> dialogParent_;
    bool revealed_ = false;
    bool recording_ = false;
    bool ending_ = false;
    std::array<QString, kNotebookCount> notTaken_; // the notice of a file not taken yet, per notebook
};
