#pragma once
// The layout of a page scan: where the lines (or, on a page written top to bottom, the columns) of
// writing lie, where each starts and ends, how thick it is, how far it stands from the one before, and
// the blocks they form. Ruled lines, page numbers and running heads in the margins, and specks of dirt
// are not writing and are left out. Read from the small grey picture of ScanGrey; every figure is in
// full-size scan pixels.

#include "images/ScanGrey.h"

#include <QPoint>
#include <QRect>

#include <vector>

enum class WritingDirection {
    Horizontal,         // lines left to right, from the top down
    VerticalRightToLeft // columns top to bottom, from the right
};

// One line of writing (a column on a vertical page). "Along" runs with the writing (x on a horizontal
// page, y on a vertical one), "across" from one line to the next (y, or the distance from the right
// edge).
struct TextLine {
    QRect box;           // the ink's extent on the scan
    int start = 0;       // along: where the first glyph begins
    int end = 0;         // along: where the last glyph ends
    int acrossFirst = 0; // across: the line's near and far edge
    int acrossLast = 0;
    int thickness = 0; // across extent: about the size of its glyphs
    int glyphs = 0;    // about how many glyphs it holds (they are about as long as the line is thick)
    int gapBefore = 0; // across: the empty space before it; for the first line, from the writing's edge
    bool blockStart = false;
    QPoint firstGlyph; // the middle of its first glyph, on the scan
};

struct PageLayout {
    WritingDirection direction = WritingDirection::Horizontal;
    int width = 0; // of the full-size scan
    int height = 0;
    std::vector<TextLine> lines; // in reading order
    int medianThickness = 0;
    int medianGap = 0;
    int fullEnd = 0; // along: where a full line of the page ends (its long lines' usual end)

    // The line that a point of the scan belongs to: the nearest line across whose along extent (with a
    // glyph's room before its start) holds it, within a line's thickness; -1 when none is.
    int LineAt(QPoint p) const;
    // Along and across coordinates of a scan point, and back.
    int Along(QPoint p) const;
    int Across(QPoint p) const;
    QPoint ScanPoint(int along, int across) const;
};

// Reads the layout of a scan (decoded at any of ScanGrey's scales).
PageLayout ReadPageLayout(const ScanGrey &grey);
