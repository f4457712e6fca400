#pragma once

#include "gui/common/ItemAccessible.h"

class DownloadView;

// One card of the downloads list for screen readers: named after its video
// and described by its status, transfer line and failure, with the buttons
// the card shows now as children.
class DownloadRowAccessible : public ItemAccessible
{
public:
    DownloadRowAccessible(DownloadView *view, const QModelIndex &index);

protected:
    QString name() const override;
    QString description() const override;
    QList<int> buttons() const override;
    ItemButtonAccessible *makeButton(int button) const override;
};
