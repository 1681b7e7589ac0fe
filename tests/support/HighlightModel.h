#pragma once
// The search highlight in its slow, plain form, which the real one must agree with: the body cut by a
// regular expression into tags, entity references and text, and each run of text marked on its own.

#include <QRegularExpression>
#include <QString>

// One run of text, as a plain cut-and-copy loop.
inline QString ModelMarkRun(const QString &text, const QString &word) {
    QString result, rest = text;
    for (qsizetype p = rest.indexOf(word); p >= 0; p = rest.indexOf(word)) {
        result += rest.left(p) + QStringLiteral("<span class='search'>") + word + QStringLiteral("</span>");
        rest.remove(0, p + word.size());
    }
    return result + rest;
}

inline QString ModelHighlight(const QString &body, const QString &word) {
    if (word.isEmpty()) return body;
    static const QRegularExpression markup(QStringLiteral("<[^>]*>|&[A-Za-z0-9#]+;"));
    QString result;
    qsizetype from = 0;
    for (const QRegularExpressionMatch &m : markup.globalMatch(body)) {
        result += ModelMarkRun(body.mid(from, m.capturedStart() - from), word) + m.captured();
        from = m.capturedEnd();
    }
    return result + ModelMarkRun(body.mid(from), word);
}
