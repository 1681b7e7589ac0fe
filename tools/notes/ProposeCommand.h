#pragma once
// velmora-notes propose: where each entry's headword starts on its scan, proposed from the scan's
// layout, one JSON object per entry.

#include <QStringList>

// `args` are those after "propose". Returns 0 when every entry asked got a proposal, 1 when some did
// not, 2 on an error (told on stderr).
int RunProposeCommand(const QStringList &args);
