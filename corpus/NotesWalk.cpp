#include "corpus/NotesWalk.h"

#include "common/Error.h"
#include "corpus/NotesTags.h"

#include <pcre2.h>

#include <memory>

namespace {

const QString kBreak = QStringLiteral("<br>");
const QString kDoubleBreak = QStringLiteral("<br><br>");

struct Section {
    QString open;
    QString close;
    QString NoteEntry::*field;
    bool breakAfterLast;
};

const Section kSections[] = {
    {kSectionOpenTags[0], kSectionCloseTags[0], &NoteEntry::content, false},
    {kSectionOpenTags[1], kSectionCloseTags[1], &NoteEntry::note, true},
    {kSectionOpenTags[2], kSectionCloseTags[2], &NoteEntry::remark, true},
    {kSectionOpenTags[3], kSectionCloseTags[3], &NoteEntry::source, true},
};

// Without the first n characters (empty when shorter).
QStringView DropFirst(QStringView s, qsizetype n) {
    return s.size() > n ? s.mid(n) : QStringView();
}
// Without the last n characters (empty when shorter).
QStringView DropLast(QStringView s, qsizetype n) {
    return s.size() > n ? s.left(s.size() - n) : QStringView();
}

struct CodeDeleter {
    void operator()(pcre2_code *c) const { pcre2_code_free(c); }
};
struct MatchDataDeleter {
    void operator()(pcre2_match_data *m) const { pcre2_match_data_free(m); }
};

const pcre2_code *PositionPattern() {
    static const std::unique_ptr<pcre2_code, CodeDeleter> code([] {
        static const char16_t pattern[] = uR"([xX]\s*=\s*["'](\-?\d+)["']\s*[yY]\s*=\s*["'](\-?\d+)["'])";
        int error = 0;
        PCRE2_SIZE offset = 0;
        pcre2_code *c = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern), PCRE2_ZERO_TERMINATED, 0, &error,
                                      &offset, nullptr);
        if (c) pcre2_jit_compile(c, PCRE2_JIT_COMPLETE);
        return c;
    }());
    return code.get();
}

qint32 ToInt32(QStringView digits, const QString &fileName, qsizetype lineIndex) {
    bool ok = false;
    const qint32 v = digits.toInt(&ok);
    if (!ok)
        throw VelmoraError(QStringLiteral("筆記檔 \"%1\" 第 %2 行的座標值 \"%3\" 超出 32 位元整數的範圍。")
                               .arg(ShownPath(fileName))
                               .arg(lineIndex + 1)
                               .arg(digits.toString()));
    return v;
}

} // namespace

bool ParsePositionLine(QStringView line, qint32 &x, qint32 &y, const QString &fileName, qsizetype lineIndex) {
    const pcre2_code *code = PositionPattern();
    if (!code) throw VelmoraError(QStringLiteral("The position pattern could not be compiled."));
    std::unique_ptr<pcre2_match_data, MatchDataDeleter> md(
        pcre2_match_data_create_from_pattern(code, nullptr));
    const auto subject = reinterpret_cast<PCRE2_SPTR>(line.utf16());
    const PCRE2_SIZE length = PCRE2_SIZE(line.size());
    PCRE2_SIZE start = 0;
    int matches = 0;
    QStringView gx, gy;
    while (start <= length) {
        // The line is not checked as UTF-16: a lone surrogate is just another code unit here.
        const int rc = pcre2_match(code, subject, length, start, PCRE2_NO_UTF_CHECK, md.get(), nullptr);
        if (rc < 0) break;
        const PCRE2_SIZE *ov = pcre2_get_ovector_pointer(md.get());
        if (++matches == 1) {
            gx = line.mid(qsizetype(ov[2]), qsizetype(ov[3] - ov[2]));
            gy = line.mid(qsizetype(ov[4]), qsizetype(ov[5] - ov[4]));
        } else {
            break; // two matches already rule the line out
        }
        start = ov[1] > ov[0] ? ov[1] : ov[1] + 1;
    }
    if (matches != 1) return false;
    x = ToInt32(gx, fileName, lineIndex);
    y = ToInt32(gy, fileName, lineIndex);
    return true;
}

