// The entry page, tag stripping and the search against plain models written from their descriptions:
// the page built piece by piece, highlighting (the body cut into markup and text by a regular
// expression) and stripping as simple loops, and the search as a full scan of every record. A run of
// queries goes through one search object, so that its narrowing of earlier results is checked as well.
#include "FuzzSupport.h"
#include "display/EntryPage.h"
#include "display/Search.h"
#include "support/HighlightModel.h"

#include <QRegularExpression>

namespace {

QString ModelPage(const NoteEntry &e) {
    QString head = e.title;
    while (head.startsWith(QChar(0x3000)))
        head.remove(0, 1);
    QString body = QStringLiteral("【條目】<br>") + head + QStringLiteral("<br><br>【內容】<br>") + e.content;
    if (!e.note.isEmpty()) body += QStringLiteral("<br><br>【校註】<br>") + e.note;
    body += e.remark;
    if (!e.source.isEmpty())
        body += QStringLiteral("<br><br>【出處】<br><span class=\"blue\">") + e.source +
                QStringLiteral("</span>");
    return body;
}

QString ModelStrip(QString t) {
    for (;;) {
        const qsizetype a = t.indexOf(u'<'), c = t.indexOf(u'>');
        if (a < 0 || c < 0 || a > c) return t;
        t.remove(a, c - a + 1);
    }
}

QList<NoteRef> ModelFind(const QList<Notebook> &books, const QString &q, const SearchScope &scope) {
    QList<NoteRef> hits;
    if (q.isEmpty()) return hits;
    for (int b = 0; b < 4; ++b) {
        if (!scope.books[b]) continue;
        for (int e = 0; e < books[b].entries.size(); ++e) {
            const NoteEntry &r = books[b].entries[e];
            if ((scope.title && r.title.contains(q)) || (scope.content && r.content.contains(q)) ||
                (scope.content && ModelStrip(r.note).contains(q)) ||
                (scope.remark && ModelStrip(r.remark).contains(q)) ||
                (scope.source && ModelStrip(r.source).contains(q)))
                hits.append({b, e});
        }
    }
    return hits;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // Records of five fields each, spread over the four books by a leading letter of the title field
    // ("K", "M", "N", "O", anything else: K); then "?" fields are queries, the byte after "?" their scope.
    const QList<QByteArray> fields = SplitFields(data, size, 5);
    QList<Notebook> books(4);
    QList<QPair<QString, unsigned>> queries;
    QList<QString> loose;
    for (const QByteArray &f : fields) {
        if (f.startsWith('?'))
            queries.append({QString::fromUtf8(f.mid(2)), f.size() > 1 ? unsigned(uchar(f[1])) : 0xffu});
        else
            loose.append(QString::fromUtf8(f));
    }
    for (qsizetype i = 0; i + 4 < loose.size(); i += 5) {
        NoteEntry e;
        e.title = loose[i];
        e.content = loose[i + 1];
        e.note = loose[i + 2];
        e.remark = loose[i + 3];
        e.source = loose[i + 4];
        const int book = QStringLiteral("KMNO").indexOf(e.title.left(1));
        books[qMax(book, 0)].entries.append(e);

        const QString body = BuildEntryPage(e);
        FUZZ_CHECK(body == ModelPage(e), "page body differs from the model");
        // A query typed in the window holds no line break (a line break separates the forms that a
        // folded search found, tested apart).
        const QString word =
            QString(queries.isEmpty() ? e.content.left(2) : queries.first().first).remove(QLatin1Char('\n'));
        const QString marked = HighlightWords(body, word);
        FUZZ_CHECK(marked == ModelHighlight(body, word), "highlighting differs from the model");
        FUZZ_CHECK(WrapPage(marked) == EntryPageHead() + marked + EntryPageTail(), "wrapped page differs");
        for (const QString *field : {&e.note, &e.remark, &e.source, &e.content})
            FUZZ_CHECK(StripTags(*field) == ModelStrip(*field), "StripTags differs from the model");
    }
    FUZZ_CHECK(EntryPageHead().size() == 648 && EntryPageHead().endsWith(u"<body>\n") &&
                   EntryPageTail() == u"\n</body></html>",
               "page head or tail changed");

    const EntrySearch search({&books[0], &books[1], &books[2], &books[3]});
    for (const auto &[query, bits] : queries) {
        SearchScope scope;
        for (int b = 0; b < 4; ++b)
            scope.books[b] = bits & (1u << b);
        scope.title = bits & 0x10;
        scope.content = bits & 0x20;
        scope.remark = bits & 0x40;
        scope.source = bits & 0x80;
        FUZZ_CHECK(search.Find(query, scope) == ModelFind(books, query, scope), "search for \"%s\" differs",
                   qPrintable(query));
    }
    return 0;
}
