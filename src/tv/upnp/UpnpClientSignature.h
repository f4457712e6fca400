#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QString>

// Which kind of renderer sent a request; decides description fields, MIME
// types, DLNA profiles and the transcoding format.
namespace UpnpClientSignature {

enum Value
{
    Other = 0,
    Xbox = 1,
    PlayStation3 = 2,
    WindowsMediaPlayer = 3
};

// From the "User-Agent" and "X-AV-Client-Info" headers; the first match wins.
Value fromHeaders(const QByteArray &userAgent, const QByteArray &avClientInfo);
// True for clients that keep play positions on the server (Samsung TVs and
// players: "SEC_HHP_..." or "Samsung" in the User-Agent).
bool usesBookmarks(const QByteArray &userAgent);
// One client as the server tells clients apart: its address and user agent.
QString clientKey(const QHostAddress &address, const QByteArray &userAgent);
// True for clients that show no subtitle file offered beside a video (the
// game consoles): their transcoded streams carry the text in the picture.
bool burnsSubtitles(Value client);

} // namespace UpnpClientSignature
