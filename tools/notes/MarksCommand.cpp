#include "tools/notes/MarksCommand.h"

#include "corpus/Error.h"
#include "corpus/NotesText.h"
#include "corpus/NotesWalk.h"
#include "corpus/ReaderMarks.h"
#include "platform/WinPath.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

enum ExitStatus { kAllFound = 0, kSomeNotFound = 1, kTrouble = 2 };

void Write(FILE *stream, const QString &text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

int Trouble(const QString &what, bool usage) {
    Write(stderr, QStringLiteral("velmora-notes: %1\n%2")
                      .arg(what, usage ? QStringLiteral("Try 'velmora-notes --help'.\n") : QString()));
    return kTrouble;
}

QString Escaped(QString text) {
    return text.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"))
        .replace(QLatin1Char('\t'), QLatin1String("\\t"))
        .replace(QLatin1Char('\r'), QLatin1String("\\r"));
}

QString PageOf(const NotebookStore &store, const ReaderMarks::Row &row) {
    return row.ref.isValid() ? AnchorOf(store.Set().books[size_t(row.ref.book)].entries, row.ref).page
                             : row.anchor.page;
}

} // namespace

int RunMarksCommand(const QStringList &args) {
    bool json = false;
    QStringList words;
    bool optionsEnded = false;
    for (const QString &a : args) {
        if (optionsEnded || !a.startsWith(QLatin1Char('-')) || a.size() == 1)
            words << a;
        else if (a == QLatin1String("--"))
            optionsEnded = true;
        else if (a == QLatin1String("--json"))
            json = true;
        else
            return Trouble(QStringLiteral("unknown option '%1'").arg(a), true);
    }
    if (words.size() != 1) return Trouble(QStringLiteral("marks takes exactly one LIBRARY folder"), true);
    const QString library = words.first();

    NotebookStore store;
    int files = 0;
    try {
        const QString marksFile = MarksFileFor(library);
        for (int b = 0; b < kNotebookCount; ++b) {
            const QString path = ResolveWinPath(QDir(library).filePath(NotesFileNames()[size_t(b)]));
            if (!QFileInfo(path).isFile()) continue;
            ++files;
            const NotesText text = NotesText::Read(path);
            Notebook read;
            try {
                WalkNotes(text, path, read.entries);
            } catch (const VelmoraError &e) {
                // The reader keeps the records before the point it stops at, and finds marks in them.
                Write(stderr, QStringLiteral("velmora-notes: %1\n").arg(e.message()));
            }
            store.TakeLoaded(b, std::move(read));
        }
        if (files == 0)
            return Trouble(
                QStringLiteral("資料夾 \"%1\" 沒有筆記檔（velmora200_k.xml 等）。").arg(ShownPath(library)),
                false);
        ReaderMarks marks(store, marksFile, QFileInfo(library).canonicalFilePath());
        marks.Load();

        QString out;
        int lost = 0, starred = 0, noted = 0;
        const QList<ReaderMarks::Row> rows = marks.All();
        for (const ReaderMarks::Row &row : rows) {
            const bool found = row.ref.isValid();
            lost += found ? 0 : 1;
            starred += row.starred ? 1 : 0;
            noted += row.note.isEmpty() ? 0 : 1;
            const QString letter = NotebookLetters()[size_t(row.anchor.book)];
            const QString title = found ? store.Entry(row.ref).title : row.anchor.title;
            const QDateTime when = QDateTime::fromMSecsSinceEpoch(row.starTime);
            if (json) {
                QJsonObject o{{QStringLiteral("notebook"), letter},
                              {QStringLiteral("found"), found},
                              {QStringLiteral("record"), found ? QJsonValue(row.ref.entry) : QJsonValue()},
                              {QStringLiteral("page"), PageOf(store, row)},
                              {QStringLiteral("title"), title},
                              {QStringLiteral("starred"), row.starred},
                              {QStringLiteral("starredAt"),
                               row.starred ? QJsonValue(when.toString(Qt::ISODateWithMs)) : QJsonValue()},
                              {QStringLiteral("note"), row.note}};
                out += QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)) + QLatin1Char('\n');
            } else {
                out += QStringList{letter,
                                   found ? QString::number(row.ref.entry) : QStringLiteral("找不到的條目"),
                                   PageOf(store, row),
                                   Escaped(title),
                                   row.starred ? QStringLiteral("★ ") +
                                                     when.toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                                               : QString(),
                                   Escaped(row.note)}
                           .join(QLatin1Char('\t')) +
                       QLatin1Char('\n');
            }
        }
        Write(stdout, out);
        std::fflush(stdout);
        Write(stderr, QStringLiteral("%1: %2 marks (%3 starred, %4 with a note), %5 not found; kept in %6\n")
                          .arg(library)
                          .arg(rows.size())
                          .arg(starred)
                          .arg(noted)
                          .arg(lost)
                          .arg(marks.FileName()));
        return lost > 0 ? kSomeNotFound : kAllFound;
    } catch (const VelmoraError &e) {
        return Trouble(e.message(), false);
    }
}
