#pragma once

#include <QList>
#include <QStringList>
#include <QWebEngineScript>

struct QMetaObject;

// The two scripts that give the site's pages the "zelta" object. The channel
// transport lives only in an isolated script world, where a glue script
// checks the document's origin and forwards calls and signals; the page's
// own world gets a plain "zelta" object that talks to it through DOM events.
// A page of any other origin gets neither.
class BridgeScripts
{
public:
    // The world the web channel is installed in.
    static constexpr quint32 ChannelWorld = QWebEngineScript::ApplicationWorld;

    static QList<QWebEngineScript> scripts(const QMetaObject &bridge, const QStringList &origins);

    // The bridge's own signals and public slots, by name (no QObject members).
    static QStringList signalNames(const QMetaObject &bridge);
    static QStringList slotNames(const QMetaObject &bridge);

private:
    BridgeScripts() = delete;
};
