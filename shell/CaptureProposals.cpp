#include "shell/CaptureProposals.h"

#include "corpus/NotebookStore.h"
#include "corpus/ReadingContext.h"
#include "corpus/ScanIndex.h"
#include "images/PageViewer.h"
#include "images/ScanLayouts.h"
#include "shell/CaptureSession.h"
#include "widgets/ErrorBoundary.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>

namespace {
// Candidates of one entry that Tab goes through.
constexpr size_t kCandidates = 6;
// Scans of other pages the habits are learnt from.
constexpr size_t kLessons = 8;

QString OneLine(const QString &title) {
    return QString(title).replace(QStringLiteral("<br>"), QStringLiteral(" "));
}

// What the notebook's placed entries teach: those of the scan itself (each as the capture met it)
// and those of the scans proposed on lately whose layouts are at hand.
struct Lesson {
    std::shared_ptr<const PageLayout> layout;
    std::vector<ScanEntry> entries;
};

ProposalHabits Learnt(const PageLayout &layout, const std::vector<ScanEntry> &entries, int except,
                      const std::vector<Lesson> &lessons) {
    ProposalHabits habits;
    for (const Lesson &l : lessons)
        for (int i = 0; i < int(l.entries.size()); ++i)
            if (l.entries[size_t(i)].placed) habits.Learn(*l.layout, l.entries, i);
    for (int i = 0; i < int(entries.size()); ++i)
        if (i != except && entries[size_t(i)].placed) habits.Learn(layout, entries, i);
    return habits;
}
} // namespace

CaptureProposals::CaptureProposals(CaptureSession &session, CaptureTargets &targets,
                                   const NotebookStore &store, const ReadingContext &context,
                                   PageViewer &viewer, QObject *parent)
    : QObject(parent), session_(session), targets_(targets), store_(store), context_(context),
      viewer_(viewer), asked_(std::make_shared<std::atomic<quint64>>(0)) {
    setObjectName(QStringLiteral("CaptureProposals"));
    QMenu *menu = viewer_.Menu();
    menu->addSeparator();
    proposeAll_ = menu->addAction(QStringLiteral("提議本頁所有條目\tA"));
    proposeAll_->setObjectName(QStringLiteral("proposeAll"));
    acceptAll_ = menu->addAction(QStringLiteral("全部採用提議\tCtrl+Enter"));
    acceptAll_->setObjectName(QStringLiteral("acceptAllProposals"));
    connect(menu, &QMenu::aboutToShow, this, [this] {
        proposeAll_->setEnabled(session_.IsRecording());
        acceptAll_->setEnabled(all_ && !viewer_.Proposals().IsEmpty());
    });
    connect(proposeAll_, &QAction::triggered, this, Guarded([this] { ProposeAll(); }));
    connect(acceptAll_, &QAction::triggered, this, Guarded([this] { AcceptAll(); }));
    viewer_.SetCaptureKeys([this](const QKeyEvent *event, bool act) { return TakeKey(event, act); });

    // After the pane has followed them: the scan of the new entry is shown by then.
    connect(&context_, &ReadingContext::ShownChanged, this, Guarded([this] { Refresh(); }));
    connect(&store_, &NotebookStore::PositionChanged, this, Guarded([this] { Refresh(); }));
    connect(&session_, &CaptureSession::RecordingChanged, this, Guarded([this](bool on) {
        if (!on) all_ = false;
        Refresh();
    }));
    connect(&viewer_, &PageViewer::ScanShown, this, Guarded([this] {
        all_ = false; // the numbered rings were the other scan's
        Refresh();
    }));
}

bool CaptureProposals::OnShownScan(NoteRef ref) const {
    return ref.isValid() && store_.Contains(ref) && !viewer_.CurrentPath().isEmpty() &&
           ScanIndex::Key(store_.Entry(ref).pageImage) == ScanIndex::Key(viewer_.CurrentPath());
}

CaptureProposals::ScanEntries CaptureProposals::EntriesAround(NoteRef anchor) const {
    ScanEntries out;
    const QList<NoteEntry> &records = store_.Set().books[size_t(anchor.book)].entries;
    out.path = records[anchor.entry].pageImage;
    const QString key = ScanIndex::Key(out.path);
    // The entries of a scan follow its page record in the notebook.
    const auto onScan = [&](int i) {
        return !records[i].isPage && ScanIndex::Key(records[i].pageImage) == key;
    };
    int first = anchor.entry;
    while (first > 0 && onScan(first - 1))
        --first;
    for (int i = first; i < int(records.size()) && onScan(i); ++i) {
        const NoteEntry &e = records[i];
        ScanEntry s;
        s.glyphs = HeadwordGlyphs(e.title);
        s.placed = e.HasPosition();
        s.position = QPoint(e.x, e.y);
        out.entries.push_back(s);
        out.refs.push_back(NoteRef{anchor.book, i});
    }
    return out;
}

