#include "gui/web/BridgeScripts.h"

#include "core/Logging.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMetaMethod>

namespace {

QStringList methodNames(const QMetaObject &bridge, QMetaMethod::MethodType type)
{
    QStringList names;
    for (int i = bridge.methodOffset(); i < bridge.methodCount(); ++i) {
        const QMetaMethod method = bridge.method(i);
        if (method.methodType() != type || method.access() != QMetaMethod::Public)
            continue;
        const QString name = QString::fromLatin1(method.name());
        if (!names.contains(name))
            names << name;
    }
    return names;
}

QString json(const QStringList &list)
{
    return QString::fromUtf8(
        QJsonDocument(QJsonArray::fromStringList(list)).toJson(QJsonDocument::Compact));
}

QString channelLibrary()
{
    QFile file(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcGui) << "BridgeScripts: qwebchannel.js not found";
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

// Runs isolated from the page: holds the transport, checks the origin, and
// forwards "zelta-call" events to the bridge and its signals back as
// "zelta-signal" events. Only names the bridge declares are called.
const char *const kChannelGlue = R"JS(
(function () {
  var origins = %1, slots = %2, signals = %3;
  if (origins.indexOf(location.origin) < 0 || typeof qt === 'undefined' || !qt.webChannelTransport)
    return;
  %4
  var bridge = null, pending = [];
  function invoke(call) {
    if (slots.indexOf(call.m) < 0 || !Array.isArray(call.a)) return;
    var args = call.a.map(function (v) { return v === undefined || v === null ? '' : String(v); });
    var byCount = call.m + '(' + args.map(function () { return 'QString'; }).join(',') + ')';
    var fn = typeof bridge[byCount] === 'function' ? bridge[byCount] : bridge[call.m];
    if (typeof fn === 'function') fn.apply(bridge, args);
  }
  document.addEventListener('zelta-call', function (event) {
    var call;
    try { call = JSON.parse(String(event.detail)); } catch (e) { return; }
    if (!call || typeof call.m !== 'string') return;
    if (bridge) invoke(call); else pending.push(call);
  });
  new QWebChannel(qt.webChannelTransport, function (channel) {
    bridge = channel.objects.zelta;
    signals.forEach(function (name) {
      bridge[name].connect(function () {
        var detail = JSON.stringify({ s: name, a: Array.prototype.slice.call(arguments) });
        document.dispatchEvent(new CustomEvent('zelta-signal', { detail: detail }));
      });
    });
    pending.splice(0).forEach(invoke);
  });
})();
)JS";

// Runs in the page's world: the "zelta" object the site's scripts use.
const char *const kPageGlue = R"JS(
(function () {
  var origins = %1, slots = %2, signals = %3;
  if (origins.indexOf(location.origin) < 0) return;
  var zelta = {}, handlers = {};
  slots.forEach(function (name) {
    zelta[name] = function () {
      var detail = JSON.stringify({ m: name, a: Array.prototype.slice.call(arguments) });
      document.dispatchEvent(new CustomEvent('zelta-call', { detail: detail }));
    };
  });
  signals.forEach(function (name) {
    handlers[name] = [];
    zelta[name] = {
      connect: function (fn) { if (typeof fn === 'function') handlers[name].push(fn); },
      disconnect: function (fn) {
        var i = handlers[name].indexOf(fn);
        if (i >= 0) handlers[name].splice(i, 1);
      }
    };
  });
  document.addEventListener('zelta-signal', function (event) {
    var signal;
    try { signal = JSON.parse(String(event.detail)); } catch (e) { return; }
    (handlers[signal.s] || []).slice().forEach(function (fn) { fn.apply(null, signal.a || []); });
  });
  window.zelta = zelta;
})();
)JS";

QWebEngineScript makeScript(const QString &name, const QString &source, quint32 world)
{
    QWebEngineScript script;
    script.setName(name);
    script.setSourceCode(source);
    script.setWorldId(world);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setRunsOnSubFrames(false);
    return script;
}

} // namespace

QStringList BridgeScripts::signalNames(const QMetaObject &bridge)
{
    return methodNames(bridge, QMetaMethod::Signal);
}

QStringList BridgeScripts::slotNames(const QMetaObject &bridge)
{
    return methodNames(bridge, QMetaMethod::Slot);
}

QList<QWebEngineScript> BridgeScripts::scripts(const QMetaObject &bridge,
                                               const QStringList &origins)
{
    const QString originList = json(origins);
    const QString slotList = json(slotNames(bridge));
    const QString signalList = json(signalNames(bridge));
    const QString channel = QString::fromLatin1(kChannelGlue)
                                .arg(originList, slotList, signalList, channelLibrary());
    const QString page = QString::fromLatin1(kPageGlue).arg(originList, slotList, signalList);
    return {makeScript(QStringLiteral("zelta-channel"), channel, ChannelWorld),
            makeScript(QStringLiteral("zelta-page"), page, QWebEngineScript::MainWorld)};
}
