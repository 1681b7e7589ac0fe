#include "tools/notes/SearchCommand.h"

#include "common/Error.h"
#include "corpus/Data.h"
#include "corpus/NotesText.h"
#include "corpus/NotesWalk.h"
#include "display/Search.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

enum ExitStatus { kHits = 0, kNoHits = 1, kTrouble = 2 };

void Write(FILE *stream, const QByteArray &bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

int Trouble(const QString &what, bool usage) {
    Write(stderr, QStringLiteral("velmora-notes: %1\n%2")
                      .arg(what, usage ? QStringLiteral("Try 'velmora-notes --help'.\n") : QString())
                      .toUtf8());
    return kTrouble;
}

// "title,content,source,note": the window's field boxes; "note" is the remarks box (remark says the
// same). Returns false on a name it does not know.
bool ReadFields(const QString &list, SearchScope &scope, QString &bad) {
    scope.title = scope.content = scope.source = scope.remark = false;
    for (const QString &name : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString n = name.trimmed();
        if (n == QLatin1String("title"))
            scope.title = true;
        else if (n == QLatin1String("content"))
            scope.content = true;
        else if (n == QLatin1String("source"))
            scope.source = true;
        else if (n == QLatin1String("note") || n == QLatin1String("remark"))
            scope.remark = true;
        else {
            bad = n;
            return false;
        }
    }
    if (!scope.title && !scope.content && !scope.source && !scope.remark) {
        bad = list;
        return false;
    }
    return true;
}

} // namespace

int RunSearchCommand(const QStringList &args) {
    SearchScope scope; // every field, as the window starts
    QStringList words;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (optionsEnded || !a.startsWith(QLatin1Char('-')) || a.size() == 1) {
            words << a;
        } else if (a == QLatin1String("--")) {
            optionsEnded = true;
        } else if (a == QLatin1String("--fold")) {
            scope.fold = true;
        } else if (a == QLatin1String("--fields") || a.startsWith(QLatin1String("--fields="))) {
            QString list;
            if (a.size() > 8)
                list = a.mid(9);
            else if (i + 1 < args.size())
                list = args[++i];
            else
                return Trouble(QStringLiteral("--fields needs a list, such as title,content"), true);
            QString bad;
            if (!ReadFields(list, scope, bad))
                return Trouble(QStringLiteral("unknown field '%1' (title, content, source, note)").arg(bad),
                               true);
        } else {
            return Trouble(QStringLiteral("unknown option '%1'").arg(a), true);
        }
    }
    if (words.size() < 2) return Trouble(QStringLiteral("search needs a QUERY and at least one FILE"), true);
    const QString query = words.takeFirst();
    if (query.isEmpty()) return Trouble(QStringLiteral("the QUERY is empty"), true);

    // Every file first: a file that cannot be read stops the run before anything is printed.
    QList<Notebook> books(words.size());
    for (qsizetype f = 0; f < words.size(); ++f) {
        try {
            const NotesText text = NotesText::Read(words[f]);
            try {
                WalkNotes(text, words[f], books[f].entries);
            } catch (const VelmoraError &e) {
                // The reader keeps the records before the point it stops at, and so does the search.
                Write(stderr, QStringLiteral("velmora-notes: %1\n").arg(e.message()).toUtf8());
            }
        } catch (const VelmoraError &e) {
            return Trouble(e.message(), false);
        }
    }
    int hits = 0;
    for (qsizetype f = 0; f < words.size(); ++f) {
        // Each file on its own, as the first notebook of a search of its own.
        const EntrySearch search({&books[f]});
        SearchScope one = scope;
        std::fill(std::begin(one.books), std::end(one.books), false);
        one.books[0] = true;
        QByteArray out;
        for (const NoteRef &ref : search.Find(query, one)) {
            QJsonObject hit;
            hit.insert(QStringLiteral("file"), words[f]);
            hit.insert(QStringLiteral("record"), ref.entry);
            hit.insert(QStringLiteral("title"), books[f].entries[ref.entry].title);
            out += QJsonDocument(hit).toJson(QJsonDocument::Compact);
            out += '\n';
            ++hits;
        }
        Write(stdout, out);
    }
    return hits > 0 ? kHits : kNoHits;
}
