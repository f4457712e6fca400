#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

// A GENA subscriber's callback on 127.0.0.1: accepts NOTIFY requests,
// answers 200 and keeps each whole request (head and body).
class TvNotifyListener : public QTcpServer
{
public:
    TvNotifyListener();
    ~TvNotifyListener() override;
    QUrl callback() const;
    QList<QByteArray> messages;

private:
    void read(QTcpSocket *socket);

    QHash<QTcpSocket *, QByteArray> m_partial;
};
