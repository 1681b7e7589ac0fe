#pragma once
// A small XML well-formedness checker for what the export writes, without an XML library: one root
// element, tags that nest, quoted attributes without duplicates, references that name a character, and
// only characters XML allows. Returns an empty string when the text is well-formed, otherwise what is
// wrong and where.

#include <QSet>
#include <QString>
#include <QStringList>

inline QString CheckXmlWellFormed(const QString &xml) {
    const qsizetype n = xml.size();
    qsizetype i = 0;
    QStringList open;
    bool rootSeen = false;
    const auto fail = [&](const char *what) {
        return QStringLiteral("%1 at %2").arg(QLatin1String(what)).arg(i);
    };
    const auto nameStart = [](QChar c) { return c.isLetter() || c == u'_' || c == u':'; };
    const auto nameChar = [&](QChar c) { return nameStart(c) || c.isDigit() || c == u'-' || c == u'.'; };
    const auto readName = [&]() {
        const qsizetype s = i;
        if (i < n && nameStart(xml[i]))
            while (i < n && nameChar(xml[i]))
                ++i;
        return xml.mid(s, i - s);
    };
    // A character XML 1.0 may hold, surrogate pairs taken whole.
    const auto charOk = [&](qsizetype &k) {
        const QChar c = xml[k];
        if (c.isHighSurrogate()) return k + 1 < n && xml[++k].isLowSurrogate();
        const ushort u = c.unicode();
        return !c.isLowSurrogate() &&
               (u == 0x9 || u == 0xA || u == 0xD || (u >= 0x20 && u != 0xFFFE && u != 0xFFFF));
    };
    const auto reference = [&]() { // at '&'
        const qsizetype end = xml.indexOf(u';', i);
        if (end < 0 || end - i > 12) return false;
        const QString body = xml.mid(i + 1, end - i - 1);
        bool ok = true;
        if (body.startsWith(u'#')) {
            const bool hex = body.startsWith(QLatin1String("#x"));
            const uint v = hex ? body.mid(2).toUInt(&ok, 16) : body.mid(1).toUInt(&ok, 10);
            ok = ok && (v == 0x9 || v == 0xA || v == 0xD || (v >= 0x20 && v <= 0xD7FF) ||
                        (v >= 0xE000 && v <= 0xFFFD) || (v >= 0x10000 && v <= 0x10FFFF));
        } else {
            ok = QStringList{"amp", "lt", "gt", "quot", "apos"}.contains(body);
        }
        i = end + 1;
        return ok;
    };
    if (xml.startsWith(QLatin1String("<?xml"))) {
        i = xml.indexOf(QLatin1String("?>"));
        if (i < 0) return fail("unclosed XML declaration");
        i += 2;
    }
    while (i < n) {
        const QChar c = xml[i];
        if (c == u'<') {
            if (xml.mid(i, 4) == QLatin1String("<!--")) {
                const qsizetype end = xml.indexOf(QLatin1String("--"), i + 4);
                if (end < 0 || xml.mid(end, 3) != QLatin1String("-->")) return fail("bad comment");
                i = end + 3;
                continue;
            }
            ++i;
            const bool closing = i < n && xml[i] == u'/';
            if (closing) ++i;
            const QString name = readName();
            if (name.isEmpty()) return fail("'<' without a tag name");
            if (closing) {
                while (i < n && xml[i].isSpace())
                    ++i;
                if (i >= n || xml[i] != u'>') return fail("bad closing tag");
                ++i;
                if (open.isEmpty() || open.takeLast() != name) return fail("closing tag does not match");
                continue;
            }
            if (open.isEmpty() && rootSeen) return fail("a second root element");
            rootSeen = true;
            QSet<QString> attributes;
            for (;;) {
                const bool space = i < n && xml[i].isSpace();
                while (i < n && xml[i].isSpace())
                    ++i;
                if (i >= n) return fail("unclosed tag");
                if (xml[i] == u'>') {
                    ++i;
                    open << name;
                    break;
                }
                if (xml.mid(i, 2) == QLatin1String("/>")) {
                    i += 2;
                    break;
                }
                if (!space) return fail("attributes need space between them");
                const QString attr = readName();
                if (attr.isEmpty() || attributes.contains(attr))
                    return fail("bad or repeated attribute name");
                attributes.insert(attr);
                if (i >= n || xml[i] != u'=') return fail("attribute without '='");
                ++i;
                if (i >= n || (xml[i] != u'"' && xml[i] != u'\'')) return fail("unquoted attribute value");
                const QChar quote = xml[i++];
                while (i < n && xml[i] != quote) {
                    if (xml[i] == u'<') return fail("'<' in an attribute value");
                    if (xml[i] == u'&') {
                        if (!reference()) return fail("bad reference in an attribute value");
                        continue;
                    }
                    if (!charOk(i)) return fail("character XML cannot hold");
                    ++i;
                }
                if (i >= n) return fail("unclosed attribute value");
                ++i;
            }
            continue;
        }
        if (c == u'&') {
            if (!reference()) return fail("bad reference");
            continue;
        }
        if (open.isEmpty() && !c.isSpace()) return fail("text outside the root element");
        if (c == u'>' && i >= 2 && xml[i - 1] == u']' && xml[i - 2] == u']') return fail("']]>' in text");
        if (!charOk(i)) return fail("character XML cannot hold");
        ++i;
    }
    if (!open.isEmpty()) return QStringLiteral("element <%1> never closed").arg(open.last());
    return rootSeen ? QString() : QStringLiteral("no root element");
}
