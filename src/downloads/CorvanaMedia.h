#pragma once

#include <QString>
#include <QUrl>

// The media file a descriptor entry announces.
struct CorvanaMedia
{
    QUrl url;
    QString title;
    QUrl thumbnail;
    QString rating;
    QString fileType;
    qint64 size = 0;
};
