#pragma once
// The proposed positions of capture mode painted over a scan: a ring with the headword beside it, in a
// colour of its own (neither the red marker nor the blue and orange marks) on a white halo, so that it
// reads on any scan. One ring for the entry the next click records into, or numbered rings for every
// unplaced entry of the scan; the current one is drawn heavier. Positions are natural-size overlay
// pixels, as stored.

#include "corpus/Notebooks.h"

#include <QPoint>
#include <QRect>
#include <QString>

#include <vector>

class QColor;
class QPainter;

struct ProposalRing {
    QPoint pos;     // natural-size overlay pixels
    QString label;  // the headword, on one line
    NoteRef ref;    // the entry it would be recorded into
    int number = 0; // shown inside the ring when above 0
};

class ProposalRings {
public:
    static constexpr int kRadius = 13;

    void Set(std::vector<ProposalRing> rings, int current = 0);
    void Clear() { Set({}); }
    const std::vector<ProposalRing> &Rings() const { return rings_; }
    bool IsEmpty() const { return rings_.empty(); }
    // The ring Enter takes; -1 without rings.
    int Current() const { return rings_.empty() ? -1 : current_; }
    void SetCurrent(int index);
    // Only the current ring is drawn (the candidates of one entry), or all of them (numbered).
    void SetShowAll(bool all) { showAll_ = all; }
    bool ShowsAll() const { return showAll_; }

    void Paint(QPainter &painter, const QRect &exposed, double rate) const;
    // The part of the overlay a ring and its label take at zoom `rate`.
    QRect Extent(const ProposalRing &ring, double rate) const;

    static const QColor &Colour();

private:
    std::vector<ProposalRing> rings_;
    int current_ = 0;
    bool showAll_ = false;
};
