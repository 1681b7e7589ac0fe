#include "export/EntryZone.h"

#include "images/WrittenRegions.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {

// How far above a position the band begins: about half a headword on a page scan.
int Lead(int scanHeight) {
    return scanHeight / 40;
}

// Stored positions lie 3 pixels right of the scan point clicked (the capture overlay's offset): the
// written regions are in stored coordinates, zones in the scan's own pixels.
constexpr int kOverlayShift = 3;

// The box round a written region, back in scan pixels; none when only the position itself was found
// (its last part), with no writing under it. The next entry's line is left out unless the entry starts
// on it too: the bit of it before the next headword is margin, and a crop would show that headword.
std::optional<ScanZone> RegionBox(const PageLayout &layout, const WrittenRegion &region, int x, int y,
                                  std::optional<QPoint> next, int scanWidth, int scanHeight) {
    if (region.parts.size() < 2) return std::nullopt;
    const QPoint shift(kOverlayShift, 0);
    const int nextLine = next ? layout.LineAt(*next - shift) : -1;
    QRect box;
    for (size_t i = 0; i + 1 < region.parts.size(); ++i) {
        const QRect part = region.parts[i].translated(-shift);
        if (i > 0 && nextLine >= 0 && layout.LineAt(part.center()) == nextLine) continue;
        box |= part;
    }
    ScanZone zone;
    zone.ulx = std::clamp(std::min(box.left(), x), 0, scanWidth - 1);
    zone.uly = std::clamp(std::min(box.top(), y), 0, scanHeight - 1);
    zone.lrx = std::clamp(std::max(box.right(), x) + 1, zone.ulx + 1, scanWidth);
    zone.lry = std::clamp(std::max(box.bottom(), y) + 1, zone.uly + 1, scanHeight);
    return zone;
}

} // namespace

ScanZone EntryZone(const QList<NoteEntry> &records, qsizetype index, int scanWidth, int scanHeight) {
    const NoteEntry &entry = records[index];
    const int x = std::clamp(entry.x, 0, scanWidth - 1);
    const int y = std::clamp(entry.y, 0, scanHeight - 1);
    int bottom = scanHeight;
    // The page ends at the next page record; the first placed entry after this one closes the band.
    for (qsizetype i = index + 1; i < records.size() && !records[i].isPage; ++i) {
        if (!records[i].HasPosition()) continue;
        const int next = std::min(records[i].y, scanHeight);
        if (next > y) bottom = std::max(next - Lead(scanHeight), y + 1);
        break;
    }
    ScanZone zone;
    zone.ulx = 0;
    zone.lrx = scanWidth;
    zone.uly = std::max(0, y - Lead(scanHeight));
    zone.lry = bottom;
    Q_ASSERT(zone.Holds(x, y));
    return zone;
}

QList<ScanZone> PageZones(const QList<NoteEntry> &records, const QList<qsizetype> &placed,
                          const PageLayout *layout, int scanWidth, int scanHeight) {
    QList<ScanZone> zones;
    zones.reserve(placed.size());
    std::vector<WrittenRegion> regions;
    if (layout && !layout->lines.empty()) {
        std::vector<QPoint> positions;
        positions.reserve(size_t(placed.size()));
        for (const qsizetype i : placed)
            positions.emplace_back(records[i].x, records[i].y);
        regions = WrittenRegions(*layout, positions);
    }
    for (qsizetype n = 0; n < placed.size(); ++n) {
        const NoteEntry &entry = records[placed[n]];
        const int x = std::clamp(entry.x, 0, scanWidth - 1);
        const int y = std::clamp(entry.y, 0, scanHeight - 1);
        std::optional<ScanZone> zone;
        if (size_t(n) < regions.size()) {
            std::optional<QPoint> next;
            if (n + 1 < placed.size()) next = QPoint(records[placed[n + 1]].x, records[placed[n + 1]].y);
            zone = RegionBox(*layout, regions[size_t(n)], x, y, next, scanWidth, scanHeight);
        }
        zones << (zone ? *zone : EntryZone(records, placed[n], scanWidth, scanHeight));
        Q_ASSERT(zones.last().Holds(x, y));
    }
    return zones;
}
