#include "bench/SyntheticNotes.h"

#include "common/Error.h"

#include <QDir>
#include <QFile>
#include <QStringList>

namespace {

// xorshift32: tiny, and the same numbers on every platform and library version.
class Rng {
public:
    explicit Rng(quint32 seed) : s_(seed ? seed : 0x9E3779B9u) {}
    quint32 Next() {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 17;
        s_ ^= s_ << 5;
        return s_;
    }
    int Below(int n) { return int(Next() % quint32(n)); }
    int Between(int lo, int hi) { return lo + Below(hi - lo + 1); } // both ends included
    bool Chance(int percent) { return Below(100) < percent; }

private:
    quint32 s_;
};

// Frequent characters of classical notes, most frequent first; the rest of the text comes from the
// whole CJK block, so most characters are rare, as in real notes.
const char16_t kCommon[] = u"之也者而不曰其以於子為人所有此則云與乎矣焉何無言謂天下大可一道是故";

QChar CjkChar(Rng &rng) {
    const int n = int(sizeof(kCommon) / sizeof(kCommon[0])) - 1;
    const int pick = rng.Below(100);
    if (pick < 45) {
        // Roughly Zipf-like among the frequent ones: the square favours the first.
        const int r = rng.Below(n * n);
        int i = 0;
        while ((i + 1) * (i + 1) <= r)
            ++i;
        return QChar(kCommon[n - 1 - i]);
    }
    return QChar(char16_t(0x4E00 + rng.Below(0x9FA5 - 0x4E00)));
}

void AppendCjk(QString &out, Rng &rng, int count) {
    for (int i = 0; i < count; ++i)
        out += CjkChar(rng);
}

const char *const kSpanClasses[] = {"bc", "yc", "gc", "rc", "g2c", "g5c", "red", "bold", "underline"};

// One line of prose, sometimes with a marked span in it.
QString ProseLine(Rng &rng, int minChars, int maxChars, int spanPercent) {
    QString line;
    const int count = rng.Between(minChars, maxChars);
    line.reserve(count + 40);
    int written = 0;
    while (written < count) {
        const int run = qMin(count - written, rng.Between(4, 30));
        if (rng.Chance(spanPercent)) {
            line += QStringLiteral("<span class=\"%1\">").arg(QLatin1String(kSpanClasses[rng.Below(9)]));
            AppendCjk(line, rng, run);
            line += QStringLiteral("</span>");
        } else {
            AppendCjk(line, rng, run);
        }
        written += run;
        if (written < count && rng.Chance(30))
            line += rng.Chance(50) ? QChar(0xFF0C) : QChar(0x3002); // ， 。
    }
    // A rare phrase that a benchmark can look for.
    if (rng.Chance(1)) line += QStringLiteral("澄溪導師");
    return line;
}

qint64 Utf8Size(const QString &s) {
    qint64 n = 0;
    for (QChar c : s)
        n += c.unicode() < 0x80 ? 1 : c.unicode() < 0x800 ? 2 : 3;
    return n;
}

const char *const kLetters[] = {"K", "M", "N", "O"};
const int kShares[] = {35, 25, 25, 15}; // percent of the text per notebook

NoteEntry PageRecord(const QString &name) {
    NoteEntry p;
    p.isPage = true;
    p.pageImage =
        QStringLiteral(".\\image\\") + name.left(1) + QStringLiteral("\\") + name + QStringLiteral(".jpg");
    p.title = QStringLiteral("[") + name + QStringLiteral("]");
    return p;
}

NoteEntry EntryRecord(Rng &rng, const QString &pageImage) {
    NoteEntry e;
    e.pageImage = pageImage;
    // Headword: one to three lines, now and then indented with an ideographic space.
    const int titleLines = rng.Chance(80) ? 1 : rng.Between(2, 3);
    e.lineCount = titleLines;
    if (rng.Chance(10)) e.title += QChar(0x3000);
    for (int i = 0; i < titleLines; ++i) {
        if (i) e.title += QStringLiteral("<br>");
        AppendCjk(e.title, rng, rng.Between(2, 8));
    }
    if (rng.Chance(70)) {
        e.x = rng.Between(0, 2400);
        e.y = rng.Between(0, 3400);
    }
    // Content: lines joined by "<br><br>", now and then with markup of its own.
    if (rng.Chance(95)) {
        const int lines = rng.Between(1, 4);
        for (int i = 0; i < lines; ++i) {
            if (i) e.content += QStringLiteral("<br><br>");
            e.content += ProseLine(rng, 20, 200, 8);
        }
    }
    // Notes, remarks and sources: every line followed by "<br><br>", with marked spans.
    if (rng.Chance(40))
        for (int i = rng.Between(1, 2); i > 0; --i)
            e.note += ProseLine(rng, 10, 80, 40) + QStringLiteral("<br><br>");
    if (rng.Chance(35))
        for (int i = rng.Between(1, 2); i > 0; --i)
            e.remark += QStringLiteral("案：") + ProseLine(rng, 20, 160, 25) + QStringLiteral("<br><br>");
    if (rng.Chance(85))
        for (int i = rng.Between(1, 2); i > 0; --i) {
            QString book;
            AppendCjk(book, rng, rng.Between(2, 5));
            e.source += QStringLiteral("<span class=\"bc\">《") + book + QStringLiteral("》</span>卷") +
                        QString::number(rng.Between(1, 120)) + QStringLiteral("<br><br>");
        }
    return e;
}

qint64 RecordBytes(const NoteEntry &e) {
    return Utf8Size(e.title) + Utf8Size(e.content) + Utf8Size(e.note) + Utf8Size(e.remark) +
           Utf8Size(e.source);
}

// Splits a stored text back into its file lines: `joiner` between lines, and after the last line too
// when `trailing` is set.
QStringList FileLines(const QString &text, const QString &joiner, bool trailing) {
    QString t = text;
    if (trailing) t.chop(joiner.size());
    return t.split(joiner);
}

void AppendSection(QString &out, const QString &open, const QString &close, const QStringList &lines) {
    for (int i = 0; i < lines.size(); ++i) {
        if (i == 0) out += open;
        out += lines[i];
        if (i == lines.size() - 1) out += close;
        out += QStringLiteral("\r\n");
    }
}

} // namespace

