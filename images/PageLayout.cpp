#include "images/PageLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

struct Mask {
    int w = 0;
    int h = 0;
    std::vector<uint8_t> ink;
    uint8_t &At(int x, int y) { return ink[size_t(y) * size_t(w) + size_t(x)]; }
    uint8_t At(int x, int y) const { return ink[size_t(y) * size_t(w) + size_t(x)]; }
};

int Median(std::vector<int> v) {
    if (v.empty()) return 0;
    std::nth_element(v.begin(), v.begin() + long(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// The paper's level: the commonest light grey. Ink is what stands clearly darker than it, so a
// scanner's darkened edges and faint printed rules stay paper.
Mask Ink(const ScanGrey &grey) {
    long histogram[256] = {};
    for (unsigned char v : grey.pixels)
        ++histogram[v];
    int paper = 255;
    long best = -1;
    for (int level = 96; level < 256; ++level) {
        long around = 0;
        for (int d = -3; d <= 3; ++d)
            around += histogram[std::clamp(level + d, 0, 255)];
        if (around > best) best = around, paper = level;
    }
    const int threshold = paper - std::max(40, paper / 5);
    Mask m;
    m.w = grey.width;
    m.h = grey.height;
    m.ink.resize(grey.pixels.size());
    for (size_t i = 0; i < grey.pixels.size(); ++i)
        m.ink[i] = grey.pixels[i] < threshold ? 1 : 0;
    return m;
}

// Ruled lines: runs of ink far longer than any stroke of a glyph, along a row or a column, and thin:
// paper a little to either side of most of their length (strokes of neighbouring glyphs lined up
// have the rest of their glyphs beside them). A rule comes out of the scan broken here and there, so
// short breaks do not end a run.
void RemoveRules(Mask &m) {
    constexpr int kBreak = 3;
    const auto clearRuns = [&](int lines, int length, int minRun, auto &&at) {
        const auto ink = [&](int i, int j) { return i >= 0 && i < lines && at(i, j) != 0; };
        for (int i = 0; i < lines; ++i)
            for (int j = 0; j < length;) {
                if (!at(i, j)) {
                    ++j;
                    continue;
                }
                int e = j, last = j, inked = 0, thin = 0;
                while (e < length && e - last <= kBreak) {
                    if (at(i, e)) {
                        last = e;
                        ++inked;
                        thin += !ink(i - 2, e) && !ink(i + 2, e);
                    }
                    ++e;
                }
                if (last - j + 1 >= minRun && thin * 4 >= inked * 3)
                    for (int k = j; k <= last; ++k)
                        if (at(i, k)) at(i, k) = 2;
                j = last + 1;
            }
    };
    clearRuns(m.h, m.w, std::max(8, m.w / 5), [&](int y, int x) -> uint8_t & { return m.At(x, y); });
    clearRuns(m.w, m.h, std::max(8, m.h / 5), [&](int x, int y) -> uint8_t & { return m.At(x, y); });
    for (uint8_t &v : m.ink)
        if (v == 2) v = 0;
}

// Specks: small blots of ink standing alone, no larger than a full stop of the writing.
void RemoveSpecks(Mask &m) {
    std::vector<int> stack, blot;
    std::vector<uint8_t> seen(m.ink.size(), 0);
    for (int start = 0; start < int(m.ink.size()); ++start) {
        if (!m.ink[size_t(start)] || seen[size_t(start)]) continue;
        stack.assign(1, start);
        blot.clear();
        seen[size_t(start)] = 1;
        int x0 = m.w, x1 = -1, y0 = m.h, y1 = -1;
        while (!stack.empty()) {
            const int i = stack.back();
            stack.pop_back();
            blot.push_back(i);
            const int x = i % m.w, y = i / m.w;
            x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= m.w || ny >= m.h) continue;
                    const int n = ny * m.w + nx;
                    if (m.ink[size_t(n)] && !seen[size_t(n)]) {
                        seen[size_t(n)] = 1;
                        stack.push_back(n);
                    }
                }
        }
        if (blot.size() <= 12 && x1 - x0 < 4 && y1 - y0 < 4)
            for (int i : blot)
                m.ink[size_t(i)] = 0;
    }
}

// Runs of ink along one axis of the mask: [first, last] index pairs of the profile, joined across
// gaps shorter than `minGap`.
std::vector<std::pair<int, int>> Segments(const std::vector<int> &profile, int minGap) {
    std::vector<std::pair<int, int>> out;
    for (int i = 0; i < int(profile.size()); ++i) {
        if (!profile[size_t(i)]) continue;
        if (!out.empty() && i - out.back().second - 1 < minGap)
            out.back().second = i;
        else
            out.push_back({i, i});
    }
    return out;
}

std::vector<int> RowProfile(const Mask &m) {
    std::vector<int> p(size_t(m.h), 0);
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x)
            p[size_t(y)] += m.At(x, y);
    return p;
}

