#pragma once

#include "gui/mainwindow/ChannelEntry.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Reads the member's channel list (root "channels", nested "channel"
// elements). A channel without a name is skipped with its sub-channels, and
// so is one whose address is not a web address.
class ChannelList
{
public:
    static constexpr qint64 MaxBytes = 1024 * 1024;
    // Element levels a document may have: channels nest at most nine deep.
    static constexpr int MaxDepth = 32;

    // The channels of `xml`; empty with `error` set when the document is not
    // well-formed, too large or nested too deep.
    static QList<ChannelEntry> parse(const QByteArray &xml, QString *error = nullptr);

private:
    ChannelList() = delete;
};
