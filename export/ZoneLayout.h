#pragma once
// The layout of a scan as the export's zones are found from it.

#include "images/PageLayout.h"

#include <QString>

#include <memory>

// The layout of the scan at `path` (found as the reader finds its paths), read from a quarter-size grey
// decode as the position proposals read it; none when the scan's writing cannot be read (logged), and
// the zones are then bands.
std::unique_ptr<PageLayout> ReadZoneLayout(const QString &path);
