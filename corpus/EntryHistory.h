#pragma once
// The entries shown, in the order they were shown, for going back and forward among them as in a
// web browser: showing a new entry after going back drops the entries ahead.

#include "corpus/Notebooks.h"

#include <QString>
#include <vector>

// Which list opened the entry shown: capture mode records into that list's selection and moves on in it.
enum class OpenedFrom { Elsewhere, EntriesList, SearchResults };

// An entry as it is shown: the record, the search text its page is marked with, the list that opened it.
struct ShownEntry {
    NoteRef ref;
    QString highlight;
    OpenedFrom from = OpenedFrom::Elsewhere;
};

class EntryHistory {
public:
    // A newly shown entry; the same entry shown again in a row is kept once.
    void Add(const ShownEntry &visit);
    bool CanGoBack() const { return current_ > 0; }
    bool CanGoForward() const { return current_ + 1 < visits_.size(); }
    // Moves one step and returns the visit there; the history must allow the step.
    const ShownEntry &Back() { return visits_[--current_]; }
    const ShownEntry &Forward() { return visits_[++current_]; }

private:
    static constexpr size_t kLimit = 500; // the oldest visits go first
    std::vector<ShownEntry> visits_;
    size_t current_ = 0; // index of the visit shown, when there is one
};
