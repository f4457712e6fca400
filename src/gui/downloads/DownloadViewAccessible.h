#pragma once

#include "gui/common/ItemViewAccessible.h"

class DownloadView;

// What a screen reader sees of the downloads list: a list of cards, each
// named after its video, described by its status, transfer line and
// failure, with its buttons as children that a screen reader can press. The
// cards are painted, so without this there would be nothing below the list.
class DownloadViewAccessible : public ItemViewAccessible
{
public:
    explicit DownloadViewAccessible(DownloadView *view);

    // Makes every DownloadView use this interface (once per program).
    static void install();

protected:
    ItemAccessible *makeItem(const QModelIndex &index) const override;
};
