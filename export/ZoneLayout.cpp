#include "export/ZoneLayout.h"

#include "common/Error.h"
#include "common/Log.h"
#include "images/ScanGrey.h"

namespace {

constexpr int kLayoutScale = 4;

} // namespace

std::unique_ptr<PageLayout> ReadZoneLayout(const QString &path) {
    try {
        return std::make_unique<PageLayout>(ReadPageLayout(ReadScanGrey(path, kLayoutScale)));
    } catch (const VelmoraError &e) {
        qCDebug(lcExport) << "no layout for" << path << "- the zones are bands:" << e.message();
        return nullptr;
    }
}
