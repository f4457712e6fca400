#pragma once

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>

class DownloadRowAccessible;
class DownloadView;

// What a screen reader sees of the downloads list: a list of cards (with
// the list's table interface for row counts and selection), each card named
// after its video, described by its status, transfer line and failure, with
// its buttons as children that a screen reader can press. The cards are
// painted, so without this there would be nothing below the list.
class DownloadViewAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit DownloadViewAccessible(DownloadView *view);
    ~DownloadViewAccessible() override;

    // Makes every DownloadView use this interface (once per program).
    static void install();

    void *interface_cast(QAccessible::InterfaceType type) override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

    // QAccessibleTableInterface: one column, a row per card.
    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override;
    int selectedCellCount() const override { return selectedRowCount(); }
    QList<QAccessibleInterface *> selectedCells() const override;
    QString columnDescription(int) const override { return QString(); }
    QString rowDescription(int row) const override;
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return int(selectedRows().size()); }
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
    DownloadView *view() const;
    DownloadRowAccessible *row(int row) const;
    void forgetRows();

    // The cards handed out, by row (registered with the framework's cache).
    mutable QHash<int, QAccessible::Id> m_rows;
};
