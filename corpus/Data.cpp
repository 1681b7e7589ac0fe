#include "corpus/Data.h"

#include "corpus/Error.h"
#include "corpus/NotesText.h"
#include "corpus/NotesWalk.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

void Notebook::LoadNotes(const QString &fileName) {
    const NotesText text = NotesText::Read(fileName);
    WalkNotes(text, fileName, entries);
}

namespace {

QString DescribeRecord(qsizetype index, const NoteEntry &r) {
    return QStringLiteral("record %1 (%2 \"%3\")")
        .arg(index)
        .arg(r.isPage ? QStringLiteral("page") : QStringLiteral("headword"))
        .arg(r.title);
}

} // namespace

void Notebook::SavePositions(const QString &fileName) const {
    NotesText text = NotesText::Read(fileName);
    text.keepBytes();

    // Walk the file as it is now with the reader's own walk, and make sure it still holds the records
    // in memory: a file changed on disk must not get positions on the wrong headwords.
    QList<NoteEntry> found;
    QList<RecordPlace> places;
    WalkNotes(text, fileName, found, &places);
    const qsizetype common = qMin(found.size(), entries.size());
    for (qsizetype r = 0; r < common; ++r) {
        if (found[r].isPage != entries[r].isPage || found[r].title != entries[r].title)
            throw VelmoraError(QStringLiteral("The notes file \"%1\" no longer matches the loaded notes: %2 in the "
                                              "file differs from %3 in memory. No positions were saved.")
                                   .arg(fileName, DescribeRecord(r, found[r]), DescribeRecord(r, entries[r])));
    }
    if (found.size() != entries.size()) {
        const QString what = found.size() > entries.size()
                                 ? QStringLiteral("the file has an extra %1").arg(DescribeRecord(common, found[common]))
                                 : QStringLiteral("%1 is missing from the file").arg(DescribeRecord(common, entries[common]));
        throw VelmoraError(QStringLiteral("The notes file \"%1\" no longer matches the loaded notes: it holds %2 "
                                          "records instead of %3; %4. No positions were saved.")
                               .arg(fileName)
                               .arg(found.size())
                               .arg(entries.size())
                               .arg(what));
    }

    // What to write after each line: nothing, a replacement of the line, or an added position line.
    const qsizetype n = text.lineCount();
    QList<qsizetype> replaceWith(n, -1); // index into `entries` whose position replaces the line
    QList<qsizetype> appendAfter(n, -1); // index into `entries` whose position line is added after it
    for (qsizetype r = 0; r < entries.size(); ++r) {
        const NoteEntry &e = entries[r];
        if (e.isPage || (e.x == -1 && e.y == -1))
            continue;
        if (places[r].positionLineFollows)
            replaceWith[places[r].closeLine + 1] = r;
        else
            appendAfter[places[r].closeLine] = r;
    }

    QByteArray out;
    out.reserve(3 + text.lineCount() * 2 + QFileInfo(fileName).size() + 64);
    out.append("\xEF\xBB\xBF");
    for (qsizetype i = 0; i < n; ++i) {
        if (replaceWith[i] >= 0) {
            const NoteEntry &e = entries[replaceWith[i]];
            out.append(FormatPositionLine(e.x, e.y).toUtf8());
        } else {
            out.append(text.lineBytes(i));
        }
        if (appendAfter[i] >= 0) {
            const NoteEntry &e = entries[appendAfter[i]];
            out.append('\n');
            out.append(FormatPositionLine(e.x, e.y).toUtf8());
        }
        out.append("\r\n");
    }

    // A file marked read-only is left alone, as a desktop user expects, also when run with full rights.
    const QFileInfo info(fileName);
    if (info.exists() && !(info.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther)))
        throw VelmoraError(QStringLiteral("Cannot save positions: the notes file \"%1\" is read-only.").arg(fileName));
    // Write a temporary file beside it and rename it over the original: a failure leaves the old file.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw VelmoraError(QStringLiteral("Cannot save positions to \"%1\". %2").arg(fileName, file.errorString()));
    if (file.write(out) != out.size() || !file.commit())
        throw VelmoraError(QStringLiteral("Cannot save positions to \"%1\". %2").arg(fileName, file.errorString()));
}
