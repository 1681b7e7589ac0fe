#pragma once
// velmora-notes search: the reader's own search over notes files, one JSON object per hit.

#include <QStringList>

// `args` are those after "search". Returns 0 with hits, 1 without, 2 on an error (told on stderr).
int RunSearchCommand(const QStringList &args);
