#pragma once

#include <QUrl>

// Which addresses may receive the signed-in member's name and password: only
// the site's own hosts (as configured), and never over plain HTTP to a host
// whose configured address is HTTPS. Used for every authentication challenge,
// from the program's requests and from the web views alike.
class SiteCredentials
{
public:
    static bool mayAnswer(const QUrl &url);

private:
    SiteCredentials() = delete;
};
