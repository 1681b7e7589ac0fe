#pragma once
// Synthetic notebooks for benchmarks: CJK text with the markup and separators of real notes, made
// from a seed so every run sees the same texts, and a writer that saves them as notes files.

#include "corpus/Data.h"

#include <QList>
#include <QString>

// Replaces `books` with four notebooks (book order K, M, N, O) holding about `totalBytes` of record
// text, counted as UTF-8 (about the size of the notes files). Every notebook starts with a page record
// and has one every few entries; entries carry the page image of the page before them, as loaded.
void MakeSyntheticNotes(QList<Notebook> &books, qint64 totalBytes, quint32 seed);

// Writes one notebook as a notes file that the reader loads back into the same records. The texts
// must have the forms the reader makes (lines joined by "<br>" or "<br><br>", no line breaks, no tags
// of the file format inside them), as MakeSyntheticNotes gives. Raises VelmoraError on a write failure.
void WriteNotesFile(const Notebook &book, const QString &fileName);

// Writes four notebooks into `folder` under the reader's file names (velmora200_k.xml, ..._M, ..._N,
// ..._O) and returns the four paths.
QStringList WriteSyntheticNotesFiles(const QList<Notebook> &books, const QString &folder);
