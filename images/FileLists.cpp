#include "images/FileLists.h"

QStringList FilterFileNames(const QList<QStringList> &lists, const QList<bool> &checked,
                            const QString &text) {
    QStringList rows;
    for (qsizetype i = 0; i < lists.size() && i < checked.size(); ++i) {
        if (!checked[i]) continue;
        for (const QString &name : lists[i]) {
            if (text.isEmpty() || name.contains(text, Qt::CaseSensitive)) rows.append(name);
        }
    }
    return rows;
}

namespace {
QStringList PathParts(QString path) {
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}
} // namespace

QString ScanLetter(const QString &path) {
    const QStringList parts = PathParts(path);
    return parts.size() < 2 ? QString() : parts[parts.size() - 2].toUpper();
}

QString NeighbourScan(const QString &path, const QStringList &listing, int step) {
    const QStringList parts = PathParts(path);
    if (parts.isEmpty()) return QString();
    // The browser names the paths its own way, so compare bare names.
    const auto bareName = [](const QString &p) { return p.mid(p.lastIndexOf(QLatin1Char('\\')) + 1); };
    qsizetype at = -1;
    for (qsizetype i = 0; i < listing.size() && at < 0; ++i)
        if (bareName(listing[i]).compare(parts.last(), Qt::CaseInsensitive) == 0) at = i;
    const qsizetype next = at + step;
    return at < 0 || next < 0 || next >= listing.size() ? QString() : listing[next];
}
