#pragma once

#include <QAbstractProxyModel>
#include <QList>
#include <QMetaObject>
#include <QPersistentModelIndex>

#include <vector>

// A proxy over a flat table that shows the source rows a subclass accepts, in
// the source's order or in one the subclass defines.
//
// It keeps the shown source rows in a list (and each source row's place in
// it), so a row the source inserts, removes or changes costs a binary search
// and one shift of the two lists, and reaches views as one insertion, removal,
// move or change of that row. A new rule (filter or order) is one new layout.
class RowMapProxyModel : public QAbstractProxyModel
{
    Q_OBJECT

public:
    explicit RowMapProxyModel(QObject *parent = nullptr);

    void setSourceModel(QAbstractItemModel *model) override;

    QModelIndex index(int row, int column,
                      const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    QModelIndex sibling(int row, int column, const QModelIndex &index) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    QModelIndex mapToSource(const QModelIndex &proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex &sourceIndex) const override;

protected:
    // Whether a source row is shown (all by default).
    virtual bool acceptsSourceRow(int sourceRow) const;
    // Whether rows are shown in an order of their own rather than the source's.
    virtual bool isOrdered() const { return false; }
    // In an order of its own: whether source row `a` comes before `b`.
    virtual bool lessThan(int sourceRowA, int sourceRowB) const;
    // Told before the rows are judged again: the source's rows first..last
    // were inserted, changed, or removed (before the shift of later rows).
    virtual void sourceRowsInserted(int first, int last);
    virtual void sourceRowsChanged(int first, int last);
    virtual void sourceRowsRemoved(int first, int last);
    // The source's rows are all new (reset, new layout, moved rows).
    virtual void sourceRowsRenewed();

    // Judges every row again after the rules changed: one new layout, the
    // rows still shown kept by persistent indexes (selections, the current row).
    void remap();

private:
    void connectSource(QAbstractItemModel *model);
    // Every row judged and ordered from scratch.
    void rebuild();
    // m_proxyRowOf for the shown rows from `from` on.
    void renumber(int from);
    // Where a source row goes among the shown ones.
    int placeOf(int sourceRow) const;
    // Source row `a` before `b` in the shown order (ties by source row).
    bool before(int a, int b) const;
    void insertShown(int place, const std::vector<int> &sourceRows);
    void removeShown(int first, int last);
    // A changed row's new place in an order of its own.
    void moveIfOutOfPlace(int proxyRow);

    void onRowsInserted(const QModelIndex &parent, int first, int last);
    void onRowsAboutToBeRemoved(const QModelIndex &parent, int first, int last);
    void onRowsRemoved(const QModelIndex &parent, int first, int last);
    void onDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                       const QList<int> &roles);
    // A new layout: the persistent indexes' sources kept before, and put
    // back after the rows were judged again.
    void onLayoutAboutToBeChanged();
    void onLayoutChanged();
    void finishRelayout();

    // Source rows shown, in the shown order.
    std::vector<int> m_shown;
    // Per source row, its row here (-1 when not shown).
    std::vector<int> m_proxyRowOf;
    // Across a new layout: the persistent indexes here and their source.
    QModelIndexList m_layoutFrom;
    QList<QPersistentModelIndex> m_layoutSources;
    QList<QMetaObject::Connection> m_connections;
};
