#pragma once
// The region of a scan an entry is written on, in scan pixels: what an exported facsimile zone and a
// crop are cut from.

#include "corpus/Records.h"

#include <QList>

struct ScanZone {
    int ulx = 0;
    int uly = 0;
    int lrx = 0; // exclusive: the zone is ulx <= x < lrx, uly <= y < lry
    int lry = 0;

    bool Holds(int x, int y) const { return x >= ulx && x < lrx && y >= uly && y < lry; }
    int Width() const { return lrx - ulx; }
    int Height() const { return lry - uly; }
};

// The written region of the placed entry records[index] on its scan of scanWidth x scanHeight pixels
// (both at least 1). Until the page layout is known, the region is a band the scan's full width: from a
// little above the entry's position (its headword is written centred on it) down to a little above the
// next placed entry's on the same page, or to the foot of the scan when no later entry of the page lies
// lower. The band always holds the stored position, clamped to the scan.
ScanZone EntryZone(const QList<NoteEntry> &records, qsizetype index, int scanWidth, int scanHeight);
