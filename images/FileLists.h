#pragma once
// The filter of the scans and PDF lists.

#include <QList>
#include <QStringList>

// The rows of a file list: the names of each checked letter in letter order, each letter's names in
// their listing order, kept when the filter text is empty or occurs in the name (case counts).
QStringList FilterFileNames(const QList<QStringList> &lists, const QList<bool> &checked, const QString &text);
