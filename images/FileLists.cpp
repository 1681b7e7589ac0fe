#include "images/FileLists.h"

QStringList FilterFileNames(const QList<QStringList> &lists, const QList<bool> &checked, const QString &text) {
    QStringList rows;
    for (qsizetype i = 0; i < lists.size() && i < checked.size(); ++i) {
        if (!checked[i])
            continue;
        for (const QString &name : lists[i]) {
            if (text.isEmpty() || name.contains(text, Qt::CaseSensitive))
                rows.append(name);
        }
    }
    return rows;
}
