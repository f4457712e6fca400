#include "gui/downloads/DownloadRowAccessible.h"

#include "gui/downloads/DownloadButtonAccessible.h"
#include "gui/downloads/DownloadView.h"

DownloadRowAccessible::DownloadRowAccessible(DownloadView *view, const QModelIndex &index)
    : ItemAccessible(view, index)
{
}

QString DownloadRowAccessible::name() const
{
    return index().data(Qt::AccessibleTextRole).toString();
}

QString DownloadRowAccessible::description() const
{
    return index().data(Qt::AccessibleDescriptionRole).toString();
}

QList<int> DownloadRowAccessible::buttons() const
{
    // The card's buttons change with its download (Pause becomes Resume).
    QList<int> shown;
    for (const DownloadCard::Action action :
         static_cast<DownloadView *>(itemView())->actions(index()))
        shown << int(action);
    return shown;
}

ItemButtonAccessible *DownloadRowAccessible::makeButton(int button) const
{
    return new DownloadButtonAccessible(static_cast<DownloadView *>(itemView()), index(),
                                        DownloadCard::Action(button));
}
