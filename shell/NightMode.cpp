#include "shell/NightMode.h"

#include "display/EntryView.h"
#include "images/PageViewer.h"
#include "widgets/ErrorBoundary.h"
#include "widgets/Look.h"

#include <QAction>
#include <QApplication>
#include <QStyle>
#include <QWidget>

QPalette NightPalette() {
    // The night page's own ground and text (display/NightPage), a step lighter for the controls.
    const QColor window(0x2B, 0x2D, 0x33), base(0x1B, 0x1D, 0x22), text(0xE3, 0xE3, 0xE3),
        dim(0x80, 0x84, 0x8C);
    QPalette p;
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, QColor(0x25, 0x27, 0x2D));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0x36, 0x39, 0x40));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, QColor(0xFF, 0xA3, 0x9A));
    p.setColor(QPalette::Highlight, QColor(0x4A, 0x7F, 0xD0));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::ToolTipBase, QColor(0x36, 0x39, 0x40));
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, dim);
    p.setColor(QPalette::Link, QColor(0x8C, 0xC4, 0xF5));
    p.setColor(QPalette::Light, QColor(0x4A, 0x4D, 0x55));
    p.setColor(QPalette::Midlight, QColor(0x3E, 0x41, 0x48));
    p.setColor(QPalette::Mid, QColor(0x24, 0x26, 0x2B));
    p.setColor(QPalette::Dark, QColor(0x18, 0x19, 0x1D));
    p.setColor(QPalette::Shadow, Qt::black);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, dim);
    return p;
}

NightMode::NightMode(QWidget *window, EntryView *page, PageViewer *scan)
    : QObject(window), page_(page), scan_(scan), toggle_(new QAction(QStringLiteral("夜間模式"), window)),
      invert_(new QAction(QStringLiteral("夜間反白圖檔"), window)) {
    toggle_->setObjectName(QStringLiteral("actNightMode"));
    toggle_->setCheckable(true);
    toggle_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    toggle_->setShortcutContext(Qt::WindowShortcut);
    invert_->setObjectName(QStringLiteral("actNightInvertScan"));
    invert_->setCheckable(true);
    invert_->setEnabled(false);
    window->addAction(toggle_);
    window->addAction(invert_);
    page->AddMenuActions({toggle_, invert_});
    connect(toggle_, &QAction::toggled, this, Guarded([this] { Apply(); }));
    connect(invert_, &QAction::toggled, this, Guarded([this] { Apply(); }));
}

bool NightMode::IsOn() const {
    return toggle_->isChecked();
}

bool NightMode::IsScanInverted() const {
    return invert_->isChecked();
}

void NightMode::Set(bool on, bool scanInverted) {
    invert_->setChecked(scanInverted);
    toggle_->setChecked(on);
    Apply();
}

void NightMode::Apply() {
    const bool on = IsOn();
    invert_->setEnabled(on);
    if (on != applied_) {
        // Dialogs, tool tips and menus opened later take the palette too: it is the application's.
        if (on) {
            // A palette already dark (a window of this process before) is not the day's.
            dayPalette_ = IsNightPalette(QApplication::palette()) ? QApplication::style()->standardPalette()
                                                                  : QApplication::palette();
            QApplication::setPalette(NightPalette());
        } else {
            QApplication::setPalette(dayPalette_);
        }
        applied_ = on;
    }
    page_->SetNight(on);
    scan_->SetNightShade(on, IsScanInverted());
}
