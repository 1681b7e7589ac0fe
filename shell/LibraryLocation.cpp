#include "shell/LibraryLocation.h"

#include "common/Error.h"
#include "corpus/Notebooks.h"
#include "shell/IniFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString WithSlash(const QString &folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

bool HoldsNotes(const QString &folder) {
    return QFileInfo::exists(QDir(folder).filePath(NotesFileNames()[0]));
}

QString LibraryFile(const QString &configFolder) {
    return QDir(configFolder).filePath(QStringLiteral("library.ini"));
}

LibraryChoice InLibrary(const QString &folder, const LibrarySources &sources) {
    const QString library = QDir(folder).absolutePath();
    LibraryChoice choice;
    choice.workingFolder = library;
    choice.programPath = QDir(library).filePath(QFileInfo(sources.programFile).fileName());
    // The installed demo belongs to the package and a shared library may be read-only: the window's
    // own memory then goes to the user's settings folder, so that every user keeps theirs.
    const bool shared = QDir(library) == QDir(sources.demoFolder) || !QFileInfo(library).isWritable();
    choice.settingsFolder = WithSlash(shared ? sources.configFolder : library);
    return choice;
}

} // namespace

LibraryChoice ChooseLibrary(const LibrarySources &sources) {
    if (!sources.requested.isEmpty()) {
        if (!QFileInfo(sources.requested).isDir())
            throw VelmoraError(
                QStringLiteral("找不到筆記資料夾：%1").arg(QDir(sources.requested).absolutePath()));
        if (!HoldsNotes(sources.requested))
            throw VelmoraError(QStringLiteral("這個資料夾裡沒有筆記（找不到 %1）：%2")
                                   .arg(NotesFileNames()[0], QDir(sources.requested).absolutePath()));
        return InLibrary(sources.requested, sources);
    }
    const QString programFolder = QFileInfo(sources.programFile).absolutePath();
    if (HoldsNotes(programFolder))
        return {sources.programFile, QString(), WithSlash(programFolder), QString()};
    const QString remembered = RememberedLibrary(sources.configFolder);
    if (!remembered.isEmpty() && HoldsNotes(remembered)) return InLibrary(remembered, sources);
    LibraryChoice demo = InLibrary(sources.demoFolder, sources);
    if (!remembered.isEmpty())
        demo.notice =
            QStringLiteral("上次使用的筆記資料夾已不在（或已沒有筆記）：%1\n改為開啟程式附帶的示範筆記。")
                .arg(remembered);
    return demo;
}

QString RememberedLibrary(const QString &configFolder) {
    return IniFile(LibraryFile(configFolder))
        .ReadString(QStringLiteral("Library"), QStringLiteral("Folder"), QString());
}

void RememberLibrary(const QString &configFolder, const QString &folder) {
    if (!QDir().mkpath(configFolder))
        throw VelmoraError(QStringLiteral("無法建立設定資料夾：%1").arg(configFolder));
    IniFile file(LibraryFile(configFolder));
    file.WriteString(QStringLiteral("Library"), QStringLiteral("Folder"), QDir(folder).absolutePath());
    file.UpdateFile();
}
