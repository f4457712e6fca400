#pragma once

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>

class LibraryTileAccessible;
class LibraryView;

// What a screen reader sees of the tile list: a list of tiles (rows, with
// the list's table interface for row counts and cells), each tile with its
// Play, Delete and More buttons as children. The framework's own list
// interface lists the rows only, so the buttons of a tile could be found
// with Tab but not by walking the tree.
class LibraryViewAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit LibraryViewAccessible(LibraryView *view);
    ~LibraryViewAccessible() override;

    // Makes every LibraryView use this interface (once per program).
    static void install();

    void *interface_cast(QAccessible::InterfaceType type) override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

    // QAccessibleTableInterface: one column, a row per tile.
    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface *> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int row) const override;
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override;
    int columnCount() const override { return 1; }
    int rowCount() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override;
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *event) override;

private:
    LibraryView *view() const;
    LibraryTileAccessible *tile(int row) const;
    void forgetTiles();

    // The tiles handed out, by row (registered with the framework's cache).
    mutable QHash<int, QAccessible::Id> m_tiles;
};
