#include "export/Citation.h"

#include "common/Error.h"
#include "display/EntryPage.h"
#include "export/EntryZone.h"
#include "export/NotesMarkup.h"
#include "export/ScanJpeg.h"
#include "export/ZoneLayout.h"
#include "platform/WinPath.h"

#include <QDir>

#include <algorithm>

namespace {

// An embedded crop is shown at most this wide in a document; the picture keeps its pixels.
constexpr int kShownWidth = 600;

QString SourceLine(const NoteEntry &entry) {
    QStringList sources;
    for (const QString &line : FieldLines(entry, NotesField::Source)) {
        const QString plain = MarkupToPlain(line).trimmed();
        if (!plain.isEmpty()) sources << plain;
    }
    return sources.isEmpty() ? QString() : QStringLiteral("出處：") + sources.join(QStringLiteral("；"));
}

// The crop of a placed entry on its page's scan; raises VelmoraError when the scan cannot be read.
QByteArray CropOf(const QList<NoteEntry> &records, qsizetype index, qsizetype page, const QString &folder) {
    const QString path = ResolveWinPath(
        QDir::cleanPath(QDir(folder).filePath(QString(records[page].pageImage).replace(u'\\', u'/'))));
    const JpegSize size = ReadJpegSize(path);
    QList<qsizetype> placed;
    for (qsizetype i = page + 1; i < records.size() && !records[i].isPage; ++i)
        if (records[i].HasPosition()) placed << i;
    const auto layout = ReadZoneLayout(path);
    const QList<ScanZone> zones = PageZones(records, placed, layout.get(), size.width, size.height);
    return CropJpeg(ReadJpegFile(path), {zones[placed.indexOf(index)]}, path).value(0);
}

} // namespace

Citation CiteEntry(const QList<NoteEntry> &records, qsizetype index, int book, const QString &folder) {
    const NoteEntry &entry = records[index];
    Citation c;
    const QString reference = EntryReferenceLine(book, entry);
    const QString source = SourceLine(entry);
    c.text = source.isEmpty() ? reference : reference + QLatin1Char('\n') + source;
    c.html = QStringLiteral("<p>") + XmlEscape(reference);
    if (!source.isEmpty()) c.html += QStringLiteral("<br>") + XmlEscape(source);
    c.html += QStringLiteral("</p>");

    qsizetype page = index;
    while (page >= 0 && !records[page].isPage)
        --page;
    if (!entry.HasPosition() || page < 0) {
        c.noCrop = entry.HasPosition() ? QStringLiteral("此條目不在任何掃描頁上，引用不含掃描圖")
                                       : QStringLiteral("此條目沒有定位，引用不含掃描圖");
        return c;
    }
    try {
        c.crop = CropOf(records, index, page, folder);
    } catch (const VelmoraError &e) {
        c.noCrop = QStringLiteral("掃描圖無法裁切，引用不含掃描圖：%1").arg(e.message());
        return c;
    }
    const JpegSize size = JpegSizeOf(c.crop);
    const int shown = std::min(size.width, kShownWidth);
    c.html +=
        QStringLiteral("<p><img src=\"data:image/jpeg;base64,%1\" alt=\"%2\" width=\"%3\" height=\"%4\"></p>")
            .arg(QString::fromLatin1(c.crop.toBase64()), XmlEscape(reference))
            .arg(shown)
            .arg(size.width > 0 ? qint64(size.height) * shown / size.width : 0);
    return c;
}
