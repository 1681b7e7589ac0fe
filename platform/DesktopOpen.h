#pragma once
// Opening a file with the desktop's default application, as a double click in the file manager would.

#include <QString>

#include <functional>

// Resolves the Windows-style `path` against the working directory (see ResolveWinPath) and hands it to
// the desktop. Returns at once: the result is not awaited or checked, so a missing file or a missing
// application shows only what the desktop itself shows.
void OpenWithDesktop(const QString &path);

// Tests replace the desktop with this; an empty function restores the desktop.
using DesktopOpener = std::function<void(const QString &resolvedPath, const QString &requestedPath)>;
void SetDesktopOpenerForTesting(DesktopOpener opener);
