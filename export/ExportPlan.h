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

class ExportPlan {
public:
    // Reads each notes file and the size of every scan its pages name. A file that cannot be read raises
    // VelmoraError; a file the reader stops in, or a scan that cannot be read, is noted in problems().
    explicit ExportPlan(const QStringList &files, const ExportControl &control = {});

    const QList<ExportBook> &books() const { return books_; }
    // The scan of the page a record stands on; nullptr before the first page line.
    const ScanInfo *ScanOf(qsizetype book, qsizetype record) const;
    // The zone of a placed entry on its scan; none for a page record, an entry without a position, or
    // one before the first page line. For a scan that cannot be read, the positions on it stand in for
    // its size.
    std::optional<ScanZone> Zone(qsizetype book, qsizetype record) const;
    // "K-00012": the stem of the names of a record's crop, page and ids.
    QString Stem(qsizetype book, qsizetype record) const;
    qint64 RecordCount() const;
    const QStringList &problems() const { return problems_; }
    void AddProblem(const QString &problem) { problems_ << problem; }

private:
    QList<ExportBook> books_;
    QList<ScanInfo> scans_;
    QList<QList<int>> scanOf_;     // per book, per record: index into scans_, -1 before any page
    QList<QList<qsizetype>> page_; // per book, per record: its page record, -1 before any page
    mutable QHash<qint64, std::pair<int, int>> extents_; // unreadable scans: the positions' extent per page
    QStringList problems_;
};
