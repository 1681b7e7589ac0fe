#include "images/PositionProposals.h"

#include <QRegularExpression>
#include <QString>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

// Stored positions are measured from the overlay, which lies this many pixels left of the scan.
constexpr int kOverlayShift = 3;

// What each rule is trusted with before the notebook has shown anything: a larger headword is the
// surest sign in notes written by hand, then an outdent, then a line as short as the headword.
constexpr double kPrior[] = {0.75, 0.65, 0.55, 0.5, 0.25};
constexpr double kPriorTrials = 2.0;

bool Larger(const PageLayout &l, int n) {
    return l.lines[size_t(n)].thickness * 100 >= l.medianThickness * 112;
}

// The start where the page's outdented lines begin, when the page has indented lines too (an indent
// of a third of a glyph or more); -1 otherwise.
int OutdentColumn(const PageLayout &l) {
    if (l.lines.size() < 3) return -1;
    std::vector<int> starts;
    for (const TextLine &line : l.lines)
        starts.push_back(line.start);
    std::sort(starts.begin(), starts.end());
    const int low = starts[starts.size() / 10];
    const int margin = l.medianThickness * 35 / 100;
    const auto indented =
        std::count_if(starts.begin(), starts.end(), [&](int s) { return s > low + margin; });
    return indented > 0 ? low : -1;
}

bool Outdent(const PageLayout &l, int n, int column) {
    const TextLine &line = l.lines[size_t(n)];
    const int margin = line.thickness * 35 / 100;
    // At the page's outdent, where its other lines are indented.
    if (column >= 0 && line.start <= column + margin) return true;
    const bool hasNext = n + 1 < int(l.lines.size()) && !l.lines[size_t(n) + 1].blockStart;
    if (hasNext) return line.start < l.lines[size_t(n) + 1].start - margin;
    // The last line of its block: against the line before it.
    return n > 0 && !line.blockStart && line.start < l.lines[size_t(n) - 1].start - margin;
}

bool Short(const PageLayout &l, int n) {
    return l.lines[size_t(n)].end < l.fullEnd - l.lines[size_t(n)].thickness;
}

// A line of about the headword's length standing alone, with the writing going on in a longer line
// after it (the last line of an entry is short too, but a short headword follows it).
bool Length(const PageLayout &l, int n, int glyphs) {
    if (glyphs <= 0) return false;
    const TextLine &line = l.lines[size_t(n)];
    if (std::abs(line.glyphs - glyphs) > std::max(1, glyphs / 4) || !Short(l, n)) return false;
    if (n + 1 >= int(l.lines.size()) || !Short(l, n + 1)) return true;
    // An entry whose text is one short line: still clearly longer than its headword.
    return l.lines[size_t(n) + 1].end > line.end + 2 * line.thickness;
}

bool Holds(StartRule rule, const PageLayout &l, int n, int glyphs, int column) {
    switch (rule) {
    case StartRule::Larger:
        return Larger(l, n);
    case StartRule::Outdent:
        return Outdent(l, n, column);
    case StartRule::Length:
        return Length(l, n, glyphs);
    case StartRule::Block:
        return l.lines[size_t(n)].blockStart;
    case StartRule::NextLine:
    case StartRule::Count:
        break;
    }
    return true;
}

// The line a placed entry starts: the one its position lies on, or else the last line that begins
// before it across.
int LineOf(const PageLayout &l, QPoint position) {
    const QPoint onScan = position - QPoint(kOverlayShift, 0);
    const int line = l.LineAt(onScan);
    if (line >= 0) return line;
    const int across = l.Across(onScan);
    int last = -1;
    for (int i = 0; i < int(l.lines.size()); ++i)
        if (l.lines[size_t(i)].acrossFirst <= across) last = i;
    return last;
}

// The lines entry `index` may start on: after the line of the last placed entry before it, before the
// line of the first placed entry after it; and how many unplaced entries come between the first of
// them and it.
struct Range {
    int first = 0;
    int end = 0; // one past the last
    int skip = 0;
};

