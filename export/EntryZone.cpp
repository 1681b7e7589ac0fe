#include "export/EntryZone.h"

#include <algorithm>

namespace {

// How far above a position the band begins: about half a headword on a page scan.
int Lead(int scanHeight) {
    return scanHeight / 40;
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
