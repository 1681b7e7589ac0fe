#pragma once
// The hidden capture mode: typing "update" into the scans filter reveals a check box and a save
// button. While the box is checked, a right click on the scan records the position of an entry;
// the save button writes the changed notebooks' positions back into their notes files.

#include "corpus/Notebooks.h"

#include <QObject>
#include <array>

class QCheckBox;
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
    // Stores the position into an entry record (a page header takes none) and marks its notebook.
    void Record(NoteRef ref, int x, int y);
    bool HasUnsavedPositions() const;
    bool IsChanged(int book) const { return changed_[size_t(book)]; }
    // Saves every changed notebook; an error stops at that notebook, which stays marked with the
    // ones after it. "OK" when something was saved.
    void Save();

Q_SIGNALS:
    void RecordingChanged(bool recording);

private:
    NotebookSet &notebooks_;
    std::array<bool, kNotebookCount> changed_{};
    QWidget *header_;
    QCheckBox *recordCheck_;
    QPushButton *saveButton_;
};
