#pragma once
// The program's log, one category per subsystem. What is passed over quietly (a decode ahead that
// failed, a journal refused, a fallback taken) is written here, so that QT_LOGGING_RULES can show it.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcCorpus)   // velmora.corpus: reading and saving the notes
Q_DECLARE_LOGGING_CATEGORY(lcPlatform) // velmora.platform: files, the desktop
Q_DECLARE_LOGGING_CATEGORY(lcDisplay)  // velmora.display: the entry page and the search
Q_DECLARE_LOGGING_CATEGORY(lcImages)   // velmora.images: scans, decoding, capture
Q_DECLARE_LOGGING_CATEGORY(lcShell)    // velmora.shell: start-up, settings, the window
Q_DECLARE_LOGGING_CATEGORY(lcExport)   // velmora.export: taking the notes out (TEI, Markdown, a site)
