#include "tools/notes/ExportCommand.h"

#include "common/Error.h"
#include "export/Export.h"

#include <QElapsedTimer>

#include <csignal>
#include <cstdio>

#include <unistd.h>

namespace {

enum ExitStatus { kWritten = 0, kPartly = 1, kTrouble = 2 };

volatile std::sig_atomic_t endRequested = 0;
extern "C" void RequestEnd(int) {
    endRequested = 1;
}

void Write(FILE *stream, const QByteArray &bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

int Trouble(const QString &what, bool usage) {
    Write(stderr, QStringLiteral("velmora-notes: %1\n%2")
                      .arg(what, usage ? QStringLiteral("Try 'velmora-notes --help'.\n") : QString())
                      .toUtf8());
    return kTrouble;
}

// A line on the terminal that says how far the export is, redrawn at most five times a second.
class ProgressLine {
public:
    ProgressLine() : shown_(::isatty(STDERR_FILENO) == 1) { clock_.start(); }
    ~ProgressLine() { Clear(); }
    void Show(const QString &stage, qint64 done, qint64 total) {
        if (!shown_ || (clock_.elapsed() < 200 && done < total)) return;
        clock_.restart();
        const int percent = total > 0 ? int(done * 100 / total) : 100;
        Write(
            stderr,
            QStringLiteral("\r\x1b[K%1：%2/%3（%4%）").arg(stage).arg(done).arg(total).arg(percent).toUtf8());
        dirty_ = true;
    }
    void Clear() {
        if (dirty_) Write(stderr, QByteArray("\r\x1b[K"));
        dirty_ = false;
    }

private:
    bool shown_;
    bool dirty_ = false;
    QElapsedTimer clock_;
};

} // namespace

int RunExportCommand(const QStringList &args) {
    ExportRequest request;
    QString format;
    bool optionsEnded = false;
    const auto value = [&](qsizetype &i, const QString &option, QString &into) {
        const QString &a = args[i];
        if (a.startsWith(option + QLatin1Char('='))) {
            into = a.mid(option.size() + 1);
            return true;
        }
        if (i + 1 >= args.size()) return false;
        into = args[++i];
        return true;
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const auto is = [&](const char *option) {
            return a == QLatin1String(option) || a.startsWith(QLatin1String(option) + QLatin1Char('='));
        };
        if (optionsEnded || !a.startsWith(QLatin1Char('-')) || a.size() == 1) {
            request.files << a;
        } else if (a == QLatin1String("--")) {
            optionsEnded = true;
        } else if (is("--format")) {
            if (!value(i, QStringLiteral("--format"), format))
                return Trouble(QStringLiteral("--format needs tei, markdown or html"), true);
        } else if (is("--output")) {
            if (!value(i, QStringLiteral("--output"), request.output) || request.output.isEmpty())
                return Trouble(QStringLiteral("--output needs a FILE or, for html, a DIR"), true);
        } else if (is("--crops")) {
            if (!value(i, QStringLiteral("--crops"), request.crops) || request.crops.isEmpty())
                return Trouble(QStringLiteral("--crops needs a DIR"), true);
        } else {
            return Trouble(QStringLiteral("unknown option '%1'").arg(a), true);
        }
    }
    if (format == QLatin1String("tei"))
        request.format = ExportFormat::Tei;
    else if (format == QLatin1String("markdown") || format == QLatin1String("md"))
        request.format = ExportFormat::Markdown;
    else if (format == QLatin1String("html"))
        request.format = ExportFormat::Html;
    else if (format.isEmpty())
        return Trouble(QStringLiteral("export needs --format tei, markdown or html"), true);
    else
        return Trouble(QStringLiteral("unknown format '%1' (tei, markdown, html)").arg(format), true);
    if (request.files.isEmpty()) return Trouble(QStringLiteral("export needs at least one FILE"), true);
    if (request.format == ExportFormat::Html && request.output.isEmpty())
        return Trouble(QStringLiteral("--format html needs --output DIR"), true);

    // Ctrl+C, a closed terminal or a kill ends the export in order: what it was writing is removed.
    struct sigaction action {};
    action.sa_handler = RequestEnd;
    sigemptyset(&action.sa_mask);
    for (const int s : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(s, &action, nullptr);
    ProgressLine progress;
    ExportControl control;
    control.progress = [&](const QString &stage, qint64 done, qint64 total) {
        progress.Show(stage, done, total);
    };
    control.cancelled = [] { return endRequested != 0; };
    try {
        const ExportResult result = RunExport(
            request, [](QByteArrayView b) { std::fwrite(b.data(), 1, size_t(b.size()), stdout); }, control);
        progress.Clear();
        for (const QString &p : result.problems)
            Write(stderr, QStringLiteral("velmora-notes: %1\n").arg(p).toUtf8());
        return result.problems.isEmpty() ? kWritten : kPartly;
    } catch (const VelmoraError &e) {
        progress.Clear();
        return Trouble(e.message(), false);
    }
}
