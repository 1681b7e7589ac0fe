#include "images/NotebookProposals.h"

#include "common/Error.h"
#include "images/ScanGrey.h"

#include <QHash>

#include <memory>

namespace {

// A quarter of the scan's size keeps a glyph of the writing some fifteen pixels large: enough for its
// lines, and a sixteenth of the decode.
constexpr int kLayoutScale = 4;

struct Scan {
    QString path;
    std::vector<int> records; // the entry records on it, in order
    std::unique_ptr<PageLayout> layout;
    bool failed = false;
};

} // namespace

NotebookProposals ProposeNotebook(const QList<NoteEntry> &records, const QString &folder, bool all) {
    NotebookProposals result;
    // The scans in the order of their first entry; entries in notebook order on each.
    std::vector<Scan> scans;
    QHash<QString, int> scanOf;
    std::vector<int> scanOfRecord(size_t(records.size()), -1), slotOfRecord(size_t(records.size()), -1);
    for (int r = 0; r < int(records.size()); ++r) {
        const NoteEntry &e = records[r];
        if (e.isPage || e.pageImage.isEmpty()) continue;
        QString key = e.pageImage.toCaseFolded();
        key.replace(QLatin1Char('/'), QLatin1Char('\\'));
        auto it = scanOf.find(key);
        if (it == scanOf.end()) {
            it = scanOf.insert(key, int(scans.size()));
            scans.push_back(Scan{folder + QLatin1Char('/') + e.pageImage, {}, nullptr, false});
        }
        scanOfRecord[size_t(r)] = *it;
        slotOfRecord[size_t(r)] = int(scans[size_t(*it)].records.size());
        scans[size_t(*it)].records.push_back(r);
    }
    const auto layoutOf = [&](Scan &scan) -> const PageLayout * {
        if (!scan.layout && !scan.failed) {
            try {
                scan.layout =
                    std::make_unique<PageLayout>(ReadPageLayout(ReadScanGrey(scan.path, kLayoutScale)));
                ++result.scans;
            } catch (const VelmoraError &e) {
                scan.failed = true;
                result.errors << e.message();
            }
        }
        return scan.layout.get();
    };
    // The scan's entries as the capture meets entry `slot`: placed before it as the records say.
    const auto metAt = [&](const Scan &scan, int slot, bool keepLater) {
        std::vector<ScanEntry> entries;
        for (int i = 0; i < int(scan.records.size()); ++i) {
            const NoteEntry &e = records[scan.records[size_t(i)]];
            ScanEntry s;
            s.glyphs = HeadwordGlyphs(e.title);
            s.placed = e.HasPosition() && (i < slot || (keepLater && i > slot));
            s.position = QPoint(e.x, e.y);
            entries.push_back(s);
        }
        return entries;
    };

    ProposalHabits habits;
    if (!all) {
        // What the notebook's placed entries teach, each as the capture met it.
        for (Scan &scan : scans)
            for (int i = 0; i < int(scan.records.size()); ++i)
                if (records[scan.records[size_t(i)]].HasPosition())
                    if (const PageLayout *layout = layoutOf(scan)) {
                        std::vector<ScanEntry> entries = metAt(scan, i, false);
                        entries[size_t(i)].placed = true;
                        habits.Learn(*layout, entries, i);
                    }
    }
    for (int r = 0; r < int(records.size()); ++r) {
        const NoteEntry &e = records[r];
        if (e.isPage || (!all && e.HasPosition())) continue;
        EntryProposal proposal;
        proposal.record = r;
        if (scanOfRecord[size_t(r)] >= 0) {
            Scan &scan = scans[size_t(scanOfRecord[size_t(r)])];
            const int slot = slotOfRecord[size_t(r)];
            if (const PageLayout *layout = layoutOf(scan)) {
                // Without --all the placed entries after it bound it too; with it, nothing after it is
                // placed.
                std::vector<ScanEntry> entries = metAt(scan, slot, !all);
                const auto candidates = ProposePositions(*layout, entries, slot, habits);
                if (!candidates.empty()) {
                    proposal.found = true;
                    proposal.position = candidates.front().position;
                }
                if (all && e.HasPosition()) {
                    // The capture records it where the file says: learnt from before the next entry.
                    entries[size_t(slot)].placed = true;
                    habits.Learn(*layout, entries, slot);
                }
            }
        }
        result.entries.push_back(proposal);
    }
    return result;
}
