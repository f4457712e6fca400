#pragma once

#include "tv/renderer/RendererDescription.h"
#include "tv/renderer/SinkProtocols.h"

#include <QHostAddress>
#include <QMetaType>
#include <QUrl>

// One renderer found on the network, as a value.
struct RendererInfo
{
    QString id; // the UDN without "uuid:"
    QString name;
    QHostAddress address; // where it announced itself from
    QUrl location;        // its description
    RendererDescription description;
    SinkProtocols sinks;

    bool isValid() const { return !id.isEmpty(); }
};

Q_DECLARE_METATYPE(RendererInfo)
