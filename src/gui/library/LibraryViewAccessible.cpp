#include "gui/library/LibraryViewAccessible.h"

#include "gui/library/LibraryTileAccessible.h"
#include "gui/library/LibraryView.h"

namespace {

QAccessibleInterface *libraryViewFactory(const QString &className, QObject *object)
{
    if (className != QLatin1String("LibraryView"))
        return nullptr;
    auto *view = qobject_cast<LibraryView *>(object);
    return view ? new LibraryViewAccessible(view) : nullptr;
}

} // namespace

LibraryViewAccessible::LibraryViewAccessible(LibraryView *view) : ItemViewAccessible(view) {}

void LibraryViewAccessible::install()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(libraryViewFactory);
}

ItemAccessible *LibraryViewAccessible::makeItem(const QModelIndex &index) const
{
    return new LibraryTileAccessible(static_cast<LibraryView *>(itemView()), index);
}
