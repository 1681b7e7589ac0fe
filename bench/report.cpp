// Gathers the figures the benchmark programs wrote (one JSON object a line) into one table beside
// their baselines, and into one JSON file.   velmora-bench-report FIGURES.jsonl RESULTS.json
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <cstdio>

namespace {

QString Num(double v) {
    return QString::number(v, 'f', v >= 100 ? 0 : v >= 10 ? 1 : 2);
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: velmora-bench-report FIGURES.jsonl RESULTS.json\n");
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    QJsonArray all;
    QList<QStringList> rows;
    rows << QStringList{"set",   "figure",          "median", "min–max", "baseline", "baseline median",
                        "ratio", "MB/s (baseline)", "target", "met",     "note"};
    int missed = 0;
    for (const QByteArray &line : in.readAll().split('\n')) {
        if (line.trimmed().isEmpty()) continue;
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        const QString unit = o["unit"].toString();
        const double median = o["median"].toDouble();
        const QJsonObject base = o["baseline"].toObject();
        const bool hasBase = !base.isEmpty();
        const double baseMedian = base["median"].toDouble();
        const double ratio = hasBase && baseMedian > 0 ? median / baseMedian : 0;
        QString throughput;
        if (o.contains("bytes") && unit == QLatin1String("ms")) {
            const double mb = o["bytes"].toDouble() / 1e6;
            throughput =
                Num(mb / (median / 1000)) + (hasBase ? " (" + Num(mb / (baseMedian / 1000)) + ")" : "");
        }
        QString target, met;
        QJsonObject out = o;
        // A figure may have both targets: it meets them when it meets each.
        QStringList targets;
        bool ok = true;
        if (o.contains("target_ratio")) {
            targets << QStringLiteral("≤ %1× baseline").arg(o["target_ratio"].toDouble());
            ok = ok && ratio <= o["target_ratio"].toDouble();
        }
        if (o.contains("target_max")) {
            targets << QStringLiteral("< %1 %2").arg(o["target_max"].toDouble()).arg(unit);
            ok = ok && median < o["target_max"].toDouble();
        }
        if (o.contains("target_min")) {
            targets << QStringLiteral("≥ %1 %2").arg(o["target_min"].toDouble()).arg(unit);
            ok = ok && median >= o["target_min"].toDouble();
        }
        if (!targets.isEmpty()) {
            target = targets.join(QStringLiteral(", "));
            met = ok ? "yes" : "NO";
            out["met"] = ok;
            missed += ok ? 0 : 1;
        }
        if (hasBase) out["ratio"] = ratio;
        all.append(out);
        rows << QStringList{o["group"].toString(),
                            o["figure"].toString(),
                            Num(median) + " " + unit,
                            Num(o["min"].toDouble()) + "–" + Num(o["max"].toDouble()),
                            hasBase ? base["what"].toString() : QStringLiteral("—"),
                            hasBase ? Num(baseMedian) + " " + unit : QStringLiteral("—"),
                            hasBase ? Num(ratio) + "×" : QStringLiteral("—"),
                            throughput,
                            target,
                            met,
                            o["note"].toString()};
    }
    // A Markdown table: readable as it is printed, and pasted as it is into a report.
    for (int i = 0; i < rows.size(); ++i) {
        std::printf("| %s |\n", rows[i].join(" | ").toUtf8().constData());
        if (i == 0) std::printf("|%s\n", QString("---|").repeated(rows[0].size()).toUtf8().constData());
    }
    std::printf("\n%d target(s) missed\n", missed);
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    out.write(QJsonDocument(all).toJson());
    return 0;
}
