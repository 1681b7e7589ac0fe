#pragma once
// Which entries have a place on which scan: for every scan file, the entries whose stored position
// lies on it, with that position and headword. A double click on a scan and the marks painted over it
// read this instead of walking the notebooks. It follows the store: a position recorded or undone
// moves one entry, a notebook read again is indexed again.

#include "corpus/Notebooks.h"

#include <QHash>
#include <QObject>
#include <QPoint>
#include <QString>
#include <vector>

class NotebookStore;

// One entry placed on a scan.
struct PlacedEntry {
    NoteRef ref;
    QPoint pos;    // the stored position (natural-size overlay pixels)
    QString title; // the headword as the notes file holds it (lines joined by "<br>")
};

class ScanIndex : public QObject {
    Q_OBJECT
public:
    explicit ScanIndex(const NotebookStore &store, QObject *parent = nullptr);

    // Indexes every notebook; later changes are followed from the store's signals. Reading before
    // this builds it first.
    void Build();
    bool IsBuilt() const { return built_; }

    // The entries placed on the scan at `path` (any spelling the reader uses for it: ".\image\K\K1.jpg",
    // "image/k/K1.jpg"), in notebook order.
    const std::vector<PlacedEntry> &On(const QString &path);
    // The entry on that scan whose position is nearest (x, y) and at most `radius` away; invalid when
    // none is.
    NoteRef Nearest(const QString &path, int x, int y, double radius);

    // The key a scan path is filed under: separators as "\", no leading ".\", letter case folded.
    static QString Key(const QString &path);
    // About how much memory the index takes, in bytes (the headwords are shared with the notebooks).
    qint64 MemoryBytes() const;
    int PlacedCount() const;

Q_SIGNALS:
    // The entries placed on some scan changed (a position recorded or undone, a notebook read again).
    void Changed();

private:
    void IndexBook(int book);
    void DropBook(int book);
    void Moved(NoteRef ref);

    const NotebookStore &store_;
    QHash<QString, std::vector<PlacedEntry>> byScan_;
    bool built_ = false;
};
