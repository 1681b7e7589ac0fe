#include "images/ScanMap.h"

#include "corpus/ScanIndex.h"
#include "images/ScanLayouts.h"
#include "images/ViewerMath.h"
#include "images/WrittenRegions.h"
#include "widgets/ErrorBoundary.h"

#include <algorithm>

namespace {
bool RefBefore(const NoteRef &a, const NoteRef &b) {
    return a.book != b.book ? a.book < b.book : a.entry < b.entry;
}
} // namespace

ScanMap::ScanMap(ScanLayouts *layouts, QObject *parent)
    : QObject(parent), layouts_(layouts), asked_(std::make_shared<std::atomic<quint64>>(0)) {}

void ScanMap::SetIndex(ScanIndex *index) {
    if (index_) disconnect(index_, nullptr, this, nullptr);
    index_ = index;
    if (index_) connect(index_, &ScanIndex::Changed, this, Guarded([this] { Refresh(); }));
    Refresh();
}

void ScanMap::SetHits(std::vector<NoteRef> hits) {
    if (!std::is_sorted(hits.begin(), hits.end(), RefBefore)) std::sort(hits.begin(), hits.end(), RefBefore);
    hits_ = std::move(hits);
    Refresh();
}

void ScanMap::Show(const QString &path) {
    path_ = path;
    Refresh();
}

void ScanMap::Refresh() {
    std::vector<ScanMark> marks;
    // Before the index is built (it comes after the first paint) only the hits need it at once.
    if (index_ && !path_.isEmpty() && (index_->IsBuilt() || !hits_.empty())) {
        const std::vector<PlacedEntry> &placed = index_->On(path_);
        marks.reserve(placed.size());
        for (const PlacedEntry &p : placed)
            marks.push_back({p.pos, QString(p.title).replace(QStringLiteral("<br>"), QStringLiteral(" ")),
                             std::binary_search(hits_.begin(), hits_.end(), p.ref, RefBefore), p.ref});
    }
    marks_.Set(std::move(marks));
    Q_EMIT Changed();
    AskRegions();
}

void ScanMap::AskRegions() {
    const quint64 asked = ++*asked_;
    if (marks_.Marks().empty()) return;
    std::vector<QPoint> positions;
    for (const ScanMark &m : marks_.Marks())
        positions.push_back(m.pos);
    const std::shared_ptr<std::atomic<quint64>> latest = asked_;
    layouts_->Run(
        path_,
        [this, asked, latest, positions](const PageLayout *layout) -> ScanLayouts::Done {
            if (!layout) return {};
            auto regions = std::make_shared<std::vector<WrittenRegion>>(WrittenRegions(*layout, positions));
            return [this, asked, latest, regions] {
                if (*latest == asked) // else the marks changed meanwhile: a later answer is on its way
                    marks_.SetRegions(std::move(*regions));
            };
        },
        [asked, latest] { return *latest == asked; });
}

NoteRef ScanMap::EntryAt(QPoint p, double radius) {
    if (index_ && !index_->IsBuilt() && !path_.isEmpty()) {
        index_->Build(); // asked for before the first paint built it
        Refresh();
    }
    return marks_.EntryAt(p, radius);
}

QString ScanMap::LabelAt(QPoint overlayPoint, double rate) const {
    int at = marks_.MarkAt(overlayPoint, rate);
    // Over an entry's writing its headword shows too, marks on or off.
    if (at < 0)
        at = marks_.RegionAt(QPoint(viewer::CapturedCoord(overlayPoint.x(), float(rate)),
                                    viewer::CapturedCoord(overlayPoint.y(), float(rate))));
    return at < 0 ? QString() : marks_.Marks()[size_t(at)].label;
}
