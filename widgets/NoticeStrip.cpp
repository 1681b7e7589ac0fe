#include "widgets/NoticeStrip.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char kTextProperty[] = "noticeText";
constexpr int kRowsShown = 4; // more scroll: the window keeps its room for the notes

} // namespace

NoticeStrip::NoticeStrip(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("windowNotice"));
    setAccessibleName(QStringLiteral("通知"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    scroll_ = new QScrollArea(this);
    scroll_->setAccessibleName(QStringLiteral("通知列表"));
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *inner = new QWidget(scroll_);
    rows_ = new QVBoxLayout(inner);
    rows_->setContentsMargins(0, 0, 0, 0);
    rows_->setSpacing(1);
    scroll_->setWidget(inner);
    outer->addWidget(scroll_);
    setStyleSheet(QStringLiteral("NoticeStrip QFrame#noticeRow { background: #fff4d6; }"
                                 "NoticeStrip QFrame#noticeRow[lasting=\"true\"] { background: #ffe0d6; }"));
    hide();
}

void NoticeStrip::Add(const QString &text, Kind kind, bool untilDismissed) {
    if (text.isEmpty()) return;
    for (int i = 0; i < rows_->count(); ++i) {
        QWidget *row = rows_->itemAt(i)->widget();
        if (row && row->property(kTextProperty).toString() == text) {
            if (auto *timer = row->findChild<QTimer *>()) timer->start();
            return;
        }
    }
    auto *row = new QFrame(rows_->parentWidget());
    row->setObjectName(QStringLiteral("noticeRow"));
    row->setProperty(kTextProperty, text);
    row->setProperty("lasting", kind == Kind::Lasting);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(6, 2, 2, 2);
    const int iconSize = fontMetrics().height();
    auto *icon = new QLabel(row);
    icon->setPixmap(style()
                        ->standardIcon(kind == Kind::Lasting ? QStyle::SP_MessageBoxWarning
                                                             : QStyle::SP_MessageBoxInformation)
                        .pixmap(iconSize, iconSize));
    icon->setAlignment(Qt::AlignTop);
    auto *label = new QLabel(text, row);
    label->setObjectName(QStringLiteral("noticeText"));
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    // The strip's style sheet stops the window's font at the strip: the text takes it from here.
    label->setFont(font());
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setToolTip(text);
    auto *close = new QToolButton(row);
    close->setObjectName(QStringLiteral("noticeClose"));
    close->setText(QStringLiteral("×"));
    close->setAutoRaise(true);
    close->setToolTip(QStringLiteral("關閉這則通知"));
    close->setAccessibleName(QStringLiteral("關閉通知"));
    layout->addWidget(icon);
    layout->addWidget(label, 1);
    layout->addWidget(close, 0, Qt::AlignTop);
    connect(close, &QToolButton::clicked, this, [this, row] { Remove(row); });
    if (kind == Kind::Routine && !untilDismissed) {
        auto *timer = new QTimer(row);
        timer->setSingleShot(true);
        timer->setInterval(kRoutineMs);
        connect(timer, &QTimer::timeout, this, [this, row] { Remove(row); });
        timer->start();
    }
    rows_->addWidget(row);
    Fit();
}

void NoticeStrip::Dismiss(const QString &text) {
    for (int i = rows_->count() - 1; i >= 0; --i) {
        QWidget *row = rows_->itemAt(i)->widget();
        if (row && row->property(kTextProperty).toString() == text) Remove(row);
    }
}

QStringList NoticeStrip::Texts() const {
    QStringList texts;
    for (int i = 0; i < rows_->count(); ++i)
        if (QWidget *row = rows_->itemAt(i)->widget()) texts << row->property(kTextProperty).toString();
    return texts;
}

void NoticeStrip::Remove(QWidget *row) {
    rows_->removeWidget(row);
    row->hide();
    row->deleteLater();
    Fit();
}

void NoticeStrip::Fit() {
    // As tall as its rows, up to a few of them.
    int height = 0;
    for (int i = 0; i < rows_->count() && i < kRowsShown; ++i)
        if (QWidget *row = rows_->itemAt(i)->widget()) height += row->sizeHint().height() + rows_->spacing();
    setFixedHeight(height);
    setVisible(rows_->count() > 0);
}
