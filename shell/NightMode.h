#pragma once
// Reading at night: a checkable "夜間模式" (Ctrl+Shift+N) in the window's menus turns the window's
// widgets dark (the application's palette: lists, header, tabs, dialogs), writes the entry page with
// the night style sheet and dims the scan; "夜間反白圖檔" inverts the scan as well. The red marker,
// the proposals' rings and the position marks are painted over the scan untouched. Kept in
// velmoranote.ini ([Reader] NightMode, NightScanInverted) by the window's settings.

#include <QObject>
#include <QPalette>

class EntryView;
class PageViewer;
class QAction;
class QWidget;

class NightMode : public QObject {
    Q_OBJECT
public:
    // The actions are added to `window` (their keys work anywhere in it); the window puts them in its menus.
    NightMode(QWidget *window, EntryView *page, PageViewer *scan);

    bool IsOn() const;
    bool IsScanInverted() const;
    void Set(bool on, bool scanInverted);
    QAction *Toggle() const { return toggle_; }
    QAction *InvertScan() const { return invert_; }

private:
    void Apply();

    EntryView *page_;
    PageViewer *scan_;
    QAction *toggle_;
    QAction *invert_;
    QPalette dayPalette_;
    bool applied_ = false;
};

// The window's palette for reading at night.
QPalette NightPalette();