void CaptureProposals::Remember(NoteRef anchor, const QString &path) {
    const QString key = ScanIndex::Key(path);
    for (auto it = recent_.begin(); it != recent_.end(); ++it)
        if (ScanIndex::Key(it->second) == key) {
            recent_.erase(it);
            break;
        }
    recent_.emplace_front(anchor, path);
    if (recent_.size() > kLessons * kNotebookCount) recent_.pop_back();
}

std::vector<CaptureProposals::ScanEntries> CaptureProposals::Lessons(int book, const QString &path) {
    std::vector<ScanEntries> out;
    const QString key = ScanIndex::Key(path);
    for (const auto &[anchor, scan] : recent_)
        if (anchor.book == book && ScanIndex::Key(scan) != key && store_.Contains(anchor) &&
            out.size() < kLessons)
            out.push_back(EntriesAround(anchor));
    return out;
}

void CaptureProposals::Refresh() {
    if (accepting_) return;
    ++*asked_; // whatever is on its way is dropped
    if (!viewer_.Proposals().IsEmpty()) viewer_.SetProposals({}, 0, false);
    if (!session_.IsRecording()) return;
    if (all_)
        AskForAll();
    else
        AskForTarget();
}

void CaptureProposals::AskForTarget() {
    const NoteRef target = targets_.Target();
    if (!OnShownScan(target) || store_.Entry(target).isPage) return;
    ScanEntries scan = EntriesAround(target);
    const int index = target.entry - scan.refs.front().entry;
    std::vector<ScanEntries> lessons = Lessons(target.book, scan.path);
    Remember(target, scan.path);
    const QString label = OneLine(store_.Entry(target).title);
    const quint64 asked = *asked_;
    const std::shared_ptr<std::atomic<quint64>> latest = asked_;
    ScanLayouts *layouts = viewer_.Layouts();
    const QPointer<CaptureProposals> self(this); // made here: the worker only carries it back
    layouts->Run(
        scan.path,
        [self, layouts, scan, index, lessons, label, target, asked,
         latest](const PageLayout *layout) -> ScanLayouts::Done {
            if (!layout) return {};
            std::vector<Lesson> learnt;
            for (const ScanEntries &l : lessons)
                if (auto cached = layouts->Cached(l.path)) learnt.push_back({cached, l.entries});
            const ProposalHabits habits = Learnt(*layout, scan.entries, index, learnt);
            std::vector<PositionProposal> candidates = ProposePositions(*layout, scan.entries, index, habits);
            if (candidates.size() > kCandidates) candidates.resize(kCandidates);
            std::vector<ProposalRing> rings;
            for (const PositionProposal &c : candidates)
                rings.push_back({c.position, label, target, 0});
            return [self, rings, asked, latest] {
                if (!self || *latest != asked || rings.empty())
                    return; // the scan or the target changed meanwhile
                self->viewer_.SetProposals(rings, 0, false);
            };
        },
        [asked, latest] { return *latest == asked; });
}

bool CaptureProposals::ProposeAll() {
    if (!session_.IsRecording()) return false;
    all_ = true;
    Refresh();
    return true;
}

