#include "gui/library/TileListView.h"

#include <QAccessible>
#include <QHoverEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <limits>

TileListView::TileListView(QWidget *parent) : QAbstractItemView(parent)
{
    setSelectionMode(SingleSelection);
    setVerticalScrollMode(ScrollPerPixel);
    setHorizontalScrollMode(ScrollPerPixel);
    // The row under a resting mouse changes when the list scrolls under it.
    connect(this, &QAbstractItemView::entered, this,
            [this](const QModelIndex &index) { m_hover = index; });
    connect(this, &QAbstractItemView::viewportEntered, this, [this] { m_hover = QModelIndex(); });
}

void TileListView::setModel(QAbstractItemModel *model)
{
    if (QAbstractItemModel *old = this->model())
        disconnect(old, nullptr, this, nullptr);
    forgetRowSize();
    QAbstractItemView::setModel(model);
    if (!model)
        return;
    // The base view hears of removals before they happen; the scroll range
    // follows once the rows are gone.
    connect(model, &QAbstractItemModel::rowsRemoved, this, &TileListView::onRowsRemoved);
    connect(model, &QAbstractItemModel::layoutChanged, this, &TileListView::forgetRowSize);
}

int TileListView::rowCount() const
{
    return model() ? model()->rowCount(rootIndex()) : 0;
}

void TileListView::measureRows() const
{
    if (m_rowSize.isValid() || rowCount() == 0 || !itemDelegate())
        return;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QModelIndex first = model()->index(0, 0, rootIndex());
    m_rowSize = itemDelegateForIndex(first)->sizeHint(option, first);
    if (m_rowSize.height() <= 0)
        m_rowSize = QSize();
}

void TileListView::forgetRowSize()
{
    m_rowSize = QSize();
}

int TileListView::rowHeight() const
{
    measureRows();
    return m_rowSize.isValid() ? m_rowSize.height() : 0;
}

int TileListView::hintedWidth() const
{
    measureRows();
    return m_rowSize.isValid() ? m_rowSize.width() : 0;
}

int TileListView::rowWidth() const
{
    return std::max(hintedWidth(), viewport()->width());
}

bool TileListView::isOwnRow(const QModelIndex &index) const
{
    return index.isValid() && index.model() == model() && index.parent() == rootIndex() &&
           index.column() == 0;
}

QRect TileListView::visualRect(const QModelIndex &index) const
{
    const int height = rowHeight();
    if (!isOwnRow(index) || height == 0)
        return QRect();
    const qint64 top = qint64(index.row()) * height - verticalOffset();
    if (top > std::numeric_limits<int>::max() || top < std::numeric_limits<int>::min())
        return QRect();
    return QRect(-horizontalOffset(), int(top), rowWidth(), height);
}

int TileListView::rowAtContentsY(qint64 y) const
{
    const int height = rowHeight();
    if (height == 0)
        return -1;
    return int(std::clamp<qint64>(y / height, 0, rowCount() - 1));
}

QModelIndex TileListView::indexAt(const QPoint &point) const
{
    const int height = rowHeight();
    if (height == 0)
        return QModelIndex();
    const int x = point.x() + horizontalOffset();
    const qint64 y = qint64(point.y()) + verticalOffset();
    if (x < 0 || x >= rowWidth() || y < 0 || y >= qint64(rowCount()) * height)
        return QModelIndex();
    return model()->index(int(y / height), 0, rootIndex());
}

std::pair<int, int> TileListView::visibleRows() const
{
    const int height = rowHeight();
    if (height == 0)
        return {0, -1};
    const qint64 top = verticalOffset();
    const qint64 bottom = top + viewport()->height() - 1;
    if (top >= qint64(rowCount()) * height)
        return {0, -1};
    return {rowAtContentsY(top), rowAtContentsY(bottom)};
}

