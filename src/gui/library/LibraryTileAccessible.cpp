#include "gui/library/LibraryTileAccessible.h"

#include "gui/library/CorvLibraryItemWidget.h"
#include "gui/library/LibraryTileButtonAccessible.h"
#include "gui/library/LibraryView.h"
#include "library/LibraryItem.h"

LibraryTileAccessible::LibraryTileAccessible(LibraryView *view, const QModelIndex &index)
    : ItemAccessible(view, index)
{
}

QString LibraryTileAccessible::name() const
{
    return index().data().value<LibraryItem>().title();
}

QString LibraryTileAccessible::description() const
{
    return CorvLibraryItemWidget::describe(index());
}

QList<int> LibraryTileAccessible::buttons() const
{
    // Every tile has them all (Delete and More are drawn on the selected one).
    QList<int> all;
    for (int button = 0; button < CorvLibraryItemWidget::ButtonCount; ++button)
        all << button;
    return all;
}

ItemButtonAccessible *LibraryTileAccessible::makeButton(int button) const
{
    return new LibraryTileButtonAccessible(static_cast<LibraryView *>(itemView()), index(),
                                           CorvLibraryItemWidget::Button(button));
}
