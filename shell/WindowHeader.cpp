#include "shell/WindowHeader.h"

#include "shell/AboutBox.h"
#include "shell/CaptureBar.h"
#include "shell/DocumentOpener.h"
#include "widgets/ErrorBoundary.h"
#include "widgets/Look.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>

WindowHeader::WindowHeader(QMainWindow *window, const QString &programFolder, CaptureSession &capture,
                           QWidget *parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("Panel1"));
    setFixedHeight(DesignPixels(57));
    auto *layout = row_ = new QHBoxLayout(this);
    layout->setContentsMargins(DesignPixels(16), DesignPixels(9), 0, DesignPixels(6));
    layout->setSpacing(0);

    auto *titleLabel = new QLabel(AppTitle(), this);
    titleLabel->setObjectName(QStringLiteral("Label3"));
    titleLabel->setFixedSize(DesignPixels(198), DesignPixels(42));
    QFont titleFont(QStringLiteral("微軟正黑體"));
    titleFont.setPixelSize(DesignPixels(33));
    titleLabel->setFont(titleFont);
    titleLabel->setStyleSheet(QStringLiteral("color: #800000;"));
    title_ = titleLabel;
    layout->addWidget(titleLabel, 0, Qt::AlignTop);
    layout->addSpacing(DesignPixels(27));

    auto *manualButton = new QPushButton(QStringLiteral("操作說明"), this);
    manualButton->setObjectName(QStringLiteral("btReadme"));
    manualButton->setFixedSize(DesignPixels(82), DesignPixels(29));
    manualButton->setAccessibleName(manualButton->text());
    connect(manualButton, &QPushButton::clicked, this,
            Guarded([window] { OpenDocument(window, QStringLiteral("readme.pdf")); }));
    // The About box hangs off the manual button's context menu (and Shift+F1): the header keeps its layout.
    manualButton->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto *aboutAction = new QAction(QStringLiteral("關於澄溪導師筆記…"), manualButton);
    aboutAction->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1));
    aboutAction->setShortcutContext(Qt::WindowShortcut);
    connect(aboutAction, &QAction::triggered, this,
            Guarded([window, programFolder] { ShowAboutBox(window, programFolder); }));
    manualButton->addAction(aboutAction);
    window->addAction(aboutAction);
    layout->addWidget(manualButton);
    manualButton_ = manualButton;
    layout->addSpacing(DesignPixels(22));

    layout->addWidget(new CaptureBar(capture, this), 1);
}

void WindowHeader::AddButton(QWidget *button) {
    // After the manual button and the space behind it: title, its spacing, the manual button, spacing.
    row_->insertWidget(4 + 2 * buttons_, button);
    row_->insertSpacing(5 + 2 * buttons_, DesignPixels(22));
    ++buttons_;
}

void WindowHeader::AddMenuAction(QAction *action) {
    manualButton_->addAction(action);
}

void WindowHeader::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && title_)
        title_->setStyleSheet(IsNightPalette(palette()) ? QStringLiteral("color: #F08C8C;")
                                                        : QStringLiteral("color: #800000;"));
}
