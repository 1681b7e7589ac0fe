#include "images/PositionCapture.h"

#include "common/Error.h"
#include "platform/AtomicFile.h"
#include "widgets/Controls.h"
#include "widgets/ErrorBoundary.h"
#include "widgets/Look.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <algorithm>
#include <set>

namespace {

bool HasPosition(const NoteEntry &e) { return e.x >= 0 && e.y >= 0; }

} // namespace

PositionCapture::PositionCapture(NotebookSet &notebooks, QWidget *header)
    : QObject(header), notebooks_(notebooks), header_(header) {
    setObjectName(QStringLiteral("PositionCapture"));
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

    connect(recordCheck_, &QCheckBox::clicked, this,
            Guarded([this] { Q_EMIT RecordingChanged(recordCheck_->isChecked()); }));
    connect(saveButton_, &QPushButton::clicked, this, Guarded([this] { Save(); }));
}

bool PositionCapture::TakeKeyword(const QString &filterText) {
    if (filterText != QLatin1String("update"))
        return false;
    Reveal();
    return true;
}

void PositionCapture::Reveal() {
    recordCheck_->setVisible(true);
    saveButton_->setVisible(true);
    UpdateCounts();
    unpositionedLabel_->setVisible(true);
}

bool PositionCapture::IsRecording() const { return recordCheck_->isChecked(); }

void PositionCapture::Record(NoteRef ref, int x, int y) {
    if (!notebooks_.contains(ref))
        return;
    NoteEntry &e = notebooks_.entry(ref);
    if (e.isPage)
        return;
    steps_.push_back(Step{ref, e.x, e.y, changed_[size_t(ref.book)]});
    e.x = x;
    e.y = y;
    changed_[size_t(ref.book)] = true;
    UpdateCounts();
    WriteJournal();
}

NoteRef PositionCapture::UndoLast() {
    if (steps_.empty())
        return NoteRef();
    const Step step = steps_.back();
    steps_.pop_back();
    NoteEntry &e = notebooks_.entry(step.ref);
    e.x = step.oldX;
    e.y = step.oldY;
    changed_[size_t(step.ref.book)] = step.wasChanged;
    UpdateCounts();
    WriteJournal();
    return step.ref;
}

int PositionCapture::UnpositionedCount(int book) const {
    const QList<NoteEntry> &entries = notebooks_.books[size_t(book)].entries;
    return int(std::count_if(entries.begin(), entries.end(), [](const NoteEntry &e) { return !e.isPage && !HasPosition(e); }));
}

QString PositionCapture::UnpositionedText() const {
    QStringList parts;
    for (int b = 0; b < kNotebookCount; ++b)
        parts << NotebookLetters()[size_t(b)] + QLatin1Char(' ') + QString::number(UnpositionedCount(b));
    return QStringLiteral("未定位：") + parts.join(QStringLiteral("　"));
}

void PositionCapture::UpdateCounts() {
    unpositionedLabel_->setText(UnpositionedText());
}

QString PositionCapture::JournalFileName() { return QStringLiteral("velmoranote.journal"); }

void PositionCapture::WriteJournal() const {
    const QString fileName = JournalFileName();
    if (steps_.empty()) {
        if (QFile::exists(fileName) && !QFile::remove(fileName)) {
            QFile f(fileName);
            throw VelmoraError(QStringLiteral("無法刪除座標日誌 \"%1\"：%2").arg(ShownPath(fileName), f.errorString()));
        }
        return;
    }
    // One line per record changed since the last save, with its position now.
    QJsonArray positions;
    std::set<std::pair<int, int>> seen;
    for (const Step &step : steps_) {
        if (!seen.insert({step.ref.book, step.ref.entry}).second)
            continue;
        const NoteEntry &e = notebooks_.entry(step.ref);
        positions.append(QJsonObject{{QStringLiteral("notebook"), NotebookLetters()[size_t(step.ref.book)]},
                                     {QStringLiteral("record"), step.ref.entry},
                                     {QStringLiteral("title"), e.title},
                                     {QStringLiteral("x"), e.x},
                                     {QStringLiteral("y"), e.y}});
    }
    const QByteArray bytes =
        QJsonDocument(QJsonObject{{QStringLiteral("velmoranote-journal"), 1}, {QStringLiteral("positions"), positions}})
            .toJson(QJsonDocument::Indented);
    // Replaced whole: a crash leaves the old journal or the new one, never a part of either.
    AtomicFile file(fileName, QStringLiteral("無法寫入座標日誌 \"%1\"：%2"));
    file.write(bytes);
    file.commit();
}

