#include "gui/library/LibraryViewAccessible.h"

#include "gui/library/LibraryTileAccessible.h"
#include "gui/library/LibraryView.h"

LibraryViewAccessible::LibraryViewAccessible(LibraryView *view) : ItemViewAccessible(view) {}

void LibraryViewAccessible::install()
{
    installFor<LibraryView, LibraryViewAccessible>();
}

ItemAccessible *LibraryViewAccessible::makeItem(const QModelIndex &index) const
{
    return new LibraryTileAccessible(static_cast<LibraryView *>(itemView()), index);
}
