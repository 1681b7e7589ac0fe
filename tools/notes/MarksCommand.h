#pragma once
// velmora-notes marks: the reader's own marks of a library (stars and personal notes), found in its notes
// files as they are now.

#include <QStringList>

// `args` are those after "marks". Returns 0 when every mark's entry is found, 1 when some is not,
// 2 on an error (told on stderr).
int RunMarksCommand(const QStringList &args);
