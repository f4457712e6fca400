#pragma once

#include <QAbstractItemView>
#include <QPersistentModelIndex>

// A list of equal-height rows in one column, each as wide as the list. Where
// a row is follows from its number alone, so rows that come, change or go
// cost the same at ten rows as at a hundred thousand: the view never lays
// the rows out, it only moves its scroll range and draws the rows in sight.
// The height of a row is the delegate's size hint for the first row.
class TileListView : public QAbstractItemView
{
    Q_OBJECT

public:
    explicit TileListView(QWidget *parent = nullptr);

    void setModel(QAbstractItemModel *model) override;

    QRect visualRect(const QModelIndex &index) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint &point) const override;

    // The height of every row (0 while there are none).
    int rowHeight() const;
    // The rows at least partly in sight, as first and last (last < first
    // when none is).
    std::pair<int, int> visibleRows() const;

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex &index) const override;
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection &selection) const override;
    void updateGeometries() override;
    void paintEvent(QPaintEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(const QItemSelection &selected,
                          const QItemSelection &deselected) override;
    void reset() override;

protected Q_SLOTS:
    void rowsInserted(const QModelIndex &parent, int start, int end) override;

private:
    int rowCount() const;
    int rowWidth() const;
    // The width the rows ask for (the list scrolls sideways when narrower).
    int hintedWidth() const;
    void measureRows() const;
    void forgetRowSize();
    void onRowsRemoved();
    bool isOwnRow(const QModelIndex &index) const;
    // The row whose top is at `y` in the list's contents, clamped to the rows.
    int rowAtContentsY(qint64 y) const;
    void announce(int event, const QModelIndex &index);

    mutable QSize m_rowSize;
    QPersistentModelIndex m_hover;
};
