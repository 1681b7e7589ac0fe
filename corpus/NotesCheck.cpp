#include "corpus/NotesCheck.h"

#include "common/Error.h"
#include "corpus/NotesTags.h"
#include "corpus/NotesWalk.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

// The white space of these files: spaces, tabs and the ideographic space used to indent headwords.
bool IsBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QChar(0x3000);
}

QStringView Trimmed(QStringView s) {
    qsizetype b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

// The framing of an XML-like file that means nothing to the reader and loses nothing when skipped:
// a declaration, a comment, a doctype, or a lone tag such as the root element's (but not a stray
// part of a page line).
bool IsFraming(QStringView trimmed) {
    static const QRegularExpression framing(QStringLiteral(R"(^(?:<\?.*\?>|<!--.*-->|<!DOCTYPE[^<>]*>|)"
                                                           R"(</?([A-Za-z_][\w.:-]*)(?:\s[^<>]*)?/?>)$)"));
    const QRegularExpressionMatch m = framing.match(trimmed.toString());
    return m.hasMatch() && m.capturedView(1) != QLatin1String("page");
}

// Whether any line holds one of the tags the reader looks for.
bool HasNotesTag(const NotesText &text) {
    QList<QStringView> tags{kEntryOpenTag, kEntryCloseTag, kPageOpenTag, kPageCloseTag, kPositionTag};
    for (const QString &t : kSectionOpenTags)
        tags << t;
    for (const QString &t : kSectionCloseTags)
        tags << t;
    for (qsizetype i = 0; i < text.LineCount(); ++i) {
        const QStringView line = text.Line(i);
        if (!line.contains(u'<')) continue;
        for (const QStringView tag : tags)
            if (line.contains(tag)) return true;
    }
    return false;
}

QString Quoted(QStringView s) {
    return QLatin1Char('"') + s.toString() + QLatin1Char('"');
}

class Collector : public WalkObserver {
public:
    explicit Collector(const NotesText &text) : text_(text) {}

    QList<NotesProblem> problems;

    void skippedLine(qsizetype line) override {
        const QStringView L = text_.Line(line);
        const QStringView trimmed = Trimmed(L);
        if (trimmed.isEmpty() || IsFraming(trimmed)) return;
        for (const QString &open : kSectionOpenTags) {
            if (!L.contains(open)) continue;
            const bool afterBlank = line > 0 && Trimmed(text_.Line(line - 1)).isEmpty();
            add(line, ProblemKind::Skipped,
                afterBlank
                    ? QStringLiteral("%1 section after a blank line is not part of the entry above; "
                                     "the reader skips it")
                          .arg(open)
                    : QStringLiteral("%1 section does not follow its entry's headword, position line or "
                                     "earlier section directly (order: 內容, 校註, 案語, 出處); the "
                                     "reader skips it")
                          .arg(open));
            return;
        }
        if (L.contains(kPositionTag)) {
            add(line, ProblemKind::Skipped,
                QStringLiteral("position line not directly after a headword; the reader skips it"));
            return;
        }
        add(line, ProblemKind::Skipped, QStringLiteral("text between entries; the reader skips it"));
    }

    void pageLine(qsizetype line) override {
        const QStringView L = text_.Line(line);
        QStringList wrong;
        if (!L.startsWith(kPageOpenTag)) wrong << QStringLiteral("\"<page>\" does not start the line");
        if (!L.endsWith(kPageCloseTag)) wrong << QStringLiteral("\"</page>\" does not end the line");
        if (wrong.isEmpty()) return;
        const QStringView name = L.size() > 13 ? L.mid(6, L.size() - 13) : QStringView();
        add(line, ProblemKind::TagPlacement,
            QStringLiteral("page line: %1; the reader takes the page name %2")
                .arg(wrong.join(QStringLiteral(" and ")), Quoted(name)));
    }

    void headword(qsizetype openLine, qsizetype closeLine) override {
        checkOpening(openLine, kEntryOpenTag, QStringLiteral("headword"));
        if (closeLine < 0) {
            add(openLine, ProblemKind::UnclosedHeadword,
                QStringLiteral("headword without %1 before the end of the file; the reader stops here")
                    .arg(kEntryCloseTag));
            return;
        }
        checkClosing(closeLine, kEntryCloseTag, QStringLiteral("headword"));
    }

    void positionLine(qsizetype line, bool taken) override {
        if (!taken)
            add(line, ProblemKind::Position,
                QStringLiteral("the reader takes no position from this line: it needs exactly one "
                               "x=\"…\" y=\"…\" pair of quoted whole numbers, x first"));
    }

    void positionOutOfRange(qsizetype line) override {
        add(line, ProblemKind::Range,
            QStringLiteral("position value does not fit a 32-bit integer; the reader stops here"));
    }

    void section(QStringView openTag, QStringView closeTag, qsizetype openLine,
                 qsizetype closeLine) override {
        const QString what = openTag.toString() + QStringLiteral(" section");
        checkOpening(openLine, openTag, what);
        if (closeLine < 0) {
            add(openLine, ProblemKind::UnclosedSection,
                QStringLiteral("%1 without %2 before the end of the file; the reader puts every later line "
                               "into it")
                    .arg(what, closeTag.toString()));
            return;
        }
        checkClosing(closeLine, closeTag, what);
    }

private:
    const NotesText &text_;

    void add(qsizetype line, ProblemKind kind, const QString &message) {
        problems.append(NotesProblem{line + 1, kind, message});
    }

    // The reader drops the first characters of an opening line as if they were the tag.
    void checkOpening(qsizetype line, QStringView tag, const QString &what) {
        const QStringView L = text_.Line(line);
        if (!L.startsWith(tag))
            add(line, ProblemKind::TagPlacement,
                QStringLiteral("%1: %2 does not start the line; the reader drops its first %3 characters %4")
                    .arg(what, tag.toString())
                    .arg(tag.size())
                    .arg(Quoted(L.left(tag.size()))));
    }

    // ... and the last characters of a closing line.
    void checkClosing(qsizetype line, QStringView tag, const QString &what) {
        const QStringView L = text_.Line(line);
        if (!L.endsWith(tag))
            add(line, ProblemKind::TagPlacement,
                QStringLiteral("%1: %2 does not end the line; the reader drops its last %3 characters %4")
                    .arg(what, tag.toString())
                    .arg(tag.size())
                    .arg(Quoted(L.right(tag.size()))));
    }
};

// Line order, kinds in their own order on one line, and one problem per kind and line: the
// messages of a line that is wrong twice in the same way (both tags of a one-line headword) join.
QList<NotesProblem> Ordered(QList<NotesProblem> problems) {
    std::stable_sort(problems.begin(), problems.end(), [](const NotesProblem &a, const NotesProblem &b) {
        return a.line != b.line ? a.line < b.line : a.kind < b.kind;
    });
    QList<NotesProblem> out;
    for (NotesProblem &p : problems) {
        if (!out.isEmpty() && out.last().line == p.line && out.last().kind == p.kind)
            out.last().message += QStringLiteral("; ") + p.message;
        else
            out.append(std::move(p));
    }
    return out;
}

void AppendEscaped(QByteArray &out, const QByteArray &utf8) {
    static const char hex[] = "0123456789abcdef";
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default:
            if (u < 0x20) {
                out += "\\u00";
                out += hex[u >> 4];
                out += hex[u & 0xF];
            } else {
                out += c; // UTF-8 passes through unchanged
            }
        }
    }
}

