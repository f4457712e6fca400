#pragma once

#include <QTcpSocket>

// A port of 127.0.0.1 where a connection is refused, kept for the test while
// this object lives: the port is bound without listening, so no other process
// is handed it meanwhile (a port merely found free and let go can be taken by
// a test running beside this one), and a server of the test may still listen
// on it later.
class RefusedPort
{
public:
    RefusedPort();

    // 0 when no port could be bound.
    quint16 port() const { return m_socket.localPort(); }
    QUrl url(const QString &pathAndQuery = QString()) const;

private:
    QTcpSocket m_socket;
};
