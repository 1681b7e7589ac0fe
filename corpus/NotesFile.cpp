#include "corpus/NotesFile.h"

#include "common/Log.h"
#include "common/Error.h"
#include "corpus/NotesText.h"
#include "corpus/NotesWalk.h"
#include "platform/AtomicFile.h"
#include "platform/RegularFile.h"
#include "platform/WinPath.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <future>
#include <new>
#include <system_error>
#include <unistd.h>

void ReadNotesFile(const QString &fileName, QList<NoteEntry> &records, QStringList *warnings) {
    NotesText text = NotesText::Read(fileName);
    text.dropBytes();
    const qsizetype before = records.size();
    WalkNotes(text, fileName, records);
    if (!text.isUtf8()) {
        const QString warning =
            QStringLiteral("筆記檔 \"%1\" 不是 UTF-8 編碼%2，已照 UTF-8 讀入（%3 筆記錄），無法辨認的字會顯示為「\uFFFD」。"
                           "請用編輯器把它另存為 UTF-8。")
                .arg(ShownPath(fileName),
                     text.looksUtf16() ? QStringLiteral("（看來是 UTF-16）") : QString())
                .arg(records.size() - before);
        qCWarning(lcCorpus).noquote() << warning;
        if (warnings)
            warnings->append(warning);
    }
}

QList<NoteEntry> ReadNotesFileStart(const QString &fileName, qint64 bytes) {
    QString reason;
    const int fd = OpenRegularFile(ResolveWinPath(fileName), reason);
    if (fd < 0)
        return {};
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {};
    }
    QByteArray start = file.read(bytes);
    QList<NoteEntry> records;
    // A headword cut in two cannot be walked: the start is cut a line earlier, a few times at most (the
    // whole file's reading says what is wrong with a file that is broken there).
    for (int attempt = 0; attempt < 16; ++attempt) {
        const qsizetype lineEnd = start.lastIndexOf('\n');
        if (lineEnd < 0)
            return {};
        start.truncate(lineEnd + 1);
        try {
            records.clear();
            WalkNotes(NotesText::FromBytes(start), fileName, records);
            if (!records.isEmpty())
                records.removeLast();
            return records;
        } catch (const std::exception &) {
            start.chop(1);
        }
    }
    return {};
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

// The file as it is on disk now, walked with the reader's own walk, so that the writer and the reader
// agree on every line.
struct FileNow {
    NotesText text;
    QList<NoteEntry> found;
    QList<RecordPlace> places;
};

FileNow ReadForWriting(const QString &fileName, const QList<NoteEntry> &expected) {
    FileNow now{NotesText::Read(fileName), {}, {}};
    NotesText &text = now.text;
    // The byte lines are only needed for writing: split them on a second core while the walk runs
    // over the decoded text (they touch different members). Without a second thread (the system
    // refuses one) they are split here first.
    std::future<void> byteLines;
    try {
        byteLines = std::async(std::launch::async, [&text] { text.keepBytes(); });
    } catch (const std::system_error &) {
        text.keepBytes();
    }
    try {
        WalkNotes(text, fileName, now.found, &now.places, true);
    } catch (...) {
        if (byteLines.valid()) byteLines.wait();
        throw;
    }
    if (byteLines.valid()) byteLines.get(); // raises what the split raised (no memory left)

    // The file must still hold the records in memory: a file changed on disk must not get positions on
    // the wrong headwords.
    const QList<NoteEntry> &found = now.found;
    const qsizetype common = qMin(found.size(), expected.size());
    for (qsizetype r = 0; r < common; ++r) {
        if (found[r].isPage != expected[r].isPage || found[r].title != expected[r].title)
            throw VelmoraError(QStringLiteral("筆記檔 \"%1\" 與載入時不再相符：檔案中的%2與載入的%3不同。座標沒有儲存。")
                                   .arg(ShownPath(fileName), DescribeRecord(r, found[r]), DescribeRecord(r, expected[r])));
    }
    if (found.size() != expected.size()) {
        const QString what = found.size() > expected.size()
                                 ? QStringLiteral("檔案多了%1").arg(DescribeRecord(common, found[common]))
                                 : QStringLiteral("檔案中少了%1").arg(DescribeRecord(common, expected[common]));
        throw VelmoraError(QStringLiteral("筆記檔 \"%1\" 與載入時不再相符：檔案有 %2 筆記錄，而不是 %3 筆；%4。座標沒有儲存。")
                               .arg(ShownPath(fileName))
                               .arg(found.size())
                               .arg(expected.size())
                               .arg(what));
    }
    return now;
}

struct PositionWrite {
    qsizetype record;
    qint32 x, y;
};

