#pragma once

#include <QObject>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;
class QStandardItem;

// Fetches one channel image, stores it as an icon in one data role of a
// sidebar item, then deletes itself. Uses a network access manager of its
// own: no site cookies, cache or credentials apply.
class ChannelIconDownloader : public QObject
{
    Q_OBJECT

public:
    ChannelIconDownloader(int role, const QString &url, QStandardItem *item,
                          QObject *parent = nullptr);
    ~ChannelIconDownloader() override;

public Q_SLOTS:
    void finishedSlot(QNetworkReply *reply);

private:
    QStandardItem *m_item;
    int m_role;
    QString m_url;
    QNetworkAccessManager *m_manager;
};
