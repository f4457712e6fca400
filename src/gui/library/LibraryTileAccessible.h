#pragma once

#include "gui/common/ItemAccessible.h"

class LibraryView;

// One tile of the tile list for screen readers: named after its video,
// described by what its picture shows ("File missing", how much was
// watched), with the tile's Play, Delete and More buttons as children.
class LibraryTileAccessible : public ItemAccessible
{
public:
    LibraryTileAccessible(LibraryView *view, const QModelIndex &index);

protected:
    QString name() const override;
    QString description() const override;
    QList<int> buttons() const override;
    ItemButtonAccessible *makeButton(int button) const override;
};