// A lone UTF-16 surrogate (the reader makes one when it cuts a tag off by character count in the
// middle of a pair) has no UTF-8 form: JSON writes it as a backslash-u escape of its code unit, which
// keeps it exact, where a conversion to UTF-8 would turn it into "?".
void AppendJsonString(QByteArray &out, const QString &s) {
    static const char hex[] = "0123456789abcdef";
    out += '"';
    const qsizetype size = s.size();
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = s[i];
        if (!c.isSurrogate()) continue;
        if (c.isHighSurrogate() && i + 1 < size && s[i + 1].isLowSurrogate()) {
            ++i; // a whole pair: UTF-8 has it
            continue;
        }
        AppendEscaped(out, QStringView(s).mid(runStart, i - runStart).toUtf8());
        const char16_t unit = c.unicode();
        out += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4)
            out += hex[(unit >> shift) & 0xF];
        runStart = i + 1;
    }
    AppendEscaped(out, QStringView(s).mid(runStart).toUtf8());
    out += '"';
}

} // namespace

QString ProblemKindName(ProblemKind kind) {
    switch (kind) {
    case ProblemKind::Encoding:
        return QStringLiteral("encoding");
    case ProblemKind::NotNotes:
        return QStringLiteral("not-notes");
    case ProblemKind::Skipped:
        return QStringLiteral("skipped");
    case ProblemKind::Position:
        return QStringLiteral("position");
    case ProblemKind::Range:
        return QStringLiteral("range");
    case ProblemKind::UnclosedHeadword:
        return QStringLiteral("unclosed-headword");
    case ProblemKind::UnclosedSection:
        return QStringLiteral("unclosed-section");
    case ProblemKind::TagPlacement:
        return QStringLiteral("tag-placement");
    }
    return QString();
}

