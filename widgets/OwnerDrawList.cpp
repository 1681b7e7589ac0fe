#include "widgets/OwnerDrawList.h"
#include "widgets/Look.h"

#include <QAccessible>
#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QToolTip>
#include <algorithm>
#include <climits>
#include <functional>

OwnerDrawList::OwnerDrawList(QWidget *parent) : QListView(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
}

int OwnerDrawList::ItemIndex() const {
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !selectionModel() || !selectionModel()->isSelected(current)) return -1;
    return current.row();
}

void OwnerDrawList::SetItemIndex(int row) {
    if (!model()) return;
    if (row < 0 || row >= model()->rowCount()) {
        clearSelection();
        return;
    }
    const QModelIndex index = model()->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

void OwnerDrawList::doItemsLayout() {
    const int rows = model() ? model()->rowCount(rootIndex()) : 0;
    const auto *lineCounts = dynamic_cast<const RowLineCounts *>(model());
    tops_.resize(size_t(rows) + 1);
    qint64 y = 0;
    for (int r = 0; r < rows; ++r) {
        tops_[r] = y;
        const int h =
            lineCounts ? itemHeight * lineCounts->RowLineCount(r) : sizeHintForIndex(RowIndex(r)).height();
        y += qMax(h, 0);
    }
    tops_[rows] = y;
    // The base view's part: scroll bars and a repaint. The list view's own per-row layout is skipped.
    QAbstractItemView::doItemsLayout();
}

QModelIndex OwnerDrawList::RowIndex(int row) const {
    return model()->index(row, modelColumn(), rootIndex());
}

void OwnerDrawList::EnsureLayout() const {
    const_cast<OwnerDrawList *>(this)->executeDelayedItemsLayout();
}

int OwnerDrawList::RowAtY(qint64 y) const {
    const int rows = RowCount();
    if (rows <= 0) return -1;
    const auto after = std::upper_bound(tops_.begin(), tops_.begin() + rows, y);
    return int(qBound<qint64>(0, qint64(after - tops_.begin()) - 1, qint64(rows) - 1));
}

QRect OwnerDrawList::RowRect(const QModelIndex &index) const {
    if (!index.isValid() || index.model() != model() || index.parent() != rootIndex() ||
        index.column() != modelColumn())
        return QRect();
    EnsureLayout();
    const int r = index.row();
    if (r < 0 || r >= RowCount()) return QRect();
    return QRect(0, int(tops_[r]), qMax(viewport()->width(), 1), int(tops_[r + 1] - tops_[r]));
}

QRect OwnerDrawList::visualRect(const QModelIndex &index) const {
    const QRect rect = RowRect(index);
    return rect.isValid() ? rect.translated(-horizontalOffset(), -verticalOffset()) : rect;
}

int OwnerDrawList::horizontalOffset() const {
    return 0;
}

int OwnerDrawList::verticalOffset() const {
    return verticalScrollBar()->value();
}

QModelIndex OwnerDrawList::indexAt(const QPoint &point) const {
    EnsureLayout();
    const qint64 y = qint64(point.y()) + verticalOffset();
    if (point.x() < 0 || point.x() >= viewport()->width() || y < 0 || y >= tops_.back()) return QModelIndex();
    return RowIndex(RowAtY(y));
}

void OwnerDrawList::scrollTo(const QModelIndex &index, ScrollHint hint) {
    const QRect rect = visualRect(index);
    if (!rect.isValid()) return;
    const QRect area = viewport()->rect();
    if (hint == EnsureVisible && area.contains(rect)) {
        viewport()->update(rect);
        return;
    }
    int value = verticalScrollBar()->value();
    if (hint == PositionAtTop || (hint == EnsureVisible && rect.top() < area.top()))
        value += rect.top();
    else if (hint == PositionAtBottom || (hint == EnsureVisible && rect.bottom() > area.bottom()))
        value += qMin(rect.top(), rect.bottom() - area.height() + 1);
    else if (hint == PositionAtCenter)
        value += rect.top() - (area.height() - rect.height()) / 2;
    // The list starts at a whole row, as a list box scrolled by rows does: the row cut by the top edge
    // gives way to the one after it while the row asked for stays in view.
    const int row = RowAtY(qMax(value, 0));
    if (row >= 0 && tops_[size_t(row)] < value) {
        const qint64 next = tops_[size_t(row) + 1];
        const qint64 asked = tops_[size_t(index.row())];
        value = next <= asked ? int(next) : int(tops_[size_t(row)]);
    }
    verticalScrollBar()->setValue(value);
}

QModelIndex OwnerDrawList::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers) {
    EnsureLayout();
    const int rows = RowCount();
    if (rows <= 0 || !model()) return QModelIndex();
    const QModelIndex current = currentIndex();
    if (!current.isValid() || current.row() >= rows) return RowIndex(0);
    const int r = current.row();
    const qint64 h = tops_[r + 1] - tops_[r];
    const qint64 page = viewport()->height();
    switch (cursorAction) {
    case MoveUp:
    case MovePrevious:
        return RowIndex(qMax(r - 1, 0));
    case MoveDown:
    case MoveNext:
        return RowIndex(qMin(r + 1, rows - 1));
    case MoveHome:
        return RowIndex(0);
    case MoveEnd:
        return RowIndex(rows - 1);
    case MovePageUp: {
        // As the toolkit's list: a viewport less one row up, and at least one row.
        const qint64 y = tops_[r] - page + 2 * h - 1;
        const int target = y < h ? 0 : RowAtY(y);
        return RowIndex(qMax(0, qMin(target, r - 1)));
    }
    case MovePageDown: {
        const qint64 y = tops_[r] + page - h;
        const int target = y >= tops_[rows] ? rows - 1 : RowAtY(y);
        return RowIndex(qMin(rows - 1, qMax(target, r + 1)));
    }
    default:
        return current;
    }
}

