#include "shell/CaptureSession.h"

#include "common/Error.h"
#include "common/Log.h"
#include "corpus/NotesFile.h"
#include "widgets/Controls.h"
#include "widgets/ErrorBoundary.h"
#include "widgets/Look.h"
#include "widgets/NoteList.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

CaptureSession::CaptureSession(NotebookStore &store, QWidget *header)
    : QObject(header), store_(store), log_(store), header_(header) {
    setObjectName(QStringLiteral("CaptureSession"));
    recordCheck_ = MakeCheck(header, QStringLiteral("右鍵記錄座標"),
                             QRect(DesignPixels(345), DesignPixels(19), DesignPixels(129), DesignPixels(17)),
                             QStringLiteral("cbGetImgXY"), false);
    saveButton_ = new QPushButton(QStringLiteral("儲存座標"), header);
    saveButton_->setObjectName(QStringLiteral("btSaveImgXY"));
    saveButton_->setGeometry(DesignPixels(480), DesignPixels(13), DesignPixels(89), DesignPixels(29));
    recordCheck_->setAccessibleName(recordCheck_->text());
    saveButton_->setAccessibleName(saveButton_->text());
    recordCheck_->hide();
    saveButton_->hide();
    unpositionedLabel_ = new QLabel(header);
    unpositionedLabel_->setObjectName(QStringLiteral("unpositionedCount"));
    unpositionedLabel_->setGeometry(DesignPixels(580), DesignPixels(19), DesignPixels(320), DesignPixels(19));
    unpositionedLabel_->hide();

    connect(recordCheck_, &QCheckBox::clicked, this, Guarded([this] {
                Q_EMIT RecordingChanged(recordCheck_->isChecked());
                RefreshCaption();
            }));
    connect(saveButton_, &QPushButton::clicked, this, Guarded([this] { Save(); }));
    // The count follows every position, whoever changed it.
    connect(&store_, &NotebookStore::PositionChanged, this, [this] { UpdateCounts(); });
    connect(&store_, &NotebookStore::BookReloaded, this, [this] { UpdateCounts(); });
    connect(&store_, &NotebookStore::BookExtended, this, [this] { UpdateCounts(); });
    // The store reads a changed notes file itself, and the log has moved the unsaved positions onto
    // the entries read anew by then: the session writes the journal and says what happened.
    connect(&store_, &NotebookStore::FileChangedOnDisk, this, Guarded([this](int book) { AfterReadAnew(book); }));
    connect(&store_, &NotebookStore::FileNotTakenYet, this, [this](int book) {
        Q_EMIT Notice(QStringLiteral("%1 正在被其他程式寫入，稍後再讀").arg(ShownPath(NotesFileNames()[size_t(book)])));
    });
}

bool CaptureSession::TakeKeyword(const QString &filterText) {
    if (filterText != QLatin1String("update"))
        return false;
    Reveal();
    return true;
}

void CaptureSession::Reveal() {
    recordCheck_->setVisible(true);
    saveButton_->setVisible(true);
    UpdateCounts();
    unpositionedLabel_->setVisible(true);
}

bool CaptureSession::IsRecording() const { return recordCheck_->isChecked(); }

void CaptureSession::UpdateCounts() {
    if (unpositionedLabel_->isVisible() || recordCheck_->isVisible())
        unpositionedLabel_->setText(log_.UnpositionedText());
}

void CaptureSession::SetOpener(NoteList *list, const QString &highlight) {
    opener_ = list;
    openerHighlight_ = highlight;
}

NoteRef CaptureSession::Target() const {
    // The list that opened the page shown decides: a search result records into that result, not into
    // whatever is still selected in the entries list.
    const NoteList *list = TargetList();
    return list ? list->Selected() : NoteRef();
}

NoteList *CaptureSession::TargetList() const { return opener_ ? opener_.data() : entries_.data(); }

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

void CaptureSession::WriteJournal() { journal_.Write(log_.JournalBytes()); }

void CaptureSession::RecordAt(int x, int y) {
    const NoteRef target = Target();
    if (!target.isValid() || !store_.Contains(target))
        return; // nothing selected to record into
    const bool recorded = log_.Record(target, x, y);
    const QString done =
        recorded ? QStringLiteral("已記錄 %1：x=%2, y=%3").arg(Describe(target)).arg(x).arg(y) : QString();
    // Moves on in the same list, also from a page header (which takes no position).
    NoteList *list = TargetList();
    const NoteRef next = list->StepAfterCapture();
    if (next.isValid())
        Q_EMIT ShowWanted(next, list, opener_ ? openerHighlight_ : QString());
    RefreshCaption(done);
    // The journal last: should it fail, the position stays recorded and the error is shown.
    if (recorded)
        WriteJournal();
}

void CaptureSession::Record(NoteRef ref, int x, int y) {
    if (log_.Record(ref, x, y))
        WriteJournal();
}

void CaptureSession::Undo() {
    const NoteRef undone = log_.UndoLast();
    if (!undone.isValid())
        return;
    const NoteEntry &e = store_.Entry(undone);
    const QString value = e.HasPosition() ? QStringLiteral("x=%1, y=%2").arg(e.x).arg(e.y) : QStringLiteral("未定位");
    // From the entries list the undone entry is selected again, ready to be recorded anew.
    if (entries_ && TargetList() == entries_ && entries_->Select(undone))
        Q_EMIT ShowWanted(undone, entries_, QString());
    RefreshCaption(QStringLiteral("已撤銷 %1：%2").arg(Describe(undone), value));
    WriteJournal();
}

