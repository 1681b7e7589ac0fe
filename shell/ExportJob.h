#pragma once
// One export run off the window's thread, with a progress dialog whose cancel button (or Esc) stops it.
// The export itself leaves nothing half written; the job says what was written, or why nothing was.

#include "export/Export.h"

#include <QObject>

#include <atomic>

class QProgressDialog;
class QThread;

class ExportJob : public QObject {
    Q_OBJECT
public:
    // Starts at once; the job deletes itself once it has said how it ended. Closing `window` meanwhile
    // cancels it and waits for the export to stop.
    ExportJob(const ExportRequest &request, QWidget *window);
    ~ExportJob() override;

Q_SIGNALS:
    // What was written, or that a cancelled export wrote nothing.
    void Notice(const QString &text);

private:
    void Progress(const QString &stage, qint64 done, qint64 total);
    void Finished();

    ExportRequest request_;
    QProgressDialog *progress_;
    QThread *thread_ = nullptr;
    std::atomic<bool> cancelled_{false};
    ExportResult result_;
    QString error_;
};
