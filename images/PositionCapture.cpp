#include "images/PositionCapture.h"

#include "widgets/Controls.h"
#include "widgets/ErrorBoundary.h"
#include "widgets/Look.h"

#include <QCheckBox>
#include <QPushButton>
#include <QWidget>
#include <algorithm>

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
}

bool PositionCapture::IsRecording() const { return recordCheck_->isChecked(); }

void PositionCapture::Record(NoteRef ref, int x, int y) {
    if (!notebooks_.contains(ref))
        return;
    NoteEntry &e = notebooks_.entry(ref);
    if (e.isPage)
        return;
    e.x = x;
    e.y = y;
    changed_[size_t(ref.book)] = true;
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
        notebooks_.books[size_t(b)].SavePositions(NotesFileNames()[size_t(b)]);
        changed_[size_t(b)] = false;
        ++count;
    }
    if (count > 0)
        Inform(header_->window(), QStringLiteral("OK"));
}
