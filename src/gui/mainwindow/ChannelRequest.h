#pragma once

#include "gui/mainwindow/ChannelEntry.h"

#include <QList>
#include <QNetworkRequest>
#include <QObject>
#include <QPointer>

class QNetworkAccessManager;
class QNetworkReply;

// Asks the channel server for the signed-in member's channel list. A new
// request drops the one still running.
class ChannelRequest : public QObject
{
    Q_OBJECT

public:
    explicit ChannelRequest(QNetworkAccessManager *manager, QObject *parent = nullptr);

    void send(const QString &userName, const QString &password);
    // The request as sent: "/sidebar.php" on the channel server with the
    // member's name and the SHA-1 of the password, repeated in "Authorization".
    static QNetworkRequest requestFor(const QString &userName, const QString &password);

Q_SIGNALS:
    // The list arrived and was read (possibly empty).
    void channelsArrived(const QList<ChannelEntry> &channels);
    void failed(const QString &reason);

private:
    void finished();

    QNetworkAccessManager *m_manager;
    QPointer<QNetworkReply> m_reply;
    int m_id = 0;
};
