#include "images/ScanLayouts.h"

#include "common/Log.h"
#include "images/ScanGrey.h"

#include <QMetaObject>
#include <QPointer>

namespace {
// A quarter of the scan's size keeps a glyph some fifteen pixels large: enough for its lines.
constexpr int kLayoutScale = 4;
// Layouts are small (a few hundred lines each); this bounds a long session.
constexpr int kKeptLayouts = 256;

// The key a scan path is kept under: any spelling the reader uses for it.
QString Key(QString path) {
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    if (path.startsWith(QLatin1String(".\\"))) path.remove(0, 2);
    return path.toCaseFolded();
}
} // namespace

ScanLayouts::ScanLayouts(QObject *parent) : QObject(parent) {
    pool_.setMaxThreadCount(1); // in the order asked, and one core left to the window
}

ScanLayouts::~ScanLayouts() {
    pool_.clear();
    pool_.waitForDone();
}

std::shared_ptr<const PageLayout> ScanLayouts::Cached(const QString &path) const {
    QMutexLocker lock(&mutex_);
    return layouts_.value(Key(path));
}

std::shared_ptr<const PageLayout> ScanLayouts::LayoutOf(const QString &path) {
    const QString key = Key(path);
    {
        QMutexLocker lock(&mutex_);
        const auto it = layouts_.constFind(key);
        if (it != layouts_.constEnd()) return *it;
    }
    std::shared_ptr<const PageLayout> layout;
    try {
        layout = std::make_shared<const PageLayout>(ReadPageLayout(ReadScanGrey(path, kLayoutScale)));
    } catch (const std::exception &e) {
        // The pane says so when it shows the scan; here the scan simply proposes nothing.
        qCInfo(lcImages) << "no layout for" << path << QString::fromUtf8(e.what());
    }
    QMutexLocker lock(&mutex_);
    if (layouts_.size() >= kKeptLayouts) layouts_.clear();
    layouts_.insert(key, layout);
    return layout;
}

void ScanLayouts::Run(const QString &path, Job job, std::function<bool()> wanted) {
    QPointer<ScanLayouts> self(this);
    pool_.start([this, self, path, job = std::move(job), wanted = std::move(wanted)] {
        if (wanted && !wanted()) return;
        const std::shared_ptr<const PageLayout> layout = LayoutOf(path);
        Done done = job(layout.get());
        if (!done) return;
        // Queued to this object: dropped with it when the window is gone first.
        QMetaObject::invokeMethod(
            this,
            [self, done = std::move(done)] {
                if (self) done();
            },
            Qt::QueuedConnection);
    });
}

void ScanLayouts::WaitForIdle() {
    pool_.waitForDone();
}