void OwnerDrawList::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) {
    if (!selectionModel() || !model()) return;
    EnsureLayout();
    QItemSelection selection;
    const QRect r = rect.normalized();
    const qint64 top = qMax<qint64>(qint64(r.top()) + verticalOffset(), 0);
    const qint64 bottom = qMin<qint64>(qint64(r.bottom()) + verticalOffset(), tops_.back() - 1);
    if (top <= bottom && r.right() >= 0 && r.left() < viewport()->width()) {
        const QModelIndex first = RowIndex(RowAtY(top));
        const QModelIndex last = RowIndex(RowAtY(bottom));
        // A press selects the one row under it; a drag (in a multi-row mode) the rows it spans.
        if (r.width() == 1 && r.height() == 1)
            selection.select(last, last);
        else
            selection.select(first, last);
    }
    selectionModel()->select(selection, command);
}

QRegion OwnerDrawList::visualRegionForSelection(const QItemSelection &selection) const {
    QRegion region;
    const QRect area = viewport()->rect();
    for (const QItemSelectionRange &range : selection) {
        if (!range.isValid() || range.left() > modelColumn() || range.right() < modelColumn()) continue;
        const QModelIndex top = RowIndex(range.top());
        const QModelIndex bottom = RowIndex(range.bottom());
        const QRect rect = visualRect(top).united(visualRect(bottom));
        if (area.intersects(rect)) region += rect;
    }
    return region;
}

void OwnerDrawList::updateGeometries() {
    const int page = viewport()->height();
    verticalScrollBar()->setSingleStep(itemHeight);
    verticalScrollBar()->setPageStep(page);
    verticalScrollBar()->setRange(0, int(qBound<qint64>(0, tops_.back() - page, qint64(INT_MAX))));
    horizontalScrollBar()->setRange(0, 0);
    QAbstractItemView::updateGeometries();
}

void OwnerDrawList::scrollContentsBy(int dx, int dy) {
    // The list view's own version maps the move through its per-row layout, which is not kept here,
    // and would leave the screen unscrolled; the base view moves the viewport's pixels.
    QAbstractItemView::scrollContentsBy(dx, dy);
    // The moved pixels carry the focus frame along: it is drawn again at the edges.
    if (hasFocus()) viewport()->update();
}

void OwnerDrawList::focusInEvent(QFocusEvent *event) {
    QListView::focusInEvent(event);
    viewport()->update();
}

void OwnerDrawList::focusOutEvent(QFocusEvent *event) {
    QListView::focusOutEvent(event);
    viewport()->update();
}

