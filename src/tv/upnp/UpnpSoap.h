#pragma once

#include "tv/upnp/UpnpAction.h"

#include <QByteArray>

// SOAP envelopes of UPnP control: reading a call, writing an answer or a fault.
namespace UpnpSoap {

// Splits a "SOAPAction" header into service type and action name.
bool parseSoapAction(const QByteArray &header, QString *serviceType, QString *action);

// Reads the arguments of `action` from the envelope's body; false when the
// document is not a well-formed envelope holding that action.
bool parseArguments(const QByteArray &envelope, const QString &action,
                    QHash<QString, QString> *arguments);

QByteArray response(const QString &serviceType, const QString &action,
                    const UpnpActionResponse &answer);
QByteArray fault(int errorCode, const QString &description);

// Text for XML content or attributes: markup characters escaped, and what
// XML cannot carry at all (control characters, unpaired surrogates, U+FFFE
// and U+FFFF) dropped, or the whole answer would be unreadable.
QString escape(const QString &text);
void appendEscaped(QString &xml, const QString &text);
// Without `quotes`, double quotes stay as they are (element content needs
// no escaping of them).
void appendEscaped(QString &xml, const QString &text, bool quotes);
// The same as XML bytes, ready for the envelope.
QByteArray escapedUtf8(const QString &text);
// For element content only: quotes unescaped (a DIDL-Lite document as the
// text of an argument is mostly attributes, each quote six bytes otherwise).
QByteArray escapedTextUtf8(const QString &text);

} // namespace UpnpSoap
