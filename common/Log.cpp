#include "common/Log.h"

// Warnings and above are shown by default; QT_LOGGING_RULES="velmora.*.debug=true" shows the rest.
Q_LOGGING_CATEGORY(lcCorpus, "velmora.corpus", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPlatform, "velmora.platform", QtWarningMsg)
Q_LOGGING_CATEGORY(lcDisplay, "velmora.display", QtWarningMsg)
Q_LOGGING_CATEGORY(lcImages, "velmora.images", QtWarningMsg)
Q_LOGGING_CATEGORY(lcShell, "velmora.shell", QtWarningMsg)
Q_LOGGING_CATEGORY(lcExport, "velmora.export", QtWarningMsg)
