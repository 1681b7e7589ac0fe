// Random notes through the TEI writer: the output is well-formed XML (our own checker), with one
// div type="entry" per entry record, and every zone holds its entry's position. The markup of each field
// on its own is well-formed TEI too.
#include "FuzzSupport.h"
#include "support/XmlCheck.h"

#include "common/Error.h"
#include "export/ExportPlan.h"
#include "export/ExportWriters.h"
#include "export/NotesMarkup.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString path = ScratchPath("export.xml");
    WriteWhole(path, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    std::optional<ExportPlan> plan;
    try {
        plan.emplace(QStringList{path});
    } catch (const VelmoraError &) {
        return 0;
    }
    QByteArray tei;
    WriteTei(*plan, [&](QByteArrayView b) { tei.append(b.data(), b.size()); }, {});
    const QString xml = QString::fromUtf8(tei);
    FUZZ_CHECK(xml.toUtf8() == tei, "the TEI is not UTF-8");
    const QString error = CheckXmlWellFormed(xml);
    FUZZ_CHECK(error.isEmpty(), "not well-formed: %s\n%s", qPrintable(error), tei.constData());

    const QList<NoteEntry> &records = plan->books()[0].records;
    const qsizetype entries =
        std::count_if(records.cbegin(), records.cend(), [](const NoteEntry &e) { return !e.isPage; });
    FUZZ_CHECK(tei.count("<div type=\"entry\"") == entries, "%lld entries", qlonglong(entries));
    for (qsizetype r = 0; r < records.size(); ++r) {
        const auto zone = plan->Zone(0, r);
        if (!zone) continue;
        // No scan is there: the positions on the page stand in for its size, so the zone holds the
        // position itself (clamped only at the largest position there is).
        const int x = std::min(records[r].x, INT_MAX - 1), y = std::min(records[r].y, INT_MAX - 1);
        FUZZ_CHECK(zone->Holds(x, y), "record %lld: (%d, %d) outside its zone", qlonglong(r), x, y);
    }
    for (const NoteEntry &e : records)
        for (const QString &field : {e.title, e.content, e.note, e.remark, e.source}) {
            const QString wrapped = QStringLiteral("<p>") + MarkupToTei(field) + QStringLiteral("</p>");
            FUZZ_CHECK(CheckXmlWellFormed(wrapped).isEmpty(), "field markup: %s", qPrintable(wrapped));
        }
    return 0;
}
