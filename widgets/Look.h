#pragma once
// What the window looks like, defined once: its title, the colours of the list rows, and the design
// density its pixel sizes were laid out at.

#include <QColor>
#include <QPalette>
#include <QString>
#include <array>

inline const QString &AppTitle() {
    static const QString title = QStringLiteral("澄溪導師筆記");
    return title;
}

// A selected row of every list is navy, whatever the desktop's highlight colour; at night a lighter
// navy, so that it stands out from the dark rows.
inline QColor SelectionColour(bool night = false) {
    return night ? QColor(0x2A, 0x4A, 0x9A) : QColor(0x00, 0x00, 0x80);
}

// The window is read at night: its palette's base (the lists' ground) is dark.
bool IsNightPalette(const QPalette &palette);
// A row colour at night: the same hue, muted and dark, the lighter day tints the darker night ones, so
// that the stripes (and the stronger page headers) keep their notebook's hue and their order of depth
// under light text.
QColor NightRowColour(const QColor &day);
// The star of a starred entry in a list row: dark gold on the day rows, light gold on the night rows.
inline QColor StarColour(bool night) {
    return night ? QColor(0xFF, 0xD2, 0x4A) : QColor(0x7A, 0x4A, 0x00);
}

// Row colours by notebook (K, M, N, O): entries alternate between the first two; page headers.
inline const std::array<QColor, 4> &NotebookRowColours() {
    static const std::array<QColor, 4> c{QColor(0xFFD0D0), QColor(0xD0FFD0), QColor(0xFFEED0),
                                         QColor(0xD0D0FF)};
    return c;
}
inline const std::array<QColor, 4> &NotebookAltRowColours() {
    static const std::array<QColor, 4> c{QColor(0xFFF0F0), QColor(0xF0FFF0), QColor(0xFFFAF0),
                                         QColor(0xF0F0FF)};
    return c;
}
inline const std::array<QColor, 4> &PageRowColours() {
    static const std::array<QColor, 4> c{QColor(0xFFA0A0), QColor(0xA0FFA0), QColor(0xFFDE9F),
                                         QColor(0xA0A0FF)};
    return c;
}
// Row colours of the file lists by scan letter (K, L, M, N, O).
inline const std::array<QColor, 5> &ScanRowColours() {
    static const std::array<QColor, 5> c{QColor(0xFFD0D0), QColor(0xFFFFBB), QColor(0xD0FFD0),
                                         QColor(0xFFEED0), QColor(0xD0D0FF)};
    return c;
}
inline const std::array<QColor, 5> &ScanAltRowColours() {
    static const std::array<QColor, 5> c{QColor(0xFFF0F0), QColor(0xFFFFE3), QColor(0xF0FFF0),
                                         QColor(0xFFFAF0), QColor(0xF0F0FF)};
    return c;
}

// Pixels at the design density (120 per inch) scaled to the screen's logical density.
int DesignPixels(int designPixels);
