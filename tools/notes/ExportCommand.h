#pragma once
// velmora-notes export: the notes as TEI, Markdown or a static site, with crops of the scans.

#include <QStringList>

// `args` are those after "export". Returns 0 when everything was taken out, 1 when it was written but
// something was left out (a scan that cannot be read, a file the reader stops in), 2 on an error: then
// nothing was written (the message on stderr).
int RunExportCommand(const QStringList &args);
