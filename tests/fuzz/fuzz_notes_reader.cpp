// The notes reader against a plain model: the line walk written out as simply as it can be, over the same
// decoded lines. Every record, every field, and the error with its line index must agree.
#include "FuzzSupport.h"
#include "common/Error.h"
#include "corpus/NotesText.h"
#include "corpus/NotesWalk.h"

#include <QRegularExpression>

namespace {

struct ModelResult {
    QList<NoteEntry> records;
    bool failed = false;
    qint64 index = -1; // of a headword that never closes
};

QString Cut(const QString &s, qsizetype first, qsizetype last) {
    return s.size() > first + last ? s.mid(first, s.size() - first - last) : QString();
}

ModelResult ReadModel(const QList<QString> &lines) {
    static const QRegularExpression position(
        QStringLiteral(R"([xX]\s*=\s*["'](\-?\d+)["']\s*[yY]\s*=\s*["'](\-?\d+)["'])"));
    const struct {
        const char16_t *open, *close;
        QString NoteEntry::*field;
        bool breakAfterLast;
    } sections[] = {{u"<內容>", u"</內容>", &NoteEntry::content, false},
                    {u"<校註>", u"</校註>", &NoteEntry::note, true},
                    {u"<案語>", u"</案語>", &NoteEntry::remark, true},
                    {u"<出處>", u"</出處>", &NoteEntry::source, true}};
    ModelResult result;
    const qsizetype n = lines.size();
    auto at = [&](qsizetype c) { return c < n ? lines[c] : QString(); };
    QString page;
    qsizetype i = 0;
    while (i < n) {
        const QString &L = lines[i];
        if (L.contains(u"<條目>")) {
            NoteEntry e;
            e.pageImage = page;
            qsizetype k = 0;
            QString T = Cut(L, 4, 0);
            while (!T.contains(u"</條目>")) {
                e.title += T + QStringLiteral("<br>");
                if (i + ++k >= n) {
                    result.failed = true;
                    result.index = i + k;
                    return result;
                }
                T = lines[i + k];
            }
            e.title += Cut(T, 0, 5);
            e.lineCount = qint32(k + 1);
            qsizetype c = i + k + 1;
            if (at(c).contains(u"<座標")) {
                QList<QRegularExpressionMatch> matches;
                for (auto it = position.globalMatch(at(c)); it.hasNext();)
                    matches.append(it.next());
                if (matches.size() == 1) {
                    bool okX = false, okY = false;
                    const qint64 x = matches[0].captured(1).toLongLong(&okX);
                    const qint64 y = matches[0].captured(2).toLongLong(&okY);
                    if (!okX || !okY || x != qint32(x) || y != qint32(y)) {
                        result.failed = true;
                        return result;
                    }
                    e.x = qint32(x);
                    e.y = qint32(y);
                }
                ++c;
            }
            for (const auto &s : sections) {
                if (!at(c).contains(s.open)) continue;
                QString T = Cut(at(c), 4, 0);
                for (;;) {
                    ++c;
                    if (T.contains(s.close)) {
                        e.*s.field += Cut(T, 0, 5) + QString::fromUtf16(s.breakAfterLast ? u"<br><br>" : u"");
                        break;
                    }
                    e.*s.field += T + QStringLiteral("<br><br>");
                    if (c >= n) break; // a section the file ends in keeps what it gathered
                    T = lines[c];
                }
            }
            result.records.append(e);
            i = c;
        } else if (L.contains(u"<page>")) {
            const QString name = Cut(L, 6, 7);
            page = QStringLiteral(".\\image\\") + name.left(1) + QStringLiteral("\\") + name +
                   QStringLiteral(".jpg");
            NoteEntry p;
            p.isPage = true;
            p.pageImage = page;
            p.title = QStringLiteral("[") + name + QStringLiteral("]");
            result.records.append(p);
            ++i;
        } else {
            ++i;
        }
    }
    return result;
}

// Lines split at CR LF, LF or CR by hand; a line end at the very end adds no line.
QList<QString> ModelLines(const QString &text) {
    QList<QString> lines;
    QString current;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch == u'\n' || ch == u'\r') {
            lines.append(current);
            current.clear();
            if (ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        } else {
            current += ch;
        }
    }
    if (!current.isEmpty()) lines.append(current);
    return lines;
}

bool SameRecord(const NoteEntry &a, const NoteEntry &b) {
    return a.isPage == b.isPage && a.pageImage == b.pageImage && a.title == b.title &&
           a.lineCount == b.lineCount && a.content == b.content && a.note == b.note && a.remark == b.remark &&
           a.source == b.source && a.x == b.x && a.y == b.y;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const NotesText text = NotesText::FromBytes(bytes);
    QList<QString> lines;
    for (qsizetype i = 0; i < text.LineCount(); ++i)
        lines.append(text.Line(i).toString());
    QString decoded = QString::fromUtf8(bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes);
    FUZZ_CHECK(lines == ModelLines(decoded), "lines differ from a plain split (%lld lines)",
               qint64(lines.size()));

    QList<NoteEntry> records, titles;
    QList<RecordPlace> places;
    bool failed = false;
    qint64 index = -1;
    try {
        WalkNotes(text, QStringLiteral("fuzz.xml"), records, &places);
    } catch (const VelmoraError &e) {
        failed = true;
        index = e.index();
        FUZZ_CHECK(e.message().contains(u"fuzz.xml"), "error without the file name: %s", e.what());
    }
    const ModelResult model = ReadModel(lines);
    FUZZ_CHECK(failed == model.failed && index == model.index, "failure %d at %lld, model %d at %lld", failed,
               index, model.failed, model.index);
    FUZZ_CHECK(records.size() == model.records.size(), "%lld records, model %lld", qint64(records.size()),
               qint64(model.records.size()));
    FUZZ_CHECK(places.size() == records.size(), "%lld places for %lld records", qint64(places.size()),
               qint64(records.size()));
    for (qsizetype r = 0; r < records.size(); ++r)
        FUZZ_CHECK(SameRecord(records[r], model.records[r]), "record %lld differs from the model", qint64(r));

    // The writer's walk without the section texts sees the same records and places.
    QList<RecordPlace> titlePlaces;
    try {
        WalkNotes(text, QStringLiteral("fuzz.xml"), titles, &titlePlaces, true);
    } catch (const VelmoraError &) {
    }
    FUZZ_CHECK(titles.size() == records.size(), "titles-only walk: %lld records", qint64(titles.size()));
    for (qsizetype r = 0; r < records.size(); ++r)
        FUZZ_CHECK(titles[r].title == records[r].title && titlePlaces[r].closeLine == places[r].closeLine &&
                       titlePlaces[r].positionLineFollows == places[r].positionLineFollows,
                   "titles-only walk differs at record %lld", qint64(r));
    return 0;
}