QString FormatPositionLine(qint32 x, qint32 y) {
    return QStringLiteral("<座標 x=\"%1\" y=\"%2\"/>").arg(x).arg(y);
}

void WalkNotes(const NotesText &text, const QString &fileName, QList<NoteEntry> &records,
               QList<RecordPlace> *places, bool titlesOnly, WalkObserver *observer) {
    const qsizetype n = text.LineCount();
    auto lineOrEmpty = [&](qsizetype c) { return c < n ? text.Line(c) : QStringView(); };
    QString pageImage;
    qsizetype i = 0;
    while (i < n) {
        const QStringView L = text.Line(i);
        if (L.contains(kEntryOpenTag)) {
            NoteEntry e;
            e.pageImage = pageImage;
            // Headword: from the opening line up to the first line holding the closing tag.
            qsizetype k = 0;
            QStringView T = DropFirst(L, 4);
            for (;;) {
                if (T.contains(kEntryCloseTag)) {
                    e.title += DropLast(T, 5);
                    break;
                }
                e.title += T;
                e.title += kBreak;
                ++k;
                if (i + k >= n) {
                    if (observer) observer->headword(i, -1);
                    throw VelmoraError(QStringLiteral("筆記檔 \"%1\" 在條目名稱中結束：找不到 </條目>（第 %2 "
                                                      "行超出檔案的 %3 行）。")
                                           .arg(ShownPath(fileName))
                                           .arg(i + k)
                                           .arg(n),
                                       i + k, n);
                }
                T = text.Line(i + k);
            }
            e.lineCount = qint32(k + 1);
            if (observer) observer->headword(i, i + k);
            RecordPlace place{i + k, false};
            qsizetype c = i + k + 1;
            QStringView C = lineOrEmpty(c);
            // An optional position line directly after the headword; it is used up whatever it holds.
            if (C.contains(kPositionTag)) {
                place.positionLineFollows = true;
                qint32 x = -1, y = -1;
                bool taken = false;
                try {
                    taken = ParsePositionLine(C, x, y, fileName, c);
                } catch (const VelmoraError &) {
                    if (observer) observer->positionOutOfRange(c);
                    throw;
                }
                if (taken) {
                    e.x = x;
                    e.y = y;
                }
                if (observer) observer->positionLine(c, taken);
                ++c;
                C = lineOrEmpty(c);
            }
            for (const Section &s : kSections) {
                if (!C.contains(s.open)) continue;
                QString &field = e.*(s.field);
                const qsizetype openLine = c;
                T = DropFirst(C, 4);
                for (;;) {
                    ++c;
                    if (T.contains(s.close)) {
                        if (!titlesOnly) {
                            field += DropLast(T, 5);
                            if (s.breakAfterLast) field += kDoubleBreak;
                        }
                        C = lineOrEmpty(c);
                        if (observer) observer->section(s.open, s.close, openLine, c - 1);
                        break;
                    }
                    if (!titlesOnly) {
                        field += T;
                        field += kDoubleBreak;
                    }
                    if (c >= n) { // the file ends inside the section: keep what was gathered
                        C = QStringView();
                        if (observer) observer->section(s.open, s.close, openLine, -1);
                        break;
                    }
                    T = text.Line(c);
                }
            }
            records.append(std::move(e));
            if (places) places->append(place);
            i = c;
        } else if (L.contains(kPageOpenTag)) {
            const QStringView name = L.size() > 13 ? L.mid(6, L.size() - 13) : QStringView();
            pageImage = QStringLiteral(".\\image\\");
            pageImage.append(name.left(1))
                .append(QLatin1Char('\\'))
                .append(name)
                .append(QLatin1String(".jpg"));
            NoteEntry p;
            p.isPage = true;
            p.pageImage = pageImage;
            p.title.reserve(name.size() + 2);
            p.title.append(QLatin1Char('[')).append(name).append(QLatin1Char(']'));
            records.append(std::move(p));
            if (places) places->append(RecordPlace{i, false});
            if (observer) observer->pageLine(i);
            ++i;
        } else {
            if (observer) observer->skippedLine(i);
            ++i;
        }
    }
}
