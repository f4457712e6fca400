#pragma once

#include <QAccessible>
#include <QList>
#include <QPersistentModelIndex>
#include <QPointer>

class LibraryView;

// One tile of the tile list for screen readers: a list item named after
// its video, described by what its picture shows ("File missing", how much
// was watched), with the tile's buttons as children.
class LibraryTileAccessible : public QAccessibleInterface,
                              public QAccessibleTableCellInterface,
                              public QAccessibleActionInterface
{
public:
    LibraryTileAccessible(LibraryView *view, const QModelIndex &index);
    ~LibraryTileAccessible() override;

    LibraryView *view() const { return m_view; }
    QModelIndex index() const { return m_index; }

    void *interface_cast(QAccessible::InterfaceType type) override;
    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override;

    // QAccessibleTableCellInterface
    bool isSelected() const override;
    int columnExtent() const override { return 1; }
    QList<QAccessibleInterface *> columnHeaderCells() const override { return {}; }
    int columnIndex() const override { return 0; }
    int rowExtent() const override { return 1; }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int rowIndex() const override { return m_index.row(); }
    QAccessibleInterface *table() const override { return parent(); }

    // QAccessibleActionInterface: giving a tile the focus selects it.
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QPointer<LibraryView> m_view;
    QPersistentModelIndex m_index;
    // The buttons handed out (registered with the framework's cache).
    mutable QList<QAccessible::Id> m_buttons;
};
