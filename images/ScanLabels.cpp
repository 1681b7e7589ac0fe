#include "images/ScanLabels.h"

#include <QBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

namespace {
QLabel *CornerLabel(QWidget *pane, const char *name, const char *colour) {
    auto *label = new QLabel(pane);
    label->setObjectName(QString::fromLatin1(name));
    label->setStyleSheet(QStringLiteral("background: %1; color: white; padding: 2px 6px; border-radius: 3px;")
                             .arg(QString::fromLatin1(colour)));
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->hide();
    return label;
}
} // namespace

ScanLabels::ScanLabels(QWidget *pane, QBoxLayout *layout, QScrollArea *box) : pane_(pane), box_(box) {
    notice_ = new QLabel(pane);
    notice_->setObjectName(QStringLiteral("unreadableNotice"));
    notice_->setAlignment(Qt::AlignCenter);
    notice_->setWordWrap(true);
    notice_->setStyleSheet(QStringLiteral("background: #f0f0f0; color: #606060; padding: 12px;"));
    notice_->setAttribute(Qt::WA_TransparentForMouseEvents);
    notice_->hide();

    // The capture line is a strip of its own above the scan, wrapped to the pane's width: all of it
    // can be read at any width, and it hides no part of the scan.
    caption_ = new QLabel(pane);
    caption_->setObjectName(QStringLiteral("captureCaption"));
    caption_->setStyleSheet(QStringLiteral("background: #ffffe0; color: #800000; padding: 2px 4px;"));
    caption_->setWordWrap(true);
    QSizePolicy wrapping(QSizePolicy::Ignored, QSizePolicy::Minimum);
    wrapping.setHeightForWidth(true); // the strip grows a line for each line of text
    caption_->setSizePolicy(wrapping);
    caption_->hide();
    layout->insertWidget(0, caption_);

    // The factor in the pane's corner while it changes.
    passing_ = CornerLabel(pane, "zoomIndicator", "rgba(40, 40, 40, 200)");
    passingTimer_ = new QTimer(pane);
    passingTimer_->setObjectName(QStringLiteral("zoomIndicatorTimer"));
    passingTimer_->setSingleShot(true);
    passingTimer_->setInterval(1500);
    QObject::connect(passingTimer_, &QTimer::timeout, passing_, &QWidget::hide);
    // How many of the search's results lie on the scan shown, in the opposite corner.
    hitCount_ = CornerLabel(pane, "hitCount", "rgba(224, 128, 0, 220)");
}

void ScanLabels::SetCaption(const QString &text) {
    caption_->setText(text);
    caption_->setToolTip(text);
    caption_->setVisible(!text.isEmpty());
}

QString ScanLabels::Caption() const {
    return caption_->isHidden() ? QString() : caption_->text();
}

void ScanLabels::SetNotice(const QString &text) {
    if (text.isEmpty()) {
        notice_->hide();
        return;
    }
    notice_->setText(text);
    notice_->setGeometry(pane_->rect());
    notice_->show();
    notice_->raise();
}

bool ScanLabels::IsNoticeShown() const {
    return !notice_->isHidden();
}

void ScanLabels::ShowPassing(const QString &text) {
    passing_->setText(text);
    passing_->adjustSize();
    Place();
    passing_->show();
    passing_->raise();
    passingTimer_->start();
}

void ScanLabels::SetHitCount(const QString &text) {
    if (text.isEmpty()) {
        hitCount_->hide();
        return;
    }
    hitCount_->setText(text);
    hitCount_->adjustSize();
    Place();
    hitCount_->show();
    hitCount_->raise();
}

QString ScanLabels::HitCount() const {
    return hitCount_->isHidden() ? QString() : hitCount_->text();
}

void ScanLabels::Place() {
    notice_->setGeometry(pane_->rect());
    // Inside the scan's viewport, which the scroll bars leave out, so no arrow is covered.
    const int margin = 8;
    const QWidget *viewport = box_->viewport();
    const QRect area(viewport->mapTo(pane_, QPoint(0, 0)), viewport->size());
    const int bottom = area.bottom() + 1 - margin;
    passing_->move(area.right() + 1 - margin - passing_->width(), bottom - passing_->height());
    hitCount_->move(area.left() + margin, bottom - hitCount_->height());
}
