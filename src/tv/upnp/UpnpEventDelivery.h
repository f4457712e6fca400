#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>
#include <QUrl>

class QTcpSocket;

// One NOTIFY message on its way to a subscriber: tries its callback URLs in
// turn, each step (connecting, sending, the answer) bounded by the timeout.
// Runs on the event loop of its thread, so a callback that never answers
// holds up no other delivery.
class UpnpEventDelivery : public QObject
{
    Q_OBJECT

public:
    UpnpEventDelivery(const QString &sid, const QList<QUrl> &callbacks, quint32 sequence,
                      const QByteArray &body, int timeoutMs, QObject *parent = nullptr);
    ~UpnpEventDelivery() override;

    void start();

Q_SIGNALS:
    // Emitted once; the delivery may then be deleted.
    void finished(bool delivered);

private:
    void tryNext();
    void attemptFailed();
    void readAnswer();
    QByteArray request(const QUrl &url) const;

    QString m_sid;
    QList<QUrl> m_callbacks;
    quint32 m_sequence;
    QByteArray m_body;
    int m_timeoutMs;
    int m_next = 0;
    QTcpSocket *m_socket = nullptr;
    QTimer m_timer;
    bool m_done = false;
};
