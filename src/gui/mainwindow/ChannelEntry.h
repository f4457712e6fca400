#pragma once

#include <QList>
#include <QString>

// One channel of the member's channel list, with its sub-channels.
struct ChannelEntry
{
    QString name;
    QString url;
    QString image;
    QString imageSelected;
    QString search;
    QString searchDisabled;
    QString searchText;
    bool expand = false;
    QList<ChannelEntry> children;
};
