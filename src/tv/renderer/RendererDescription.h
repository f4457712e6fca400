#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// What a MediaRenderer's device description tells a control point: its
// identity and where its three services are controlled. Read from untrusted
// bytes: limited in size and depth, no document type (so no entities), and
// every address must lie on the host the description came from.
struct RendererDescription
{
    struct Service
    {
        QString type; // the full service type, e.g. "...:AVTransport:1"
        QUrl controlUrl;
        QUrl eventUrl;
        bool isValid() const { return controlUrl.isValid() && !controlUrl.isEmpty(); }
    };

    QString udn; // "uuid:..."
    QString friendlyName;
    QString deviceType;
    QString manufacturer;
    QString modelName;
    Service avTransport;
    Service renderingControl;
    Service connectionManager;

    // Larger descriptions are refused unread.
    static constexpr qsizetype MaxSize = 64 * 1024;

    // False when `xml` holds no MediaRenderer device with an AVTransport
    // service; `location` is where it was fetched (relative addresses are
    // resolved against it, and addresses on other hosts are dropped).
    static bool parse(const QByteArray &xml, const QUrl &location, RendererDescription *out);
};
