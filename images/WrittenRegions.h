#pragma once
// The written region of each entry placed on a scan: the writing from its position up to the next
// entry's position, read along the writing direction (line after line, or column after column from
// the right). A double click anywhere in it, or a mark over it, can then name the entry, at any zoom.
//
// Pure: the scan's layout (PageLayout) and the placed positions in, rectangles out.

#include "images/PageLayout.h"

#include <QPoint>
#include <QRect>

#include <vector>

// One entry's region: rectangles in the coordinates positions are stored in (full-size pixels measured
// from the scan's overlay, 3 pixels left of the scan), so that a click is tested as it is recorded. It
// always holds the entry's own position, even where the layout shows no writing there.
struct WrittenRegion {
    std::vector<QRect> parts;
    bool Contains(QPoint p) const;
};

// The regions of the entries whose stored `positions` are given in the notebook's order (all on the
// scan of `layout`). Region i runs from positions[i] to positions[i + 1] along the writing; the last
// one to the end of the scan's writing. Positions out of reading order (a later entry placed before an
// earlier one) end the region at the end of its own line.
std::vector<WrittenRegion> WrittenRegions(const PageLayout &layout, const std::vector<QPoint> &positions);

// The entry whose region holds `p` (stored coordinates), or -1: where regions meet, the one whose position is
// nearest.
int RegionAt(const std::vector<WrittenRegion> &regions, const std::vector<QPoint> &positions, QPoint p);
