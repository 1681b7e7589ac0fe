#pragma once
// The lists of page scans and PDF files: their model, their filter and the painting of their rows.

#include <QAbstractListModel>
#include <QColor>
#include <QStringList>

#include <array>

class QPainter;
class QRect;

// Bare file names, one per row; replaced as a whole.
class FileNamesModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit FileNamesModel(QObject *parent);

    void SetNames(const QStringList &names);
    const QStringList &Names() const { return names_; }
    // The name of a row; "" for a row that does not exist.
    QString Name(int row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    QStringList names_;
};

// The rows of a file list: the names of each checked letter in letter order, each letter's names in
// their listing order, kept when the filter text is empty or occurs in the name (case counts).
QStringList FilterFileNames(const QList<QStringList> &lists, const QList<bool> &checked, const QString &text);

// The colour group of a name, in scan order K, L, M, N, O: L 1, M 2, N 3, O 4, anything else 0.
int ScanLetterIndex(const QString &name);

// Paints one row of a file list: navy when selected, otherwise the letter's colour, alternating by
// the row's index in the whole list; the name at left + 2, top, in the painter's pen colour.
void PaintFileRow(QPainter &painter, const QRect &rect, const QString &name, int index, bool selected,
                  const std::array<QColor, 5> &colors, const std::array<QColor, 5> &altColors);
