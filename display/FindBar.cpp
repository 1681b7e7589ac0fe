#include "display/FindBar.h"

#include "widgets/ErrorBoundary.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

FindBar::FindBar(QWidget *parent) : QWidget(parent), text_(new QLineEdit(this)), count_(new QLabel(this)) {
    setObjectName(QStringLiteral("FindBar"));
    text_->setObjectName(QStringLiteral("FindText"));
    text_->setPlaceholderText(QStringLiteral("尋找"));
    text_->setClearButtonEnabled(true);
    text_->setAccessibleName(QStringLiteral("頁內尋找"));
    // The line edit's own clear button is a control too.
    for (QToolButton *clear : text_->findChildren<QToolButton *>())
        clear->setAccessibleName(QStringLiteral("清除尋找文字"));
    count_->setObjectName(QStringLiteral("FindCount"));
    count_->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("888/888")));
    auto *previous = new QToolButton(this);
    previous->setObjectName(QStringLiteral("FindPrevious"));
    previous->setText(QStringLiteral("▲"));
    previous->setToolTip(QStringLiteral("上一個 (Shift+Enter)"));
    previous->setAccessibleName(QStringLiteral("上一個符合處"));
    auto *next = new QToolButton(this);
    next->setObjectName(QStringLiteral("FindNext"));
    next->setText(QStringLiteral("▼"));
    next->setToolTip(QStringLiteral("下一個 (Enter, F3)"));
    next->setAccessibleName(QStringLiteral("下一個符合處"));
    auto *close = new QToolButton(this);
    close->setObjectName(QStringLiteral("FindClose"));
    close->setText(QStringLiteral("✕"));
    close->setToolTip(QStringLiteral("關閉 (Esc)"));
    close->setAccessibleName(QStringLiteral("關閉尋找列"));

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 3, 4, 3);
    layout->setSpacing(3);
    layout->addWidget(text_, 1);
    layout->addWidget(count_);
    layout->addWidget(previous);
    layout->addWidget(next);
    layout->addWidget(close);
    setAutoFillBackground(true);
    // One line high however tall the pane: the page below takes the rest.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setFocusProxy(text_);
    text_->installEventFilter(this);

    connect(text_, &QLineEdit::textEdited, this,
            Guarded([this](const QString &text) { Q_EMIT FindRequested(text, false); }));
    connect(previous, &QToolButton::clicked, this, Guarded([this] { Q_EMIT FindRequested(Text(), true); }));
    connect(next, &QToolButton::clicked, this, Guarded([this] { Q_EMIT FindRequested(Text(), false); }));
    connect(close, &QToolButton::clicked, this, Guarded([this] { Close(); }));
    hide();
}

QString FindBar::Text() const {
    return text_->text();
}

void FindBar::Open() {
    show();
    raise();
    text_->selectAll();
    text_->setFocus(Qt::ShortcutFocusReason);
}

void FindBar::Close() {
    hide();
    Q_EMIT Closed();
}

void FindBar::ShowCount(int active, int total) {
    if (Text().isEmpty())
        count_->clear();
    else if (total == 0)
        count_->setText(QStringLiteral("無"));
    else
        count_->setText(QStringLiteral("%1/%2").arg(active).arg(total));
}

bool FindBar::eventFilter(QObject *watched, QEvent *event) {
    if (watched == text_ && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Q_EMIT FindRequested(Text(), key->modifiers().testFlag(Qt::ShiftModifier));
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            Close();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
