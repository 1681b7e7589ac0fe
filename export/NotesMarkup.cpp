#include "export/NotesMarkup.h"

#include <QHash>
#include <QList>

namespace {

struct Token {
    enum Kind { Text, StartTag, EndTag, Entity } kind = Text;
    QStringView raw;
    QString name;                                  // tags: lower case
    QList<std::pair<QString, QString>> attributes; // start tags, names lower case
    bool selfClosing = false;
};

bool IsAsciiLetter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool IsAsciiAlnum(QChar c) {
    return IsAsciiLetter(c) || (c >= u'0' && c <= u'9');
}

// Reads `<name attr="v" attr2='v' attr3=v attr4 />` (raw without the angle brackets). False when it is
// not a tag a browser would take as one.
bool ReadTag(QStringView inner, Token &t) {
    qsizetype i = 0;
    const qsizetype n = inner.size();
    if (i < n && inner[i] == u'/') {
        t.kind = Token::EndTag;
        ++i;
    } else {
        t.kind = Token::StartTag;
    }
    if (i >= n || !IsAsciiLetter(inner[i])) return false;
    const qsizetype nameStart = i;
    while (i < n && (IsAsciiAlnum(inner[i]) || inner[i] == u'-'))
        ++i;
    t.name = inner.mid(nameStart, i - nameStart).toString().toLower();
    while (i < n) {
        while (i < n && inner[i].isSpace())
            ++i;
        if (i >= n) break;
        if (inner[i] == u'/') {
            t.selfClosing = true;
            ++i;
            continue;
        }
        const qsizetype a = i;
        while (i < n && !inner[i].isSpace() && inner[i] != u'=' && inner[i] != u'/')
            ++i;
        const QString attr = inner.mid(a, i - a).toString().toLower();
        QString value;
        while (i < n && inner[i].isSpace())
            ++i;
        if (i < n && inner[i] == u'=') {
            ++i;
            while (i < n && inner[i].isSpace())
                ++i;
            if (i < n && (inner[i] == u'"' || inner[i] == u'\'')) {
                const QChar q = inner[i++];
                const qsizetype v = i;
                while (i < n && inner[i] != q)
                    ++i;
                if (i >= n) return false;
                value = inner.mid(v, i - v).toString();
                ++i;
            } else {
                const qsizetype v = i;
                while (i < n && !inner[i].isSpace())
                    ++i;
                value = inner.mid(v, i - v).toString();
            }
        }
        t.attributes.append({attr, value});
    }
    return t.kind == Token::StartTag || t.attributes.isEmpty();
}

// Splits markup into text runs, tags and entity references. A "<" that starts no tag and a "&" that
// starts no reference are text.
QList<Token> Tokenize(QStringView s) {
    QList<Token> tokens;
    qsizetype textStart = 0;
    const auto flushText = [&](qsizetype end) {
        if (end > textStart)
            tokens.append(Token{Token::Text, s.mid(textStart, end - textStart), {}, {}, false});
    };
    qsizetype i = 0;
    while (i < s.size()) {
        const QChar c = s[i];
        if (c == u'<') {
            // A quoted ">" does not end the tag.
            qsizetype j = i + 1;
            QChar quote;
            bool inTag = false;
            for (; j < s.size(); ++j) {
                const QChar d = s[j];
                if (!quote.isNull()) {
                    if (d == quote) quote = QChar();
                } else if ((d == u'"' || d == u'\'') && j > i + 1 && s[j - 1] == u'=') {
                    quote = d;
                } else if (d == u'>') {
                    inTag = true;
                    break;
                }
            }
            Token t;
            if (inTag && ReadTag(s.mid(i + 1, j - i - 1), t)) {
                flushText(i);
                t.raw = s.mid(i, j - i + 1);
                tokens.append(t);
                i = textStart = j + 1;
                continue;
            }
        } else if (c == u'&') {
            qsizetype j = i + 1;
            if (j < s.size() && s[j] == u'#') ++j;
            const qsizetype first = j;
            while (j < s.size() && IsAsciiAlnum(s[j]) && j - first < 32)
                ++j;
            if (j > first && j < s.size() && s[j] == u';') {
                flushText(i);
                tokens.append(Token{Token::Entity, s.mid(i, j - i + 1), {}, {}, false});
                i = textStart = j + 1;
                continue;
            }
        }
        ++i;
    }
    flushText(s.size());
    return tokens;
}

bool XmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// The character an entity reference stands for; 0 when unknown or not a character XML can hold.
char32_t EntityChar(QStringView raw) {
    const QStringView body = raw.mid(1, raw.size() - 2);
    if (body.startsWith(u'#')) {
        bool ok = false;
        const bool hex = body.size() > 1 && (body[1] == u'x' || body[1] == u'X');
        const qulonglong v = hex ? body.mid(2).toULongLong(&ok, 16) : body.mid(1).toULongLong(&ok, 10);
        return ok && v <= 0x10FFFF && XmlChar(char32_t(v)) ? char32_t(v) : 0;
    }
    static const QHash<QString, char32_t> named = {
        {"amp", U'&'},     {"lt", U'<'},      {"gt", U'>'},       {"quot", U'"'},     {"apos", U'\''},
        {"nbsp", 0xA0},    {"ensp", 0x2002},  {"emsp", 0x2003},   {"thinsp", 0x2009}, {"middot", 0xB7},
        {"mdash", 0x2014}, {"ndash", 0x2013}, {"hellip", 0x2026}, {"lsquo", 0x2018},  {"rsquo", 0x2019},
        {"ldquo", 0x201C}, {"rdquo", 0x201D}, {"laquo", 0xAB},    {"raquo", 0xBB},    {"copy", 0xA9},
        {"reg", 0xAE},     {"times", 0xD7},   {"divide", 0xF7},   {"deg", 0xB0},      {"sect", 0xA7},
        {"para", 0xB6},    {"bull", 0x2022},  {"prime", 0x2032},  {"larr", 0x2190},   {"rarr", 0x2192},
        {"uarr", 0x2191},  {"darr", 0x2193},  {"shy", 0xAD},      {"zwj", 0x200D},    {"zwnj", 0x200C}};
    return named.value(body.toString(), 0);
}

void AppendChar(QString &out, char32_t c) {
    if (c > 0xFFFF) {
        out += QChar::highSurrogate(c);
        out += QChar::lowSurrogate(c);
    } else {
        out += QChar(char16_t(c));
    }
}

// Calls `each(code point, its UTF-16 units)` for every character, a lone surrogate as itself.
template <typename F> void ForEachChar(QStringView s, F each) {
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            each(QChar::surrogateToUcs4(c, s[i + 1]), s.mid(i, 2));
            ++i;
        } else {
            each(char32_t(c.unicode()), s.mid(i, 1));
        }
    }
}

