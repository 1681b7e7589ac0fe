#include "widgets/Look.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtMath>

int DesignPixels(int designPixels) {
    const QScreen *screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return int(qRound(designPixels * dpi / 120.0));
}