void MakeSyntheticNotes(QList<Notebook> &books, qint64 totalBytes, quint32 seed) {
    books.clear();
    books.resize(4);
    Rng rng(seed);
    for (int b = 0; b < 4; ++b) {
        const qint64 budget = totalBytes * kShares[b] / 100;
        QList<NoteEntry> &entries = books[b].entries;
        entries.reserve(budget / 600 + 16);
        qint64 bytes = 0;
        int page = 0;
        QString pageImage;
        int untilPage = 0;
        while (bytes < budget) {
            if (untilPage-- == 0) {
                const QString name =
                    QLatin1String(kLetters[b]) + QStringLiteral("%1").arg(++page, 4, 10, QLatin1Char('0'));
                entries.append(PageRecord(name));
                pageImage = entries.last().pageImage;
                bytes += Utf8Size(entries.last().title);
                untilPage = rng.Between(2, 7);
            }
            entries.append(EntryRecord(rng, pageImage));
            bytes += RecordBytes(entries.last());
        }
    }
}

void WriteNotesFile(const Notebook &book, const QString &fileName) {
    const QString br = QStringLiteral("<br>");
    const QString br2 = QStringLiteral("<br><br>");
    QString out;
    out += QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<notes>\r\n");
    for (const NoteEntry &e : book.entries) {
        if (e.isPage) {
            out +=
                QStringLiteral("<page>") + e.title.mid(1, e.title.size() - 2) + QStringLiteral("</page>\r\n");
            continue;
        }
        AppendSection(out, QStringLiteral("<條目>"), QStringLiteral("</條目>"), e.title.split(br));
        if (e.x != -1 || e.y != -1) out += QStringLiteral("<座標 x=\"%1\" y=\"%2\"/>\r\n").arg(e.x).arg(e.y);
        if (!e.content.isEmpty())
            AppendSection(out, QStringLiteral("<內容>"), QStringLiteral("</內容>"),
                          FileLines(e.content, br2, false));
        if (!e.note.isEmpty())
            AppendSection(out, QStringLiteral("<校註>"), QStringLiteral("</校註>"),
                          FileLines(e.note, br2, true));
        if (!e.remark.isEmpty())
            AppendSection(out, QStringLiteral("<案語>"), QStringLiteral("</案語>"),
                          FileLines(e.remark, br2, true));
        if (!e.source.isEmpty())
            AppendSection(out, QStringLiteral("<出處>"), QStringLiteral("</出處>"),
                          FileLines(e.source, br2, true));
    }
    out += QStringLiteral("</notes>\r\n");

    QFile file(fileName);
    const QByteArray bytes = out.toUtf8();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() ||
        !file.flush())
        throw VelmoraError(
            QStringLiteral("Cannot write the notes file \"%1\": %2").arg(fileName, file.errorString()));
}

QStringList WriteSyntheticNotesFiles(const QList<Notebook> &books, const QString &folder) {
    const char *const names[] = {"velmora200_k.xml", "velmora200_M.xml", "velmora200_N.xml",
                                 "velmora200_O.xml"};
    QStringList paths;
    for (int b = 0; b < books.size() && b < 4; ++b) {
        paths.append(QDir(folder).filePath(QLatin1String(names[b])));
        WriteNotesFile(books[b], paths.last());
    }
    return paths;
}
