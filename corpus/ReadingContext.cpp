#include "corpus/ReadingContext.h"

#include "corpus/NotebookStore.h"

#include <algorithm>

namespace {

// "K:12" as a reference; invalid when it names no notebook or no number.
NoteRef ParsePlace(const QString &place) {
    const QStringList parts = place.split(QLatin1Char(':'));
    if (parts.size() != 2) return {};
    const auto letter = std::find(NotebookLetters().begin(), NotebookLetters().end(), parts[0]);
    bool numeric = false;
    const int entry = parts[1].toInt(&numeric);
    if (letter == NotebookLetters().end() || !numeric) return {};
    return NoteRef{int(letter - NotebookLetters().begin()), entry};
}

} // namespace

ReadingContext::ReadingContext(const NotebookStore &store, QObject *parent) : QObject(parent), store_(store) {
    // The entry shown is shown again from its notebook read anew (its text may have changed).
    connect(&store, &NotebookStore::BookReloaded, this, [this](int book) {
        if (shown_.ref.book == book && store_.Contains(shown_.ref)) Q_EMIT ShownChanged(shown_, Move::Reread);
    });
}

void ReadingContext::Show(NoteRef ref, const QString &highlight, OpenedFrom from, Move move) {
    shown_ = ShownEntry{ref, highlight, from};
    if (move != Move::Revisited && move != Move::Reread) history_.Add(shown_);
    Q_EMIT ShownChanged(shown_, move);
}

void ReadingContext::Rehighlight(const QString &highlight) {
    if (!shown_.ref.isValid() || shown_.highlight == highlight) return;
    shown_.highlight = highlight;
    history_.Add(shown_); // the same entry: the visit takes the new marks
    Q_EMIT HighlightChanged(shown_);
}

void ReadingContext::GoBack() {
    if (history_.CanGoBack()) Revisit(history_.Back());
}

void ReadingContext::GoForward() {
    if (history_.CanGoForward()) Revisit(history_.Forward());
}

void ReadingContext::Revisit(const ShownEntry &visit) {
    if (store_.Contains(visit.ref)) Show(visit.ref, visit.highlight, visit.from, Move::Revisited);
}

void ReadingContext::RestoreLast(const QString &place, SameRecord same) {
    restoring_ = true;
    restorePlace_ = place;
    restoreSame_ = std::move(same);
    // The entry may be in the part of its notebook read on. Connected now, after the panes that follow
    // the store (the entries list above all), so that they hold the new records when it is shown.
    if (!followsReadingOn_) {
        followsReadingOn_ = true;
        connect(&store_, &NotebookStore::BookExtended, this, [this] {
            if (restoring_) TryRestore();
        });
    }
    TryRestore();
}

void ReadingContext::TryRestore() {
    const NoteRef ref = ParsePlace(restorePlace_);
    if (ref.isValid() && !store_.IsWhole(ref.book) && !store_.Contains(ref))
        return; // its notebook is still being read
    restoring_ = false;
    // Someone who opened an entry while the notebook was read keeps it.
    if (!ref.isValid() || shown_.ref.isValid() || !store_.Contains(ref) || !restoreSame_(store_.Entry(ref)))
        return;
    Show(ref, QString(), OpenedFrom::EntriesList, Move::Restored);
}

QString ReadingContext::LastPlace() const {
    if (restoring_ && !shown_.ref.isValid()) return restorePlace_;
    if (!store_.Contains(shown_.ref)) return QString();
    return NotebookLetters()[size_t(shown_.ref.book)] + QLatin1Char(':') + QString::number(shown_.ref.entry);
}
