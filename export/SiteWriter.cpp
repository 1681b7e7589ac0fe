// The static site form of an export (declared in ExportWriters.h).
#include "corpus/EntryAnchor.h"
#include "export/ExportWriters.h"

#include "display/EntryPage.h"
#include "export/ExportFolder.h"
#include "export/NotesMarkup.h"

namespace {

// Nothing runs and nothing is fetched: the notes' markup reaches the page as it reaches the reader's,
// and the browser holds it to pictures of the site itself.
const char kHead[] = "<!DOCTYPE html>\n<html lang=\"zh-Hant\">\n<head>\n<meta charset=\"utf-8\">\n"
                     "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
                     "img-src 'self' file:; style-src 'unsafe-inline'\">\n";

const char kSiteStyle[] =
    "body {font-family: serif; margin: 1em 2em;}\n"
    "nav.site {margin-bottom: 1em; padding-bottom: .5em; border-bottom: 1px solid #A9A9A9;}\n"
    "nav.site a {margin-right: 1.5em;}\n"
    ".row {display: flex; flex-direction: row-reverse; align-items: flex-start; gap: 2em;}\n"
    ".entry {flex: 1; min-width: 0;}\n"
    "figure.scan {margin: 0; max-width: 45%;}\n"
    "figure.scan img {max-width: 100%; border: 1px solid #D3D3D3;}\n";

// The reader's own style sheet, as its entry page carries it.
QString ReaderStyle() {
    const QString head = EntryPageHead();
    const qsizetype open = head.indexOf(QLatin1String("<style>"));
    const qsizetype close = head.indexOf(QLatin1String("</style>"));
    return open >= 0 && close > open ? head.mid(open + 7, close - open - 7) : QString();
}

QString Head(const QString &title) {
    return QString::fromUtf8(kHead) +
           QStringLiteral("<title>%1</title>\n<style>%2</style>\n<style>\n%3</style>\n</head>\n<body>\n")
               .arg(XmlEscape(title), ReaderStyle(), QString::fromUtf8(kSiteStyle));
}

QString Tail() {
    return QStringLiteral("</body>\n</html>\n");
}

QString PageFile(qsizetype record) {
    return QStringLiteral("%1.html").arg(record, 5, 10, QLatin1Char('0'));
}

QString Headword(const NoteEntry &e) {
    return MarkupToPlain(FieldLines(e, NotesField::Title).join(QLatin1Char(' ')));
}

} // namespace

void WriteSite(const ExportPlan &plan, const CropSet &crops, ExportFolder &folder,
               const ExportControl &control) {
    const QList<ExportBook> &books = plan.books();
    QString index = Head(QStringLiteral("澄溪導師筆記")) + QStringLiteral("<h1>澄溪導師筆記</h1>\n<ul>\n");
    qint64 done = 0;
    const qint64 total = plan.RecordCount();
    for (qsizetype bi = 0; bi < books.size(); ++bi) {
        const ExportBook &book = books[bi];
        const QList<NoteEntry> &records = book.records;
        qsizetype entries = 0;
        for (const NoteEntry &e : records)
            entries += !e.isPage;
        index += QStringLiteral("<li><a href=\"%1/index.html\">筆記 %2</a>（%3，%4 條）</li>\n")
                     .arg(book.id, XmlEscape(book.name), XmlEscape(book.file))
                     .arg(entries);

        QString list =
            Head(QStringLiteral("筆記 %1").arg(book.name)) +
            QStringLiteral(
                "<nav class=\"site\"><a href=\"../index.html\">全部筆記</a></nav>\n<h1>筆記 %1</h1>\n<ul>\n")
                .arg(XmlEscape(book.name));
        qsizetype previous = -1;
        QString page;
        for (qsizetype r = 0; r < records.size(); ++r, ++done) {
            if ((done & 0xFF) == 0) {
                control.Check();
                control.Report(QStringLiteral("寫入網站"), done, total);
            }
            const NoteEntry &e = records[r];
            if (e.isPage) {
                page = PageNameOf(e);
                list += QStringLiteral("</ul>\n<h2>%1</h2>\n<ul>\n").arg(XmlEscape(page));
                continue;
            }
            qsizetype next = r + 1;
            while (next < records.size() && records[next].isPage)
                ++next;
            const QString headword = Headword(e);
            list += QStringLiteral("<li><a href=\"%1\">%2</a></li>\n")
                        .arg(PageFile(plan.Number(bi, r)), XmlEscape(headword));

            QString html = Head(QStringLiteral("%1 · 筆記 %2").arg(headword, book.name));
            html += QStringLiteral("<nav class=\"site\"><a href=\"../index.html\">全部筆記</a><a "
                                   "href=\"index.html\">筆記 %1</a>")
                        .arg(XmlEscape(book.name));
            if (previous >= 0)
                html += QStringLiteral("<a href=\"%1\" rel=\"prev\">← %2</a>")
                            .arg(PageFile(plan.Number(bi, previous)), XmlEscape(Headword(records[previous])));
            if (next < records.size())
                html += QStringLiteral("<a href=\"%1\" rel=\"next\">%2 →</a>")
                            .arg(PageFile(plan.Number(bi, next)), XmlEscape(Headword(records[next])));
            html += QStringLiteral("</nav>\n<main class=\"row\">\n");
            // The scan comes first in the page, so that markup of the notes left open cannot swallow it.
            if (bi < crops.size() && crops[bi].contains(r))
                html += QStringLiteral("<figure class=\"scan\"><img src=\"../crops/%1.jpg\" alt=\"%2 "
                                       "%3\"><figcaption>%2</figcaption></figure>\n")
                            .arg(plan.Stem(bi, r), XmlEscape(page), XmlEscape(headword));
            html += QStringLiteral("<div class=\"entry\">") + BuildEntryPage(e) +
                    QStringLiteral("</div>\n</main>\n") + Tail();
            folder.Write(book.id + QLatin1Char('/') + PageFile(plan.Number(bi, r)), html.toUtf8());
            previous = r;
        }
        list += QStringLiteral("</ul>\n") + Tail();
        folder.Write(book.id + QStringLiteral("/index.html"), list.toUtf8());
    }
    index += QStringLiteral("</ul>\n") + Tail();
    folder.Write(QStringLiteral("index.html"), index.toUtf8());
    control.Report(QStringLiteral("寫入網站"), total, total);
}
