#include "corpus/Data.h"

#include "corpus/Error.h"
#include "corpus/NotesText.h"
#include "corpus/NotesWalk.h"
#include "platform/AtomicFile.h"
#include "platform/WinPath.h"

#include <QFile>
#include <QFileInfo>

#include <future>
#include <new>
#include <system_error>
#include <vector>

void Notebook::LoadNotes(const QString &fileName) {
    NotesText text = NotesText::Read(fileName);
    text.dropBytes();
    WalkNotes(text, fileName, entries);
}

namespace {

// FormatPositionLine's text in UTF-8, made without going through a QString: it runs once per
// position in the file.
QByteArray PositionLineBytes(qint32 x, qint32 y) {
    QByteArray line("<\xE5\xBA\xA7\xE6\xA8\x99 x=\"");
    line.reserve(48);
    line.append(QByteArray::number(x)).append("\" y=\"").append(QByteArray::number(y)).append("\"/>");
    return line;
}

QString DescribeRecord(qsizetype index, const NoteEntry &r) {
    return QStringLiteral("第 %1 筆（%2「%3」）")
        .arg(index)
        .arg(r.isPage ? QStringLiteral("頁") : QStringLiteral("條目"))
        .arg(r.title);
}

void WritePositions(const QList<NoteEntry> &entries, const QString &fileName) {
    // The file is found as the program's other paths are (letter case ignored), by the reading, the
    // read-only check and the writing alike: "velmora200_K.xml" on disk for "velmora200_k.xml".
    NotesText text = NotesText::Read(fileName);
    // The byte lines are only needed for writing: split them on a second core while the walk runs
    // over the decoded text (they touch different members). Without a second thread (the system
    // refuses one) they are split here first.
    std::future<void> byteLines;
    try {
        byteLines = std::async(std::launch::async, [&text] { text.keepBytes(); });
    } catch (const std::system_error &) {
        text.keepBytes();
    }

    // Walk the file as it is now with the reader's own walk, and make sure it still holds the records
    // in memory: a file changed on disk must not get positions on the wrong headwords.
    QList<NoteEntry> found;
    QList<RecordPlace> places;
    try {
        WalkNotes(text, fileName, found, &places, true);
    } catch (...) {
        if (byteLines.valid()) byteLines.wait();
        throw;
    }
    if (byteLines.valid()) byteLines.get(); // raises what the split raised (no memory left)
    const qsizetype common = qMin(found.size(), entries.size());
    for (qsizetype r = 0; r < common; ++r) {
        if (found[r].isPage != entries[r].isPage || found[r].title != entries[r].title)
            throw VelmoraError(QStringLiteral("筆記檔 \"%1\" 與載入時不再相符：檔案中的%2與載入的%3不同。座標沒有儲存。")
                                   .arg(ShownPath(fileName), DescribeRecord(r, found[r]), DescribeRecord(r, entries[r])));
    }
    if (found.size() != entries.size()) {
        const QString what = found.size() > entries.size()
                                 ? QStringLiteral("檔案多了%1").arg(DescribeRecord(common, found[common]))
                                 : QStringLiteral("檔案中少了%1").arg(DescribeRecord(common, entries[common]));
        throw VelmoraError(QStringLiteral("筆記檔 \"%1\" 與載入時不再相符：檔案有 %2 筆記錄，而不是 %3 筆；%4。座標沒有儲存。")
                               .arg(ShownPath(fileName))
                               .arg(found.size())
                               .arg(entries.size())
                               .arg(what));
    }

    // The edits, in line order: a line replaced by a position line, or a position line added after
    // a line. Records follow each other in the file, so their edit lines only grow. A replacement
    // that would write the very bytes already there is no edit at all.
    struct Edit {
        qsizetype line;
        qsizetype replaceWith; // index into `entries`, or -1
        qsizetype appendAfter; // index into `entries`, or -1
    };
    std::vector<Edit> edits;
    for (qsizetype r = 0; r < entries.size(); ++r) {
        const NoteEntry &e = entries[r];
        if (e.isPage || (e.x == -1 && e.y == -1))
            continue;
        const bool replace = places[r].positionLineFollows;
        const qsizetype line = replace ? places[r].closeLine + 1 : places[r].closeLine;
        if (replace && PositionLineBytes(e.x, e.y) == text.lineBytes(line))
            continue;
        if (edits.empty() || edits.back().line != line)
            edits.push_back(Edit{line, -1, -1});
        (replace ? edits.back().replaceWith : edits.back().appendAfter) = r;
    }

    // A file marked read-only is left alone, as a desktop user expects, also when run with full rights.
    const QFileInfo info(ResolveWinPath(fileName));
    if (info.exists() && !(info.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther)))
        throw VelmoraError(QStringLiteral("無法儲存座標：筆記檔 \"%1\" 是唯讀的。").arg(ShownPath(fileName)));
    // Written into a temporary file beside it, flushed to disk and renamed over the original: any
    // failure on the way (a full disk, a size limit) raises and leaves the old file as it was.
    AtomicFile file(fileName, QStringLiteral("無法將座標儲存到筆記檔 \"%1\"：%2"));
    auto write = [&](QByteArrayView bytes) { file.write(bytes); };

    // Every line is written with CR LF after it. Untouched lines whose line end already is CR LF are
    // copied from the bytes as read, as long a run of them as there is: nothing is built in between.
    const QByteArrayView all = text.bytes();
    const QByteArrayView crlf("\r\n");
    auto copyLines = [&](qsizetype from, qsizetype to) { // lines [from, to), untouched
        qsizetype i = from;
        while (i < to) {
            const qsizetype runStart = text.lineByteStart(i);
            qsizetype runEnd = runStart;
            while (i < to) {
                const qsizetype end = text.lineByteStart(i) + text.lineBytes(i).size();
                if (end + 1 >= all.size() || all[end] != '\r' || all[end + 1] != '\n')
                    break;
                runEnd = end + 2;
                ++i;
            }
            if (runEnd > runStart)
                write(all.sliced(runStart, runEnd - runStart));
            if (i < to) { // a line whose line end is LF, CR or none
                write(text.lineBytes(i));
                write(crlf);
                ++i;
            }
        }
    };

    write(QByteArrayView("\xEF\xBB\xBF"));
    qsizetype next = 0;
    for (const Edit &edit : edits) {
        copyLines(next, edit.line);
        if (edit.replaceWith >= 0) {
            const NoteEntry &e = entries[edit.replaceWith];
            write(PositionLineBytes(e.x, e.y));
        } else {
            write(text.lineBytes(edit.line));
        }
        if (edit.appendAfter >= 0) {
            const NoteEntry &e = entries[edit.appendAfter];
            write(QByteArrayView("\n"));
            write(PositionLineBytes(e.x, e.y));
        }
        write(crlf);
        next = edit.line + 1;
    }
    copyLines(next, text.lineCount());
    file.commit();
}

} // namespace

void Notebook::SavePositions(const QString &fileName) const {
    // Whatever fails on the way reaches the caller as the program's own error naming the file; the
    // file is then untouched (the new content only replaces it at the very end).
    try {
        WritePositions(entries, fileName);
    } catch (const VelmoraError &) {
        throw;
    } catch (const std::bad_alloc &) {
        throw VelmoraError(
            QStringLiteral("無法將座標儲存到筆記檔 \"%1\"：記憶體不足。").arg(ShownPath(fileName)));
    } catch (const std::exception &e) {
        throw VelmoraError(QStringLiteral("無法將座標儲存到筆記檔 \"%1\"：%2")
                               .arg(ShownPath(fileName), QString::fromLocal8Bit(e.what())));
    }
}
