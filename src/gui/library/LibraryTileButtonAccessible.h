#pragma once

#include "gui/common/ItemButtonAccessible.h"
#include "gui/library/CorvLibraryItemWidget.h"

class LibraryView;

// A button of a tile (Play, Delete, More) for screen readers. The tiles are
// pictures but for the selected one, so pressing it selects its tile first
// and then clicks the live tile's own button.
class LibraryTileButtonAccessible : public ItemButtonAccessible
{
public:
    LibraryTileButtonAccessible(LibraryView *view, const QModelIndex &index,
                                CorvLibraryItemWidget::Button which);

    CorvLibraryItemWidget::Button which() const { return m_which; }

    QString text(QAccessible::Text t) const override;

protected:
    QRect buttonRect() const override;
    bool hasKeyboardFocus() const override;
    std::function<void(const QModelIndex &)> pressed() const override;

private:
    LibraryView *view() const;
    // The button of the tile's row widget (nullptr while it has none).
    QPushButton *button() const;

    CorvLibraryItemWidget::Button m_which;
};
