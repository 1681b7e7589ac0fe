#pragma once
// The region of a scan an entry is written on, in scan pixels: what an exported facsimile zone and a
// crop are cut from.

#include "corpus/Records.h"

#include <QList>

struct PageLayout;

struct ScanZone {
    int ulx = 0;
    int uly = 0;
    int lrx = 0; // exclusive: the zone is ulx <= x < lrx, uly <= y < lry
    int lry = 0;

    bool Holds(int x, int y) const { return x >= ulx && x < lrx && y >= uly && y < lry; }
    int Width() const { return lrx - ulx; }
    int Height() const { return lry - uly; }
};

// The band an entry is taken to be written in when the scan's layout is not known: the scan's full
// width, from a little above the entry's position (its headword is written centred on it) down to a
// little above the next placed entry's on the same page, or to the foot of the scan when no later entry
// of the page lies lower. records[index] is a placed entry; the scan is scanWidth x scanHeight pixels
// (both at least 1). The band always holds the stored position, clamped to the scan.
ScanZone EntryZone(const QList<NoteEntry> &records, qsizetype index, int scanWidth, int scanHeight);

// The zones of the placed entries `placed` (indices into `records`, all on one page, in the notes'
// order). With the scan's layout each zone is the box round the entry's written region: from its
// position to the next placed entry's along the writing (images/WrittenRegions). Without a layout, or
// for an entry the layout finds no writing at, the band of EntryZone stands in. Every zone holds its
// stored position, clamped to the scan.
QList<ScanZone> PageZones(const QList<NoteEntry> &records, const QList<qsizetype> &placed,
                          const PageLayout *layout, int scanWidth, int scanHeight);