std::vector<int> ColumnProfile(const Mask &m) {
    std::vector<int> p(size_t(m.w), 0);
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x)
            p[size_t(x)] += m.At(x, y);
    return p;
}

// A running head or a page number: a thin band of ink at the top or bottom edge of the sheet, standing
// well apart from the writing; at a side edge, a short one.
void RemoveMarginMarks(Mask &m) {
    const int gap = std::max(2, m.h / 50);
    {
        const auto rows = Segments(RowProfile(m), gap);
        if (rows.size() >= 2) {
            const auto clearRows = [&](int a, int b) {
                for (int y = a; y <= b; ++y)
                    std::fill_n(m.ink.begin() + long(y) * m.w, m.w, 0);
            };
            if (rows.front().second < m.h * 8 / 100 && rows.front().second - rows.front().first < m.h / 25)
                clearRows(rows.front().first, rows.front().second);
            if (rows.back().first > m.h * 92 / 100 && rows.back().second - rows.back().first < m.h / 25)
                clearRows(rows.back().first, rows.back().second);
        }
    }
    const auto columns = Segments(ColumnProfile(m), std::max(2, m.w / 50));
    if (columns.size() >= 2) {
        const auto clearShort = [&](int a, int b) {
            int top = m.h, bottom = -1;
            for (int x = a; x <= b; ++x)
                for (int y = 0; y < m.h; ++y)
                    if (m.At(x, y)) top = std::min(top, y), bottom = std::max(bottom, y);
            if (bottom - top < m.h * 3 / 10)
                for (int x = a; x <= b; ++x)
                    for (int y = 0; y < m.h; ++y)
                        m.At(x, y) = 0;
        };
        if (columns.front().second < m.w * 8 / 100 &&
            columns.front().second - columns.front().first < m.w / 25)
            clearShort(columns.front().first, columns.front().second);
        if (columns.back().first > m.w * 92 / 100 && columns.back().second - columns.back().first < m.w / 25)
            clearShort(columns.back().first, columns.back().second);
    }
}

// How much of the writing's extent along a profile is empty in stretches of two pixels or more: the
// space between lines. Across the lines of a page it is large; along them, glyphs of neighbouring
// lines rarely leave the same gaps.
double Emptiness(const std::vector<int> &profile) {
    int first = -1, last = -1;
    for (int i = 0; i < int(profile.size()); ++i)
        if (profile[size_t(i)]) {
            if (first < 0) first = i;
            last = i;
        }
    if (first < 0 || last <= first) return 0;
    int empty = 0;
    for (int i = first; i <= last;) {
        int e = i;
        while (e <= last && !profile[size_t(e)])
            ++e;
        if (e - i >= 2) empty += e - i;
        i = e + 1;
    }
    return double(empty) / double(last - first + 1);
}

// The mask seen in the writing's frame: across the lines, and along them.
struct Frame {
    const Mask &m;
    bool vertical;
    int AcrossSize() const { return vertical ? m.w : m.h; }
    int AlongSize() const { return vertical ? m.h : m.w; }
    bool Ink(int across, int along) const {
        return vertical ? m.At(m.w - 1 - across, along) : m.At(along, across);
    }
};

} // namespace

int PageLayout::Along(QPoint p) const {
    return direction == WritingDirection::Horizontal ? p.x() : p.y();
}
int PageLayout::Across(QPoint p) const {
    return direction == WritingDirection::Horizontal ? p.y() : width - 1 - p.x();
}
QPoint PageLayout::ScanPoint(int along, int across) const {
    return direction == WritingDirection::Horizontal ? QPoint(along, across)
                                                     : QPoint(width - 1 - across, along);
}

int PageLayout::LineAt(QPoint p) const {
    const int along = Along(p), across = Across(p);
    int best = -1, bestDistance = 0;
    for (int i = 0; i < int(lines.size()); ++i) {
        const TextLine &l = lines[size_t(i)];
        if (along < l.start - l.thickness || along > l.end + l.thickness / 2) continue;
        const int d = across < l.acrossFirst  ? l.acrossFirst - across
                      : across > l.acrossLast ? across - l.acrossLast
                                              : 0;
        if (d <= l.thickness && (best < 0 || d < bestDistance)) best = i, bestDistance = d;
    }
    return best;
}

