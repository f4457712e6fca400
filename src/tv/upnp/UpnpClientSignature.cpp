#include "tv/upnp/UpnpClientSignature.h"

namespace UpnpClientSignature {

Value fromHeaders(const QByteArray &userAgent, const QByteArray &avClientInfo)
{
    const QByteArray agent = userAgent.toLower();
    if (agent.contains("xbox") || agent.contains("xenon"))
        return Xbox;
    if (avClientInfo.toLower().contains("playstation 3"))
        return PlayStation3;
    if (agent.contains("windows-media-player"))
        return WindowsMediaPlayer;
    return Other;
}

bool usesBookmarks(const QByteArray &userAgent)
{
    const QByteArray agent = userAgent.toLower();
    return agent.contains("sec_hhp") || agent.contains("samsung");
}

QString clientKey(const QHostAddress &address, const QByteArray &userAgent)
{
    return address.toString() + QLatin1Char(' ') + QString::fromUtf8(userAgent.left(200));
}

bool burnsSubtitles(Value client)
{
    return client == Xbox || client == PlayStation3;
}

} // namespace UpnpClientSignature
