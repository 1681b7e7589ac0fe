#include "corpus/NotesFile.h"

#include "common/Error.h"
#include "common/Log.h"
#include "corpus/EntryAnchor.h"
#include "corpus/NotesText.h"
#include "corpus/NotesWalk.h"
#include "platform/AtomicFile.h"
#include "platform/RegularFile.h"
#include "platform/WinPath.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <future>
#include <map>
#include <new>
#include <system_error>
#include <unistd.h>

void ReadNotesFile(const QString &fileName, QList<NoteEntry> &records, QStringList *warnings) {
    NotesText text = NotesText::Read(fileName);
    text.DropBytes();
    const qsizetype before = records.size();
    WalkNotes(text, fileName, records);
    if (!text.IsUtf8()) {
        const QString warning =
            QStringLiteral("筆記檔 \"%1\" 不是 UTF-8 編碼%2，已照 UTF-8 讀入（%3 "
                           "筆記錄），無法辨認的字會顯示為「\uFFFD」。"
                           "請用編輯器把它另存為 UTF-8。")
                .arg(ShownPath(fileName), text.LooksUtf16() ? QStringLiteral("（看來是 UTF-16）") : QString())
                .arg(records.size() - before);
        qCWarning(lcCorpus).noquote() << warning;
        if (warnings) warnings->append(warning);
    }
}

