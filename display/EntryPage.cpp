#include "display/EntryPage.h"

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

QString HighlightWords(const QString &body, const QString &highlight) {
    if (highlight.isEmpty()) return body;
    static const QString open = QStringLiteral("<span class='search'>");
    static const QString close = QStringLiteral("</span>");

    // One pass with a moving start: the text before each match is copied once and never searched again.
    QString result;
    qsizetype from = 0;
    qsizetype at = body.indexOf(highlight, from);
    if (at < 0) return body;
    result.reserve(body.size() + 8 * (open.size() + close.size() + highlight.size()));
    while (at >= 0) {
        result += QStringView(body).mid(from, at - from);
        result += open;
        result += highlight;
        result += close;
        from = at + highlight.size();
        at = body.indexOf(highlight, from);
    }
    result += QStringView(body).mid(from);
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
