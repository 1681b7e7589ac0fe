#pragma once
// Windows-style paths on a file system that tells letter case apart.
//
// The notes, the settings and the program's own folder tables name files as Windows does: "\" or "/"
// between components, doubled separators, and names whose letter case need not agree with the disk
// ("Image" and "image" are one folder). These functions find the file that such a path means.

#include <QString>
#include <QStringList>

// The absolute path that `path` names. A relative path is taken from the current working directory.
// Each component is taken as it is when it exists and otherwise matched without regard to letter case
// in its parent folder. From the first component that cannot be found at all, the rest is joined
// unchanged, so that opening the result fails with the system's "No such file or directory".
QString ResolveWinPath(const QString &path);

// The bare names of the files (not folders) directly in `folder` that match the wildcard `pattern`
// ("*" and "?"), letter case ignored, sorted by name with letter case ignored. Raises VelmoraError
// "The specified path was not found" with the folder as this system writes it (ResolveWinPath's
// answer) when the folder does not exist.
QStringList ListFolderFiles(const QString &folder, const QString &pattern);
