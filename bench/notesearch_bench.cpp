// Times a search keystroke with the reader's own notes ticked ("我的筆記": 10,000 personal notes beside
// the notes files) beside the same keystroke without them, measured in the same run: the entries search,
// the notes search and the merging of their rows. The notes are slices of the records' own texts, so
// the queries find them as they find the records. Exact and folded. Each typing session starts from a
// new search, as after start-up.   Usage: velmora-bench-notesearch FOLDER LABEL [SESSIONS] [NOTES]

#include "bench/BenchRecord.h"
#include "display/PersonalNotesSearch.h"
#include "display/Search.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <set>
#include <vector>

namespace {

double Ms(qint64 ns) {
    return double(ns) / 1e6;
}

// `count` notes on distinct entry records, each 20 to 200 characters of a record's stripped texts,
// some of two lines.
QList<std::pair<NoteRef, QString>> MakeNotes(const QList<Notebook> &books, int count) {
    QRandomGenerator random(20240531);
    QList<std::pair<NoteRef, QString>> notes;
    std::set<std::pair<int, int>> taken;
    while (notes.size() < count) {
        const int b = int(random.bounded(quint32(books.size())));
        if (books[b].entries.isEmpty()) continue;
        const int e = int(random.bounded(quint32(books[b].entries.size())));
        const NoteEntry &entry = books[b].entries[e];
        if (entry.isPage || !taken.insert({b, e}).second) continue;
        const QString text =
            StripTags(entry.content + entry.note + entry.remark).remove(QStringLiteral("<br>"));
        if (text.size() < 20) continue;
        const int length = 20 + int(random.bounded(181u));
        const int from = int(random.bounded(quint32(qMax(1, int(text.size()) - length))));
        QString note = text.mid(from, length);
        if (random.bounded(4u) == 0) note.insert(note.size() / 2, QLatin1Char('\n'));
        notes.append({NoteRef{b, e}, note});
    }
    return notes;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: velmora-bench-notesearch FOLDER LABEL [SESSIONS] [NOTES]\n");
        return 2;
    }
    const QString folder = args[0], label = args.value(1, QStringLiteral("notes"));
    const int sessions = qMax(1, args.value(2, QStringLiteral("3")).toInt());
    const int noteCount = qMax(1, args.value(3, QStringLiteral("10000")).toInt());

    QList<Notebook> books(4);
    const char *const names[] = {"velmora200_k.xml", "velmora200_M.xml", "velmora200_N.xml",
                                 "velmora200_O.xml"};
    for (int b = 0; b < 4; ++b)
        books[b].LoadNotes(QDir(folder).filePath(QLatin1String(names[b])));
    QList<const Notebook *> pointers;
    for (const Notebook &b : books)
        pointers.append(&b);
    const QList<std::pair<NoteRef, QString>> notes = MakeNotes(books, noteCount);
    qint64 noteUnits = 0;
    for (const auto &n : notes)
        noteUnits += n.second.size();
    std::printf("notes %s with %d personal notes (%.2f M UTF-16 units)\n", qPrintable(label),
                int(notes.size()), double(noteUnits) / 1e6);

    // The search bench's keystrokes, and a word of the notes' own.
    const QStringList queries = {QStringLiteral("澄溪導師"), QStringLiteral("之"),    QStringLiteral("子曰"),
                                 QStringLiteral("span"),     QStringLiteral("zqxj"),  QStringLiteral("之也"),
                                 QStringLiteral("ab"),       QStringLiteral("为学而")};
    std::vector<double> setups, foldSetups;
    // [fold][0: without notes, 1: with]
    std::vector<double> medians[2][2], worsts[2][2], notesWorst[2];
    qsizetype extraRows = 0;
    for (int s = 0; s < sessions; ++s) {
        const EntrySearch search(pointers);
        QElapsedTimer timer;
        timer.start();
        const PersonalNotesSearch noteSearch(notes);
        setups.push_back(Ms(timer.nsecsElapsed()));
        for (int fold = 0; fold < 2; ++fold) {
            SearchScope scope;
            scope.fold = fold == 1;
            if (scope.fold) {
                // Both folded copies are made ahead, as the window makes the entries' in the background.
                search.PrepareFolded();
                timer.restart();
                noteSearch.PrepareFolded();
                foldSetups.push_back(Ms(timer.nsecsElapsed()));
            }
            std::vector<double> without, with, alone;
            for (const QString &query : queries) {
                search.Find(QString(), scope);
                for (int n = 1; n <= query.size(); ++n) {
                    const QString typed = query.left(n);
                    // What a keystroke costs without the box, then what the box adds to it: the
                    // notes search and the merging of the rows.
                    timer.restart();
                    const QList<NoteRef> rows = search.Find(typed, scope);
                    const double entries = Ms(timer.nsecsElapsed());
                    timer.restart();
                    const QList<NoteRef> noteRows = noteSearch.Find(typed, scope);
                    const QList<NoteRef> merged = MergeSearchRows(rows, noteRows);
                    const double extra = Ms(timer.nsecsElapsed());
                    extraRows = std::max(extraRows, merged.size() - rows.size());
                    without.push_back(entries);
                    with.push_back(entries + extra);
                    alone.push_back(extra);
                }
            }
            medians[fold][0].push_back(bench::Median(without));
            medians[fold][1].push_back(bench::Median(with));
            worsts[fold][0].push_back(*std::max_element(without.begin(), without.end()));
            worsts[fold][1].push_back(*std::max_element(with.begin(), with.end()));
            notesWorst[fold].push_back(*std::max_element(alone.begin(), alone.end()));
        }
    }
    const QString n = QString::number(notes.size());
    const bool large = label.startsWith(QLatin1String("100"));
    for (int fold = 0; fold < 2; ++fold) {
        const QString kind =
            fold ? QStringLiteral("folded search keystroke") : QStringLiteral("search keystroke");
        bench::Figure median{label,
                             QStringLiteral("%1 with %2 personal notes, median").arg(kind, n),
                             QStringLiteral("ms"),
                             medians[fold][1],
                             kind + QStringLiteral(" without notes, median"),
                             medians[fold][0]};
        bench::Emit(median);
        bench::Figure worst{label,
                            QStringLiteral("%1 with %2 personal notes, worst").arg(kind, n),
                            QStringLiteral("ms"),
                            worsts[fold][1],
                            kind + QStringLiteral(" without notes, worst"),
                            worsts[fold][0]};
        worst.targetMax = large ? 16 : 0; // within one frame at 60 Hz
        bench::Emit(worst);
        bench::Figure alone{label, QStringLiteral("%1: the notes search and merging alone, worst").arg(kind),
                            QStringLiteral("ms"), notesWorst[fold]};
        bench::Emit(alone);
    }
    bench::Figure setup{label, QStringLiteral("personal notes search set-up (%1 notes)").arg(n),
                        QStringLiteral("ms"), setups};
    setup.note = QStringLiteral("at most %1 rows added by the notes").arg(extraRows);
    bench::Emit(setup);
    bench::Figure foldSetup{label, QStringLiteral("personal notes folded copy (%1 notes)").arg(n),
                            QStringLiteral("ms"), foldSetups};
    bench::Emit(foldSetup);
    return 0;
}
