// velmora-notes: checks notes files with the reader's own walk and prints what the reader makes
// of them, for the people who edit the files by hand.

#include "common/Error.h"
#include "corpus/Data.h"
#include "corpus/NotesCheck.h"
#include "corpus/NotesText.h"
#include "corpus/NotesWalk.h"
#include "tools/notes/ExportCommand.h"
#include "tools/notes/MarksCommand.h"
#include "tools/notes/ProposeCommand.h"
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
       velmora-notes marks [--json] LIBRARY
       velmora-notes propose [--all] FILE...
       velmora-notes export --format tei|markdown|html [--crops DIR] [--output FILE|DIR] FILE...
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
  marks LIBRARY  lists the reader's own marks of the notes library in the folder LIBRARY (stars and
                 personal notes, kept in ~/.local/share/velmoranote), found in its notes files as
                 they are now, one line per mark, found entries in book order:
                   NOTEBOOK<TAB>RECORD<TAB>PAGE<TAB>HEADWORD<TAB>STAR<TAB>NOTE
                 RECORD counts from 0 as dump does, or reads 找不到的條目 for a mark whose entry
                 the notes no longer hold (listed last, with the page and headword it had); STAR
                 is "★ yyyy-MM-dd HH:mm" (when it was starred) or empty; in HEADWORD and NOTE a
                 line break reads \n, a tab \t and a backslash \\. Exit status 0 when every
                 mark's entry is found, 1 when some is not, 2 on an error.
    --json       one JSON object per mark instead: notebook, found, record (null when not
                 found), page, title, starred, starredAt (ISO 8601, or null), note
  propose FILE...
                 proposes where the headword of each entry without a position starts on its
                 scan, read from the scan's layout, and prints one JSON object per entry:
                 {"file":FILE,"record":N,"title":HEADWORD,"scan":PAGEIMAGE,"x":X,"y":Y}, X and Y
                 in pixels of the full-size scan as positions are stored, null without a
                 proposal. Scans are found relative to the notes file's folder. Exit status 0
                 when every entry got a proposal, 1 when some did not, 2 on an error.
    --all        every entry, as the capture meets it: the entries before it on its scan
                 placed where the file says, it and those after it not

  export FILE... takes the notes out, to standard output unless --output names a file:
    --format tei       TEI P5: the scans as a facsimile (a surface per page, a zone per placed
                       entry), a div type="entry" per entry pointing at its zone; the notes'
                       markup as TEI (<br> as lb, spans as hi rend="...")
    --format markdown  a # heading per page, ## per headword, the sections as labelled paragraphs
    --format html      a static site in --output DIR: an index of the notebooks and a page per
                       entry in the reader's own style beside its crop; no script, no network
    --crops DIR        one JPEG per placed entry, its zone cut from the scan (losslessly where the
                       file allows); Markdown links them
                 Scans are found from the notes file's folder, as the reader finds them in its
                 library. A folder must be new, empty or an earlier export: it is written whole
                 and put in place at the end, and a file is replaced whole, so a failed or
                 interrupted export leaves nothing half written. Progress goes to standard error
                 when it is a terminal. Exit status 0 all written; 1 written, but a scan could not
                 be read or the reader stopped early in a file (said on standard error); 2 an
                 error, and nothing written.

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
    if (command == QLatin1String("marks")) return RunMarksCommand(args);
    if (command == QLatin1String("propose")) return RunProposeCommand(args);
    if (command == QLatin1String("export")) return RunExportCommand(args);
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
