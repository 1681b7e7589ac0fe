#pragma once
// The reader's own marks of one notes library as they are kept on disk: for each entry a star (with the
// time it was given, for "newest first") and one personal note, the entry said by its anchor so that the
// marks outlive edits of the teacher's notes files. The teacher's files are never written.
//
// Every change of a star or a note carries its time, and a removal stays in the file as a removal, so
// that the marks of two readers merge: for each entry and each of the two, the later change wins (on the
// same millisecond, the removal). A reader writes under a lock, merging its own changes into the file as
// it is at that moment, so that neither loses the other's marks and a mark removed by one does not come
// back from the other.
//
// One file per library, in the reader's AppDataLocation (~/.local/share/velmoranote), named after the
// library folder's canonical path (symbolic links resolved): the same folder however it is reached is
// one library; a library moved elsewhere starts without marks (its old file names the old path inside).

#include "corpus/EntryAnchor.h"

#include <QByteArray>
#include <QHash>
#include <QJsonArray>
#include <QString>
#include <functional>
#include <vector>

struct Mark {
    EntryAnchor anchor;
    bool starred = false;
    qint64 starTime = 0; // when starred (or unstarred), milliseconds since the epoch; 0: never
    QString note;        // plain text with line breaks; empty: no note
    qint64 noteTime = 0; // when last written or cleared; 0: never

    // Nothing but removals: kept only so that a merge does not bring the mark back.
    bool IsEmpty() const { return !starred && note.isEmpty(); }
    friend bool operator==(const Mark &a, const Mark &b) {
        return a.anchor == b.anchor && a.starred == b.starred && a.starTime == b.starTime &&
               a.note == b.note && a.noteTime == b.noteTime;
    }
};

// What tells the marks of two entries apart (notebook, headword, page, occurrence), as one string.
QString AnchorKey(const EntryAnchor &anchor);

// Takes from `theirs` each of star and note that changed later than in `into` (on the same time, a removal).
void MergeMark(Mark &into, const Mark &theirs);

struct MarksData {
    std::vector<Mark> marks; // in the order they were first made
    QJsonArray unreadable;   // items this version cannot read, written back as they were

    // The mark whose anchor names the same entry (notebook, headword, page, occurrence); -1 for none.
    int IndexOf(const EntryAnchor &key) const;
    // That mark, made (with no star and no note) when there is none.
    Mark &Take(const EntryAnchor &key);

private:
    // Where each anchor's mark is, rebuilt when `marks` was changed behind it (an anchor's key is never
    // changed in place: its mark is moved to a new one).
    mutable QHash<QString, int> where_;
};

// The marks file of the library in `libraryFolder`. Raises VelmoraError when the folder does not exist.
QString MarksFileFor(const QString &libraryFolder);

class MarksFile {
public:
    // `library`: the folder the marks belong to, written into the file for the person who looks at it.
    MarksFile(const QString &fileName, const QString &library);

    const QString &FileName() const { return fileName_; }

    // The marks as the file holds them; none when there is no file. Raises VelmoraError naming the file
    // when it cannot be read or is not a marks file (it is left as it is).
    MarksData Read() const;

    // Under the file's lock: reads the file as it is now, lets `merge` put this reader's changes into it
    // and writes it back whole (atomically); returns what was written. Removals older than a season are
    // dropped then: no reader holds a change that long. A damaged file is kept aside under another name
    // and the marks start afresh from `merge`; `notice` then says so and where. Raises VelmoraError when
    // the file cannot be locked, read or written (nothing is written then), or was written by a newer
    // version of the reader.
    MarksData Update(const std::function<void(MarksData &)> &merge, QString *notice = nullptr);

private:
    MarksData Parse(const QByteArray &bytes) const;
    QByteArray Serialize(const MarksData &data) const;

    QString fileName_;
    QString library_;
};