QList<NoteEntry> ReadNotesFileStart(const QString &fileName, qint64 bytes) {
    QString reason;
    const int fd = OpenRegularFile(ResolveWinPath(fileName), reason);
    if (fd < 0) return {};
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
        if (lineEnd < 0) return {};
        start.truncate(lineEnd + 1);
        try {
            records.clear();
            WalkNotes(NotesText::FromBytes(start), fileName, records);
            if (!records.isEmpty()) records.removeLast();
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

FileNow ReadFileNow(const QString &fileName) {
    FileNow now{NotesText::Read(fileName), {}, {}};
    NotesText &text = now.text;
    // The byte lines are only needed for writing: split them on a second core while the walk runs
    // over the decoded text (they touch different members). Without a second thread (the system
    // refuses one) they are split here first.
    std::future<void> byteLines;
    try {
        byteLines = std::async(std::launch::async, [&text] { text.KeepBytes(); });
    } catch (const std::system_error &) {
        text.KeepBytes();
    }
    try {
        WalkNotes(text, fileName, now.found, &now.places, true);
    } catch (...) {
        if (byteLines.valid()) byteLines.wait();
        throw;
    }
    if (byteLines.valid()) byteLines.get(); // raises what the split raised (no memory left)
    return now;
}

// The file must still hold the records in memory: a file changed on disk must not get positions on
// the wrong headwords.
void CheckSameRecords(const QList<NoteEntry> &found, const QList<NoteEntry> &expected,
                      const QString &fileName) {
    const qsizetype common = qMin(found.size(), expected.size());
    for (qsizetype r = 0; r < common; ++r) {
        if (found[r].isPage != expected[r].isPage || found[r].title != expected[r].title)
            throw VelmoraError(
                QStringLiteral("筆記檔 \"%1\" 與載入時不再相符：檔案中的%2與載入的%3不同。座標沒有儲存。")
                    .arg(ShownPath(fileName), DescribeRecord(r, found[r]), DescribeRecord(r, expected[r])));
    }
    if (found.size() != expected.size()) {
        const QString what =
            found.size() > expected.size()
                ? QStringLiteral("檔案多了%1").arg(DescribeRecord(common, found[common]))
                : QStringLiteral("檔案中少了%1").arg(DescribeRecord(common, expected[common]));
        throw VelmoraError(
            QStringLiteral(
                "筆記檔 \"%1\" 與載入時不再相符：檔案有 %2 筆記錄，而不是 %3 筆；%4。座標沒有儲存。")
                .arg(ShownPath(fileName))
                .arg(found.size())
                .arg(expected.size())
                .arg(what));
    }
}

bool SameRecords(const QList<NoteEntry> &a, const QList<NoteEntry> &b) {
    if (a.size() != b.size()) return false;
    for (qsizetype r = 0; r < a.size(); ++r)
        if (a[r].isPage != b[r].isPage || a[r].title != b[r].title) return false;
    return true;
}

// A file cut in the middle of a line (another program writing it in place, caught between two
// pieces) ends in the middle of a tag or a text; every line the reader makes ends with a tag.
bool EndsWithTag(const NotesText &text) {
    for (qsizetype i = text.LineCount() - 1; i >= 0; --i) {
        const QStringView line = text.Line(i).trimmed();
        if (!line.isEmpty()) return line.endsWith(QLatin1Char('>'));
    }
    return false;
}

struct PositionWrite {
    qsizetype record;
    qint32 x, y;
};

// Writes the file anew with `writes` (in record order) applied and every other line as it is.
// With `stillSame`, the file is replaced only when it answers true right before the rename; false
// when it did not. `written` receives the new file's stamp.
bool WriteWithPositions(const FileNow &now, const QString &fileName, const std::vector<PositionWrite> &writes,
                        const std::function<bool()> &stillSame = nullptr, FileStamp *written = nullptr,
                        const FileStamp *replacing = nullptr) {
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
        if (replace && PositionLineBytes(w.x, w.y) == text.LineBytes(line)) continue;
        if (edits.empty() || edits.back().line != line) edits.push_back(Edit{line, nullptr, nullptr});
        (replace ? edits.back().replaceWith : edits.back().appendAfter) = &w;
    }

    // A file marked read-only is left alone, as a desktop user expects, also when run with full rights.
    const QFileInfo info(ResolveWinPath(fileName));
    if (info.exists() && !(info.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther)))
        throw VelmoraError(QStringLiteral("無法儲存座標：筆記檔 \"%1\" 是唯讀的。").arg(ShownPath(fileName)));
    // Written into a temporary file beside it, flushed to disk and renamed over the original: any
    // failure on the way (a full disk, a size limit) raises and leaves the old file as it was.
    AtomicFile file(fileName, QStringLiteral("無法將座標儲存到筆記檔 \"%1\"：%2"));
    auto write = [&](QByteArrayView bytes) { file.Write(bytes); };

    // Every line is written with CR LF after it. Untouched lines whose line end already is CR LF are
    // copied from the bytes as read, as long a run of them as there is: nothing is built in between.
    const QByteArrayView all = text.Bytes();
    const QByteArrayView crlf("\r\n");
    auto copyLines = [&](qsizetype from, qsizetype to) { // lines [from, to), untouched
        qsizetype i = from;
        while (i < to) {
            const qsizetype runStart = text.LineByteStart(i);
            qsizetype runEnd = runStart;
            while (i < to) {
                const qsizetype end = text.LineByteStart(i) + text.LineBytes(i).size();
                if (end + 1 >= all.size() || all[end] != '\r' || all[end + 1] != '\n') break;
                runEnd = end + 2;
                ++i;
            }
            if (runEnd > runStart) write(all.sliced(runStart, runEnd - runStart));
            if (i < to) { // a line whose line end is LF, CR or none
                write(text.LineBytes(i));
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
            write(text.LineBytes(edit.line));
        if (edit.appendAfter) {
            write(QByteArrayView("\n"));
            write(PositionLineBytes(edit.appendAfter->x, edit.appendAfter->y));
        }
        write(crlf);
        next = edit.line + 1;
    }
    copyLines(next, text.LineCount());
    if (!file.CommitIf(stillSame, replacing)) return false;
    if (written) *written = file.Committed();
    return true;
}

// Whatever fails on the way reaches the caller as the program's own error naming the file; the file
// is then untouched (the new content only replaces it at the very end).
template <typename Work> auto AsSaveError(const QString &fileName, Work work) -> decltype(work()) {
    try {
        return work();
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

} // namespace

void WriteAllPositions(const QList<NoteEntry> &entries, const QString &fileName) {
    AsSaveError(fileName, [&] {
        const FileNow now = ReadFileNow(fileName);
        CheckSameRecords(now.found, entries, fileName);
        std::vector<PositionWrite> writes;
        for (qsizetype r = 0; r < entries.size(); ++r) {
            const NoteEntry &e = entries[r];
            if (!e.isPage && !(e.x == -1 && e.y == -1)) writes.push_back(PositionWrite{r, e.x, e.y});
        }
        WriteWithPositions(now, fileName, writes);
    });
}

WholeNotesRead ReadWholeNotesFile(const QString &fileName) {
    WholeNotesRead read;
    read.stamp = FileStamp::Of(fileName);
    try {
        NotesText text = NotesText::Read(fileName);
        text.DropBytes();
        if (FileStamp::Of(fileName) != read.stamp) {
            read.problem = QStringLiteral("讀取時檔案仍在改變");
            return read;
        }
        if (!EndsWithTag(text)) {
            read.problem =
                text.LineCount() == 0 ? QStringLiteral("檔案是空的") : QStringLiteral("檔案在一行的中間結束");
            return read;
        }
        WalkNotes(text, fileName, read.records);
    } catch (const std::exception &e) {
        read.records.clear();
        read.problem = QString::fromUtf8(e.what());
        return read;
    }
    read.whole = true;
    return read;
}

namespace {

// The wait between two tries of a save that found the file changing: short at first, longer each
// time, about seven seconds in all.
constexpr int kSaveAttempts = 16;
constexpr int kSettleMs = 30;
int SaveBackoffMs(int attempt) {
    return qMin(10 << qMin(attempt, 6), 640);
}

// The record of `found` a change made on `expected` belongs to, or -1.
qsizetype PlaceChange(const PositionChange &c, const QList<NoteEntry> &expected,
                      const QList<NoteEntry> &found, bool sameRecords) {
    if (sameRecords) return c.record;
    const EntryAnchor anchor = AnchorOf(expected, NoteRef{0, int(c.record)});
    return anchor.IsValid() ? FindAnchor(found, anchor) : -1;
}

} // namespace

PositionSave SavePositionChanges(const QList<NoteEntry> &expected, const QString &fileName,
                                 const std::vector<PositionChange> &changes,
                                 const std::function<bool(const std::vector<PositionConflict> &)> &keepMine) {
    return AsSaveError(fileName, [&] {
        // What the person answered about a record both sides changed, and the disk's value then: asked
        // before the last reading, so that a change made on disk while the question is open is read
        // and merged, not overwritten.
        struct Answer {
            qint32 diskX, diskY;
            bool mine;
        };
        std::map<size_t, Answer> answers; // by the change's index in `changes`
        FileStamp previous;
        QElapsedTimer stillFor; // since the file was last seen to change
        stillFor.start();
        // A file that holds still this long while it reads cut or without the records is not being
        // written: it is what it is, and the save says so instead of waiting on.
        constexpr qint64 kBrokenAfterMs = 1000;
        QString lastProblem;
        for (int attempt = 0; attempt < kSaveAttempts; ++attempt) {
            if (attempt > 0) ::usleep(useconds_t(SaveBackoffMs(attempt - 1)) * 1000);
            // Settled: unchanged over a short while, or replaced by a new file meanwhile (a careful
            // writer renames a whole file over it). The same file grown or rewritten meanwhile is a
            // writer at work in place.
            const FileStamp first = FileStamp::Of(fileName);
            ::usleep(kSettleMs * 1000);
            const FileStamp before = FileStamp::Of(fileName);
            if (first != before && first.device == before.device && first.inode == before.inode) {
                lastProblem = QStringLiteral("檔案正在被其他程式寫入");
                previous = before;
                stillFor.start();
                continue;
            }
            if (before != previous) stillFor.start();
            const bool stable = attempt > 0 && before == previous && stillFor.elapsed() >= kBrokenAfterMs;
            previous = before;
            FileNow now;
            try {
                now = ReadFileNow(fileName);
            } catch (const VelmoraError &e) {
                // A file cut inside a headword by a writer at work reads again; one that stays so is broken.
                if (stable || !before.Exists())
                    throw VelmoraError(QStringLiteral("%1座標沒有儲存。").arg(e.message()));
                lastProblem = e.message();
                continue;
            }
            // Fewer records than were read: a writer at work in place may be pausing between two pieces,
            // or records were removed. Only a file that has held still for long is taken so.
            if (FileStamp::Of(fileName) != before || !EndsWithTag(now.text) ||
                (now.found.size() < expected.size() && !stable)) {
                lastProblem = QStringLiteral("檔案正在被其他程式寫入");
                continue;
            }
            const bool sameRecords = SameRecords(now.found, expected);
            const QList<NoteEntry> &found = now.found;
            // Each change placed on the file's record, conflicts apart.
            std::vector<PositionChange> clean;
            std::vector<PositionConflict> unasked, keptFromDisk;
            std::vector<size_t> unaskedIndex;
            bool unplaced = false;
            for (size_t i = 0; i < changes.size(); ++i) {
                const PositionChange &c = changes[i];
                const qsizetype r = PlaceChange(c, expected, found, sameRecords);
                if (r < 0 || r >= now.found.size() || now.found[r].isPage) {
                    if (!sameRecords && stable)
                        CheckSameRecords(now.found, expected, fileName); // says which record differs
                    unplaced = true;
                    break;
                }
                PositionChange placed = c;
                placed.record = r;
                const NoteEntry &disk = now.found[r];
                const bool diskMoved = disk.x != c.baseX || disk.y != c.baseY;
                const bool sameAsMine = disk.x == c.x && disk.y == c.y;
                if (sameAsMine) continue;
                if (!diskMoved) {
                    clean.push_back(placed);
                    continue;
                }
                const PositionConflict conflict{placed, disk.x, disk.y, disk.title};
                const auto answer = answers.find(i);
                if (answer == answers.end() || answer->second.diskX != disk.x ||
                    answer->second.diskY != disk.y) {
                    unasked.push_back(conflict);
                    unaskedIndex.push_back(i);
                } else if (answer->second.mine)
                    clean.push_back(placed);
                else
                    keptFromDisk.push_back(conflict);
            }
            if (unplaced) {
                lastProblem = QStringLiteral("檔案正在被其他程式寫入");
                continue;
            }
            if (!unasked.empty()) {
                const bool mine = keepMine && keepMine(unasked);
                for (size_t k = 0; k < unasked.size(); ++k)
                    answers[unaskedIndex[k]] = Answer{unasked[k].diskX, unasked[k].diskY, mine};
                --attempt; // the question is no try: the file is read again after it
                continue;
            }
            std::sort(clean.begin(), clean.end(),
                      [](const PositionChange &a, const PositionChange &b) { return a.record < b.record; });
            PositionSave result;
            result.keptFromDisk = keptFromDisk;
            if (!keptFromDisk.empty())
                qCInfo(lcCorpus) << "kept" << keptFromDisk.size() << "positions changed on disk in"
                                 << fileName;
            std::vector<PositionWrite> writes;
            writes.reserve(clean.size());
            for (const PositionChange &c : clean) {
                writes.push_back(PositionWrite{c.record, c.x, c.y});
                now.found[c.record].x = c.x;
                now.found[c.record].y = c.y;
            }
            result.written = before;
            if (!writes.empty()) {
                // Right before the rename: the file is still the very one read, byte for byte.
                const auto stillSame = [&] {
                    if (FileStamp::Of(fileName) != before) return false;
                    QFile again(ResolveWinPath(fileName));
                    if (!again.open(QIODevice::ReadOnly)) return false;
                    const QByteArray bytes = again.readAll();
                    const qsizetype bom = bytes.size() - now.text.Bytes().size();
                    return bytes.size() == before.size &&
                           (bom == 0 || (bom == 3 && bytes.startsWith("\xEF\xBB\xBF"))) &&
                           QByteArrayView(bytes).sliced(bom) == now.text.Bytes() &&
                           FileStamp::Of(fileName) == before;
                };
                if (!WriteWithPositions(now, fileName, writes, stillSame, &result.written, &before)) {
                    lastProblem = QStringLiteral("檔案在儲存時被其他程式更改");
                    qCInfo(lcCorpus) << "notes file changed while saving; merged again:" << fileName;
                    continue;
                }
            }
            result.saved = std::move(now.found);
            return result;
        }
        throw VelmoraError(
            QStringLiteral("無法將座標儲存到筆記檔 "
                           "\"%1\"：%2，等候後仍未停止。座標沒有儲存，仍保留在本程式中，請稍後再儲存。")
                .arg(ShownPath(fileName), lastProblem));
    });
}
