#include "export/Export.h"

#include "common/Error.h"
#include "export/ExportFolder.h"
#include "platform/AtomicFile.h"

#include <QDir>
#include <QFileInfo>

#include <memory>

ExportResult RunExport(const ExportRequest &request, const ExportSink &toStdout,
                       const ExportControl &control) {
    if (request.format == ExportFormat::Html && request.output.isEmpty())
        throw VelmoraError(QStringLiteral("匯出網站需要 --output 指定資料夾"));
    // Outputs are checked before the notes are read: a refused folder costs nothing.
    std::unique_ptr<ExportFolder> cropFolder, site;
    if (!request.crops.isEmpty()) cropFolder = std::make_unique<ExportFolder>(request.crops);
    if (request.format == ExportFormat::Html) site = std::make_unique<ExportFolder>(request.output);
    std::unique_ptr<AtomicFile> file;
    if (request.format != ExportFormat::Html && !request.output.isEmpty())
        file = std::make_unique<AtomicFile>(request.output, QStringLiteral("無法寫入匯出檔 \"%1\"：%2"));

    ExportPlan plan(request.files, control, request.selection);
    CropSet crops;
    if (cropFolder || site)
        crops = WriteCrops(
            plan,
            [&](const QString &name, QByteArrayView bytes) {
                if (cropFolder) cropFolder->Write(name, bytes);
                if (site) site->Write(QStringLiteral("crops/") + name, bytes);
            },
            control);

    const ExportSink sink = file ? ExportSink([&](QByteArrayView b) { file->Write(b); }) : toStdout;
    switch (request.format) {
    case ExportFormat::Tei:
        WriteTei(plan, sink, control);
        break;
    case ExportFormat::Markdown: {
        QString prefix;
        if (cropFolder) {
            const QString from = file ? QFileInfo(file->Target()).absolutePath() : QDir::currentPath();
            prefix = QDir(from).relativeFilePath(cropFolder->Target()) + QLatin1Char('/');
        }
        WriteMarkdown(plan, crops, prefix, sink, control);
        break;
    }
    case ExportFormat::Html:
        WriteSite(plan, crops, *site, control);
        break;
    }
    control.Check();
    if (cropFolder) cropFolder->Commit();
    if (site) site->Commit();
    if (file) file->Commit();

    ExportResult result;
    result.problems = plan.problems();
    result.records = plan.RecordCount();
    for (const auto &set : crops)
        result.crops += set.size();
    return result;
}
