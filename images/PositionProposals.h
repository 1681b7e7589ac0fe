#pragma once
// Where an entry's headword starts on its scan, proposed from the scan's layout: the lines after the
// entries already placed on it that look like the start of an entry (larger, outdented, starting a
// block, or a short line of about the headword's length), ranked by how well each of those rules has
// predicted the notebook's own placed entries, and offset as the person who placed them clicks
// relative to the first glyph.
//
// Everything is pure: a layout is read once per scan (ReadPageLayout) and kept by the caller, any
// number of proposals are drawn from it, on any thread.

#include "images/PageLayout.h"

#include <QPoint>

#include <array>
#include <vector>

// One entry of a scan, in the notebook's order.
struct ScanEntry {
    int glyphs = 0;      // characters of its headword (markup and leading blanks left out)
    bool placed = false; // its position is known
    QPoint position;     // its stored position, when placed
};

// A proposed position (as positions are stored: natural-size pixels measured from the scan's overlay,
// which lies 3 pixels left of the scan), the line it starts, and its weight (higher is better).
struct PositionProposal {
    QPoint position;
    int line = -1;
    double score = 0;
};

// The rules an entry's start is told by.
enum class StartRule { Larger, Outdent, Length, Block, NextLine, Count };

// What a notebook's placed entries teach: how often each rule has named the line a placed entry
// starts, and where relative to the line's first glyph the person clicks.
class ProposalHabits {
public:
    // Learns from entry `index` of a scan's entries, which must be placed: the entries before it are
    // taken as the capture met them (placed where they are placed), those after it as not yet placed.
    void Learn(const PageLayout &layout, const std::vector<ScanEntry> &entries, int index);
    // How well a rule has done: hits over trials, led by a prior while trials are few.
    double Weight(StartRule rule) const;
    // Where the person clicks, from the middle of a line's first glyph (the overlay's 3 pixels
    // included); the middle itself until something is learnt.
    QPoint ClickOffset() const;
    int Trials() const { return trials_; }

private:
    std::array<int, size_t(StartRule::Count)> hits_{};
    int trials_ = 0;
    std::vector<int> dx_, dy_;
};

// Ranked candidates, best first, for entry `index` of a scan's entries (it need not be unplaced: its
// own position is not used). Empty when the scan shows no line where the entry could start.
std::vector<PositionProposal> ProposePositions(const PageLayout &layout,
                                               const std::vector<ScanEntry> &entries, int index,
                                               const ProposalHabits &habits);

// The characters of a headword as the notes file holds it: markup and leading blanks (the file's
// indents) do not count.
int HeadwordGlyphs(const QString &title);
