#include "corpus/EntryAnchor.h"

#include <cstdlib>

namespace {

QString NeighbourTitle(const QList<NoteEntry> &entries, qsizetype from, int step) {
    for (qsizetype r = from + step; r >= 0 && r < entries.size(); r += step)
        if (!entries[r].isPage) return entries[r].title;
    return QString();
}

} // namespace

QString PageNameOf(const NoteEntry &page) {
    const QString &t = page.title; // "[" + name + "]"
    return t.size() >= 2 && t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']'))
               ? t.mid(1, t.size() - 2)
               : t;
}

QJsonObject EntryAnchor::ToJson() const {
    return QJsonObject{{QStringLiteral("notebook"), NotebookLetters()[size_t(book)]},
                       {QStringLiteral("title"), title},
                       {QStringLiteral("page"), page},
                       {QStringLiteral("occurrence"), occurrence},
                       {QStringLiteral("before"), before},
                       {QStringLiteral("after"), after},
                       {QStringLiteral("record"), record}};
}

EntryAnchor EntryAnchor::FromJson(const QJsonObject &object) {
    EntryAnchor a;
    const QString letter = object.value(QStringLiteral("notebook")).toString();
    for (int b = 0; b < kNotebookCount; ++b)
        if (NotebookLetters()[size_t(b)] == letter) a.book = b;
    const QJsonValue title = object.value(QStringLiteral("title"));
    if (a.book < 0 || !title.isString()) return EntryAnchor();
    a.title = title.toString();
    a.page = object.value(QStringLiteral("page")).toString();
    a.occurrence = qMax(0, object.value(QStringLiteral("occurrence")).toInt());
    a.before = object.value(QStringLiteral("before")).toString();
    a.after = object.value(QStringLiteral("after")).toString();
    a.record = object.value(QStringLiteral("record")).toInt(-1);
    return a;
}

EntryAnchor AnchorOf(const QList<NoteEntry> &entries, NoteRef ref) {
    if (ref.entry < 0 || ref.entry >= entries.size() || entries[ref.entry].isPage) return EntryAnchor();
    EntryAnchor a;
    a.book = ref.book;
    a.record = ref.entry;
    a.title = entries[ref.entry].title;
    if (a.title.isNull()) a.title = QLatin1String("");
    for (qsizetype r = ref.entry - 1; r >= 0; --r) {
        if (entries[r].isPage) {
            a.page = PageNameOf(entries[r]);
            break;
        }
        if (entries[r].title == a.title) ++a.occurrence;
    }
    a.before = NeighbourTitle(entries, ref.entry, -1);
    a.after = NeighbourTitle(entries, ref.entry, +1);
    return a;
}

int FindAnchor(const QList<NoteEntry> &entries, const EntryAnchor &anchor) {
    if (!anchor.IsValid()) return -1;
    // Every record of the headword, with its page and occurrence as they are now.
    struct Candidate {
        int record;
        bool samePlace;  // same page and occurrence
        bool neighbours; // the same headwords beside it
    };
    std::vector<Candidate> candidates;
    QString page;
    int occurrence = 0;
    for (qsizetype r = 0; r < entries.size(); ++r) {
        const NoteEntry &e = entries[r];
        if (e.isPage) {
            page = PageNameOf(e);
            occurrence = 0;
            continue;
        }
        if (e.title != anchor.title) continue;
        const bool samePlace = page == anchor.page && occurrence == anchor.occurrence;
        const bool neighbours =
            NeighbourTitle(entries, r, -1) == anchor.before && NeighbourTitle(entries, r, +1) == anchor.after;
        candidates.push_back(Candidate{int(r), samePlace, neighbours});
        ++occurrence;
    }
    auto best = [&](auto accept) {
        int found = -1;
        int count = 0;
        for (const Candidate &c : candidates) {
            if (!accept(c)) continue;
            ++count;
            if (found < 0 || std::abs(c.record - anchor.record) < std::abs(found - anchor.record))
                found = c.record;
        }
        return std::make_pair(found, count);
    };
    // Same page and occurrence: that is the entry (the neighbours may have been edited).
    if (const auto [r, n] = best([](const Candidate &c) { return c.samePlace; }); n > 0) return r;
    // The page line changed: the one record of this headword among the same neighbours.
    if (const auto [r, n] = best([](const Candidate &c) { return c.neighbours; }); n == 1) return r;
    // The only record of this headword in the notebook, when the anchor's page no longer exists at all.
    if (candidates.size() == 1) {
        bool pageGone = true;
        for (const NoteEntry &e : entries)
            if (e.isPage && PageNameOf(e) == anchor.page) pageGone = false;
        if (pageGone) return candidates.front().record;
    }
    return -1;
}
