#include "tools/notes/ProposeCommand.h"

#include "corpus/Error.h"
#include "corpus/NotesText.h"
#include "corpus/NotesWalk.h"
#include "images/NotebookProposals.h"
#include "platform/WinPath.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <cstdio>

namespace {

enum ExitStatus { kAllProposed = 0, kSomeWithout = 1, kTrouble = 2 };

void Write(FILE *stream, const QByteArray &bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

void Say(const QString &what) {
    Write(stderr, QStringLiteral("velmora-notes: %1\n").arg(what).toUtf8());
}

} // namespace

int RunProposeCommand(const QStringList &args) {
    bool all = false;
    QStringList files;
    bool optionsEnded = false;
    for (const QString &a : args) {
        if (!optionsEnded && a == QLatin1String("--"))
            optionsEnded = true;
        else if (!optionsEnded && a == QLatin1String("--all"))
            all = true;
        else if (!optionsEnded && a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            Say(QStringLiteral("unknown option '%1'\nTry 'velmora-notes --help'.").arg(a));
            return kTrouble;
        } else
            files << a;
    }
    if (files.isEmpty()) {
        Say(QStringLiteral("propose needs at least one FILE\nTry 'velmora-notes --help'."));
        return kTrouble;
    }
    int status = kAllProposed;
    for (const QString &fileName : files) {
        QList<NoteEntry> records;
        try {
            const NotesText text = NotesText::Read(fileName);
            try {
                WalkNotes(text, fileName, records);
            } catch (const VelmoraError &e) {
                Say(e.message()); // the records before the point the reader stops at are proposed
                status = kTrouble;
            }
        } catch (const VelmoraError &e) {
            Say(e.message());
            status = kTrouble;
            continue;
        }
        // The scans lie beside the notes file, as they lie beside the reader's notes.
        const QString folder = QFileInfo(ResolveWinPath(fileName)).absolutePath();
        const NotebookProposals run = ProposeNotebook(records, folder, all);
        for (const QString &error : run.errors)
            Say(error);
        if (!run.errors.isEmpty()) status = kTrouble;
        QByteArray out;
        for (const EntryProposal &p : run.entries) {
            const NoteEntry &e = records[p.record];
            QJsonObject o;
            o.insert(QStringLiteral("file"), fileName);
            o.insert(QStringLiteral("record"), p.record);
            o.insert(QStringLiteral("title"), e.title);
            o.insert(QStringLiteral("scan"), e.pageImage);
            o.insert(QStringLiteral("x"), p.found ? QJsonValue(p.position.x()) : QJsonValue());
            o.insert(QStringLiteral("y"), p.found ? QJsonValue(p.position.y()) : QJsonValue());
            out += QJsonDocument(o).toJson(QJsonDocument::Compact);
            out += '\n';
            if (!p.found && status == kAllProposed) status = kSomeWithout;
        }
        Write(stdout, out);
    }
    return status;
}
