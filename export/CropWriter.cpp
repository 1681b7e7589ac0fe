// The crops of an export (declared in ExportWriters.h).
#include "export/ExportWriters.h"

#include "common/Error.h"
#include "export/ScanJpeg.h"

CropSet WriteCrops(ExportPlan &plan, const std::function<void(const QString &, QByteArrayView)> &write,
                   const ExportControl &control) {
    CropSet crops(plan.books().size());
    // The placed entries of each page, cut from its scan in one pass.
    struct Page {
        qsizetype book;
        const ScanInfo *scan;
        QList<qsizetype> records;
        QList<ScanZone> zones;
    };
    QList<Page> pages;
    qint64 placed = 0;
    for (qsizetype bi = 0; bi < plan.books().size(); ++bi)
        for (qsizetype r = 0; r < plan.books()[bi].records.size(); ++r) {
            const auto zone = plan.Zone(bi, r);
            const ScanInfo *scan = plan.ScanOf(bi, r);
            if (!zone || !scan->Readable()) continue;
            if (pages.isEmpty() || pages.last().book != bi || pages.last().scan != scan)
                pages.append({bi, scan, {}, {}});
            pages.last().records << r;
            pages.last().zones << *zone;
            ++placed;
        }
    QSet<const ScanInfo *> failed;
    qint64 done = 0;
    for (const Page &page : pages) {
        control.Check();
        control.Report(QStringLiteral("裁切掃描圖檔"), done, placed);
        done += page.records.size();
        if (failed.contains(page.scan)) continue;
        QList<QByteArray> cut;
        try {
            cut = CropJpeg(ReadJpegFile(page.scan->path), page.zones, page.scan->path);
        } catch (const VelmoraError &e) {
            plan.AddProblem(e.message()); // once per scan: its entries get no crop
            failed.insert(page.scan);
            continue;
        }
        for (qsizetype i = 0; i < cut.size(); ++i) {
            write(plan.Stem(page.book, page.records[i]) + QStringLiteral(".jpg"), cut[i]);
            crops[page.book].insert(page.records[i]);
        }
    }
    control.Report(QStringLiteral("裁切掃描圖檔"), placed, placed);
    return crops;
}
