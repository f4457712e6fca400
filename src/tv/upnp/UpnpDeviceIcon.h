#pragma once

#include <QByteArray>
#include <QString>

// One entry of the description's icon list, with the bytes served at its path.
struct UpnpDeviceIcon
{
    QString mimeType;
    int width = 0;
    int height = 0;
    int depth = 24;
    QString urlPath;
    QByteArray data;
};