// Characters one by one: for the few that need care.
void EscapeEach(QString &out, QStringView text, bool markInvalid) {
    ForEachChar(text, [&](char32_t c, QStringView units) {
        switch (c) {
        case U'&':
            out += QLatin1String("&amp;");
            return;
        case U'<':
            out += QLatin1String("&lt;");
            return;
        case U'>':
            out += QLatin1String("&gt;");
            return;
        case U'"':
            out += QLatin1String("&quot;");
            return;
        default:
            break;
        }
        if (XmlChar(c) && !(c == 0xD || c == 0xA)) {
            out += units;
        } else if (c == 0xA || c == 0xD || c == 0x9) {
            out += QStringLiteral("&#x%1;").arg(uint(c), 0, 16); // kept through attribute normalisation
        } else if (markInvalid) {
            out += QStringLiteral("<g type=\"U+%1\">\uFFFD</g>")
                       .arg(QString::number(uint(c), 16).toUpper().rightJustified(4, QLatin1Char('0')));
        } else {
            out += QChar(0xFFFD);
        }
    });
}

void EscapeInto(QString &out, QStringView text, bool markInvalid) {
    // Runs of characters that go through unchanged are copied whole.
    const auto plain = [](char16_t u) {
        return u >= 0x20 && u != u'&' && u != u'<' && u != u'>' && u != u'"' && (u < 0xD800 || u > 0xDFFF) &&
               u < 0xFFFE;
    };
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        qsizetype end = i;
        while (end < n && plain(text[end].unicode()))
            ++end;
        out += text.mid(i, end - i);
        if (end >= n) break;
        const qsizetype length =
            text[end].isHighSurrogate() && end + 1 < n && text[end + 1].isLowSurrogate() ? 2 : 1;
        EscapeEach(out, text.mid(end, length), markInvalid);
        i = end + length;
    }
}

// The look of an HTML element the notes may use for emphasis, as a TEI rend; empty for others.
QString RendOf(const QString &name) {
    if (name == QLatin1String("b") || name == QLatin1String("strong")) return QStringLiteral("bold");
    if (name == QLatin1String("i") || name == QLatin1String("em")) return QStringLiteral("italic");
    if (name == QLatin1String("u")) return QStringLiteral("underline");
    if (name == QLatin1String("sup") || name == QLatin1String("sub")) return name;
    return QString();
}

struct Open {
    QString name;
    bool asText; // its tags are kept as text
};

} // namespace

QString XmlEscape(QStringView text) {
    QString out;
    out.reserve(text.size() + 8);
    EscapeInto(out, text, false);
    return out;
}

QStringList FieldLines(const NoteEntry &entry, NotesField field) {
    QString text;
    QString separator = QStringLiteral("<br><br>");
    bool trailing = true;
    switch (field) {
    case NotesField::Title: {
        text = entry.title;
        qsizetype lead = 0;
        while (lead < text.size() && text[lead] == QChar(0x3000))
            ++lead;
        text.remove(0, lead);
        separator = QStringLiteral("<br>");
        trailing = false;
        break;
    }
    case NotesField::Content:
        text = entry.content;
        trailing = false;
        break;
    case NotesField::Note:
        text = entry.note;
        break;
    case NotesField::Remark:
        text = entry.remark;
        break;
    case NotesField::Source:
        text = entry.source;
        break;
    }
    if (text.isEmpty()) return {};
    if (trailing && text.endsWith(separator)) text.chop(separator.size());
    return text.split(separator);
}