void PositionCapture::ForgetJournal() {
    steps_.clear();
    WriteJournal();
}

void PositionCapture::OfferJournal() {
    const QString fileName = JournalFileName();
    QFile file(fileName);
    if (!file.exists())
        return;
    const auto unreadable = [&](const QString &reason) {
        return VelmoraError(
            QStringLiteral("座標日誌 \"%1\" 無法讀取：%2\n檔案保留未動。").arg(ShownPath(fileName), reason));
    };
    if (!file.open(QIODevice::ReadOnly))
        throw unreadable(file.errorString());
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    file.close();
    if (doc.isNull() || !doc.isObject() || !doc.object().value(QStringLiteral("positions")).isArray())
        throw unreadable(parseError.error != QJsonParseError::NoError ? parseError.errorString()
                                                                       : QStringLiteral("not a positions journal"));
    const QJsonArray positions = doc.object().value(QStringLiteral("positions")).toArray();
    QWidget *window = header_->window();
    if (!AskYesNo(window, QStringLiteral("上次結束前有 %1 個座標尚未儲存。是否恢復這些座標？").arg(positions.size()))) {
        steps_.clear();
        WriteJournal(); // removes it: the user let those positions go
        return;
    }
    QStringList skipped;
    for (const QJsonValue &value : positions) {
        const QJsonObject item = value.toObject();
        const QString letter = item.value(QStringLiteral("notebook")).toString();
        const auto at = std::find(NotebookLetters().begin(), NotebookLetters().end(), letter);
        const NoteRef ref{at == NotebookLetters().end() ? -1 : int(at - NotebookLetters().begin()),
                          item.value(QStringLiteral("record")).toInt(-1)};
        const QString title = item.value(QStringLiteral("title")).toString();
        const QJsonValue x = item.value(QStringLiteral("x")), y = item.value(QStringLiteral("y"));
        // The record must still be the entry it was: same notebook, place and headword.
        if (!notebooks_.contains(ref) || notebooks_.entry(ref).isPage || notebooks_.entry(ref).title != title ||
            !x.isDouble() || !y.isDouble()) {
            skipped << QStringLiteral("【%1】#%2 %3").arg(letter).arg(item.value(QStringLiteral("record")).toInt(-1)).arg(title);
            continue;
        }
        NoteEntry &e = notebooks_.entry(ref);
        steps_.push_back(Step{ref, e.x, e.y, changed_[size_t(ref.book)]});
        e.x = x.toInt();
        e.y = y.toInt();
        changed_[size_t(ref.book)] = true;
    }
    Reveal();
    WriteJournal();
    if (!skipped.isEmpty())
        Inform(window, QStringLiteral("已恢復 %1 個座標。以下 %2 個記錄與筆記檔不再相符，未恢復：\n%3")
                           .arg(positions.size() - skipped.size())
                           .arg(skipped.size())
                           .arg(skipped.join(QLatin1Char('\n'))));
}

bool PositionCapture::HasUnsavedPositions() const {
    return std::any_of(changed_.begin(), changed_.end(), [](bool b) { return b; });
}

void PositionCapture::Save() {
    int count = 0;
    for (int b = 0; b < kNotebookCount; ++b) {
        if (!changed_[size_t(b)])
            continue;
        // An error ends the save here: this notebook and the ones after it stay marked, and no OK.
        try {
            notebooks_.books[size_t(b)].SavePositions(NotesFileNames()[size_t(b)]);
        } catch (...) {
            // The save error is the one to show; the journal keeps the positions either way.
            try {
                WriteJournal();
            } catch (...) {
            }
            throw;
        }
        changed_[size_t(b)] = false;
        // What is saved can no longer be undone, and leaves the journal.
        steps_.erase(std::remove_if(steps_.begin(), steps_.end(), [b](const Step &s) { return s.ref.book == b; }),
                     steps_.end());
        ++count;
    }
    WriteJournal();
    if (count > 0)
        Inform(header_->window(), QStringLiteral("OK"));
}
