#include "widgets/Look.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtMath>

int DesignPixels(int designPixels) {
    const QScreen *screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return int(qRound(designPixels * dpi / 120.0));
}

bool IsNightPalette(const QPalette &palette) {
    return palette.color(QPalette::Base).lightness() < 128;
}

QColor NightRowColour(const QColor &day) {
    // Day tints lie between lightness 200 and 250: their distance from white sets the night depth, up to
    // where the light text keeps a contrast of 5:1 on the lightest (the page headers).
    const int lightness = qBound(24, 36 + (255 - day.lightness()) * 11 / 10, 80);
    const int hue = day.hslHue() < 0 ? 0 : day.hslHue();
    const int saturation = day.hslSaturation() == 0 ? 0 : 80;
    return QColor::fromHsl(hue, saturation, lightness);
}
