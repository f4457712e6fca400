#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

class QUdpSocket;

#include <functional>

// A small blocking HTTP client over QNetworkAccessManager (the event loop
// keeps running while it waits, so the server may call back into this thread).
namespace TvTestHttp {

using Headers = QList<QPair<QByteArray, QByteArray>>;

struct Reply
{
    int status = 0;
    QByteArray body;
    QHash<QByteArray, QByteArray> headers; // lower-case names
    QByteArray header(const QByteArray &name) const { return headers.value(name.toLower()); }
};

Reply request(const QByteArray &verb, const QUrl &url, const Headers &headers = {},
              const QByteArray &body = {});

Reply soap(const QUrl &control, const QString &serviceType, const QString &action,
           const QList<QPair<QString, QString>> &arguments, const Headers &headers = {});

// Output arguments of a SOAP answer, or the UPnP error code of a fault (0 when none).
QHash<QString, QString> soapArguments(const QByteArray &envelope);
int upnpError(const QByteArray &envelope);

struct DidlEntry
{
    bool container = false;
    QString id;
    QString parentId;
    QString title;
    QString upnpClass;
    QStringList protocolInfos;
    QStringList urls;
    QString size;     // of the first resource
    QString duration; // of the first resource
};
QList<DidlEntry> parseDidl(const QString &didl, bool *ok = nullptr);

// Browse of a ContentDirectory control URL.
QList<DidlEntry> browse(const QUrl &control, const QString &objectId, const QString &flag,
                        int start = 0, int count = 0, const Headers &headers = {},
                        QHash<QString, QString> *arguments = nullptr);

extern const char *const contentDirectory;

// Collects what arrives on a socket: until `count` datagrams are there (a
// busy machine, or a server in another process, may send them late), then
// for `ms` more, so that any surplus is caught too.
QList<QByteArray> collectDatagrams(QUdpSocket &socket, int ms, int count = 0);
// The same, waiting until `enough` says so of what came.
QList<QByteArray> collectDatagrams(QUdpSocket &socket, int ms,
                                   const std::function<bool(const QList<QByteArray> &)> &enough);

} // namespace TvTestHttp
