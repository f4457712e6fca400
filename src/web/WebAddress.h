#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// What counts as a web address, which addresses belong to the site, and who
// may receive the member's credentials: decided here for the whole program.
class WebAddress
{
public:
    // An http or https address with a host.
    static bool isWeb(const QUrl &url);

    // "scheme://host[:port]", the port left out when it is the scheme's own.
    static QString originOf(const QUrl &url);
    // The members' pages' origins (plain and secure): the pages that get the
    // bridge and may start downloads.
    static QStringList siteOrigins();
    static bool isSiteOrigin(const QUrl &url);
    // Any configured address of the site (members, channels, updates,
    // reports) with the same scheme, host and port.
    static bool isSiteAddress(const QUrl &url);
    // Whether the member's credentials may answer an authentication
    // challenge from `url`: only the site's own addresses, so never another
    // host and never plain HTTP where the site is configured for HTTPS.
    static bool mayReceiveCredentials(const QUrl &url);

    // The port `url` talks to, its scheme's default when it names none.
    static int portOf(const QUrl &url);

private:
    WebAddress() = delete;
};