// Writes the file anew with `writes` (in record order) applied and every other line as it is.
void WriteWithPositions(const FileNow &now, const QString &fileName, const std::vector<PositionWrite> &writes) {
    const NotesText &text = now.text;
    // The edits, in line order: a line replaced by a position line, or a position line added after
    // a line. Records follow each other in the file, so their edit lines only grow. A replacement
    // that would write the very bytes already there is no edit at all.
    struct Edit {
        qsizetype line;
        const PositionWrite *replaceWith;
        const PositionWrite *appendAfter;
    };
    std::vector<Edit> edits;
    for (const PositionWrite &w : writes) {
        const RecordPlace &place = now.places[w.record];
        const bool replace = place.positionLineFollows;
        const qsizetype line = replace ? place.closeLine + 1 : place.closeLine;
        if (replace && PositionLineBytes(w.x, w.y) == text.lineBytes(line))
            continue;
        if (edits.empty() || edits.back().line != line)
            edits.push_back(Edit{line, nullptr, nullptr});
        (replace ? edits.back().replaceWith : edits.back().appendAfter) = &w;
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
        if (edit.replaceWith)
            write(PositionLineBytes(edit.replaceWith->x, edit.replaceWith->y));
        else
            write(text.lineBytes(edit.line));
        if (edit.appendAfter) {
            write(QByteArrayView("\n"));
            write(PositionLineBytes(edit.appendAfter->x, edit.appendAfter->y));
        }
        write(crlf);
        next = edit.line + 1;
    }
    copyLines(next, text.lineCount());
    file.commit();
}

// Whatever fails on the way reaches the caller as the program's own error naming the file; the file
// is then untouched (the new content only replaces it at the very end).
template <typename Work>
auto AsSaveError(const QString &fileName, Work work) -> decltype(work()) {
    try {
        return work();
    } catch (const VelmoraError &) {
        throw;
    } catch (const std::bad_alloc &) {
        throw VelmoraError(QStringLiteral("無法將座標儲存到筆記檔 \"%1\"：記憶體不足。").arg(ShownPath(fileName)));
    } catch (const std::exception &e) {
        throw VelmoraError(QStringLiteral("無法將座標儲存到筆記檔 \"%1\"：%2")
                               .arg(ShownPath(fileName), QString::fromLocal8Bit(e.what())));
    }
}

} // namespace

void WriteAllPositions(const QList<NoteEntry> &entries, const QString &fileName) {
    AsSaveError(fileName, [&] {
        const FileNow now = ReadForWriting(fileName, entries);
        std::vector<PositionWrite> writes;
        for (qsizetype r = 0; r < entries.size(); ++r) {
            const NoteEntry &e = entries[r];
            if (!e.isPage && !(e.x == -1 && e.y == -1))
                writes.push_back(PositionWrite{r, e.x, e.y});
        }
        WriteWithPositions(now, fileName, writes);
    });
}

PositionSave SavePositionChanges(const QList<NoteEntry> &expected, const QString &fileName,
                                 const std::vector<PositionChange> &changes,
                                 const std::function<bool(const std::vector<PositionConflict> &)> &keepMine) {
    return AsSaveError(fileName, [&] {
        FileNow now = ReadForWriting(fileName, expected);
        std::vector<PositionChange> ordered = changes;
        std::sort(ordered.begin(), ordered.end(),
                  [](const PositionChange &a, const PositionChange &b) { return a.record < b.record; });
        std::vector<PositionConflict> conflicts;
        std::vector<PositionChange> clean;
        for (const PositionChange &c : ordered) {
            if (c.record < 0 || c.record >= now.found.size() || now.found[c.record].isPage)
                continue;
            const NoteEntry &disk = now.found[c.record];
            const bool diskMoved = disk.x != c.baseX || disk.y != c.baseY;
            const bool sameAsMine = disk.x == c.x && disk.y == c.y;
            if (diskMoved && !sameAsMine)
                conflicts.push_back(PositionConflict{c, disk.x, disk.y, disk.title});
            else if (!sameAsMine)
                clean.push_back(c);
        }
        PositionSave result;
        if (!conflicts.empty() && keepMine && keepMine(conflicts)) {
            for (const PositionConflict &c : conflicts)
                clean.push_back(c.change);
            std::sort(clean.begin(), clean.end(),
                      [](const PositionChange &a, const PositionChange &b) { return a.record < b.record; });
        } else {
            result.keptFromDisk = conflicts;
            if (!conflicts.empty())
                qCInfo(lcCorpus) << "kept" << conflicts.size() << "positions changed on disk in" << fileName;
        }
        std::vector<PositionWrite> writes;
        writes.reserve(clean.size());
        for (const PositionChange &c : clean) {
            writes.push_back(PositionWrite{c.record, c.x, c.y});
            now.found[c.record].x = c.x;
            now.found[c.record].y = c.y;
        }
        if (!writes.empty())
            WriteWithPositions(now, fileName, writes);
        result.saved = std::move(now.found);
        return result;
    });
}