NotesCheckResult CheckNotes(const NotesText &text, const QString &fileName) {
    NotesCheckResult result;
    Collector collector(text);
    QList<NoteEntry> records;
    try {
        // The section texts are not needed to judge the lines: walk titles only, as the writer does.
        WalkNotes(text, fileName, records, nullptr, true, &collector);
    } catch (const VelmoraError &e) {
        result.stopError = e.message();
    }
    result.problems = Ordered(std::move(collector.problems));
    result.records = records.size();
    if (records.isEmpty() && result.stopError.isEmpty() && !HasNotesTag(text)) {
        // Not a notes file at all (or one in another encoding, where no tag reads as one): every
        // line would be "skipped", which says nothing about what is wrong.
        NotesProblem whole;
        whole.line = 1;
        if (!text.IsUtf8()) {
            whole.kind = ProblemKind::Encoding;
            whole.message =
                text.LooksUtf16()
                    ? QStringLiteral("the file is not UTF-8 (it looks like UTF-16); the reader reads it as "
                                     "UTF-8 and finds no records: save it as UTF-8")
                    : QStringLiteral("the file is not UTF-8 (some other encoding); the reader reads it as "
                                     "UTF-8 and finds no records: save it as UTF-8");
        } else {
            whole.kind = ProblemKind::NotNotes;
            whole.message =
                QStringLiteral("no line holds a notes tag (%1, <page>, %2…); this is not a notes file, "
                               "and the reader finds no records in it")
                    .arg(kEntryOpenTag, kSectionOpenTags[0]);
        }
        // An empty file, or one of blank lines only, is an empty notebook, not a wrong file.
        bool blank = true;
        for (qsizetype i = 0; i < text.LineCount() && blank; ++i)
            blank = Trimmed(text.Line(i)).isEmpty();
        if (!blank || !text.IsUtf8()) result.problems = {whole};
    }
    for (const NoteEntry &r : records) {
        if (r.isPage) {
            ++result.pages;
        } else {
            ++result.entries;
            if (r.x != -1 || r.y != -1) ++result.entriesWithPosition;
        }
    }
    return result;
}

QString FormatProblem(const QString &fileName, const NotesProblem &problem) {
    return QStringLiteral("%1:%2: %3: %4")
        .arg(fileName, QString::number(problem.line), ProblemKindName(problem.kind), problem.message);
}

QByteArray RecordJson(const NoteEntry &record) {
    QByteArray out;
    out.reserve(64 + 3 * (record.title.size() + record.content.size() + record.note.size() +
                          record.remark.size() + record.source.size() + record.pageImage.size()));
    out += "{\"isPage\":";
    out += record.isPage ? "true" : "false";
    const std::pair<const char *, const QString *> leading[] = {{",\"pageImage\":", &record.pageImage},
                                                                {",\"title\":", &record.title}};
    for (const auto &[key, value] : leading) {
        out += key;
        AppendJsonString(out, *value);
    }
    out += ",\"lineCount\":";
    out += QByteArray::number(record.lineCount);
    const std::pair<const char *, const QString *> texts[] = {{",\"content\":", &record.content},
                                                              {",\"note\":", &record.note},
                                                              {",\"remark\":", &record.remark},
                                                              {",\"source\":", &record.source}};
    for (const auto &[key, value] : texts) {
        out += key;
        AppendJsonString(out, *value);
    }
    out += ",\"x\":";
    out += QByteArray::number(record.x);
    out += ",\"y\":";
    out += QByteArray::number(record.y);
    out += '}';
    return out;
}
