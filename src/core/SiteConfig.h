#pragma once

#include <QString>
#include <QUrl>

// Every address of the Corvana site in one place. Each value is a base URL
// (scheme, host and, where needed, port) with a default under the reserved
// domain corvana.example; each can be overridden in the native settings,
// group "site", under the key named beside it.
class SiteConfig
{
public:
    static QUrl membersUrl();        // "membersUrl": the members' pages over HTTP
    static QUrl secureMembersUrl();  // "secureMembersUrl": the members' host over HTTPS
    static QUrl channelServerUrl();  // "channelServerUrl": the channel list ("/sidebar.php")
    static QUrl updateUrl();         // "updateUrl": update feed over HTTPS
    static QUrl updatePlainUrl();    // "updatePlainUrl": suggestions over plain HTTP
    static QUrl errorReportUrl();    // "errorReportUrl": host of the error-report endpoint
    static QUrl productSiteUrl();    // "productSiteUrl": the maker's web site (help pages)
    static QUrl helpUrl();           // "helpUrl": the program's help page

    // The members' host name, e.g. for cookie and authentication checks.
    static QString membersHost();

    // Base URL joined with an absolute path and optional query.
    static QUrl resolve(const QUrl &base, const QString &pathAndQuery);

    // Overrides one key in the native settings (used by the demo site and tests).
    static void setValue(const QString &key, const QUrl &url);

private:
    static QUrl value(const char *key, const char *fallback);
};
