#pragma once

#include <QList>
#include <QPair>
#include <QString>

// One service of a hosted device: its identity, its description text and the
// state variables sent to event subscribers.
struct UpnpService
{
    QString name; // path segment, e.g. "ContentDirectory"
    QString type;
    QString id;
    QString scpd;
    QList<QPair<QString, QString>> eventedVariables;
};
