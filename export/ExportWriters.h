#pragma once
// The forms an export writes, each from an ExportPlan, as a stream of UTF-8 pieces handed to `sink`
// (standard output or a file replaced whole), or as the files of a folder.

#include "export/ExportPlan.h"

#include <QByteArrayView>

#include <functional>

class ExportFolder;

using ExportSink = std::function<void(QByteArrayView)>;

// Which crops were written: per book, the records with one. A writer links a crop only where there is
// one.
using CropSet = QList<QSet<qsizetype>>;

// TEI P5: a teiHeader naming the notebooks and their files; a facsimile with a surface per page record
// (its scan and size) and a zone per placed entry; in the body a div per notebook with a pb per page
// record and a div type="entry" per entry record (facs: its zone).
void WriteTei(const ExportPlan &plan, const ExportSink &sink, const ExportControl &control);

// Markdown: a "#" heading per page record, "##" per headword, its sections as labelled paragraphs as the
// entry page labels them, and the crop as an image when there is one (`cropPrefix` + its file name).
void WriteMarkdown(const ExportPlan &plan, const CropSet &crops, const QString &cropPrefix,
                   const ExportSink &sink, const ExportControl &control);

// A static site: index.html of the notebooks, <book>/index.html of its pages and entries, and one page
// per entry, <book>/<record>.html: the entry page in the reader's own style sheet beside its crop
// (crops/<stem>.jpg in the same folder), with links to the entries before and after it. No script runs
// and nothing is fetched from a network.
void WriteSite(const ExportPlan &plan, const CropSet &crops, ExportFolder &folder,
               const ExportControl &control);

// Cuts the zone of every placed entry out of its scan and hands each JPEG to `write` under its name
// (<stem>.jpg). A scan that cannot be read or cut is noted in the plan's problems and its entries get no
// crop. Returns the crops written.
CropSet WriteCrops(ExportPlan &plan, const std::function<void(const QString &, QByteArrayView)> &write,
                   const ExportControl &control);
