#pragma once
// How capture mode moves through the lists: a right click records into the selection of the list that
// opened the entry shown (a search result records into that result, not into the entries list's
// selection; an entry opened elsewhere, into the entries list's), and that list steps on. Which list
// opened the entry is the reading context's to say.

#include "shell/CaptureSession.h"

#include <QPointer>

class NoteList;
class ReadingContext;

class CaptureStepping : public CaptureTargets {
public:
    CaptureStepping(ReadingContext &context, NoteList *entries, NoteList *results);

    NoteRef Target() const override;
    void StepOn() override;
    void Reselect(NoteRef undone) override;
    NoteRef ShowNextWithoutPosition() override;

private:
    // The list whose selection the next right click records into.
    NoteList *TargetList() const;

    ReadingContext &context_;
    QPointer<NoteList> entries_;
    QPointer<NoteList> results_;
};
