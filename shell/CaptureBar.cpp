#include "shell/CaptureBar.h"

#include "shell/CaptureSession.h"
#include "widgets/ErrorBoundary.h"
#include "widgets/Look.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

CaptureBar::CaptureBar(CaptureSession &session, QWidget *parent) : QWidget(parent), session_(session) {
    setObjectName(QStringLiteral("CaptureBar"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(DesignPixels(6));
    recordCheck_ = new QCheckBox(QStringLiteral("右鍵記錄座標"), this);
    recordCheck_->setObjectName(QStringLiteral("cbGetImgXY"));
    saveButton_ = new QPushButton(QStringLiteral("儲存座標"), this);
    saveButton_->setObjectName(QStringLiteral("btSaveImgXY"));
    saveButton_->setFixedSize(DesignPixels(89), DesignPixels(29));
    recordCheck_->setAccessibleName(recordCheck_->text());
    saveButton_->setAccessibleName(saveButton_->text());
    counts_ = new QLabel(this);
    counts_->setObjectName(QStringLiteral("unpositionedCount"));
    counts_->setMinimumWidth(DesignPixels(320));
    layout->addWidget(recordCheck_);
    layout->addWidget(saveButton_);
    layout->addSpacing(DesignPixels(5));
    layout->addWidget(counts_, 1);
    for (QWidget *control : {static_cast<QWidget *>(recordCheck_), static_cast<QWidget *>(saveButton_),
                             static_cast<QWidget *>(counts_)})
        control->hide();
    session.SetDialogParent(this);

    connect(recordCheck_, &QCheckBox::clicked, this,
            Guarded([this] { session_.SetRecording(recordCheck_->isChecked()); }));
    connect(saveButton_, &QPushButton::clicked, this, Guarded([this] { session_.Save(); }));
    connect(&session, &CaptureSession::Revealed, this, [this] { Reveal(); });
    connect(&session, &CaptureSession::CountsChanged, counts_, &QLabel::setText);
    connect(&session, &CaptureSession::RecordingChanged, recordCheck_, &QCheckBox::setChecked);
    if (session.IsRevealed()) Reveal();
}

void CaptureBar::Reveal() {
    recordCheck_->show();
    saveButton_->show();
    counts_->show();
}
