#pragma once
// A citation of one entry, for a paper or a lecture: where it stands (notebook, page, headword), its
// sources, and the piece of the scan it is written on, so that pasting it into a word processor brings
// the scan along.

#include "corpus/Records.h"

#include <QByteArray>
#include <QList>
#include <QString>

struct Citation {
    QString text;    // "K K1 學而", then "出處：…" on a line of its own when the entry names sources
    QString html;    // the same as a paragraph, and the crop below it as an embedded image when there is one
    QByteArray crop; // the entry's zone cut from its scan as a JPEG; empty when there is none
    QString noCrop;  // why there is no crop (said to the reader); empty when there is one
};

// The citation of the entry records[index] of notebook `book` (0..3). Its scan is found from its page
// record relative to `folder` (the notes file's folder), and its zone as the export finds it.
Citation CiteEntry(const QList<NoteEntry> &records, qsizetype index, int book, const QString &folder);
