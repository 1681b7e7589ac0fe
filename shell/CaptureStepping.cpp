#include "shell/CaptureStepping.h"

#include "corpus/ReadingContext.h"
#include "widgets/NoteList.h"

CaptureStepping::CaptureStepping(ReadingContext &context, NoteList *entries, NoteList *results)
    : context_(context), entries_(entries), results_(results) {}

NoteList *CaptureStepping::TargetList() const {
    return context_.Shown().from == OpenedFrom::SearchResults ? results_.data() : entries_.data();
}

NoteRef CaptureStepping::Target() const {
    const NoteList *list = TargetList();
    return list ? list->Selected() : NoteRef();
}

void CaptureStepping::StepOn() {
    NoteList *list = TargetList();
    if (!list) return;
    const NoteRef next = list->StepAfterCapture();
    if (!next.isValid()) return;
    // The search text stays marked while stepping through the results.
    const ShownEntry &shown = context_.Shown();
    if (list == results_)
        context_.Show(next, shown.highlight, OpenedFrom::SearchResults, ReadingContext::Move::Stepped);
    else
        context_.Show(next, QString(), OpenedFrom::EntriesList, ReadingContext::Move::Stepped);
}

void CaptureStepping::Reselect(NoteRef undone) {
    // From the entries list the undone entry is selected again, ready to be recorded anew.
    if (entries_ && TargetList() == entries_ && entries_->Select(undone))
        context_.Show(undone, QString(), OpenedFrom::EntriesList, ReadingContext::Move::Stepped);
}

NoteRef CaptureStepping::ShowNextWithoutPosition() {
    if (!entries_) return {};
    const NoteRef next = entries_->SelectNextWithoutPosition();
    if (next.isValid())
        context_.Show(next, QString(), OpenedFrom::EntriesList, ReadingContext::Move::Stepped);
    return next;
}
