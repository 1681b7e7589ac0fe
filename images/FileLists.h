#pragma once
// The filter of the scans and PDF lists, and stepping along the scans of one letter.

#include <QList>
#include <QStringList>

// The rows of a file list: the names of each checked letter in letter order, each letter's names in
// their listing order, kept when the filter text is empty or occurs in the name (case counts).
QStringList FilterFileNames(const QList<QStringList> &lists, const QList<bool> &checked, const QString &text);

// The letter folder a scan path lies in ("K" for ".\image\k\K1.jpg"), "" when it names no folder.
QString ScanLetter(const QString &path);
// The path `step` places after (or before) `path` in `listing` (a letter's scans in listing order,
// found by bare file name regardless of letter case); "" when there is none.
QString NeighbourScan(const QString &path, const QStringList &listing, int step);
