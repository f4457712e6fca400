#pragma once

#include "gui/common/ItemViewAccessible.h"

class LibraryView;

// What a screen reader sees of the tile list: a list of tiles, each with its
// Play, Delete and More buttons as children.
class LibraryViewAccessible : public ItemViewAccessible
{
public:
    explicit LibraryViewAccessible(LibraryView *view);

    // Makes every LibraryView use this interface (once per program).
    static void install();

protected:
    ItemAccessible *makeItem(const QModelIndex &index) const override;
};
