#pragma once
// The scan shown as a map of the notebooks: the marks of the entries placed on it (from the scan
// index, the search's hits among them) and, once the scan's layout is read on the worker, each
// entry's written region, so that a double click or the pointer anywhere in an entry's writing names
// it. The pane paints the marks and says the hits' count; this keeps them up to date.

#include "corpus/Notebooks.h"
#include "images/ScanMarks.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <vector>

class ScanIndex;
class ScanLayouts;

class ScanMap : public QObject {
    Q_OBJECT
public:
    ScanMap(ScanLayouts *layouts, QObject *parent);

    void SetIndex(ScanIndex *index);
    // The search's results (any order).
    void SetHits(std::vector<NoteRef> hits);
    // The scan shown ("" for none): its marks now, its regions when the layout comes.
    void Show(const QString &path);
    // Made again from the index and the hits.
    void Refresh();

    ScanMarks &Marks() { return marks_; }
    const ScanMarks &Marks() const { return marks_; }
    // The entry at natural-size point `p`: its region holds it, or its position is within `radius`.
    NoteRef EntryAt(QPoint p, double radius);
    // The headword under an overlay point at zoom `rate`: a mark shown there, else a region; "" for none.
    QString LabelAt(QPoint overlayPoint, double rate) const;

Q_SIGNALS:
    // The marks changed: painted again, the hits counted again.
    void Changed();

private:
    void AskRegions();

    ScanLayouts *layouts_;
    ScanIndex *index_ = nullptr;
    std::vector<NoteRef> hits_; // sorted
    QString path_;
    ScanMarks marks_;
    std::shared_ptr<std::atomic<quint64>> asked_; // the latest regions asked for
};