PageLayout ReadPageLayout(const ScanGrey &grey) {
    PageLayout layout;
    layout.width = grey.fullWidth;
    layout.height = grey.fullHeight;
    if (grey.width < 8 || grey.height < 8) return layout;
    const int s = grey.scale;
    Mask m = Ink(grey);
    RemoveRules(m);
    RemoveSpecks(m);
    RemoveMarginMarks(m);

    const bool vertical = Emptiness(ColumnProfile(m)) > 1.15 * Emptiness(RowProfile(m));
    layout.direction = vertical ? WritingDirection::VerticalRightToLeft : WritingDirection::Horizontal;
    const Frame f{m, vertical};

    std::vector<int> across(size_t(f.AcrossSize()), 0);
    for (int a = 0; a < f.AcrossSize(); ++a)
        for (int b = 0; b < f.AlongSize(); ++b)
            across[size_t(a)] += f.Ink(a, b);
    // Lines first as runs of inked rows (a row emptied by a rule through the glyphs does not end one);
    // parts of one line split by a thin gap join again, up to half as thick again as a line.
    auto runs = Segments(across, 2);
    std::vector<int> thick;
    for (const auto &r : runs)
        if (r.second - r.first >= 1) thick.push_back(r.second - r.first + 1);
    const int typical = std::max(1, Median(thick));
    std::vector<std::pair<int, int>> lines;
    for (const auto &r : runs) {
        if (!lines.empty() && r.first - lines.back().second - 1 <= std::max(2, typical / 5) &&
            r.second - lines.back().first + 1 <= typical * 8 / 5)
            lines.back().second = r.second;
        else
            lines.push_back(r);
    }
    thick.clear();
    for (const auto &r : lines)
        thick.push_back(r.second - r.first + 1);
    const int lineThickness = std::max(1, Median(thick));

    const auto full = [&](int along, int acrossPos) {
        return layout.ScanPoint(along * s + s / 2, acrossPos * s + s / 2);
    };
    std::vector<int> along(size_t(f.AlongSize()));
    for (const auto &r : lines) {
        const int t = r.second - r.first + 1;
        if (t * 3 < lineThickness) continue; // a stray mark between lines, not a line of writing
        std::fill(along.begin(), along.end(), 0);
        for (int a = r.first; a <= r.second; ++a)
            for (int b = 0; b < f.AlongSize(); ++b)
                along[size_t(b)] += f.Ink(a, b);
        auto parts = Segments(along, std::max(1, t / 8));
        // A small mark standing far from the rest of the line is not where its writing begins or ends.
        while (parts.size() >= 2 && parts.front().second - parts.front().first < t * 2 / 5 &&
               parts[1].first - parts.front().second > t * 6 / 5)
            parts.erase(parts.begin());
        while (parts.size() >= 2 && parts.back().second - parts.back().first < t * 2 / 5 &&
               parts.back().first - parts[parts.size() - 2].second > t * 6 / 5)
            parts.pop_back();
        if (parts.empty()) continue;
        TextLine line;
        const int b0 = parts.front().first, b1 = parts.back().second;
        line.thickness = t * s;
        line.start = b0 * s;
        line.end = (b1 + 1) * s;
        line.acrossFirst = r.first * s;
        line.acrossLast = (r.second + 1) * s;
        // Glyphs: the line's extent over their pitch, the usual step from one part of the line to the
        // next (a glyph of two parts makes a short step now and then, which the median passes over).
        std::vector<int> steps;
        for (size_t k = 1; k < parts.size(); ++k)
            if ((parts[k].first - parts[k - 1].first) * 2 >= t)
                steps.push_back(parts[k].first - parts[k - 1].first);
        const double pitch = std::clamp(steps.empty() ? t * 1.02 : double(Median(steps)), t * 0.8, t * 1.6);
        line.glyphs = std::max(1, int(std::lround((b1 - b0 + 1) / pitch + 0.2)));
        // The first glyph: as long as the line is thick; its middle across is that of its own ink.
        const int g1 = std::min(b1, b0 + t - 1);
        int lo = r.second, hi = r.first;
        for (int a = r.first; a <= r.second; ++a)
            for (int b = b0; b <= g1; ++b)
                if (f.Ink(a, b)) {
                    lo = std::min(lo, a), hi = std::max(hi, a);
                    break;
                }
        if (hi < lo) lo = r.first, hi = r.second;
        line.firstGlyph = layout.ScanPoint((b0 + g1 + 1) * s / 2, (lo + hi + 1) * s / 2);
        const QPoint c1 = full(b0, r.first), c2 = full(b1, r.second);
        line.box = QRect(c1, c2).normalized().adjusted(-s / 2, -s / 2, s / 2, s / 2);
        layout.lines.push_back(line);
    }

    std::vector<int> gaps, thicknesses, ends;
    for (size_t i = 0; i < layout.lines.size(); ++i) {
        TextLine &l = layout.lines[i];
        l.gapBefore = i ? l.acrossFirst - layout.lines[i - 1].acrossLast : l.acrossFirst;
        if (i) gaps.push_back(l.gapBefore);
        thicknesses.push_back(l.thickness);
        ends.push_back(l.end);
    }
    layout.medianThickness = Median(thicknesses);
    layout.medianGap = Median(gaps);
    // The usual end of a full line: the upper quartile of the ends.
    if (!ends.empty()) {
        std::sort(ends.begin(), ends.end());
        layout.fullEnd = ends[ends.size() * 3 / 4];
    }
    const int blockGap = std::max(layout.medianGap * 8 / 5, layout.medianGap + layout.medianThickness / 2);
    for (size_t i = 0; i < layout.lines.size(); ++i)
        layout.lines[i].blockStart = i == 0 || layout.lines[i].gapBefore > blockGap;
    return layout;
}