QString FieldText(const NoteEntry &entry, NotesField field) {
    return FieldLines(entry, field).join(QStringLiteral("<br>"));
}

QString MarkupToTei(QStringView html) {
    QString out;
    out.reserve(html.size() + html.size() / 4);
    QList<Open> open;
    for (const Token &t : Tokenize(html)) {
        switch (t.kind) {
        case Token::Text:
            EscapeInto(out, t.raw, true);
            break;
        case Token::Entity: {
            const QStringView body = t.raw.mid(1, t.raw.size() - 2);
            if (body == u"amp" || body == u"lt" || body == u"gt" || body == u"quot" || body == u"apos") {
                out += t.raw;
            } else if (const char32_t c = EntityChar(t.raw)) {
                QString one;
                AppendChar(one, c);
                EscapeInto(out, one, true);
            } else {
                EscapeInto(out, t.raw, true);
            }
            break;
        }
        case Token::StartTag: {
            if (t.name == QLatin1String("br")) {
                out += QLatin1String("<lb/>");
                break;
            }
            QString rend = RendOf(t.name);
            bool known = !rend.isEmpty() && t.attributes.isEmpty();
            if (t.name == QLatin1String("span")) {
                known = t.attributes.isEmpty() ||
                        (t.attributes.size() == 1 && t.attributes[0].first == QLatin1String("class"));
                rend = t.attributes.isEmpty() ? QString() : t.attributes[0].second.simplified();
            }
            if (!known) {
                EscapeInto(out, t.raw, true);
                if (!t.selfClosing && (t.name == QLatin1String("span") || !RendOf(t.name).isEmpty()))
                    open.append({t.name, true}); // its closing tag is text too
                break;
            }
            if (t.selfClosing) {
                out += rend.isEmpty() ? QStringLiteral("<hi/>")
                                      : QStringLiteral("<hi rend=\"%1\"/>").arg(XmlEscape(rend));
                break;
            }
            out += rend.isEmpty() ? QStringLiteral("<hi>")
                                  : QStringLiteral("<hi rend=\"%1\">").arg(XmlEscape(rend));
            open.append({t.name, false});
            break;
        }
        case Token::EndTag: {
            if (t.name == QLatin1String("br")) { // "</br>": browsers break the line too
                out += QLatin1String("<lb/>");
                break;
            }
            qsizetype k = open.size() - 1;
            while (k >= 0 && open[k].name != t.name)
                --k;
            if (k < 0) {
                EscapeInto(out, t.raw, true);
                break;
            }
            // Elements opened inside it end with it, as the browser ends them.
            while (open.size() > k) {
                const Open o = open.takeLast();
                if (o.asText)
                    EscapeInto(out, open.size() == k ? t.raw : QString(), true);
                else
                    out += QLatin1String("</hi>");
            }
            break;
        }
        }
    }
    while (!open.isEmpty())
        if (!open.takeLast().asText) out += QLatin1String("</hi>");
    return out;
}

QString MarkupToMarkdown(QStringView html) {
    QString out;
    out.reserve(html.size() + html.size() / 8);
    bool lineStart = true;
    for (const Token &t : Tokenize(html)) {
        if (t.kind != Token::Text) {
            out += t.raw;
            lineStart = false;
            continue;
        }
        QStringView text = t.raw;
        if (lineStart) {
            // What would begin a heading, a quote, a list or a rule.
            qsizetype digits = 0;
            while (digits < text.size() && text[digits].isDigit())
                ++digits;
            if (!text.isEmpty() && QStringView(u"#>-+=").contains(text[0]))
                out += QLatin1Char('\\');
            else if (digits > 0 && digits < text.size() && (text[digits] == u'.' || text[digits] == u')')) {
                out += text.left(digits);
                out += QLatin1Char('\\');
                text = text.mid(digits);
            }
        }
        for (const QChar c : text) {
            if (c == u'<')
                out += QLatin1String("&lt;");
            else if (c == u'&')
                out += QLatin1String("&amp;");
            else {
                if (QStringView(u"\\`*_[]#|~").contains(c)) out += QLatin1Char('\\');
                out += c;
            }
        }
        lineStart = false;
    }
    return out;
}

QString MarkupToPlain(QStringView html) {
    QString out;
    for (const Token &t : Tokenize(html)) {
        if (t.kind == Token::Text)
            out += t.raw;
        else if (t.kind == Token::Entity) {
            if (const char32_t c = EntityChar(t.raw))
                AppendChar(out, c);
            else
                out += t.raw;
        } else if (t.name == QLatin1String("br"))
            out += QLatin1Char(' ');
    }
    return out;
}
