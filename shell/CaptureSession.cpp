#include "shell/CaptureSession.h"

#include "common/Error.h"
#include "common/Log.h"
#include "corpus/NotesFile.h"
#include "corpus/ReadingContext.h"
#include "shell/JournalOfferDialog.h"
#include "widgets/ErrorBoundary.h"

#include <utility>

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWidget>

CaptureSession::CaptureSession(NotebookStore &store, const ReadingContext &context, QObject *parent)
    : QObject(parent), store_(store), log_(store) {
    setObjectName(QStringLiteral("CaptureSession"));
    // The count follows every position, whoever changed it.
    connect(&store_, &NotebookStore::PositionChanged, this, [this] { UpdateCounts(); });
    connect(&store_, &NotebookStore::BookReloaded, this, [this] { UpdateCounts(); });
    connect(&store_, &NotebookStore::BookExtended, this, [this] { UpdateCounts(); });
    // The store reads a changed notes file itself, and the log has moved the unsaved positions onto
    // the entries read anew by then: the session writes the journal and says what happened.
    connect(&store_, &NotebookStore::FileChangedOnDisk, this,
            Guarded([this](int book) { AfterReadAnew(book); }));
    // A file not taken is said until it is taken: then the notice goes.
    connect(&store_, &NotebookStore::FileNotTakenYet, this, [this](int book) {
        notTaken_[size_t(book)] =
            QStringLiteral("%1 正在被其他程式寫入，稍後再讀").arg(ShownPath(NotesFileNames()[size_t(book)]));
        Q_EMIT LastingNotice(notTaken_[size_t(book)]);
    });
    // Another entry shown: the next click goes into another record.
    connect(&context, &ReadingContext::ShownChanged, this, Guarded([this] { RefreshCaption(); }));
}

bool CaptureSession::TakeKeyword(const QString &filterText) {
    if (filterText != QLatin1String("update")) return false;
    Reveal();
    return true;
}

void CaptureSession::Reveal() {
    revealed_ = true;
    Q_EMIT Revealed();
    UpdateCounts();
}

void CaptureSession::SetRecording(bool recording) {
    recording_ = recording;
    Q_EMIT RecordingChanged(recording);
    RefreshCaption();
}

void CaptureSession::UpdateCounts() {
    if (revealed_) Q_EMIT CountsChanged(log_.UnpositionedText());
}

NoteRef CaptureSession::Target() const {
    return targets_ ? targets_->Target() : NoteRef();
}

QWidget *CaptureSession::DialogParent() const {
    return dialogParent_ ? dialogParent_->window() : nullptr;
}

QString CaptureSession::Describe(NoteRef ref) const {
    return QStringLiteral("【") + NotebookLetters()[size_t(ref.book)] + QStringLiteral("】") +
           QString(store_.Entry(ref).title).replace(QStringLiteral("<br>"), QStringLiteral(" "));
}

void CaptureSession::RefreshCaption(const QString &done) {
    if (!IsRecording()) {
        Q_EMIT CaptionChanged(QString());
        return;
    }
    const NoteRef target = Target();
    const QString next = target.isValid() && store_.Contains(target) && !store_.Entry(target).isPage
                             ? QStringLiteral("右鍵記錄到：") + Describe(target)
                             : QStringLiteral("右鍵記錄到：（未選條目）");
    Q_EMIT CaptionChanged(done.isEmpty() ? next : done + QStringLiteral("　｜　") + next);
}

void CaptureSession::WriteJournal() {
    journal_.Write(log_.JournalBytes());
}

void CaptureSession::RecordAt(int x, int y) {
    const NoteRef target = Target();
    if (!target.isValid() || !store_.Contains(target)) return; // nothing selected to record into
    const bool recorded = log_.Record(target, x, y);
    const QString done =
        recorded ? QStringLiteral("已記錄 %1：x=%2, y=%3").arg(Describe(target)).arg(x).arg(y) : QString();
    // Moves on in the same list, also from a page header (which takes no position).
    targets_->StepOn();
    RefreshCaption(done);
    // The journal last: should it fail, the position stays recorded and the error is shown.
    if (recorded) WriteJournal();
}

void CaptureSession::Record(NoteRef ref, int x, int y) {
    if (log_.Record(ref, x, y)) WriteJournal();
}

