// Times EntrySearch::Find for queries typed one character at a time over notes files, beside a plain
// scan of the same (already tag-stripped) texts with QString::indexOf, measured in the same run.
// Each typing session starts from a new search, as after start-up, so no keystroke profits from an
// earlier session. Also the character index's build time over those texts and its memory, beside
// the size of the notes files. The same keystrokes again with folding of variant characters on, beside
// a plain scan of texts folded beforehand, and the memory of the fold class table and of the folded
// buffers. Usage: velmora-bench-search FOLDER LABEL [SESSIONS]

#include "bench/BenchRecord.h"
#include "display/CharIndex.h"
#include "display/FoldClasses.h"
#include "display/Search.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// The searched texts of one record as the plain scan sees them: markup already removed from the
// notes, remarks and sources, so the scan does nothing but indexOf.
struct PlainRecord {
    QString title, content, note, remark, source;
};

qsizetype PlainScan(const std::vector<std::vector<PlainRecord>> &books, const QString &q) {
    qsizetype hits = 0;
    for (const auto &book : books)
        for (const PlainRecord &r : book)
            if (r.title.indexOf(q) >= 0 || r.content.indexOf(q) >= 0 || r.note.indexOf(q) >= 0 ||
                r.remark.indexOf(q) >= 0 || r.source.indexOf(q) >= 0)
                ++hits;
    return hits;
}

double Ms(qint64 ns) {
    return double(ns) / 1e6;
}

