#include "shell/ExportJob.h"

#include "common/Error.h"
#include "common/Log.h"
#include "widgets/ErrorBoundary.h"

#include <QDir>
#include <QProgressDialog>
#include <QThread>

namespace {

QString FormatName(ExportFormat format) {
    switch (format) {
    case ExportFormat::Tei:
        return QStringLiteral("TEI");
    case ExportFormat::Markdown:
        return QStringLiteral("Markdown");
    case ExportFormat::Html:
        return QStringLiteral("網站");
    }
    return {};
}

// The progress bar counts in steps a bar can hold, whatever the export counts in.
constexpr int kSteps = 1000;

} // namespace

ExportJob::ExportJob(const ExportRequest &request, QWidget *window)
    : QObject(window), request_(request), progress_(new QProgressDialog(window)) {
    progress_->setObjectName(QStringLiteral("ExportProgress"));
    progress_->setWindowTitle(QStringLiteral("匯出"));
    progress_->setLabelText(QStringLiteral("匯出中…"));
    progress_->setCancelButtonText(QStringLiteral("取消"));
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    progress_->setRange(0, kSteps);
    progress_->setMinimumDuration(400); // a short export shows no dialog at all
    connect(progress_, &QProgressDialog::canceled, this, [this] {
        cancelled_ = true;
        progress_->setLabelText(QStringLiteral("正在取消…"));
    });

    ExportControl control;
    control.progress = [this](const QString &stage, qint64 done, qint64 total) {
        QMetaObject::invokeMethod(
            this, [this, stage, done, total] { Progress(stage, done, total); }, Qt::QueuedConnection);
    };
    control.cancelled = [this] { return cancelled_.load(); };
    thread_ = QThread::create([this, control] {
        try {
            result_ = RunExport(request_, {}, control);
        } catch (const VelmoraError &e) {
            error_ = e.message();
        } catch (const std::exception &e) {
            error_ = QString::fromUtf8(e.what());
        }
    });
    connect(thread_, &QThread::finished, this, Guarded([this] { Finished(); }));
    thread_->start();
}

ExportJob::~ExportJob() {
    if (thread_ && thread_->isRunning()) {
        cancelled_ = true;
        thread_->wait();
    }
    delete thread_;
    delete progress_;
}

void ExportJob::Progress(const QString &stage, qint64 done, qint64 total) {
    if (cancelled_ || !thread_->isRunning()) return;
    progress_->setLabelText(stage);
    progress_->setValue(total > 0 ? int(std::min<qint64>(kSteps - 1, done * kSteps / total)) : 0);
}

void ExportJob::Finished() {
    progress_->hide();
    deleteLater();
    // A cancel that came after the last file was put in place cancelled nothing.
    if (!error_.isEmpty() && cancelled_) {
        Q_EMIT Notice(QStringLiteral("匯出已取消，沒有寫入任何檔案。"));
        return;
    }
    if (!error_.isEmpty()) {
        ShowErrorMessage(QStringLiteral("匯出失敗，沒有寫入任何檔案：%1").arg(error_));
        return;
    }
    QString text = QStringLiteral("已匯出 %1 到 %2（%3 筆記錄")
                       .arg(FormatName(request_.format), QDir::toNativeSeparators(request_.output))
                       .arg(result_.records);
    if (!request_.crops.isEmpty() || request_.format == ExportFormat::Html)
        text += QStringLiteral("，%1 張掃描圖裁切").arg(result_.crops);
    if (!request_.crops.isEmpty())
        text += QStringLiteral("在 %1").arg(QDir::toNativeSeparators(request_.crops));
    text += QStringLiteral("）");
    if (!result_.problems.isEmpty()) {
        text += QStringLiteral("；%1 處未能完整匯出：%2")
                    .arg(result_.problems.size())
                    .arg(result_.problems.first());
        qCWarning(lcShell) << "export left out:" << result_.problems;
    }
    Q_EMIT Notice(text);
}
