#include "gui/downloads/DownloadViewAccessible.h"

#include "gui/downloads/DownloadRowAccessible.h"
#include "gui/downloads/DownloadView.h"

namespace {

// A card's transfer line changes several times a second; a screen reader
// hears of it once a second at most.
constexpr int kProgressNoticeMs = 1000;

} // namespace

DownloadViewAccessible::DownloadViewAccessible(DownloadView *view) : ItemViewAccessible(view)
{
    tellChanges(kProgressNoticeMs);
}

void DownloadViewAccessible::install()
{
    installFor<DownloadView, DownloadViewAccessible>();
}

ItemAccessible *DownloadViewAccessible::makeItem(const QModelIndex &index) const
{
    return new DownloadRowAccessible(static_cast<DownloadView *>(itemView()), index);
}