void OwnerDrawList::PaintFocusFrame() {
    // The row's own focus rectangle is a faint dotted line, lost on the row colours: the whole list
    // shows it has the keyboard with a frame like the one around the page and the scan.
    QPainter painter(viewport());
    QPen pen(palette().color(QPalette::Highlight), kFocusFrameWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    const qreal half = kFocusFrameWidth / 2.0;
    painter.drawRect(QRectF(viewport()->rect()).adjusted(half, half, -half, -half));
}

// The list view's own versions look the row up in its per-row layout, which is not kept here.
void OwnerDrawList::currentChanged(const QModelIndex &current, const QModelIndex &previous) {
    if (QAccessible::isActive() && current.isValid() && hasFocus()) {
        QAccessibleEvent event(this, QAccessible::Focus);
        event.setChild(current.row());
        QAccessible::updateAccessibility(&event);
    }
    QAbstractItemView::currentChanged(current, previous);
}

void OwnerDrawList::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) {
    if (QAccessible::isActive()) {
        const auto tell = [this](const QItemSelection &rows, QAccessible::Event kind) {
            const QModelIndex row = rows.indexes().value(0);
            if (!row.isValid()) return;
            QAccessibleEvent event(this, kind);
            event.setChild(row.row());
            QAccessible::updateAccessibility(&event);
        };
        tell(selected, QAccessible::SelectionAdd);
        tell(deselected, QAccessible::SelectionRemove);
    }
    QAbstractItemView::selectionChanged(selected, deselected);
}

bool OwnerDrawList::viewportEvent(QEvent *event) {
    // A row whose text is cut at the list's edge shows all of it as a tooltip.
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex index = indexAt(help->pos());
        QString whole;
        if (index.isValid()) {
            const QVariant lines = index.data(RowTextLinesRole);
            const QStringList texts =
                lines.isValid() ? lines.toStringList() : QStringList{index.data().toString()};
            const QFontMetrics fm(font());
            for (const QString &line : texts)
                if (fm.horizontalAdvance(line) > viewport()->width() - 2)
                    whole = texts.join(QLatin1Char('\n'));
        }
        if (whole.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), whole, viewport(), visualRect(index));
        return true;
    }
    return QListView::viewportEvent(event);
}

void OwnerDrawList::SetEmptyText(const QString &text) {
    if (text == emptyText_) return;
    emptyText_ = text;
    viewport()->update();
}

void OwnerDrawList::paintEvent(QPaintEvent *event) {
    // Over the rows, once their painter is done.
    const auto frame = qScopeGuard([this] {
        if (hasFocus()) PaintFocusFrame();
    });
    EnsureLayout();
    if (RowCount() <= 0 && !emptyText_.isEmpty()) {
        QPainter painter(viewport());
        painter.setPen(QColor(0x80, 0x80, 0x80));
        // A line too long for the list (a long query) loses its middle, so both its ends stay readable.
        const QRect room = viewport()->rect().adjusted(4, 4, -4, -4);
        QStringList lines = emptyText_.split(QLatin1Char('\n'));
        for (QString &line : lines)
            line = painter.fontMetrics().elidedText(line, Qt::ElideMiddle, room.width());
        painter.drawText(room, Qt::AlignCenter, lines.join(QLatin1Char('\n')));
        return;
    }
    QAbstractItemDelegate *rowDelegate = itemDelegate();
    if (!rowDelegate || !model() || RowCount() <= 0) return;
    const QRect exposed = event->rect();
    const qint64 offset = verticalOffset();
    const qint64 top = qint64(exposed.top()) + offset;
    if (top >= tops_.back()) return;
    const int first = RowAtY(qMax<qint64>(top, 0));
    const int last = RowAtY(qint64(exposed.bottom()) + offset);

    QPainter painter(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QStyle::State state = option.state;
    const QModelIndex current = currentIndex();
    const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    const QItemSelectionModel *selections = selectionModel();
    const int width = viewport()->width();
    for (int r = first; r <= last; ++r) {
        const QModelIndex index = RowIndex(r);
        option.rect = QRect(0, int(tops_[r] - offset), width, int(tops_[r + 1] - tops_[r]));
        option.state = state;
        if (selections && selections->isSelected(index)) option.state |= QStyle::State_Selected;
        if (focus && current == index) option.state |= QStyle::State_HasFocus;
        rowDelegate->paint(&painter, option, index);
    }
}

void OwnerDrawList::EmitIfMoved(int before) {
    const int after = ItemIndex();
    if (after >= 0 && after != before) Q_EMIT Click();
}

void OwnerDrawList::keyPressEvent(QKeyEvent *event) {
    const int before = ItemIndex();
    // Enter opens the selected row again, as a click on it does (with one row, no move can).
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && before >= 0) {
        event->accept();
        Q_EMIT Click();
        return;
    }
    // Focus (Tab) makes the top row current without selecting it, and a cleared selection keeps its
    // current row: the first move in a list with nothing selected selects row 0, whichever row is current.
    static const QList<int> moveKeys = {Qt::Key_Up,   Qt::Key_Down, Qt::Key_Left,   Qt::Key_Right,
                                        Qt::Key_Home, Qt::Key_End,  Qt::Key_PageUp, Qt::Key_PageDown};
    if (before < 0 && currentIndex().isValid() && selectionModel() && moveKeys.contains(event->key()))
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
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
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid() &&
        ItemIndex() >= 0)
        Q_EMIT Click();
}

