#pragma once
// What an export takes out: the notebooks read as the reader reads them, the scan of each page with its
// size, and the zone of each placed entry on it. The writers of each form work from this.

#include "export/EntryZone.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Told now and then how far a long export has come, and asked whether it should stop.
struct ExportControl {
    std::function<void(const QString &stage, qint64 done, qint64 total)> progress;
    std::function<bool()> cancelled;
    // Raises VelmoraError "匯出已取消" once `cancelled` answers true.
    void Check() const;
    void Report(const QString &stage, qint64 done, qint64 total) const;
};

struct ExportBook {
    QString file;   // as named on the command line
    QString name;   // "K" for velmora200_k.xml, otherwise the file's base name
    QString id;     // begins the ids and file names of its records: an XML name, unique in the export
    QString folder; // the notes file's folder: its scans are found from there, as in a library folder
    QList<NoteEntry> records;
    QString stopError; // the reader stopped here; the records before it are taken out
};

struct ScanInfo {
    QString pageImage; // as the notes name it
    QString path;      // on this system, found as the reader finds it (letter case ignored)
    QString url;       // relative to the notes folder, "/" between the parts
    int width = 0;     // 0 when the scan cannot be read
    int height = 0;
    QString error;
    bool Readable() const { return width > 0; }
};

// Which records an export takes out of each file: all of them, or only some entries (the search's
// results, the entry shown) with the page records they stand on.
struct ExportSelection {
    // Empty: every record of every file. Otherwise one set per file: the entry records taken out, numbered
    // as `velmora-notes dump` counts them.
    QList<QSet<qsizetype>> entries;
};

class ExportPlan {
public:
    // Reads each notes file, the size of every scan its pages name and, where entries are placed on it,
    // the scan's layout for their zones. A file that cannot be read raises VelmoraError; a file the reader
    // stops in, or a scan that cannot be read, is noted in problems(). Zones are found on the whole
    // notebook before `selection` leaves records out, so an entry's zone does not depend on what else is
    // taken out.
    explicit ExportPlan(const QStringList &files, const ExportControl &control = {},
                        const ExportSelection &selection = {});

    const QList<ExportBook> &books() const { return books_; }
    // The scan of the page a record stands on; nullptr before the first page line.
    const ScanInfo *ScanOf(qsizetype book, qsizetype record) const;
    // The zone of a placed entry on its scan; none for a page record, an entry without a position, or
    // one before the first page line. For a scan that cannot be read, the positions on it stand in for
    // its size.
    std::optional<ScanZone> Zone(qsizetype book, qsizetype record) const { return zones_[book][record]; }
    // The record's number in its notes file (as dump counts), also when a selection left others out.
    qsizetype Number(qsizetype book, qsizetype record) const;
    // "K-00012": the stem of the names of a record's crop, page and ids, from its number in the file.
    QString Stem(qsizetype book, qsizetype record) const;
    qint64 RecordCount() const;
    const QStringList &problems() const { return problems_; }
    void AddProblem(const QString &problem) { problems_ << problem; }

private:
    void FindZones(const ExportControl &control);
    void Select(const ExportSelection &selection);

    QList<ExportBook> books_;
    QList<ScanInfo> scans_;
    QList<QList<int>> scanOf_; // per book, per record: index into scans_, -1 before any page
    QList<QList<std::optional<ScanZone>>> zones_; // per book, per record
    QList<QList<qsizetype>> numbers_; // per book, per record kept: its number in the file; empty: all
    QStringList problems_;
};
