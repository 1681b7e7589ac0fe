#pragma once
// The marks painted over a page scan: a small ring at the stored position of each entry placed on it
// (with its headword beside it from half size upward), and the entries among the search's results in
// a second colour. Positions are natural-size overlay pixels; painting and finding a mark under the
// pointer take the zoom, so the marks follow it exactly as the red marker does.

#include "corpus/Notebooks.h"
#include "images/WrittenRegions.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QStaticText>
#include <QString>
#include <vector>

class QPainter;

struct ScanMark {
    QPoint pos;    // natural-size overlay pixels
    QString label; // the headword, on one line
    bool hit = false;
    NoteRef ref; // the entry it marks
};

class ScanMarks {
public:
    // Ring radius and the zoom from which labels are drawn.
    static constexpr int kRingRadius = 6;
    static constexpr double kLabelZoom = 0.5;

    void Set(std::vector<ScanMark> marks);
    const std::vector<ScanMark> &Marks() const { return marks_; }
    // Every entry's mark (else only the search's hits).
    void SetShowAll(bool on) { showAll_ = on; }
    bool ShowAll() const { return showAll_; }
    int HitCount() const { return hits_; }
    bool IsEmpty() const { return marks_.empty() || (!showAll_ && hits_ == 0); }

    // Paints the marks that touch `exposed` (overlay coordinates) at zoom `rate`.
    void Paint(QPainter &painter, const QRect &exposed, double rate) const;
    // The index of the mark painted under an overlay point, or -1.
    int MarkAt(QPoint overlayPoint, double rate) const;
    // The written region of each mark, in the marks' order (from the scan's layout, which comes later
    // than the marks: until then, and after the marks change, there are none).
    void SetRegions(std::vector<WrittenRegion> regions);
    bool HasRegions() const { return !regions_.empty(); }
    // The mark whose written region holds natural-size point `p`, or -1.
    int RegionAt(QPoint p) const;
    // The entry a double click at natural-size point `p` opens: the one whose written region holds it,
    // else the one placed nearest it within `radius` (ties to the earlier entry), shown or not; invalid
    // when none is.
    NoteRef EntryAt(QPoint p, double radius) const;

    static const QColor &RingColour();
    static const QColor &HitColour();

private:
    bool Drawn(const ScanMark &m) const { return showAll_ || m.hit; }
    // The two rings drawn once per screen density and stamped at every mark: a few hundred
    // antialiased ellipses per paint would take milliseconds.
    const QImage &Ring(bool hit, qreal density) const;
    std::vector<ScanMark> marks_;
    std::vector<WrittenRegion> regions_;
    std::vector<QPoint> positions_;           // the marks' positions, as the regions were made from them
    mutable std::vector<QStaticText> labels_; // laid out once per mark, at the first paint with labels
    mutable QImage rings_[2];
    bool showAll_ = false;
    int hits_ = 0;
};
