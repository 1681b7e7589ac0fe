#include "shell/OwnerDrawList.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

OwnerDrawList::OwnerDrawList(QWidget *parent) : QListView(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
}

int OwnerDrawList::ItemIndex() const {
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !selectionModel() || !selectionModel()->isSelected(current))
        return -1;
    return current.row();
}

void OwnerDrawList::SetItemIndex(int row) {
    if (!model())
        return;
    if (row < 0 || row >= model()->rowCount()) {
        clearSelection();
        return;
    }
    const QModelIndex index = model()->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

void OwnerDrawList::EmitIfMoved(int before) {
    const int after = ItemIndex();
    if (after >= 0 && after != before)
        Q_EMIT Click();
}

void OwnerDrawList::keyPressEvent(QKeyEvent *event) {
    const int before = ItemIndex();
    ++inKeyPress_;
    QListView::keyPressEvent(event);
    --inKeyPress_;
    EmitIfMoved(before);
}

void OwnerDrawList::keyboardSearch(const QString &search) {
    const int before = ItemIndex();
    QListView::keyboardSearch(search);
    if (!inKeyPress_) // a key press reports its own move once it is done
        EmitIfMoved(before);
}

void OwnerDrawList::mouseReleaseEvent(QMouseEvent *event) {
    QListView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid() && ItemIndex() >= 0)
        Q_EMIT Click();
}

OwnerDrawDelegate::OwnerDrawDelegate(PaintRow paint, RowHeight height, QObject *parent)
    : QStyledItemDelegate(parent), paint_(std::move(paint)), height_(std::move(height)) {}

void OwnerDrawDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const {
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    painter->setFont(option.font);
    painter->setPen(option.palette.color(QPalette::Active, selected ? QPalette::HighlightedText : QPalette::WindowText));
    paint_(*painter, index.row(), option.rect, selected);
    painter->restore();
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.backgroundColor = selected ? QColor(0x00, 0x00, 0x80) : option.palette.color(QPalette::Base);
        const QWidget *w = option.widget;
        (w ? w->style() : QApplication::style())->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, w);
    }
}

QSize OwnerDrawDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const {
    return QSize(option.rect.width() > 0 ? option.rect.width() : 1, height_(index.row()));
}

QStringList SplitRowLines(const QString &text) {
    QStringList lines;
    const QString marker = QStringLiteral("<br>");
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(marker, from);
        if (at < 0)
            break;
        lines << text.mid(from, at - from);
        from = at + marker.size();
    }
    if (from < text.size() || lines.isEmpty())
        lines << text.mid(from);
    return lines;
}

void PaintRowText(QPainter &painter, const QRect &rect, const QColor &background, const QString &text,
                  int lineHeight) {
    painter.fillRect(rect, background);
    // Lines beyond the row's height (a headword whose text holds more markers than lines) are cut off.
    painter.setClipRect(rect, Qt::IntersectClip);
    const QStringList lines = SplitRowLines(text);
    const QFontMetrics fm = painter.fontMetrics();
    for (int k = 0; k < lines.size(); ++k) {
        // The toolkit draws text with its top-left at the point: place the baseline one ascent below.
        const QRect lineRect(rect.left() + 2, rect.top() + k * lineHeight, rect.width() - 2, lineHeight);
        painter.drawText(QPoint(lineRect.left(), lineRect.top() + fm.ascent()), lines[k]);
    }
}
