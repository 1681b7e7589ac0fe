#pragma once
// The entries shown, in the order they were shown, for going back and forward among them as in a
// web browser: showing a new entry after going back drops the entries ahead.

#include "corpus/Notebooks.h"

#include <QString>
#include <vector>

class EntryHistory {
public:
    struct Visit {
        NoteRef ref;
        QString highlight; // the search text the page was marked with
        int opener = 0;    // which list opened it, as the window counts its lists
    };

    // A newly shown entry; the same entry shown again in a row is kept once.
    void Add(const Visit &visit);
    bool CanGoBack() const { return current_ > 0; }
    bool CanGoForward() const { return current_ + 1 < visits_.size(); }
    // Moves one step and returns the visit there; the history must allow the step.
    const Visit &Back() { return visits_[--current_]; }
    const Visit &Forward() { return visits_[++current_]; }

private:
    static constexpr size_t kLimit = 500; // the oldest visits go first
    std::vector<Visit> visits_;
    size_t current_ = 0; // index of the visit shown, when there is one
};
