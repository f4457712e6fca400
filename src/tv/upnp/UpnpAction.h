#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>

// One SOAP action call and its answer.
struct UpnpActionRequest
{
    QString serviceType;
    QString name;
    QHash<QString, QString> arguments;
    int clientSignature = 0;
    bool bookmarks = false;
    QHostAddress peerAddress;
    QByteArray userAgent;
    QHostAddress localAddress;
    quint16 serverPort = 0;

    bool has(const QString &argument) const { return arguments.contains(argument); }
    QString value(const QString &argument) const { return arguments.value(argument); }
};

struct UpnpActionResponse
{
    QList<QPair<QString, QString>> arguments;
    // Arguments given as XML content already (escaped, UTF-8), by name; their
    // entry in `arguments` holds no text.
    QHash<QString, QByteArray> escaped;
    int errorCode = 0;
    QString errorDescription;

    void add(const QString &name, const QString &value) { arguments.append({name, value}); }
    void addEscaped(const QString &name, const QByteArray &xml)
    {
        arguments.append({name, QString()});
        escaped.insert(name, xml);
    }
    void fail(int code, const QString &description)
    {
        errorCode = code;
        errorDescription = description;
    }
};

namespace UpnpError {
constexpr int InvalidAction = 401;
constexpr int InvalidArgs = 402;
constexpr int ActionFailed = 501;
constexpr int NoSuchObject = 701;
constexpr int UnsupportedSearchCriteria = 708;
constexpr int NoSuchContainer = 710;
} // namespace UpnpError
