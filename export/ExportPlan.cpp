#include "export/ExportPlan.h"

#include "common/Error.h"
#include "corpus/NotesText.h"
#include "corpus/NotesWalk.h"
#include "export/ScanJpeg.h"
#include "export/ZoneLayout.h"
#include "platform/WinPath.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

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

ExportPlan::ExportPlan(const QStringList &files, const ExportControl &control,
                       const ExportSelection &selection) {
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
        int scan = -1;
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
            }
            scanOf[r] = scan;
        }
        scanOf_.append(scanOf);
    }
    FindZones(control);
    Select(selection);
}

void ExportPlan::FindZones(const ExportControl &control) {
    // The placed entries of each page record, their scan read once for its layout.
    struct Page {
        qsizetype book;
        qsizetype record;
        QList<qsizetype> placed;
    };
    QList<Page> pages;
    for (qsizetype b = 0; b < books_.size(); ++b) {
        const QList<NoteEntry> &records = books_[b].records;
        zones_.append(QList<std::optional<ScanZone>>(records.size()));
        for (qsizetype r = 0; r < records.size(); ++r) {
            if (records[r].isPage)
                pages.append({b, r, {}});
            else if (records[r].HasPosition() && !pages.isEmpty() && pages.last().book == b)
                pages.last().placed << r;
        }
    }
    std::vector<std::unique_ptr<PageLayout>> layouts(size_t(scans_.size()));
    std::vector<bool> layoutRead(size_t(scans_.size()), false);
    qint64 done = 0;
    for (const Page &page : pages) {
        ++done;
        if (page.placed.isEmpty()) continue;
        const QList<NoteEntry> &records = books_[page.book].records;
        const int s = scanOf_[page.book][page.record];
        const ScanInfo &scan = scans_[s];
        QList<ScanZone> zones;
        if (scan.Readable()) {
            if (!layoutRead[size_t(s)]) {
                control.Check();
                control.Report(QStringLiteral("讀取掃描圖檔的版面"), done, pages.size());
                layouts[size_t(s)] = ReadZoneLayout(scan.path);
                layoutRead[size_t(s)] = true;
            }
            zones = PageZones(records, page.placed, layouts[size_t(s)].get(), scan.width, scan.height);
        } else {
            // No size to go by: the page is taken to reach just past its farthest position.
            int w = 1, h = 1;
            for (const qsizetype i : page.placed) {
                w = int(std::max<qint64>(w, std::min<qint64>(qint64(records[i].x) + 1, INT_MAX)));
                h = int(std::max<qint64>(h, std::min<qint64>(qint64(records[i].y) + 1, INT_MAX)));
            }
            zones = PageZones(records, page.placed, nullptr, w, h);
        }
        for (qsizetype n = 0; n < zones.size(); ++n)
            zones_[page.book][page.placed[n]] = zones[n];
    }
}

void ExportPlan::Select(const ExportSelection &selection) {
    if (selection.entries.isEmpty()) return;
    for (qsizetype b = 0; b < books_.size(); ++b) {
        const QSet<qsizetype> keep = b < selection.entries.size() ? selection.entries[b] : QSet<qsizetype>();
        const ExportBook &book = books_[b];
        QList<NoteEntry> records;
        QList<int> scanOf;
        QList<std::optional<ScanZone>> zones;
        QList<qsizetype> numbers;
        const auto take = [&](qsizetype r) {
            records << book.records[r];
            scanOf << scanOf_[b][r];
            zones << zones_[b][r];
            numbers << r;
        };
        qsizetype page = -1; // the page record the next entry taken stands on, not yet taken
        for (qsizetype r = 0; r < book.records.size(); ++r) {
            if (book.records[r].isPage) {
                page = r;
            } else if (keep.contains(r)) {
                if (page >= 0) take(page);
                page = -1;
                take(r);
            }
        }
        books_[b].records = records;
        scanOf_[b] = scanOf;
        zones_[b] = zones;
        numbers_.resize(books_.size());
        numbers_[b] = numbers;
    }
}

const ScanInfo *ExportPlan::ScanOf(qsizetype book, qsizetype record) const {
    const int s = scanOf_[book][record];
    return s < 0 ? nullptr : &scans_[s];
}

qsizetype ExportPlan::Number(qsizetype book, qsizetype record) const {
    return book < numbers_.size() ? numbers_[book][record] : record;
}

QString ExportPlan::Stem(qsizetype book, qsizetype record) const {
    return QStringLiteral("%1-%2").arg(books_[book].id).arg(Number(book, record), 5, 10, QLatin1Char('0'));
}

qint64 ExportPlan::RecordCount() const {
    qint64 n = 0;
    for (const ExportBook &b : books_)
        n += b.records.size();
    return n;
}