void CaptureSession::ShowNextWithoutPosition() {
    if (!entries_)
        return;
    const NoteRef next = entries_->SelectNextWithoutPosition();
    if (!next.isValid()) {
        RefreshCaption(QStringLiteral("所有條目都已定位"));
        return;
    }
    Q_EMIT ShowWanted(next, entries_, QString());
    RefreshCaption(log_.UnpositionedText());
}

void CaptureSession::Save() {
    int count = 0;
    int written = 0;       // positions written into the notes files
    QStringList keptLines; // the ones left out: the disk's value kept over this reader's
    for (int b = 0; b < kNotebookCount; ++b) {
        if (!log_.IsChanged(b))
            continue;
        const QString fileName = NotesFileNames()[size_t(b)];
        // A record both this reader and another program changed keeps the disk's value unless the
        // person says otherwise.
        const auto keepMine = [this, b](const std::vector<PositionConflict> &conflicts) {
            QStringList names;
            for (const PositionConflict &c : conflicts)
                names << QStringLiteral("%1：檔案中 x=%2, y=%3；本程式記錄 x=%4, y=%5")
                             .arg(Describe(NoteRef{b, int(c.change.record)}))
                             .arg(c.diskX).arg(c.diskY).arg(c.change.x).arg(c.change.y);
            return AskYesNo(header_->window(),
                            QStringLiteral("以下 %1 筆條目的座標在載入後已被其他程式更改：\n%2\n\n"
                                           "要以本程式記錄的座標取代嗎？（選「否」保留檔案中的座標）")
                                .arg(conflicts.size())
                                .arg(names.join(QLatin1Char('\n'))));
        };
        // An error ends the save here: this notebook and the ones after it stay marked, and no OK.
        PositionSave saved;
        try {
            saved = SavePositionChanges(store_.Set().books[size_t(b)].entries, fileName, log_.Changes(b), keepMine);
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
        Inform(header_->window(), QStringLiteral("OK"));
    else if (count > 0)
        Inform(header_->window(),
               (written > 0 ? QStringLiteral("已寫入 %1 個座標。").arg(written)
                            : QStringLiteral("沒有寫入任何座標。")) +
                   QStringLiteral("\n以下 %1 個座標未寫入，筆記檔保留其他程式寫入的座標：\n%2")
                       .arg(keptLines.size())
                       .arg(keptLines.join(QLatin1Char('\n'))));
    if (!log_.Unplaced().empty())
        Q_EMIT Notice(UnplacedNotice());
}

QString CaptureSession::UnplacedNotice() const {
    return QStringLiteral("%1 個未儲存的座標找不到原來的條目，保留在座標日誌中，未寫入筆記檔：%2")
        .arg(log_.Unplaced().size())
        .arg(log_.UnplacedText().join(QStringLiteral("、")));
}

void CaptureSession::AfterReadAnew(int book) {
    WriteJournal();
    RefreshCaption();
    QString text = QStringLiteral("筆記檔 \"%1\" 已在磁碟上更改，已重新讀取").arg(ShownPath(NotesFileNames()[size_t(book)]));
    if (const size_t kept = log_.Changes(book).size(); kept > 0)
        text += QStringLiteral("；未儲存的座標 %1 個保留").arg(kept);
    if (!log_.Unplaced().empty())
        text += QStringLiteral("；") + UnplacedNotice();
    Q_EMIT Notice(text + QStringLiteral("。"));
}

void CaptureSession::ForgetJournal() { journal_.Write(QByteArray()); }

void CaptureSession::OfferJournals() {
    QWidget *window = header_->window();
    for (const QString &orphan : ReaderJournal::Orphans()) {
        QByteArray bytes;
        int size = 0;
        try {
            bytes = ReaderJournal::ReadOrphan(orphan);
            size = CaptureLog::JournalSize(bytes);
        } catch (const VelmoraError &e) {
            throw VelmoraError(
                QStringLiteral("座標日誌 \"%1\" 無法讀取：%2\n檔案保留未動。").arg(ShownPath(orphan), e.message()));
        }
        // Yes is the default: Enter must not throw away a person's work.
        const bool restore =
            AskYesNo(window, QStringLiteral("上次結束前有 %1 個座標尚未儲存。是否恢復這些座標？").arg(size), true);
        if (ending_)
            return;
        if (!restore) {
            const QString aside = ReaderJournal::SetAside(orphan);
            Inform(window, QStringLiteral("未恢復的座標日誌已保留在 \"%1\"。").arg(ShownPath(aside)));
            continue;
        }
        const CaptureLog::Restored restored = log_.Restore(bytes);
        Reveal();
        // The positions now live in this reader's journal; only then does the orphan go, and only when
        // every one of them found its entry.
        WriteJournal();
        if (restored.Complete())
            ReaderJournal::RemoveOrphan(orphan);
        else if (restored.unplaced > 0)
            Q_EMIT Notice(UnplacedNotice());
        if (!restored.skipped.isEmpty())
            Inform(window, QStringLiteral("已恢復 %1 個座標。以下 %2 個記錄與筆記檔不再相符，未恢復：\n%3")
                               .arg(restored.count)
                               .arg(restored.skipped.size())
                               .arg(restored.skipped.join(QLatin1Char('\n'))));
    }
}
