// A scan's layout, the position proposals drawn from it and the entries' written regions, on small
// pages drawn in four hands with the furniture that is not writing (rules, a running head, a page
// number, specks).
#include "common/Error.h"
#include "images/PageLayout.h"
#include "images/PositionProposals.h"
#include "images/ScanGrey.h"
#include "images/WrittenRegions.h"
#include "support/DrawnScan.h"

#include <QtTest>

#include <cmath>

Q_DECLARE_METATYPE(DrawnHand)

namespace {

constexpr int kShift = 3; // stored positions are measured from the overlay, 3 pixels left of the scan

PageLayout LayoutOf(const DrawnPage &page) {
    return ReadPageLayout(DecodeScanGrey(page.scan.Jpeg(), 4, "page"));
}

double Distance(QPoint a, QPoint b) {
    return std::hypot(double(a.x() - b.x()), double(a.y() - b.y()));
}

std::vector<ScanEntry> Entries(const DrawnPage &page, QPoint click = QPoint()) {
    std::vector<ScanEntry> entries;
    for (size_t i = 0; i < page.starts.size(); ++i)
        entries.push_back({page.glyphs[i], false, page.starts[i] + click + QPoint(kShift, 0)});
    return entries;
}

} // namespace

class TestPageLayout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void linesOfEachHand_data() {
        QTest::addColumn<DrawnHand>("hand");
        QTest::addColumn<int>("lines");
        QTest::newRow("larger headwords") << DrawnHand::Larger << 6 + 2 + 1 + 3 + 2 + 1 + 2;
        QTest::newRow("outdented headwords") << DrawnHand::Outdent << 2 + 1 + 3 + 2 + 1 + 2;
        QTest::newRow("headwords alone") << DrawnHand::Length << 6 + 2 + 1 + 3 + 2 + 1 + 2;
        QTest::newRow("columns") << DrawnHand::Columns << 2 + 1 + 3 + 2 + 1 + 2;
    }
    // Every line of writing and nothing else: the rules, the running head, the page number and the
    // specks are not lines, and each entry's first glyph is found where it was drawn.
    void linesOfEachHand() {
        QFETCH(DrawnHand, hand);
        QFETCH(int, lines);
        const DrawnPage page = DrawPage(hand);
        const PageLayout layout = LayoutOf(page);
        QCOMPARE(layout.direction, hand == DrawnHand::Columns ? WritingDirection::VerticalRightToLeft
                                                              : WritingDirection::Horizontal);
        QCOMPARE(int(layout.lines.size()), lines);
        for (QPoint start : page.starts) {
            const int line = layout.LineAt(start);
            QVERIFY2(line >= 0, "an entry's first glyph lies on no line");
            QVERIFY2(Distance(layout.lines[size_t(line)].firstGlyph, start) < 12,
                     qPrintable(QStringLiteral("first glyph found at %1,%2, drawn at %3,%4")
                                    .arg(layout.lines[size_t(line)].firstGlyph.x())
                                    .arg(layout.lines[size_t(line)].firstGlyph.y())
                                    .arg(start.x())
                                    .arg(start.y())));
        }
        // Reading order: down the page, or columns from the right.
        for (size_t i = 1; i < layout.lines.size(); ++i)
            QVERIFY(layout.lines[i].acrossFirst > layout.lines[i - 1].acrossLast);
    }

    void proposalsAsTheCaptureMeetsTheEntries_data() { linesOfEachHand_data(); }
    // Each entry proposed with those before it placed and those after it not, as the capture meets
    // them, with the habits learnt from the entries met so far: the best proposal is the headword.
    void proposalsAsTheCaptureMeetsTheEntries() {
        QFETCH(DrawnHand, hand);
        const DrawnPage page = DrawPage(hand);
        const PageLayout layout = LayoutOf(page);
        std::vector<ScanEntry> entries = Entries(page);
        ProposalHabits habits;
        for (int i = 0; i < int(entries.size()); ++i) {
            const auto proposals = ProposePositions(layout, entries, i, habits);
            QVERIFY(!proposals.empty());
            QVERIFY2(Distance(proposals.front().position, entries[size_t(i)].position) <= 45,
                     qPrintable(QStringLiteral("entry %1 proposed at %2,%3")
                                    .arg(i)
                                    .arg(proposals.front().position.x())
                                    .arg(proposals.front().position.y())));
            // The other lines stay candidates, ranked below.
            QVERIFY(proposals.size() > 1);
            entries[size_t(i)].placed = true;
            habits.Learn(layout, entries, i);
        }
        QCOMPARE(habits.Trials(), int(entries.size()));
    }

    // Entries skipped by the capture are counted: with the first two placed and the third and fourth
    // not, the fifth is proposed two entry starts further on; a placed entry after it bounds it.
    void unplacedEntriesBetweenAndAfter() {
        const DrawnPage page = DrawPage(DrawnHand::Larger);
        const PageLayout layout = LayoutOf(page);
        std::vector<ScanEntry> entries = Entries(page);
        entries[0].placed = entries[1].placed = true;
        const ProposalHabits none;
        const auto fifth = ProposePositions(layout, entries, 4, none);
        QVERIFY(Distance(fifth.front().position, entries[4].position) <= 45);
        entries[5].placed = true;
        for (const PositionProposal &p : ProposePositions(layout, entries, 2, none))
            QVERIFY2(p.position.y() < entries[5].position.y(), "a candidate after the next placed entry");
    }

    // The person clicks in the margin before each headword: once placed entries show it, proposals
    // follow (the first one, with nothing learnt, is at the glyph).
    void clickHabitIsLearnt() {
        const DrawnPage page = DrawPage(DrawnHand::Length);
        const PageLayout layout = LayoutOf(page);
        const QPoint margin(-60, 0);
        std::vector<ScanEntry> entries = Entries(page, margin);
        ProposalHabits habits;
        QVERIFY(Distance(ProposePositions(layout, entries, 0, habits).front().position, entries[0].position) >
                45);
        for (int i = 0; i < 3; ++i) {
            entries[size_t(i)].placed = true;
            habits.Learn(layout, entries, i);
        }
        QVERIFY(Distance(ProposePositions(layout, entries, 3, habits).front().position,
                         entries[3].position) <= 8);
    }

    void writtenRegions_data() { linesOfEachHand_data(); }
    // An entry owns its writing up to the next entry's position: the headword's later glyphs and its
    // text are its own, the next headword is not, and the stored position always is.
    void writtenRegions() {
        QFETCH(DrawnHand, hand);
        const DrawnPage page = DrawPage(hand);
        const PageLayout layout = LayoutOf(page);
        std::vector<QPoint> positions;
        for (QPoint p : page.starts)
            positions.push_back(p + QPoint(kShift, 0));
        const auto regions = WrittenRegions(layout, positions);
        QCOMPARE(regions.size(), positions.size());
        const bool down = hand == DrawnHand::Columns;
        for (size_t i = 0; i < positions.size(); ++i) {
            QVERIFY(regions[i].Contains(positions[i]));
            QCOMPARE(RegionAt(regions, positions, positions[i]), int(i));
            // The headword's last glyph, well away from the position.
            const int g = hand == DrawnHand::Larger ? 44 : 30;
            const QPoint last = positions[i] + (down ? QPoint(0, (page.glyphs[i] - 1) * g)
                                                     : QPoint((page.glyphs[i] - 1) * g, 0));
            QCOMPARE(RegionAt(regions, positions, last), int(i));
            if (i + 1 < positions.size())
                QCOMPARE(
                    RegionAt(regions, positions, positions[i + 1] + (down ? QPoint(0, g) : QPoint(g, 0))),
                    int(i + 1));
        }
        // A position off every line still holds its entry.
        const std::vector<QPoint> off{QPoint(1200, 1740)};
        QVERIFY(WrittenRegions(layout, off).front().Contains(off.front()));
    }

    // What is not a scan is said in the reader's words and naming the file.
    void badScans() {
        QByteArray cut = DrawPage(DrawnHand::Larger).scan.Jpeg();
        cut.chop(cut.size() / 2);
        const struct {
            QByteArray bytes;
            const char *words;
        } cases[] = {
            {"not a picture", "這不是 JPEG 圖檔"}, {cut, "檔案不完整"}, {QByteArray(), "檔案是空的"}};
        for (const auto &c : cases) {
            try {
                DecodeScanGrey(c.bytes, 4, QStringLiteral("K001.jpg"));
                QFAIL("no error");
            } catch (const VelmoraError &e) {
                QVERIFY2(e.message().contains(QString::fromUtf8(c.words)) && e.message().contains("K001.jpg"),
                         qPrintable(e.message()));
            }
        }
        try {
            ReadScanGrey(QStringLiteral("/nonexistent/K001.jpg"), 4);
            QFAIL("no error");
        } catch (const VelmoraError &e) {
            QVERIFY(e.message().startsWith("Cannot open file"));
        }
    }

    // Headword lengths: markup and blanks do not count, a character beyond the first plane counts once.
    void headwordGlyphs() {
        QCOMPARE(HeadwordGlyphs(QStringLiteral("　學而<b>時</b>習之")), 5);
        QCOMPARE(HeadwordGlyphs(QStringLiteral("𠀀字")), 2);
        QCOMPARE(HeadwordGlyphs(QString()), 0);
    }
};

QTEST_GUILESS_MAIN(TestPageLayout)
#include "tst_pagelayout.moc"