void CaptureSession::Undo() {
    const NoteRef undone = log_.UndoLast();
    if (!undone.isValid()) return;
    const NoteEntry &e = store_.Entry(undone);
    const QString value =
        e.HasPosition() ? QStringLiteral("x=%1, y=%2").arg(e.x).arg(e.y) : QStringLiteral("未定位");
    if (targets_) targets_->Reselect(undone);
    RefreshCaption(QStringLiteral("已撤銷 %1：%2").arg(Describe(undone), value));
    WriteJournal();
}

void CaptureSession::ShowNextWithoutPosition() {
    if (!targets_) return;
    if (!targets_->ShowNextWithoutPosition().isValid()) {
        RefreshCaption(QStringLiteral("所有條目都已定位"));
        return;
    }
    RefreshCaption(log_.UnpositionedText());
}

bool CaptureSession::Save() {
    int count = 0;
    int written = 0;       // positions written into the notes files
    QStringList keptLines; // the ones left out: the disk's value kept over this reader's
    for (int b = 0; b < kNotebookCount; ++b) {
        if (!log_.IsChanged(b)) continue;
        const QString fileName = NotesFileNames()[size_t(b)];
        // A record both this reader and another program changed keeps the disk's value unless the
        // person says otherwise.
        const auto keepMine = [this, b](const std::vector<PositionConflict> &conflicts) {
            QStringList names;
            for (const PositionConflict &c : conflicts)
                names << QStringLiteral("%1：檔案中 x=%2, y=%3；本程式記錄 x=%4, y=%5")
                             .arg(Describe(NoteRef{b, int(c.change.record)}))
                             .arg(c.diskX)
                             .arg(c.diskY)
                             .arg(c.change.x)
                             .arg(c.change.y);
            return AskYesNo(DialogParent(),
                            QStringLiteral("以下 %1 筆條目的座標在載入後已被其他程式更改：\n%2\n\n"
                                           "要以本程式記錄的座標取代嗎？（選「否」保留檔案中的座標）")
                                .arg(conflicts.size())
                                .arg(names.join(QLatin1Char('\n'))));
        };
        // An error ends the save here: this notebook and the ones after it stay marked, and no OK.
        PositionSave saved;
        try {
            saved = SavePositionChanges(store_.Set().books[size_t(b)].entries, fileName, log_.Changes(b),
                                        keepMine);
        } catch (...) {
            // The save error is the one to show; the journal keeps the positions either way.
            try {
                WriteJournal();
            } catch (const std::exception &e) {
                qCWarning(lcShell) << "journal not written after a failed save:" << e.what();
            }
            throw;
        }
        // What is saved can no longer be undone and leaves the journal; the reader now holds the file
        // as saved, positions recorded by others included.
        written += int(log_.Changes(b).size()) - int(saved.keptFromDisk.size());
        for (const PositionConflict &c : saved.keptFromDisk)
            keptLines << QStringLiteral("%1：保留檔案中 x=%2, y=%3，未寫入本程式記錄的 x=%4, y=%5")
                             .arg(Describe(NoteRef{b, int(c.change.record)}))
                             .arg(c.diskX)
                             .arg(c.diskY)
                             .arg(c.change.x)
                             .arg(c.change.y);
        log_.ForgetBook(b);
        store_.TakeSavedPositions(b, saved.saved, saved.written);
        ++count;
    }
    WriteJournal();
    RefreshCaption();
    // "OK" where everything asked was written; after a "no" to the conflict question, what was not.
    if (count > 0 && keptLines.isEmpty())
        Inform(DialogParent(), QStringLiteral("OK"));
    else if (count > 0)
        Inform(DialogParent(),
               (written > 0 ? QStringLiteral("已寫入 %1 個座標。").arg(written)
                            : QStringLiteral("沒有寫入任何座標。")) +
                   QStringLiteral("\n以下 %1 個座標未寫入，筆記檔保留其他程式寫入的座標：\n%2")
                       .arg(keptLines.size())
                       .arg(keptLines.join(QLatin1Char('\n'))));
    if (!log_.Unplaced().empty()) Q_EMIT LastingNotice(UnplacedNotice());
    return keptLines.isEmpty() && log_.Unplaced().empty();
}

QString CaptureSession::UnplacedNotice() const {
    return QStringLiteral("%1 個未儲存的座標找不到原來的條目，保留在座標日誌中，未寫入筆記檔：%2")
        .arg(log_.Unplaced().size())
        .arg(log_.UnplacedText().join(QStringLiteral("、")));
}

