#pragma once
// One export from notes files to a form, with its crops: what `velmora-notes export` does, and what a
// window can run with a progress bar and a cancel button. Nothing is left half written: files are
// replaced whole (AtomicFile), folders renamed into place once complete (ExportFolder).

#include "export/ExportPlan.h"
#include "export/ExportWriters.h"

#include <QString>
#include <QStringList>

enum class ExportFormat { Tei, Markdown, Html };

struct ExportRequest {
    ExportFormat format = ExportFormat::Tei;
    QStringList files;
    QString output; // a file for TEI and Markdown (empty: to `toStdout`), the site's folder for HTML
    QString crops;  // a folder for the crops; empty: none (the site has its own)
    ExportSelection selection; // which records of the files; by default all
};

struct ExportResult {
    QStringList problems; // what was taken out only in part (a scan that could not be read, a reader stop)
    qint64 records = 0;
    qint64 crops = 0;
};

// Raises VelmoraError, with nothing written, when a notes file cannot be read, an output cannot be
// written, or the export is cancelled.
ExportResult RunExport(const ExportRequest &request, const ExportSink &toStdout,
                       const ExportControl &control = {});
