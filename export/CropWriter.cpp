// The crops of an export (declared in ExportWriters.h).
#include "export/ExportWriters.h"

#include "common/Error.h"
#include "export/ScanJpeg.h"

CropSet WriteCrops(ExportPlan &plan, const std::function<void(const QString &, QByteArrayView)> &write,
                   const ExportControl &control) {
    CropSet crops(plan.books().size());
    qint64 placed = 0, done = 0;
    for (qsizetype bi = 0; bi < plan.books().size(); ++bi)
        for (qsizetype r = 0; r < plan.books()[bi].records.size(); ++r)
            placed += plan.Zone(bi, r).has_value();
    // Entries of one scan stand together: the scan is read once for them.
    const ScanInfo *loaded = nullptr;
    QByteArray scanBytes;
    QSet<const ScanInfo *> failed;
    for (qsizetype bi = 0; bi < plan.books().size(); ++bi) {
        const ExportBook &book = plan.books()[bi];
        for (qsizetype r = 0; r < book.records.size(); ++r) {
            const auto zone = plan.Zone(bi, r);
            const ScanInfo *scan = plan.ScanOf(bi, r);
            if (!zone || !scan->Readable() || failed.contains(scan)) continue;
            control.Check();
            control.Report(QStringLiteral("裁切掃描圖檔"), done++, placed);
            QByteArray crop;
            try {
                if (loaded != scan) {
                    loaded = nullptr;
                    scanBytes = ReadJpegFile(scan->path);
                    loaded = scan;
                }
                crop = CropJpeg(scanBytes, *zone, scan->path);
            } catch (const VelmoraError &e) {
                plan.AddProblem(e.message());
                failed.insert(scan);
                continue;
            }
            write(plan.Stem(bi, r) + QStringLiteral(".jpg"), crop);
            crops[bi].insert(r);
        }
    }
    control.Report(QStringLiteral("裁切掃描圖檔"), placed, placed);
    return crops;
}
