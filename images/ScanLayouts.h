#pragma once
// The layouts of the scans the window works on, read on a worker thread of their own and kept per
// scan: the proposals of capture mode and the written regions of the scan map draw on the same
// layout, and neither a step nor a paint waits for one. Jobs run one after another in the order asked;
// a job no longer wanted when its turn comes is passed over before its scan is read.

#include "images/PageLayout.h"

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <functional>
#include <memory>

class ScanLayouts : public QObject {
    Q_OBJECT
public:
    explicit ScanLayouts(QObject *parent = nullptr);
    // Waits for the job under way; those not started are dropped.
    ~ScanLayouts() override;

    // What a job hands back to the window's thread.
    using Done = std::function<void()>;
    // On the worker: `job` with the layout of the scan at the Windows-style `path` (read once, at a
    // quarter of its size; null when it cannot be read), unless `wanted` says no first. What it returns
    // is run on this object's thread, unless this object is gone by then.
    using Job = std::function<Done(const PageLayout *layout)>;
    void Run(const QString &path, Job job, std::function<bool()> wanted = {});

    // The layout at hand for a scan, without reading it; null when it is not read yet (or unreadable).
    std::shared_ptr<const PageLayout> Cached(const QString &path) const;
    // Waits until every job asked for so far is done (their results are still to be delivered).
    void WaitForIdle();

private:
    std::shared_ptr<const PageLayout> LayoutOf(const QString &path);

    QThreadPool pool_;
    mutable QMutex mutex_;
    QHash<QString, std::shared_ptr<const PageLayout>> layouts_; // a null entry: the scan cannot be read
};