void CaptureSession::AfterReadAnew(int book) {
    if (!notTaken_[size_t(book)].isEmpty())
        Q_EMIT NoticeOver(std::exchange(notTaken_[size_t(book)], QString()));
    WriteJournal();
    RefreshCaption();
    QString text = QStringLiteral("筆記檔 \"%1\" 已在磁碟上更改，已重新讀取")
                       .arg(ShownPath(NotesFileNames()[size_t(book)]));
    if (const size_t kept = log_.Changes(book).size(); kept > 0)
        text += QStringLiteral("；未儲存的座標 %1 個保留").arg(kept);
    if (!log_.Unplaced().empty()) text += QStringLiteral("；") + UnplacedNotice();
    Q_EMIT Notice(text + QStringLiteral("。"));
}

void CaptureSession::ForgetJournal() {
    journal_.Write(QByteArray());
}

void CaptureSession::OfferJournals() {
    QWidget *window = DialogParent();
    std::vector<JournalOffer> offers;
    std::vector<QByteArray> contents;
    for (const ReaderJournal::Orphan &orphan : ReaderJournal::OrphansToOffer()) {
        JournalOffer offer;
        offer.fileName = orphan.fileName;
        offer.otherHost = orphan.otherHost;
        offer.written = QFileInfo(orphan.fileName).lastModified();
        QByteArray bytes;
        try {
            bytes = ReaderJournal::ReadOrphan(orphan.fileName);
            offer.count = CaptureLog::JournalSize(bytes);
        } catch (const VelmoraError &e) {
            // One journal that cannot be read does not keep the others from being offered.
            qCWarning(lcShell).noquote() << "journal skipped:" << orphan.fileName << e.message();
            Q_EMIT LastingNotice(QStringLiteral("座標日誌 \"%1\" 無法讀取：%2\n檔案保留未動。")
                                     .arg(ShownPath(orphan.fileName), e.message()));
            continue;
        }
        for (const QJsonValue &item :
             QJsonDocument::fromJson(bytes).object().value(QStringLiteral("positions")).toArray()) {
            const QString letter = item.toObject().value(QStringLiteral("notebook")).toString();
            const auto at = std::find(NotebookLetters().begin(), NotebookLetters().end(), letter);
            const QString notes = at == NotebookLetters().end()
                                      ? letter
                                      : NotesFileNames()[size_t(at - NotebookLetters().begin())];
            if (!offer.notesFiles.contains(notes)) offer.notesFiles << notes;
        }
        offers.push_back(offer);
        contents.push_back(std::move(bytes));
    }
    if (offers.empty()) return;
    std::vector<bool> restore;
    try {
        restore = JournalOfferDialog::Ask(window, offers);
    } catch (const QuestionUnanswered &) {
        return; // the program ends: every journal stays for the next start
    }
    if (ending_) return;
    QStringList asideNames, skipped;
    int restoredCount = 0;
    for (size_t i = 0; i < restore.size(); ++i) {
        if (!restore[i]) {
            asideNames << ShownPath(ReaderJournal::SetAside(offers[i].fileName));
            continue;
        }
        const CaptureLog::Restored restored = log_.Restore(contents[i]);
        Reveal();
        // The positions now live in this reader's journal; only then does the orphan go, and only when
        // every one of them found its entry.
        WriteJournal();
        // Positions whose entries are not found are kept in this reader's journal too, so the orphan holds
        // nothing more; only items that could not be taken at all keep it.
        if (restored.skipped.isEmpty()) ReaderJournal::RemoveOrphan(offers[i].fileName);
        if (restored.unplaced > 0) Q_EMIT LastingNotice(UnplacedNotice());
        restoredCount += restored.count;
        for (const QString &name : restored.skipped)
            skipped << (name.size() > 200 ? name.left(197) + QStringLiteral("…") : name);
    }
    if (!asideNames.isEmpty())
        Inform(window, QStringLiteral("未恢復的座標日誌已保留在 %1。")
                           .arg(QStringLiteral("\"") + asideNames.join(QStringLiteral("\"、\"")) +
                                QStringLiteral("\"")));
    if (!skipped.isEmpty()) {
        const int shown = qMin<int>(int(skipped.size()), 30);
        Inform(window, QStringLiteral("已恢復 %1 個座標。以下 %2 個記錄與筆記檔不再相符，未恢復：\n%3%4")
                           .arg(restoredCount)
                           .arg(skipped.size())
                           .arg(skipped.mid(0, shown).join(QLatin1Char('\n')))
                           .arg(skipped.size() > shown ? QStringLiteral("\n…") : QString()));
    }
}
