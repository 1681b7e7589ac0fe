#include "images/WrittenRegions.h"

#include <algorithm>

namespace {

// The stored positions lie 3 pixels right of the scan point clicked (the overlay's offset).
constexpr int kOverlayShift = 3;

// A rectangle of a line's band from `from` to `to` along it, on the scan.
QRect Band(const PageLayout &l, const TextLine &line, int from, int to) {
    if (to < from) std::swap(from, to);
    const QPoint a = l.ScanPoint(from, line.acrossFirst), b = l.ScanPoint(to, line.acrossLast);
    return QRect(a, b).normalized().translated(kOverlayShift, 0);
}

// The reading order of a point: its line, then how far along it.
struct Place {
    int line;
    int along;
};

Place PlaceOf(const PageLayout &l, QPoint p) {
    int line = l.LineAt(p);
    if (line < 0) {
        const int across = l.Across(p);
        line = -1;
        for (int i = 0; i < int(l.lines.size()); ++i)
            if (l.lines[size_t(i)].acrossFirst <= across) line = i;
    }
    return {line, l.Along(p)};
}

bool Before(const Place &a, const Place &b) {
    return a.line < b.line || (a.line == b.line && a.along < b.along);
}

} // namespace

bool WrittenRegion::Contains(QPoint p) const {
    return std::any_of(parts.begin(), parts.end(), [&](const QRect &r) { return r.contains(p); });
}

std::vector<WrittenRegion> WrittenRegions(const PageLayout &layout, const std::vector<QPoint> &positions) {
    std::vector<WrittenRegion> regions(positions.size());
    for (size_t i = 0; i < positions.size(); ++i) {
        WrittenRegion &region = regions[i];
        const QPoint p = positions[i] - QPoint(kOverlayShift, 0);
        const Place from = PlaceOf(layout, p);
        // The next entry along the writing, or the end of the writing.
        Place to{int(layout.lines.size()) - 1, 1 << 30};
        if (i + 1 < positions.size()) {
            const Place next = PlaceOf(layout, positions[i + 1] - QPoint(kOverlayShift, 0));
            to = Before(from, next) ? next : Place{from.line, 1 << 30};
        }
        if (from.line >= 0) {
            for (int n = from.line; n <= to.line && n < int(layout.lines.size()); ++n) {
                const TextLine &line = layout.lines[size_t(n)];
                const int start = n == from.line ? std::min(from.along, line.start) : line.start;
                // The next entry's line belongs to it from its position on.
                const int end = n == to.line && to.along < (1 << 30) ? to.along : line.end;
                if (n == to.line && to.along < (1 << 30) && n != from.line && end <= line.start) continue;
                region.parts.push_back(Band(layout, line, start, std::max(start, end - 1)));
            }
        }
        // The position itself always counts, also where no writing was found under it.
        const int half = std::max(8, layout.medianThickness / 2);
        region.parts.push_back(
            QRect(positions[i].x() - half, positions[i].y() - half, 2 * half + 1, 2 * half + 1));
    }
    return regions;
}

int RegionAt(const std::vector<WrittenRegion> &regions, const std::vector<QPoint> &positions, QPoint p) {
    int best = -1;
    qint64 bestDistance = 0;
    for (size_t i = 0; i < regions.size() && i < positions.size(); ++i) {
        if (!regions[i].Contains(p)) continue;
        const QPoint d = positions[i] - p;
        const qint64 distance = qint64(d.x()) * d.x() + qint64(d.y()) * d.y();
        if (best < 0 || distance < bestDistance) best = int(i), bestDistance = distance;
    }
    return best;
}