using bench::Median;

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: velmora-bench-search FOLDER LABEL [SESSIONS]\n");
        return 2;
    }
    const QString folder = args[0], label = args.value(1, QStringLiteral("notes"));
    const int sessions = qMax(1, args.value(2, QStringLiteral("3")).toInt());

    QElapsedTimer timer;
    timer.start();
    QList<Notebook> books(4);
    const char *const names[] = {"velmora200_k.xml", "velmora200_M.xml", "velmora200_N.xml",
                                 "velmora200_O.xml"};
    for (int b = 0; b < 4; ++b)
        books[b].LoadNotes(QDir(folder).filePath(QLatin1String(names[b])));
    qint64 records = 0, units = 0, fileBytes = 0;
    for (const char *name : names)
        fileBytes += QFileInfo(QDir(folder).filePath(QLatin1String(name))).size();
    for (const Notebook &b : books)
        for (const NoteEntry &e : b.entries) {
            ++records;
            units += e.title.size() + e.content.size() + e.note.size() + e.remark.size() + e.source.size();
        }
    std::printf("notes %s: %lld records, %.1f M UTF-16 units; loaded in %.0f ms\n", qPrintable(label),
                (long long)records, double(units) / 1e6, Ms(timer.nsecsElapsed()));

    QList<const Notebook *> pointers;
    for (const Notebook &b : books)
        pointers.append(&b);

    std::vector<std::vector<PlainRecord>> plain(books.size());
    for (qsizetype b = 0; b < books.size(); ++b)
        for (const NoteEntry &e : books[b].entries)
            plain[b].push_back(
                {e.title, e.content, StripTags(e.note), StripTags(e.remark), StripTags(e.source)});

    // A rare phrase, the commonest character, a common pair, a markup word that survives only in
    // headwords and content, a query that never hits, the two commonest characters side by side (a
    // quarter of the records), and two letters of the markup that most records hold but never together.
    const QStringList queries = {QStringLiteral("澄溪導師"), QStringLiteral("之"),   QStringLiteral("子曰"),
                                 QStringLiteral("span"),     QStringLiteral("zqxj"), QStringLiteral("之也"),
                                 QStringLiteral("ab")};
    const SearchScope all;
    std::vector<std::vector<PlainRecord>> plainFolded(plain.size());
    for (size_t b = 0; b < plain.size(); ++b)
        for (const PlainRecord &r : plain[b])
            plainFolded[b].push_back({FoldClasses::Folded(r.title), FoldClasses::Folded(r.content),
                                      FoldClasses::Folded(r.note), FoldClasses::Folded(r.remark),
                                      FoldClasses::Folded(r.source)});
    // Folded: the exact queries, and ones whose characters have variants in the notes.
    const QStringList foldedQueries =
        queries + QStringList{QStringLiteral("为"), QStringLiteral("学而"), QStringLiteral("后之")};
    SearchScope folded;
    folded.fold = true;
    std::vector<double> foldMedians, foldWorsts, foldPlainMedians, foldPlainWorsts, foldBuilds;
    qint64 foldedBytes = 0;
    std::vector<double> medians, worsts, plainMedians, plainWorsts, builds, indexBuilds;
    qint64 indexBytes = 0;
    double worstRatio = 0;
    bool same = true;
    for (int s = 0; s < sessions; ++s) {
        timer.restart();
        const EntrySearch search(pointers);
        builds.push_back(Ms(timer.nsecsElapsed()));
        indexBytes = search.IndexBytes();
        // The index alone, over the same texts as the search's buffers.
        timer.restart();
        for (const auto &book : plain) {
            const CharIndex index = CharIndex::Build(
                int(book.size()), [&book](int e, const std::function<void(QStringView)> &add) {
                    const PlainRecord &r = book[size_t(e)];
                    for (const QString *t : {&r.title, &r.content, &r.note, &r.remark, &r.source})
                        add(*t);
                });
        }
        indexBuilds.push_back(Ms(timer.nsecsElapsed()));
        std::vector<double> findMs, plainMs;
        for (const QString &query : queries) {
            if (s == 0)
                std::printf("query \"%s\"\n  %-12s %9s %11s %11s %7s\n", qPrintable(query), "typed", "rows",
                            "Find ms", "plain ms", "ratio");
            search.Find(QString(), all); // the box is cleared before each query
            for (int n = 1; n <= query.size(); ++n) {
                const QString typed = query.left(n);
                timer.restart();
                const QList<NoteRef> rows = search.Find(typed, all);
                const double f = Ms(timer.nsecsElapsed());
                timer.restart();
                const qsizetype plainHits = PlainScan(plain, typed);
                const double p = Ms(timer.nsecsElapsed());
                same = same && plainHits == rows.size();
                findMs.push_back(f);
                plainMs.push_back(p);
                worstRatio = std::max(worstRatio, f / p);
                if (s == 0)
                    std::printf("  %-12s %9lld %11.2f %11.2f %7.2f\n", qPrintable(typed),
                                (long long)rows.size(), f, p, f / p);
            }
        }
        medians.push_back(Median(findMs));
        worsts.push_back(*std::max_element(findMs.begin(), findMs.end()));
        plainMedians.push_back(Median(plainMs));
        plainWorsts.push_back(*std::max_element(plainMs.begin(), plainMs.end()));

        timer.restart();
        search.PrepareFolded();
        foldBuilds.push_back(Ms(timer.nsecsElapsed()));
        foldedBytes = search.FoldedBytes();
        std::vector<double> foldMs, foldPlainMs;
        for (const QString &query : foldedQueries) {
            if (s == 0)
                std::printf("folded query \"%s\"\n  %-12s %9s %11s %11s\n", qPrintable(query), "typed",
                            "rows", "Find ms", "plain ms");
            search.Find(QString(), folded);
            for (int n = 1; n <= query.size(); ++n) {
                const QString typed = query.left(n);
                timer.restart();
                const QList<NoteRef> rows = search.Find(typed, folded);
                const double f = Ms(timer.nsecsElapsed());
                timer.restart();
                const qsizetype plainHits = PlainScan(plainFolded, FoldClasses::Folded(typed));
                const double p = Ms(timer.nsecsElapsed());
                same = same && plainHits == rows.size();
                foldMs.push_back(f);
                foldPlainMs.push_back(p);
                if (s == 0)
                    std::printf("  %-12s %9lld %11.2f %11.2f\n", qPrintable(typed), (long long)rows.size(), f,
                                p);
            }
        }
        foldMedians.push_back(Median(foldMs));
        foldWorsts.push_back(*std::max_element(foldMs.begin(), foldMs.end()));
        foldPlainMedians.push_back(Median(foldPlainMs));
        foldPlainWorsts.push_back(*std::max_element(foldPlainMs.begin(), foldPlainMs.end()));
    }
    const QString scan = QStringLiteral("plain QString::indexOf scan of the same texts");
    bench::Figure median{label,   QStringLiteral("search keystroke, median"), QStringLiteral("ms"),
                         medians, scan + QStringLiteral(", median"),          plainMedians};
    median.targetMax = label.startsWith(QLatin1String("100")) ? 50 : 0;
    bench::Emit(median);
    bench::Figure worst{label,  QStringLiteral("search keystroke, worst"), QStringLiteral("ms"),
                        worsts, scan + QStringLiteral(", worst"),          plainWorsts};
    // A keystroke within one frame at 60 Hz.
    worst.targetMax = label.startsWith(QLatin1String("100")) ? 16 : 0;
    worst.note = QStringLiteral("worst per-keystroke ratio %1").arg(worstRatio, 0, 'f', 2);
    bench::Emit(worst);
    bench::Figure build{label, QStringLiteral("search set-up (EntrySearch)"), QStringLiteral("ms"), builds};
    bench::Emit(build);
    bench::Figure indexBuild{label, QStringLiteral("search index build, four notebooks on one thread"),
                             QStringLiteral("ms"), indexBuilds};
    indexBuild.note =
        QStringLiteral("the set-up above builds the notebooks side by side, after the first paint");
    bench::Emit(indexBuild);
    bench::Figure memory{label,
                         QStringLiteral("search index memory"),
                         QStringLiteral("MB"),
                         {double(indexBytes) / 1e6},
                         QStringLiteral("notes files"),
                         {double(fileBytes) / 1e6}};
    bench::Emit(memory);

    const QString foldedScan = QStringLiteral("plain indexOf scan of texts folded beforehand");
    bench::Figure foldMedian{
        label,       QStringLiteral("folded search keystroke, median"), QStringLiteral("ms"),
        foldMedians, foldedScan + QStringLiteral(", median"),           foldPlainMedians};
    bench::Emit(foldMedian);
    bench::Figure foldWorst{
        label,      QStringLiteral("folded search keystroke, worst"), QStringLiteral("ms"),
        foldWorsts, QStringLiteral("exact search keystroke, worst"),  worsts};
    foldWorst.targetMax = label.startsWith(QLatin1String("100")) ? 16 : 0;
    bench::Emit(foldWorst);
    bench::Figure foldBuild{label,
                            QStringLiteral("folded buffers and index, built at the first folded search"),
                            QStringLiteral("ms"), foldBuilds};
    bench::Emit(foldBuild);
    bench::Figure foldMemory{label,
                             QStringLiteral("folded buffers and index memory"),
                             QStringLiteral("MB"),
                             {double(foldedBytes) / 1e6},
                             QStringLiteral("exact search index"),
                             {double(indexBytes) / 1e6}};
    bench::Emit(foldMemory);
    bench::Figure table{label,
                        QStringLiteral("fold class table memory"),
                        QStringLiteral("KB"),
                        {double(FoldClasses::Bytes()) / 1e3}};
    table.note = QStringLiteral("%1 classes; %2 characters fold to another")
                     .arg(FoldClasses::ClassCount())
                     .arg(FoldClasses::FoldedCharacterCount());
    bench::Emit(table);
    if (!same) std::printf("row counts DIFFER FROM the plain scan's\n");
    return same ? 0 : 1;
}
