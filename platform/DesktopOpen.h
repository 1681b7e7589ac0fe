#pragma once
// Opening a file with the desktop's default application, as a double click in the file manager would.

#include <QString>

#include <functional>

// Why a file did not open.
enum class OpenFailure {
    Missing,  // the file is not there
    NoOpener, // the desktop has no application for it (or no opener at all)
};
// Told once, on the event loop, when the desktop could not open the file; the resolved path is passed.
using OpenFailed = std::function<void(const QString &resolvedPath, OpenFailure why)>;

// Resolves the Windows-style `path` against the working directory (see ResolveWinPath) and hands it to
// the desktop's opener (xdg-open). Returns at once; `onFailure` hears of a missing file or of an opener
// that found no application for it.
void OpenWithDesktop(const QString &path, OpenFailed onFailure = {});

// Tests replace the desktop with this; an empty function restores the desktop.
using DesktopOpener = std::function<void(const QString &resolvedPath, const QString &requestedPath)>;
void SetDesktopOpenerForTesting(DesktopOpener opener);
