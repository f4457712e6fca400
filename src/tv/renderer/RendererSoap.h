#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

// SOAP as a control point speaks it: the call's envelope out, the
// renderer's answer (or its UPnP fault) in.
namespace RendererSoap {

// Answers larger than this are refused unread.
constexpr qsizetype MaxReplySize = 256 * 1024;

QByteArray request(const QString &serviceType, const QString &action,
                   const QList<QPair<QString, QString>> &arguments);

struct Reply
{
    bool ok = false;
    QHash<QString, QString> arguments;
    int errorCode = 0; // the UPnP error of a fault, 0 when not told
    QString errorDescription;
};

// Reads a "<action>Response" envelope, or a fault. A reply that is neither
// (malformed, another action, too large) comes back as not ok with code 0.
Reply parseReply(const QByteArray &body, const QString &action);

} // namespace RendererSoap
