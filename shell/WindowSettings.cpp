#include "shell/WindowSettings.h"

#include "images/ViewerMath.h"
#include "shell/IniFile.h"

namespace {
const QString kSystem = QStringLiteral("System");
const QString kPanel = QStringLiteral("Panel");
const QString kReader = QStringLiteral("Reader");
QString SetupFile(const QString &folder) {
    return folder + QStringLiteral("setup.ini");
}
QString StateFile(const QString &folder) {
    return folder + QStringLiteral("velmoranote.ini");
}
// A settings value is one line: a headword of several lines or a pasted query is kept on one.
QString OneLine(QString text) {
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}
} // namespace

QString SettingsLine(const QString &text) {
    return OneLine(text);
}

QString ReadWindowTitle(const QString &programFolder, const QString &fallback) {
    return IniFile(SetupFile(programFolder)).ReadString(kSystem, QStringLiteral("Title"), fallback);
}

WindowSettings ReadWindowSettings(const QString &programFolder, const WindowSettings &defaults) {
    const IniFile ini(StateFile(programFolder));
    WindowSettings s = defaults;
    s.outer.moveTop(ini.ReadInteger(kSystem, QStringLiteral("Top"), s.outer.top()));
    s.outer.moveLeft(ini.ReadInteger(kSystem, QStringLiteral("Left"), s.outer.left()));
    s.outer.setWidth(ini.ReadInteger(kSystem, QStringLiteral("Width"), s.outer.width()));
    s.outer.setHeight(ini.ReadInteger(kSystem, QStringLiteral("Height"), s.outer.height()));
    s.zoomFactor =
        viewer::StoredZoom(ini.ReadFloat(kSystem, QStringLiteral("ImageRate"), double(s.zoomFactor)));
    s.maximised = ini.ReadBool(kSystem, QStringLiteral("InitMax"), s.maximised);
    // The docked panes keep their places whatever the file says; the scan pane takes its width.
    s.scanPaneWidth = ini.ReadInteger(kPanel, QStringLiteral("Width2"), s.scanPaneWidth);
    s.pageZoom = ini.ReadFloat(kReader, QStringLiteral("PageZoom"), s.pageZoom);
    s.listFontSize = ini.ReadInteger(kReader, QStringLiteral("ListFontSize"), s.listFontSize);
    s.lastEntry = ini.ReadString(kReader, QStringLiteral("LastEntry"), s.lastEntry);
    s.lastHeadword = ini.ReadString(kReader, QStringLiteral("LastHeadword"), s.lastHeadword);
    s.openTab = ini.ReadInteger(kReader, QStringLiteral("Tab"), s.openTab);
    s.searchText = ini.ReadString(kReader, QStringLiteral("SearchText"), s.searchText);
    s.frame = QMargins(ini.ReadInteger(kReader, QStringLiteral("FrameLeft"), s.frame.left()),
                       ini.ReadInteger(kReader, QStringLiteral("FrameTop"), s.frame.top()),
                       ini.ReadInteger(kReader, QStringLiteral("FrameRight"), s.frame.right()),
                       ini.ReadInteger(kReader, QStringLiteral("FrameBottom"), s.frame.bottom()));
    s.searchFold = ini.ReadInteger(kReader, QStringLiteral("SearchFold"), s.searchFold ? 1 : 0) != 0;
    s.showPositions = ini.ReadInteger(kReader, QStringLiteral("ShowPositions"), s.showPositions ? 1 : 0) != 0;
    s.scanShare = ini.ReadFloat(kReader, QStringLiteral("ScanShare"), s.scanShare);
    if (!(s.scanShare >= 0.0 && s.scanShare <= 1.0)) s.scanShare = defaults.scanShare;
    s.night = ini.ReadInteger(kReader, QStringLiteral("NightMode"), s.night ? 1 : 0) != 0;
    s.nightInverted =
        ini.ReadInteger(kReader, QStringLiteral("NightScanInverted"), s.nightInverted ? 1 : 0) != 0;
    return s;
}

void WriteWindowSettings(const QString &programFolder, const WindowSettings &s) {
    IniFile ini(StateFile(programFolder));
    ini.WriteInteger(kSystem, QStringLiteral("Top"), s.outer.top());
    ini.WriteInteger(kSystem, QStringLiteral("Left"), s.outer.left());
    ini.WriteInteger(kSystem, QStringLiteral("Width"), s.outer.width());
    ini.WriteInteger(kSystem, QStringLiteral("Height"), s.outer.height());
    ini.WriteFloat(kSystem, QStringLiteral("ImageRate"), double(s.zoomFactor));
    ini.WriteBool(kSystem, QStringLiteral("InitMax"), s.maximised);
    ini.WriteInteger(kPanel, QStringLiteral("Top"), s.panelTop);
    ini.WriteInteger(kPanel, QStringLiteral("Left"), s.panelLeft);
    ini.WriteInteger(kPanel, QStringLiteral("Left2"), s.panelLeft2);
    ini.WriteInteger(kPanel, QStringLiteral("Width"), s.panelWidth);
    ini.WriteInteger(kPanel, QStringLiteral("Width2"), s.scanPaneWidth);
    ini.WriteInteger(kPanel, QStringLiteral("Height"), s.panelHeight);
    ini.WriteFloat(kReader, QStringLiteral("PageZoom"), s.pageZoom);
    ini.WriteInteger(kReader, QStringLiteral("ListFontSize"), s.listFontSize);
    ini.WriteInteger(kReader, QStringLiteral("ShowPositions"), s.showPositions ? 1 : 0);
    ini.WriteString(kReader, QStringLiteral("LastEntry"), OneLine(s.lastEntry));
    ini.WriteString(kReader, QStringLiteral("LastHeadword"), OneLine(s.lastHeadword));
    ini.WriteInteger(kReader, QStringLiteral("Tab"), s.openTab);
    ini.WriteString(kReader, QStringLiteral("SearchText"), OneLine(s.searchText));
    ini.WriteInteger(kReader, QStringLiteral("FrameLeft"), s.frame.left());
    ini.WriteInteger(kReader, QStringLiteral("FrameTop"), s.frame.top());
    ini.WriteInteger(kReader, QStringLiteral("FrameRight"), s.frame.right());
    ini.WriteInteger(kReader, QStringLiteral("FrameBottom"), s.frame.bottom());
    ini.WriteInteger(kReader, QStringLiteral("SearchFold"), s.searchFold ? 1 : 0);
    if (s.scanShare >= 0.0 && s.scanShare <= 1.0)
        ini.WriteFloat(kReader, QStringLiteral("ScanShare"), qRound(s.scanShare * 10000.0) / 10000.0);
    ini.WriteInteger(kReader, QStringLiteral("NightMode"), s.night ? 1 : 0);
    ini.WriteInteger(kReader, QStringLiteral("NightScanInverted"), s.nightInverted ? 1 : 0);
    ini.UpdateFile();
}
