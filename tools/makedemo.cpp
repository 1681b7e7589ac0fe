// Build-time tool: writes the demo library the reader opens out of the box.
// Usage: velmora-makedemo [--hard] <output folder>   (--hard: the harder library of the position
// proposals' tests and bench)

#include "tools/DemoLibrary.h"

#include "common/Error.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>
#include <ctime>

int main(int argc, char **argv) {
    // The PDF writer stamps local time with its zone; one zone everywhere keeps the files identical
    // whichever machine builds them.
    qputenv("TZ", "UTC");
    tzset();
    // Fonts are needed to draw the scans and PDFs, but no window is ever shown: no display needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    const bool hard = args.size() == 3 && args[1] == QLatin1String("--hard");
    if (hard) args.removeAt(1);
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: velmora-makedemo [--hard] <output folder>\n");
        return 2;
    }
    try {
        const QString folder = QDir(args[1]).absolutePath();
        const demo::Summary s = hard ? demo::WriteHardLibrary(folder) : demo::WriteDemoLibrary(folder);
        std::printf("velmora-makedemo: %d notebooks, %d entries (%d with positions), %d pages, %d scans, %d "
                    "PDFs -> %s\n",
                    s.notebooks, s.entries, s.positions, s.pageLines, s.scans, s.pdfs,
                    qPrintable(QDir::toNativeSeparators(folder)));
        return 0;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "velmora-makedemo: %s\n", e.what());
        return 1;
    }
}
