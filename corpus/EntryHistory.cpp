#include "corpus/EntryHistory.h"

void EntryHistory::Add(const ShownEntry &visit) {
    if (!visits_.empty()) {
        if (visits_[current_].ref == visit.ref) {
            visits_[current_] = visit; // the same entry: only how it was opened changed
            return;
        }
        visits_.erase(visits_.begin() + ptrdiff_t(current_) + 1, visits_.end());
    }
    visits_.push_back(visit);
    if (visits_.size() > kLimit) visits_.erase(visits_.begin());
    current_ = visits_.size() - 1;
}
