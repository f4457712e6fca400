#pragma once

#include "gui/library/CorvLibraryItemWidget.h"

#include <QAccessible>
#include <QPersistentModelIndex>
#include <QPointer>

class LibraryView;

// A button of a tile (Play, Delete, More) for screen readers. The tiles are
// pictures but for the selected one, so pressing it selects its tile first
// and then clicks the live tile's own button.
class LibraryTileButtonAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    LibraryTileButtonAccessible(LibraryView *view, const QModelIndex &index,
                                CorvLibraryItemWidget::Button which);

    void *interface_cast(QAccessible::InterfaceType type) override;
    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override;

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

    CorvLibraryItemWidget::Button which() const { return m_which; }

private:
    // The button of the tile's row widget (nullptr while it has none).
    QPushButton *button() const;

    QPointer<LibraryView> m_view;
    QPersistentModelIndex m_index;
    CorvLibraryItemWidget::Button m_which;
};
