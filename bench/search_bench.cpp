// Times EntrySearch::Find for queries typed one character at a time over about 100 MB of synthetic
// notes, beside a plain scan of the same (already tag-stripped) texts with QString::indexOf, measured
// in the same run. Usage: velmora-bench-search [megabytes] [--write folder]
//   megabytes  notes text to generate, counted as UTF-8 (default 100)
//   --write    also save the notebooks as notes files in that folder

#include "bench/SyntheticNotes.h"
#include "display/Search.h"

#include <QCoreApplication>
#include <QElapsedTimer>
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

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString writeFolder;
    const qsizetype w = args.indexOf(QStringLiteral("--write"));
    if (w >= 0 && w + 1 < args.size()) {
        writeFolder = args[w + 1];
        args.remove(w, 2);
    }
    const qint64 megabytes = args.isEmpty() ? 100 : args[0].toLongLong();

    QElapsedTimer timer;
    timer.start();
    QList<Notebook> books;
    MakeSyntheticNotes(books, megabytes * 1000 * 1000, 20240601u);
    qint64 records = 0, units = 0;
    for (const Notebook &b : books)
        for (const NoteEntry &e : b.entries) {
            ++records;
            units += e.title.size() + e.content.size() + e.note.size() + e.remark.size() + e.source.size();
        }
    std::printf("notes: %lld MB (UTF-8) in %lld records, %.1f M UTF-16 units; generated in %.0f ms\n",
                (long long)megabytes, (long long)records, double(units) / 1e6, Ms(timer.nsecsElapsed()));
    if (!writeFolder.isEmpty()) {
        timer.restart();
        const QStringList paths = WriteSyntheticNotesFiles(books, writeFolder);
        std::printf("wrote %s ... in %.0f ms\n", qPrintable(paths.join(QStringLiteral(", "))),
                    Ms(timer.nsecsElapsed()));
    }

    QList<const Notebook *> pointers;
    for (const Notebook &b : books)
        pointers.append(&b);
    timer.restart();
    const EntrySearch search(pointers);
    std::printf("precompute (EntrySearch construction): %.0f ms\n", Ms(timer.nsecsElapsed()));

    std::vector<std::vector<PlainRecord>> plain(books.size());
    for (qsizetype b = 0; b < books.size(); ++b)
        for (const NoteEntry &e : books[b].entries)
            plain[b].push_back(
                {e.title, e.content, StripTags(e.note), StripTags(e.remark), StripTags(e.source)});

    // A rare phrase, common characters, a markup word that survives only in headwords and content,
    // and a query that never hits.
    const QStringList queries = {QStringLiteral("澄溪導師"), QStringLiteral("之"), QStringLiteral("子曰"),
                                 QStringLiteral("span"), QStringLiteral("zqxj")};
    const SearchScope all;
    std::vector<double> findMs, plainMs, ratios;
    bool same = true;
    for (const QString &query : queries) {
        std::printf("\nquery \"%s\"\n  %-12s %9s %11s %11s %7s\n", qPrintable(query), "typed", "rows",
                    "Find ms", "plain ms", "ratio");
        search.Find(QString(), all); // the box is cleared before each query
        for (int n = 1; n <= query.size(); ++n) {
            const QString typed = query.left(n);
            timer.restart();
            const QList<SearchHit> rows = search.Find(typed, all);
            const double f = Ms(timer.nsecsElapsed());
            timer.restart();
            const qsizetype plainHits = PlainScan(plain, typed);
            const double p = Ms(timer.nsecsElapsed());
            same = same && plainHits == rows.size();
            findMs.push_back(f);
            plainMs.push_back(p);
            ratios.push_back(f / p);
            std::printf("  %-12s %9lld %11.2f %11.2f %7.2f\n", qPrintable(typed), (long long)rows.size(), f,
                        p, f / p);
        }
    }

    std::printf("\nkeystrokes: %zu\n", findMs.size());
    std::printf("Find:       median %.2f ms, worst %.2f ms\n", Median(findMs),
                *std::max_element(findMs.begin(), findMs.end()));
    std::printf("plain scan: median %.2f ms, worst %.2f ms\n", Median(plainMs),
                *std::max_element(plainMs.begin(), plainMs.end()));
    std::printf("ratio Find / plain scan per keystroke: median %.2f, worst %.2f\n", Median(ratios),
                *std::max_element(ratios.begin(), ratios.end()));
    std::printf("worst Find / median plain scan: %.2f\n",
                *std::max_element(findMs.begin(), findMs.end()) / Median(plainMs));
    std::printf("row counts %s the plain scan's\n", same ? "equal" : "DIFFER FROM");
    return same ? 0 : 1;
}