void TileListView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    const QRect rect = visualRect(index);
    if (!rect.isValid())
        return;
    const QRect area = viewport()->rect();
    if (hint == EnsureVisible && area.contains(rect)) {
        viewport()->update(rect);
        return;
    }
    const bool above = hint == EnsureVisible && rect.top() < area.top();
    const bool below = hint == EnsureVisible && rect.bottom() > area.bottom();
    int value = verticalScrollBar()->value();
    if (hint == PositionAtTop || above)
        value += rect.top();
    else if (hint == PositionAtBottom || below)
        value += std::min(rect.top(), rect.bottom() - area.height() + 1);
    else if (hint == PositionAtCenter)
        value += rect.top() - (area.height() - rect.height()) / 2;
    verticalScrollBar()->setValue(value);
}

QModelIndex TileListView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers)
{
    const int count = rowCount();
    if (count == 0)
        return QModelIndex();
    const QModelIndex current = currentIndex();
    if (!isOwnRow(current))
        return model()->index(0, 0, rootIndex());
    const int row = current.row();
    const int height = rowHeight();
    // Rows that fit in the list at once (a page moves by one less, so the
    // row the cursor leaves stays in sight).
    const int perPage = std::max(height > 0 ? viewport()->height() / height : 0, 2);
    int next = row;
    switch (cursorAction) {
    case MoveUp:
    case MovePrevious:
        next = row - 1;
        break;
    case MoveDown:
    case MoveNext:
        next = row + 1;
        break;
    case MovePageUp:
        next = row + 1 - perPage;
        break;
    case MovePageDown:
        next = row - 1 + perPage;
        break;
    case MoveHome:
        next = 0;
        break;
    case MoveEnd:
        next = count - 1;
        break;
    case MoveLeft:
    case MoveRight:
        break;
    }
    if (cursorAction == MoveUp || cursorAction == MovePrevious || cursorAction == MoveDown ||
        cursorAction == MoveNext) {
        if (next < 0 || next >= count)
            return current;
    }
    return model()->index(std::clamp(next, 0, count - 1), 0, rootIndex());
}

int TileListView::horizontalOffset() const
{
    return horizontalScrollBar()->value();
}

int TileListView::verticalOffset() const
{
    return verticalScrollBar()->value();
}

bool TileListView::isIndexHidden(const QModelIndex &) const
{
    return false;
}

void TileListView::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command)
{
    const int height = rowHeight();
    if (!selectionModel() || height == 0)
        return;
    const QRect area = rect.normalized();
    const qint64 top = qint64(area.top()) + verticalOffset();
    const qint64 bottom = qint64(area.bottom()) + verticalOffset();
    const int right = rowWidth() - horizontalOffset();
    if (bottom < 0 || top >= qint64(rowCount()) * height || area.right() < -horizontalOffset() ||
        area.left() >= right) {
        selectionModel()->select(QItemSelection(), command);
        return;
    }
    const QModelIndex first = model()->index(rowAtContentsY(top), 0, rootIndex());
    const QModelIndex last = model()->index(rowAtContentsY(bottom), 0, rootIndex());
    selectionModel()->select(QItemSelection(first, last), command);
}

QRegion TileListView::visualRegionForSelection(const QItemSelection &selection) const
{
    QRegion region;
    const QRect area = viewport()->rect();
    for (const QItemSelectionRange &range : selection) {
        if (!range.isValid() || range.parent() != rootIndex() || range.left() > 0)
            continue;
        const QRect first = visualRect(range.topLeft());
        const QRect last = visualRect(model()->index(range.bottom(), 0, rootIndex()));
        region += first.united(last).intersected(area);
    }
    return region;
}

void TileListView::updateGeometries()
{
    const int height = rowHeight();
    const qint64 contents = qint64(rowCount()) * height;
    const qint64 room = contents - viewport()->height();
    verticalScrollBar()->setSingleStep(std::max(height, 1));
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setRange(
        0, int(std::clamp<qint64>(room, 0, std::numeric_limits<int>::max())));
    horizontalScrollBar()->setSingleStep(std::max(height, 1));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, std::max(0, hintedWidth() - viewport()->width()));
    QAbstractItemView::updateGeometries();
}

