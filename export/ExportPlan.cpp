#include "export/ExportPlan.h"

#include "common/Error.h"
#include "corpus/NotesText.h"
#include "corpus/NotesWalk.h"
#include "export/ScanJpeg.h"
#include "platform/WinPath.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <climits>

namespace {

QString BookName(const QString &file) {
    static const QRegularExpression letter(QStringLiteral("^velmora200_([A-Za-z])\\.xml$"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QString leaf = QFileInfo(file).fileName();
    const QRegularExpressionMatch m = letter.match(leaf);
    return m.hasMatch() ? m.captured(1).toUpper() : QFileInfo(file).completeBaseName();
}

// A name usable as the start of an XML id and of file names.
QString IdOf(const QString &name, qsizetype index) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_.]*$"));
    return plain.match(name).hasMatch() ? name : QStringLiteral("nb%1").arg(index + 1);
}

} // namespace

void ExportControl::Check() const {
    if (cancelled && cancelled()) throw VelmoraError(QStringLiteral("匯出已取消"));
}

void ExportControl::Report(const QString &stage, qint64 done, qint64 total) const {
    if (progress) progress(stage, done, total);
}

ExportPlan::ExportPlan(const QStringList &files, const ExportControl &control) {
    QSet<QString> ids;
    for (qsizetype f = 0; f < files.size(); ++f) {
        ExportBook book;
        book.file = files[f];
        book.name = BookName(files[f]);
        QString id = IdOf(book.name, f);
        for (int n = 2; ids.contains(id); ++n)
            id = IdOf(book.name, f) + QStringLiteral("_%1").arg(n);
        ids.insert(id);
        book.id = id;
        book.folder = QFileInfo(ResolveWinPath(files[f])).absolutePath();
        control.Report(QStringLiteral("讀取 %1").arg(files[f]), f, files.size());
        NotesText text = NotesText::Read(files[f]);
        text.DropBytes();
        try {
            WalkNotes(text, files[f], book.records);
        } catch (const VelmoraError &e) {
            book.stopError = e.message();
            problems_ << e.message();
        }
        books_.append(book);
    }

    QHash<QString, int> known; // resolved path -> scans_
    qint64 done = 0;
    const qint64 total = RecordCount();
    for (const ExportBook &book : books_) {
        QList<int> scanOf(book.records.size(), -1);
        QList<qsizetype> pageOf(book.records.size(), -1);
        int scan = -1;
        qsizetype page = -1;
        for (qsizetype r = 0; r < book.records.size(); ++r, ++done) {
            const NoteEntry &rec = book.records[r];
            if (rec.isPage) {
                if ((done & 0xFF) == 0) {
                    control.Check();
                    control.Report(QStringLiteral("讀取掃描圖檔的大小"), done, total);
                }
                const QString written =
                    QDir(book.folder).filePath(QString(rec.pageImage).replace(u'\\', u'/'));
                const QString path = ResolveWinPath(QDir::cleanPath(written));
                auto it = known.constFind(path);
                if (it == known.constEnd()) {
                    ScanInfo info;
                    info.pageImage = rec.pageImage;
                    info.path = path;
                    info.url = QDir(book.folder).relativeFilePath(path);
                    try {
                        const JpegSize size = ReadJpegSize(path);
                        info.width = size.width;
                        info.height = size.height;
                    } catch (const VelmoraError &e) {
                        info.error = e.message();
                        problems_ << e.message();
                    }
                    scans_.append(info);
                    it = known.insert(path, int(scans_.size() - 1));
                }
                scan = *it;
                page = r;
            }
            scanOf[r] = scan;
            pageOf[r] = page;
        }
        scanOf_.append(scanOf);
        page_.append(pageOf);
    }
}

const ScanInfo *ExportPlan::ScanOf(qsizetype book, qsizetype record) const {
    const int s = scanOf_[book][record];
    return s < 0 ? nullptr : &scans_[s];
}

std::optional<ScanZone> ExportPlan::Zone(qsizetype book, qsizetype record) const {
    const QList<NoteEntry> &records = books_[book].records;
    const NoteEntry &rec = records[record];
    const ScanInfo *scan = ScanOf(book, record);
    if (rec.isPage || !rec.HasPosition() || !scan) return std::nullopt;
    if (scan->Readable()) return EntryZone(records, record, scan->width, scan->height);
    // No size to go by: the page is taken to reach just past its farthest position.
    const qsizetype page = page_[book][record];
    const qint64 key = (qint64(book) << 40) | page;
    auto it = extents_.constFind(key);
    if (it == extents_.constEnd()) {
        int w = 1, h = 1;
        for (qsizetype i = page + 1; i < records.size() && !records[i].isPage; ++i)
            if (records[i].HasPosition()) {
                w = int(std::max<qint64>(w, std::min<qint64>(qint64(records[i].x) + 1, INT_MAX)));
                h = int(std::max<qint64>(h, std::min<qint64>(qint64(records[i].y) + 1, INT_MAX)));
            }
        it = extents_.insert(key, {w, h});
    }
    return EntryZone(records, record, it->first, it->second);
}

QString ExportPlan::Stem(qsizetype book, qsizetype record) const {
    return QStringLiteral("%1-%2").arg(books_[book].id).arg(record, 5, 10, QLatin1Char('0'));
}

qint64 ExportPlan::RecordCount() const {
    qint64 n = 0;
    for (const ExportBook &b : books_)
        n += b.records.size();
    return n;
}
