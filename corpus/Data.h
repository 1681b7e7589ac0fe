#pragma once
// The notes corpus: one record per headword or page line of a notes file, in file order.

#include <QList>
#include <QString>

struct NoteEntry {
    bool isPage = false;
    QString pageImage;
    QString title;
    qint32 lineCount = 1;
    QString content;
    QString note;
    QString remark;
    QString source;
    qint32 x = -1;
    qint32 y = -1;
};

class Notebook {
public:
    QList<NoteEntry> entries;
    // Appends the records of a notes file; raises VelmoraError when the file cannot be read
    // or ends inside a headword (the records before it stay).
    void LoadNotes(const QString &fileName);
    // Writes the position of every entry record that has one into the file it was loaded from.
    // The file must still hold the same records; otherwise nothing is written.
    void SavePositions(const QString &fileName) const;
};
