#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

// The "LastChange" state variable of AVTransport and RenderingControl
// events: an escaped XML document of the changed variables per instance.
// Only instance 0 is read (the one a control point without
// PrepareForConnection uses).
namespace LastChange {

constexpr qsizetype MaxSize = 64 * 1024;
constexpr int MaxVariables = 128;

// Variable name -> value ("val" attribute), e.g. "TransportState" ->
// "PLAYING". Volume is kept per channel as "Volume" for Master and
// "Volume/<channel>" for the others. False for a malformed or too large
// document, a document type, or too many variables.
bool parse(const QByteArray &xml, QHash<QString, QString> *variables);

// The LastChange value out of a GENA propertyset (the event body).
bool valueOfPropertySet(const QByteArray &body, QByteArray *lastChange);

} // namespace LastChange