Range RangeFor(const PageLayout &l, const std::vector<ScanEntry> &entries, int index) {
    Range r;
    r.end = int(l.lines.size());
    for (int j = index - 1; j >= 0; --j) {
        if (entries[size_t(j)].placed) {
            r.first = LineOf(l, entries[size_t(j)].position) + 1;
            break;
        }
        ++r.skip;
    }
    for (int j = index + 1; j < int(entries.size()); ++j)
        if (entries[size_t(j)].placed) {
            const int line = LineOf(l, entries[size_t(j)].position);
            if (line >= 0) r.end = std::min(r.end, line);
            break;
        }
    r.first = std::max(0, r.first);
    return r;
}

// The line a rule names: the (skip + 1)-th line in the range it holds for.
int RuleLine(StartRule rule, const PageLayout &l, const Range &r, int glyphs) {
    int skip = r.skip;
    const int column = rule == StartRule::Outdent ? OutdentColumn(l) : -1;
    for (int n = r.first; n < r.end; ++n)
        if (Holds(rule, l, n, glyphs, column) && skip-- == 0) return n;
    return -1;
}

} // namespace

void ProposalHabits::Learn(const PageLayout &layout, const std::vector<ScanEntry> &entries, int index) {
    if (index < 0 || index >= int(entries.size()) || !entries[size_t(index)].placed) return;
    const int truth = LineOf(layout, entries[size_t(index)].position);
    if (truth < 0) return;
    // As the capture met it: the entries after it not yet placed.
    std::vector<ScanEntry> met(entries.begin(), entries.begin() + index + 1);
    const Range range = RangeFor(layout, met, index);
    for (int rule = 0; rule < int(StartRule::Count); ++rule)
        if (RuleLine(StartRule(rule), layout, range, entries[size_t(index)].glyphs) == truth)
            ++hits_[size_t(rule)];
    ++trials_;
    const TextLine &line = layout.lines[size_t(truth)];
    if (line.thickness > 0) {
        const QPoint d = entries[size_t(index)].position - QPoint(kOverlayShift, 0) - line.firstGlyph;
        dx_.push_back(d.x() * 1000 / line.thickness);
        dy_.push_back(d.y() * 1000 / line.thickness);
    }
}

double ProposalHabits::Weight(StartRule rule) const {
    const size_t r = size_t(rule);
    return (hits_[r] + kPrior[r] * kPriorTrials) / (trials_ + kPriorTrials);
}

QPoint ProposalHabits::ClickOffset() const {
    // Per mille of the line's thickness: the median of what was learnt.
    if (dx_.empty()) return QPoint(0, 0);
    auto median = [](std::vector<int> v) {
        std::nth_element(v.begin(), v.begin() + long(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    return QPoint(median(dx_), median(dy_));
}

std::vector<PositionProposal> ProposePositions(const PageLayout &layout,
                                               const std::vector<ScanEntry> &entries, int index,
                                               const ProposalHabits &habits) {
    std::vector<PositionProposal> out;
    if (index < 0 || index >= int(entries.size()) || layout.lines.empty()) return out;
    const Range range = RangeFor(layout, entries, index);
    std::map<int, double> scores;
    for (int rule = 0; rule < int(StartRule::Count); ++rule) {
        const int line = RuleLine(StartRule(rule), layout, range, entries[size_t(index)].glyphs);
        if (line >= 0) scores[line] += habits.Weight(StartRule(rule));
    }
    // Every other line of the range stays a candidate, the nearer the likelier.
    for (int n = range.first; n < range.end; ++n)
        if (!scores.count(n)) scores[n] = 0.01 / (1 + n - range.first);
    const QPoint offset = habits.ClickOffset();
    for (const auto &[line, score] : scores) {
        const TextLine &l = layout.lines[size_t(line)];
        const QPoint click(int(std::lround(offset.x() * double(l.thickness) / 1000.0)),
                           int(std::lround(offset.y() * double(l.thickness) / 1000.0)));
        out.push_back({l.firstGlyph + click + QPoint(kOverlayShift, 0), line, score});
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const PositionProposal &a, const PositionProposal &b) { return a.score > b.score; });
    return out;
}

int HeadwordGlyphs(const QString &title) {
    static const QRegularExpression markup(QStringLiteral("<[^>]*>"));
    QString text = title;
    text.remove(markup);
    int glyphs = 0;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isSpace() || c == QChar(0x3000) || c.isLowSurrogate()) continue;
        ++glyphs;
    }
    return glyphs;
}
