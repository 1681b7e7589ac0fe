#pragma once
// The two settings files beside the program: setup.ini gives the window's caption, velmoranote.ini
// keeps the window's place and size, the zoom factor and the widths of the panes between runs.

#include <QMargins>
#include <QRect>
#include <QString>

struct WindowSettings {
    QRect outer;             // the window with its frame, in its normal (not maximised) state
    QMargins frame;          // the window manager's frame seen at the last close; null when unknown
    float zoomFactor = 1.0f; // of the page scan
    bool maximised = false;
    // The panes' places as written; only the scan pane's width is taken back on reading.
    int panelTop = 0, panelLeft = 0, panelLeft2 = 0, panelWidth = 0, scanPaneWidth = 0, panelHeight = 0;

    // The reader's own section [Reader]: text sizes and where the reading stopped.
    double pageZoom = 1.0; // of the entry page
    int listFontSize = 0;  // pixels; 0 for the lists' design size
    QString lastEntry;     // notebook letter and record index, "K:12"; "" for none
    QString lastHeadword;  // of that record, to see that it is still the same one
    int openTab = 0;       // of the left pane
    QString searchText;
    bool searchFold = false;    // the search matches across variant characters
    bool showPositions = false; // the marks at every entry's position on the scan
    // The scan's part of the width the page and the scan share, kept as the window changes size; below
    // zero when none was stored.
    double scanShare = -1.0;
    bool night = false;         // reading at night: dark window, page and scan
    bool nightInverted = false; // at night the scan inverted as well as dimmed
};

// The caption from setup.ini in `programFolder` (which ends in a separator), or `fallback`.
QString ReadWindowTitle(const QString &programFolder, const QString &fallback);
// velmoranote.ini read over `defaults`: every key that is missing or unreadable keeps its default.
// An unusable zoom factor (zero, negative, not a number) reads as 100 %, others are kept within
// the viewer's bounds.
WindowSettings ReadWindowSettings(const QString &programFolder, const WindowSettings &defaults);
// Writes velmoranote.ini, keeping its other sections and keys; raises when it cannot be written.
void WriteWindowSettings(const QString &programFolder, const WindowSettings &settings);
// `text` as a settings value keeps it: line breaks become spaces.
QString SettingsLine(const QString &text);
