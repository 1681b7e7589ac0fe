#pragma once
// One measured figure beside its baseline, as a line of JSON that velmora-bench-report gathers into
// the table and bench/results.json. Every benchmark program appends its figures to the file named by
// the VELMORA_BENCH_JSON environment variable (and prints them too, for a run by hand).

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace bench {

inline double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

inline QJsonArray Runs(const std::vector<double> &v) {
    QJsonArray a;
    for (double x : v)
        a.append(x);
    return a;
}

struct Figure {
    Figure(QString group_, QString name_, QString unit_, std::vector<double> runs_,
           QString baseline_ = QString(), std::vector<double> baselineRuns_ = {})
        : group(std::move(group_)), name(std::move(name_)), unit(std::move(unit_)), runs(std::move(runs_)),
          baseline(std::move(baseline_)), baselineRuns(std::move(baselineRuns_)) {}
    QString group; // the data set or subject, e.g. "100 MB"
    QString name;  // what was measured
    QString unit;  // of the runs, e.g. "ms"
    std::vector<double> runs;
    QString baseline; // empty when the figure has none
    std::vector<double> baselineRuns;
    double bytes = 0;       // when set, throughput in MB/s is shown for both
    double targetRatio = 0; // when set: the figure must stay within this multiple of its baseline
    double targetMax = 0;   // when set: the figure must stay under this value, in its unit
    double targetMin = 0;   // when set: the figure must reach at least this value, in its unit
    QString note;
};

inline void Emit(const Figure &f) {
    QJsonObject o;
    o["group"] = f.group;
    o["figure"] = f.name;
    o["unit"] = f.unit;
    o["runs"] = Runs(f.runs);
    o["min"] = f.runs.empty() ? 0 : *std::min_element(f.runs.begin(), f.runs.end());
    o["median"] = Median(f.runs);
    o["max"] = f.runs.empty() ? 0 : *std::max_element(f.runs.begin(), f.runs.end());
    if (!f.baseline.isEmpty()) {
        QJsonObject b;
        b["what"] = f.baseline;
        b["runs"] = Runs(f.baselineRuns);
        b["min"] = *std::min_element(f.baselineRuns.begin(), f.baselineRuns.end());
        b["median"] = Median(f.baselineRuns);
        b["max"] = *std::max_element(f.baselineRuns.begin(), f.baselineRuns.end());
        o["baseline"] = b;
    }
    if (f.bytes > 0) o["bytes"] = f.bytes;
    if (f.targetRatio > 0) o["target_ratio"] = f.targetRatio;
    if (f.targetMax > 0) o["target_max"] = f.targetMax;
    if (f.targetMin > 0) o["target_min"] = f.targetMin;
    if (!f.note.isEmpty()) o["note"] = f.note;
    const QByteArray line = QJsonDocument(o).toJson(QJsonDocument::Compact);
    std::printf("  %s | %s: median %.2f %s", qPrintable(f.group), qPrintable(f.name), Median(f.runs),
                qPrintable(f.unit));
    if (!f.baseline.isEmpty())
        std::printf("  (baseline %s: %.2f)", qPrintable(f.baseline), Median(f.baselineRuns));
    std::printf("\n");
    std::fflush(stdout);
    if (const char *path = std::getenv("VELMORA_BENCH_JSON")) {
        QFile out(QString::fromLocal8Bit(path));
        if (out.open(QIODevice::WriteOnly | QIODevice::Append)) out.write(line + '\n');
    }
}

} // namespace bench
