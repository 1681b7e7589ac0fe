// velmora-notes: checks notes files with the reader's own walk and prints what the reader makes
// of them, for the people who edit the files by hand.

#include "corpus/Data.h"
#include "common/Error.h"
#include "corpus/NotesCheck.h"
#include "corpus/NotesText.h"
#include "corpus/NotesWalk.h"
#include "tools/notes/SearchCommand.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <csignal>
#include <cstdio>

namespace {

enum ExitStatus { kClean = 0, kProblems = 1, kTrouble = 2 };

const char kUsage[] = R"(Usage: velmora-notes check FILE...
       velmora-notes dump FILE
       velmora-notes search [--fold] [--fields title,content,source,note] QUERY FILE...
       velmora-notes --help | --version

Reads notes files exactly as the reader does and says what it skips, cuts or stops at.

  check FILE...  prints one line per problem, in line order, in the form editors jump to:
                   FILE:LINE: KIND: message
                 LINE counts from 1 (CR LF, LF and CR each end a line; a byte-order mark is not
                 a line). A summary per file goes to standard error.
  dump FILE      prints the records the reader makes as JSON Lines, one object per record with
                 the keys isPage, pageImage, title, lineCount, content, note, remark, source, x, y.
  search QUERY FILE...
                 searches the files with the reader's own search and prints one JSON object per
                 hit, file by file: {"file":FILE,"record":N,"title":HEADWORD}, N counting the
                 records from 0 in the order dump lists them. Exit status 0 with hits, 1 without,
                 2 on an error.
    --fold       matches across simplified, traditional and variant characters (学 finds 學,
                 為 finds 爲), as the reader's "繁簡異體" box does
    --fields L   the fields searched, comma-separated: title, content (with the collation notes),
                 source, note (the remarks); all four when not given, as the window starts

KIND is one of:
  encoding           the file is not UTF-8 and holds no notes tags (one problem for the whole file)
  not-notes          no line holds a notes tag: not a notes file (one problem for the whole file)
  skipped            a line between records with text on it that the reader passes over
  position           the line after a headword holds "<座標" but gives no position
  range              a position value does not fit 32 bits; the reader stops there
  unclosed-headword  a headword whose "</條目>" never comes; the reader stops there
  unclosed-section   a section still open at the end of the file
  tag-placement      an opening tag not at the start, or a closing tag not at the end, of a line the
                     reader cuts by character count: its text comes out garbled

Exit status: 0 no problem; 1 some file has a problem (check) or the reader stopped (dump);
2 a file cannot be read, or the command line is wrong.
)";

void Write(FILE *stream, const QByteArray &bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}
void Write(FILE *stream, const QString &text) {
    Write(stream, text.toUtf8());
}

int UsageError(const QString &what) {
    Write(stderr, QStringLiteral("velmora-notes: %1\nTry 'velmora-notes --help'.\n").arg(what));
    return kTrouble;
}

// The file as the reader reads it; a message naming the file when it cannot be read.
bool ReadNotes(const QString &fileName, NotesText &text) {
    try {
        text = NotesText::Read(fileName);
        return true;
    } catch (const VelmoraError &e) {
        Write(stderr, QStringLiteral("velmora-notes: %1\n").arg(e.message()));
        return false;
    }
}

QString Summary(const QString &fileName, const NotesCheckResult &r) {
    QString s =
        QStringLiteral("%1: %2 records: %3 pages, %4 entries (%5 with a position, %6 without); %7 problems")
            .arg(fileName)
            .arg(r.records)
            .arg(r.pages)
            .arg(r.entries)
            .arg(r.entriesWithPosition)
            .arg(r.entries - r.entriesWithPosition)
            .arg(r.problems.size());
    if (!r.stopError.isEmpty())
        s += QStringLiteral("; the reader stops before the end, the counts are of the records before it");
    return s + QLatin1Char('\n');
}

int Check(const QStringList &files) {
    int status = kClean;
    for (const QString &fileName : files) {
        NotesText text;
        if (!ReadNotes(fileName, text)) {
            status = kTrouble;
            continue;
        }
        const NotesCheckResult result = CheckNotes(text, fileName);
        QString out;
        for (const NotesProblem &p : result.problems)
            out += FormatProblem(fileName, p) + QLatin1Char('\n');
        Write(stdout, out);
        std::fflush(stdout); // keep the problems ahead of the summary when both go to one terminal
        Write(stderr, Summary(fileName, result));
        if (!result.problems.isEmpty() && status == kClean) status = kProblems;
    }
    return status;
}

int Dump(const QString &fileName) {
    NotesText text;
    if (!ReadNotes(fileName, text)) return kTrouble;
    QList<NoteEntry> records;
    QString error;
    try {
        WalkNotes(text, fileName, records);
    } catch (const VelmoraError &e) {
        error = e.message(); // the records before it were kept: print them first
    }
    QByteArray out;
    for (const NoteEntry &r : records) {
        out += RecordJson(r);
        out += '\n';
        if (out.size() > (1 << 20)) {
            Write(stdout, out);
            out.clear();
        }
    }
    Write(stdout, out);
    std::fflush(stdout);
    if (!error.isEmpty()) {
        Write(stderr, QStringLiteral("velmora-notes: %1\n").arg(error));
        return kProblems;
    }
    return kClean;
}

int Run(QStringList args) {
    if (args.isEmpty()) return UsageError(QStringLiteral("no command given"));
    const QString command = args.takeFirst();
    const auto isHelp = [](const QString &a) {
        return a == QLatin1String("--help") || a == QLatin1String("-h");
    };
    // "check --help" helps too.
    if (isHelp(command) || command == QLatin1String("help") ||
        std::any_of(args.cbegin(), std::find(args.cbegin(), args.cend(), QStringLiteral("--")), isHelp)) {
        Write(stdout, QByteArray(kUsage));
        return kClean;
    }
    if (command == QLatin1String("--version")) {
        Write(stdout, QByteArray("velmora-notes " VELMORA_VERSION "\n"));
        return kClean;
    }
    if (command == QLatin1String("search")) return RunSearchCommand(args);
    // Options end at "--", so that a file whose name starts with "-" can be named.
    QStringList files;
    bool optionsEnded = false;
    for (const QString &a : args) {
        if (!optionsEnded && a == QLatin1String("--"))
            optionsEnded = true;
        else if (!optionsEnded && a.startsWith(QLatin1Char('-')) && a.size() > 1)
            return UsageError(QStringLiteral("unknown option '%1'").arg(a));
        else
            files << a;
    }
    if (command == QLatin1String("check")) {
        if (files.isEmpty()) return UsageError(QStringLiteral("check needs at least one FILE"));
        return Check(files);
    }
    if (command == QLatin1String("dump")) {
        if (files.size() != 1) return UsageError(QStringLiteral("dump takes exactly one FILE"));
        return Dump(files.first());
    }
    return UsageError(QStringLiteral("unknown command '%1'").arg(command));
}

} // namespace

int main(int argc, char **argv) {
    std::signal(SIGXFSZ, SIG_IGN); // output past a file-size limit fails the write instead of killing us
    QCoreApplication app(argc, argv);
    const int status = Run(QCoreApplication::arguments().mid(1));
    // A full disk or a closed pipe must not pass for a clean run.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        Write(stderr, QByteArray("velmora-notes: cannot write the output\n"));
        return kTrouble;
    }
    return status;
}