namespace {

// The toolkit's part of painting a row: the text colour is the highlight-text colour on a selected row
// and the window-text colour otherwise, and the focused row gets a focus rectangle after its body.
void PaintRowWithFocus(QPainter &painter, const QStyleOptionViewItem &option,
                       const std::function<void(bool selected)> &paintBody) {
    const bool selected = option.state & QStyle::State_Selected;
    painter.save();
    painter.setFont(option.font);
    painter.setPen(
        option.palette.color(QPalette::Active, selected ? QPalette::HighlightedText : QPalette::WindowText));
    paintBody(selected);
    painter.restore();
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.backgroundColor =
            selected ? SelectionColour(IsNightPalette(option.palette)) : option.palette.color(QPalette::Base);
        const QWidget *w = option.widget;
        (w ? w->style() : QApplication::style())
            ->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, w);
    }
}

} // namespace

RowDelegate::RowDelegate(OwnerDrawList *list) : QStyledItemDelegate(list), list_(list) {}

void RowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                        const QModelIndex &index) const {
    const bool night = IsNightPalette(option.palette);
    PaintRowWithFocus(*painter, option, [&](bool selected) {
        const QVariant background = index.data(Qt::BackgroundRole);
        const QVariant lines = index.data(RowTextLinesRole);
        const QColor day = background.value<QColor>();
        PaintRowLines(*painter, option.rect,
                      selected ? SelectionColour(night)
                      : night  ? NightRowColour(day)
                               : day,
                      lines.isValid() ? lines.toStringList()
                                      : QStringList{index.data(Qt::DisplayRole).toString()},
                      list_->itemHeight);
        if (index.data(RowStarredRole).toBool())
            PaintRowStar(*painter, option.rect, list_->itemHeight, night);
    });
}

void PaintRowStar(QPainter &painter, const QRect &rect, int lineHeight, bool night) {
    // At the right of the row's first line, over the text's end should it run that far.
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.setPen(StarColour(night));
    const QRect firstLine(rect.left(), rect.top(), rect.width() - 4, qMin(lineHeight, rect.height()));
    painter.drawText(firstLine, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("★"));
    painter.restore();
}

QSize RowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const {
    const QVariant lines = index.data(RowLineCountRole);
    return QSize(option.rect.width() > 0 ? option.rect.width() : 1,
                 list_->itemHeight * (lines.isValid() ? lines.toInt() : 1));
}

QStringList SplitRowLines(const QString &text) {
    QStringList lines;
    const QString marker = QStringLiteral("<br>");
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(marker, from);
        if (at < 0) break;
        lines << text.mid(from, at - from);
        from = at + marker.size();
    }
    if (from < text.size() || lines.isEmpty()) lines << text.mid(from);
    return lines;
}

void PaintRowLines(QPainter &painter, const QRect &rect, const QColor &background, const QStringList &lines,
                   int lineHeight) {
    painter.fillRect(rect, background);
    // Lines beyond the row's height (a headword whose text holds more markers than lines) are cut off.
    painter.setClipRect(rect, Qt::IntersectClip);
    const QFontMetrics fm = painter.fontMetrics();
    for (int k = 0; k < lines.size(); ++k) {
        // The toolkit draws text with its top-left at the point: place the baseline one ascent below.
        const QRect lineRect(rect.left() + 2, rect.top() + k * lineHeight, rect.width() - 2, lineHeight);
        painter.drawText(QPoint(lineRect.left(), lineRect.top() + fm.ascent()), lines[k]);
    }
}
