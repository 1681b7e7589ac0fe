#include "display/EntryPage.h"

#include "corpus/Notebooks.h"

#include <QStringList>
#include <algorithm>
#include <vector>

namespace {

// Every page carries the whole style sheet: markup inside the notes texts uses its classes.
constexpr char16_t kHead[] = u"<html>\n"
                             u"<head>\n"
                             u"\t<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\n"
                             u"\t<title>Title</title>\n"
                             u"   <style>\n"
                             u"       .bc {background-color: #00FFFF;}\n"
                             u"       .yc {background-color: #FFFF00;}\n"
                             u"       .gc {background-color: #00FF00;}\n"
                             u"       .rc {background-color: #FF0000;}\n"
                             u"       .g2c {background-color: #D3D3D3;}\n"
                             u"       .g5c {background-color: #A9A9A9;}\n"
                             u"       .blue {color: #0070C0;}\n"
                             u"       .red {color: #FF0000;}\n"
                             u"       .bold {font-weight: bold;}\n"
                             u"       .underline {text-decoration: underline;}\n"
                             u"       .search {\n"
                             u"\t\t\tborder: 1px red solid;\n"
                             u"\t\t\tpadding: 2px;\n"
                             u"\t\t\tmargin: 2px;\n"
                             u"\t\t\tcolor: red;\n"
                             u"\t\t\tborder-radius: 5px;\n"
                             u"\t\t}\n"
                             u"   </style>\n"
                             u"</head>\n"
                             u"<body>\n";

constexpr char16_t kTail[] = u"\n</body></html>";

constexpr qsizetype Length(const char16_t *s) {
    qsizetype n = 0;
    while (s[n])
        ++n;
    return n;
}
static_assert(Length(kHead) == 648, "the page head is 648 characters");
static_assert(Length(kTail) == 15, "the page tail is 15 characters");

} // namespace

QString EntryPageHead() {
    return QString::fromUtf16(kHead, Length(kHead));
}
QString EntryPageTail() {
    return QString::fromUtf16(kTail, Length(kTail));
}

QString BuildEntryPage(const NoteEntry &entry) {
    const QString &title = entry.title;
    qsizetype skip = 0;
    while (skip < title.size() && title.at(skip) == QChar(0x3000))
        ++skip;

    QString body;
    body.reserve(64 + title.size() + entry.content.size() + entry.note.size() + entry.remark.size() +
                 entry.source.size());
    body += u"【條目】<br>";
    body += QStringView(title).mid(skip);
    body += u"<br><br>【內容】<br>";
    body += entry.content;
    if (!entry.note.isEmpty()) {
        body += u"<br><br>【校註】<br>";
        body += entry.note;
    }
    // The remarks get no head of their own: the "<br><br>" the stored notes end with sets them apart.
    body += entry.remark;
    if (!entry.source.isEmpty()) {
        body += u"<br><br>【出處】<br><span class=\"blue\">";
        body += entry.source;
        body += u"</span>";
    }
    return body;
}

namespace {

bool IsEntityNameChar(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'#';
}

// The length of the entity reference ("&", one or more ASCII letters, digits or "#", then ";") that
// starts at `at`, or 0 when none does.
qsizetype EntityLengthAt(QStringView body, qsizetype at) {
    if (body.at(at) != u'&') return 0;
    qsizetype end = at + 1;
    while (end < body.size() && IsEntityNameChar(body.at(end)))
        ++end;
    return end > at + 1 && end < body.size() && body.at(end) == u';' ? end + 1 - at : 0;
}

// Appends `text` with every occurrence of the words wrapped, left to right, without overlaps; where
// two words start at one place the longer is marked.
void AppendMarked(QString &result, QStringView text, const QStringList &words) {
    static const QString open = QStringLiteral("<span class='search'>");
    static const QString close = QStringLiteral("</span>");
    std::vector<qsizetype> next(size_t(words.size()), -2); // each word's next place at or after `from`
    qsizetype from = 0;
    for (;;) {
        qsizetype at = -1, length = 0;
        for (qsizetype w = 0; w < words.size(); ++w) {
            qsizetype &n = next[size_t(w)];
            if (n != -1 && n < from) n = text.indexOf(words[w], from);
            if (n >= 0 && (at < 0 || n < at || (n == at && words[w].size() > length))) {
                at = n;
                length = words[w].size();
            }
        }
        if (at < 0) break;
        result += text.mid(from, at - from);
        result += open;
        result += text.mid(at, length);
        result += close;
        from = at + length;
    }
    result += text.mid(from);
}

} // namespace

QString HighlightWords(const QString &body, const QString &highlight) {
    QStringList words = highlight.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    words.erase(
        std::remove_if(words.begin(), words.end(), [&](const QString &w) { return !body.contains(w); }),
        words.end());
    if (words.isEmpty()) return body;
    const QStringView all(body);
    QString result;
    result.reserve(body.size() + 8 * (28 + highlight.size()));
    // The body is cut into tags, entity references and the runs of text between them; only the runs
    // are marked, so a query such as "br", "span" or "amp" cannot break the markup around it.
    qsizetype runStart = 0;
    qsizetype i = 0;
    bool closerAhead = true; // false once a "<" found no ">" after it: no later "<" opens a tag either
    while (i < body.size()) {
        qsizetype markupLength = 0;
        if (body.at(i) == u'<' && closerAhead) {
            const qsizetype closer = body.indexOf(u'>', i + 1);
            if (closer < 0)
                closerAhead = false;
            else
                markupLength = closer + 1 - i;
        } else if (body.at(i) == u'&') {
            markupLength = EntityLengthAt(all, i);
        }
        if (markupLength == 0) {
            ++i;
            continue;
        }
        AppendMarked(result, all.mid(runStart, i - runStart), words);
        result += all.mid(i, markupLength);
        i += markupLength;
        runStart = i;
    }
    AppendMarked(result, all.mid(runStart), words);
    return result;
}

QString WrapPage(const QString &body) {
    QString page;
    page.reserve(Length(kHead) + body.size() + Length(kTail));
    page += QStringView(kHead, Length(kHead));
    page += body;
    page += QStringView(kTail, Length(kTail));
    return page;
}

QString EntryReferenceLine(int book, const NoteEntry &entry) {
    // The page name is the scan's file name (".\\image\\K\\K1.jpg") without folder and extension.
    QString page = entry.pageImage.mid(entry.pageImage.lastIndexOf(QLatin1Char('\\')) + 1);
    if (page.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive)) page.chop(4);
    QStringList parts{NotebookLetters()[size_t(book)]};
    if (!page.isEmpty()) parts << page;
    parts << QString(entry.title).replace(QStringLiteral("<br>"), QStringLiteral(" "));
    return parts.join(QLatin1Char(' '));
}
