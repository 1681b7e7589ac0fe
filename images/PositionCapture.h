#pragma once
// The hidden capture mode: typing "update" into the scans filter reveals a check box and a save
// button. While the box is checked, a right click on the scan records the position of an entry;
// the save button writes the changed notebooks' positions back into their notes files.
// Beyond that: the positions recorded since the last save can be undone one by one, a count of the
// entries without a position stands beside the controls, and the unsaved positions are kept in a
// journal beside the notes files after each click, so that a crash loses none of them.

#include "corpus/Notebooks.h"

#include <QObject>
#include <array>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QWidget;

class PositionCapture : public QObject {
    Q_OBJECT
public:
    // Places its two controls, hidden, at their design places in the header.
    PositionCapture(NotebookSet &notebooks, QWidget *header);

    // True (and the controls revealed) for the keyword that reveals them.
    bool TakeKeyword(const QString &filterText);
    void Reveal();
    bool IsRecording() const;
    // Stores the position into an entry record (a page header takes none) and marks its notebook;
    // then writes the journal, raising when it cannot (the position stays recorded).
    void Record(NoteRef ref, int x, int y);
    // Takes back the last position recorded since the last save; the record undone, or an invalid
    // reference when there is nothing to undo.
    NoteRef UndoLast();
    // Entry records of a notebook without a position.
    int UnpositionedCount(int book) const;
    QString UnpositionedText() const;
    // The journal of unsaved positions, in the working directory beside the notes files.
    static QString JournalFileName();
    // At start: when a journal is left from a run that ended without saving, asks whether to take
    // its positions back as unsaved changes. Records that no longer match the notes are skipped and
    // named. Raises when the journal cannot be read; it is then left as it is.
    void OfferJournal();
    // The user leaves without saving, knowingly: the journal goes with the positions.
    void ForgetJournal();
    bool HasUnsavedPositions() const;
    const NotebookSet &Notebooks() const { return notebooks_; }
    bool IsChanged(int book) const { return changed_[size_t(book)]; }
    // Saves every changed notebook; an error stops at that notebook, which stays marked with the
    // ones after it. "OK" when something was saved.
    void Save();

Q_SIGNALS:
    void RecordingChanged(bool recording);

private:
    struct Step {
        NoteRef ref;
        int oldX, oldY;
        bool wasChanged;
    };
    // Writes the journal of what the undo steps changed, or removes it when nothing is unsaved.
    void WriteJournal() const;
    void UpdateCounts();

    NotebookSet &notebooks_;
    std::vector<Step> steps_; // since the last save, oldest first
    std::array<bool, kNotebookCount> changed_{};
    QWidget *header_;
    QCheckBox *recordCheck_;
    QPushButton *saveButton_;
    QLabel *unpositionedLabel_;
};