void TileListView::rowsInserted(const QModelIndex &parent, int start, int end)
{
    QAbstractItemView::rowsInserted(parent, start, end);
    if (parent != rootIndex())
        return;
    updateGeometries();
    // Rows below the ones in sight move nothing that shows.
    const auto [first, last] = visibleRows();
    if (start <= last + 1 || last < first)
        viewport()->update();
}

void TileListView::onRowsRemoved()
{
    if (rowCount() == 0)
        forgetRowSize();
    updateGeometries();
    viewport()->update();
}

void TileListView::reset()
{
    forgetRowSize();
    QAbstractItemView::reset();
    // On screen, the scroll bar comes (or goes) before the new rows are
    // first drawn, not after: drawn at the width without it, every tile in
    // sight would be drawn again at once. A hidden list has no final size
    // yet; its delayed layout sets the scroll bar.
    if (isVisible())
        updateGeometries();
}

void TileListView::scrollContentsBy(int dx, int dy)
{
    // The live widgets on the rows (children of the viewport) move along.
    viewport()->scroll(isRightToLeft() ? -dx : dx, dy);
}

bool TileListView::viewportEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
        m_hover = indexAt(static_cast<QHoverEvent *>(event)->position().toPoint());
        break;
    case QEvent::HoverLeave:
    case QEvent::Leave:
        m_hover = QModelIndex();
        break;
    default:
        break;
    }
    return QAbstractItemView::viewportEvent(event);
}

void TileListView::paintEvent(QPaintEvent *event)
{
    const int height = rowHeight();
    if (!itemDelegate() || height == 0)
        return;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QStyle::State state = option.state;
    const bool enabled = state.testFlag(QStyle::State_Enabled);
    const QModelIndex current = currentIndex();
    const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    const QItemSelectionModel *selection = selectionModel();
    const QRect dirty = event->rect();
    const qint64 top = qint64(dirty.top()) + verticalOffset();
    const qint64 bottom = qint64(dirty.bottom()) + verticalOffset();
    if (top >= qint64(rowCount()) * height || bottom < 0)
        return;
    const int first = rowAtContentsY(top);
    const int last = rowAtContentsY(bottom);
    QPainter painter(viewport());
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = model()->index(row, 0, rootIndex());
        option.rect = visualRect(index);
        option.state = state;
        if (selection && selection->isSelected(index))
            option.state |= QStyle::State_Selected;
        if (enabled) {
            const bool rowEnabled = model()->flags(index).testFlag(Qt::ItemIsEnabled);
            option.state.setFlag(QStyle::State_Enabled, rowEnabled);
            option.palette.setCurrentColorGroup(rowEnabled ? QPalette::Normal : QPalette::Disabled);
        }
        if (focus && current == index) {
            option.state |= QStyle::State_HasFocus;
            if (this->state() == EditingState)
                option.state |= QStyle::State_Editing;
        }
        option.state.setFlag(QStyle::State_MouseOver, index == m_hover);
        itemDelegateForIndex(index)->paint(&painter, option, index);
    }
}

void TileListView::announce(int event, const QModelIndex &index)
{
#if QT_CONFIG(accessibility)
    if (!QAccessible::isActive() || !isOwnRow(index))
        return;
    QAccessibleEvent change(this, QAccessible::Event(event));
    change.setChild(index.row());
    QAccessible::updateAccessibility(&change);
#else
    Q_UNUSED(event);
    Q_UNUSED(index);
#endif
}

void TileListView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    // Screen readers follow the cursor from row to row.
    if (hasFocus())
        announce(QAccessible::Focus, current);
    QAbstractItemView::currentChanged(current, previous);
}

void TileListView::selectionChanged(const QItemSelection &selected,
                                    const QItemSelection &deselected)
{
    announce(QAccessible::SelectionAdd, selected.indexes().value(0));
    announce(QAccessible::SelectionRemove, deselected.indexes().value(0));
    QAbstractItemView::selectionChanged(selected, deselected);
}