void CaptureProposals::AskForAll() {
    // An entry of the scan shown: the one shown, the target, or any whose record names the scan.
    NoteRef anchor = context_.Shown().ref;
    if (!OnShownScan(anchor)) anchor = targets_.Target();
    for (int b = 0; b < kNotebookCount && !OnShownScan(anchor); ++b)
        for (int i = 0; i < int(store_.Set().books[size_t(b)].entries.size()); ++i)
            if (OnShownScan(NoteRef{b, i}) && !store_.Entry(NoteRef{b, i}).isPage) {
                anchor = NoteRef{b, i};
                break;
            }
    if (!OnShownScan(anchor) || store_.Entry(anchor).isPage) {
        all_ = false;
        return;
    }
    ScanEntries scan = EntriesAround(anchor);
    std::vector<QString> labels;
    for (const NoteRef &r : scan.refs)
        labels.push_back(OneLine(store_.Entry(r).title));
    std::vector<ScanEntries> lessons = Lessons(anchor.book, scan.path);
    const quint64 asked = *asked_;
    const std::shared_ptr<std::atomic<quint64>> latest = asked_;
    ScanLayouts *layouts = viewer_.Layouts();
    const QPointer<CaptureProposals> self(this);
    layouts->Run(
        scan.path,
        [self, layouts, scan, labels, lessons, asked, latest](const PageLayout *layout) -> ScanLayouts::Done {
            if (!layout) return {};
            std::vector<Lesson> learnt;
            for (const ScanEntries &l : lessons)
                if (auto cached = layouts->Cached(l.path)) learnt.push_back({cached, l.entries});
            const ProposalHabits habits = Learnt(*layout, scan.entries, -1, learnt);
            // As the capture would meet them: each unplaced entry after the ones proposed before it.
            std::vector<ScanEntry> met = scan.entries;
            std::vector<ProposalRing> rings;
            for (int i = 0; i < int(met.size()); ++i) {
                if (met[size_t(i)].placed) continue;
                const std::vector<PositionProposal> c = ProposePositions(*layout, met, i, habits);
                if (c.empty()) continue;
                met[size_t(i)].placed = true;
                met[size_t(i)].position = c.front().position;
                rings.push_back(
                    {c.front().position, labels[size_t(i)], scan.refs[size_t(i)], int(rings.size()) + 1});
            }
            return [self, rings, asked, latest] {
                if (!self || *latest != asked) return;
                if (rings.empty()) {
                    self->all_ = false; // nothing left to propose on this scan
                    return;
                }
                self->viewer_.SetProposals(rings, 0, true);
            };
        },
        [asked, latest] { return *latest == asked; });
}

bool CaptureProposals::AcceptCurrent() {
    const ProposalRings &shown = viewer_.Proposals();
    if (shown.IsEmpty() || !session_.IsRecording()) return false;
    const ProposalRing ring = shown.Rings()[size_t(shown.Current())];
    if (!all_) {
        // Exactly as a right click there: into the target, and the list steps on.
        session_.RecordAt(ring.pos.x(), ring.pos.y());
        return true;
    }
    session_.Record(ring.ref, ring.pos.x(), ring.pos.y());
    session_.RefreshCaption(
        QStringLiteral("已記錄 %1：x=%2, y=%3").arg(ring.label).arg(ring.pos.x()).arg(ring.pos.y()));
    return true;
}

int CaptureProposals::AcceptAll() {
    if (!all_ || !session_.IsRecording()) return 0;
    const std::vector<ProposalRing> rings = viewer_.Proposals().Rings();
    accepting_ = true;
    try {
        for (const ProposalRing &ring : rings)
            session_.Record(ring.ref, ring.pos.x(), ring.pos.y());
    } catch (...) {
        accepting_ = false;
        throw;
    }
    accepting_ = false;
    all_ = false;
    session_.RefreshCaption(QStringLiteral("已記錄本頁 %1 條").arg(rings.size()));
    Refresh();
    return int(rings.size());
}

bool CaptureProposals::TakeKey(const QKeyEvent *event, bool act) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    const bool shown = !viewer_.Proposals().IsEmpty();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (mods == Qt::NoModifier && key == Qt::Key_A) {
        if (act) ProposeAll();
        return true;
    }
    if (mods == Qt::ControlModifier && enter && all_ && shown) {
        if (act) AcceptAll();
        return true;
    }
    if (mods == Qt::NoModifier && key == Qt::Key_Escape && all_) {
        if (act) {
            all_ = false;
            Refresh();
        }
        return true;
    }
    const NoteRef target = targets_.Target();
    if (!shown && mods == Qt::NoModifier && (enter || key == Qt::Key_Space) && !all_ && target.isValid() &&
        store_.Contains(target) && store_.Entry(target).isPage) {
        // A page header takes no position: Enter steps over it as a right click would.
        if (act) session_.RecordAt(0, 0);
        return true;
    }
    if (!shown) return false;
    if (mods == Qt::NoModifier && (enter || key == Qt::Key_Space)) {
        if (act) AcceptCurrent();
        return true;
    }
    const bool back = key == Qt::Key_Backtab || (key == Qt::Key_Tab && mods == Qt::ShiftModifier);
    if ((key == Qt::Key_Tab && mods == Qt::NoModifier) || back) {
        const ProposalRings &rings = viewer_.Proposals();
        const int next = rings.Current() + (back ? -1 : 1);
        // Past the last candidate (or before the first) Tab goes on to the next control.
        if (next < 0 || next >= int(rings.Rings().size())) return false;
        if (act) viewer_.SetCurrentProposal(next);
        return true;
    }
    return false;
}
