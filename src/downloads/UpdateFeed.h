#pragma once

#include <QString>
#include <QUrl>

class QDomDocument;

// Reading the site's update feed: which installer, if any, replaces the
// running version, and which suggestions version the site offers.
class UpdateFeed
{
public:
    // Whether one "targetVersion" item ("3.2.0" or "3.2.0-3.0.0") covers this version.
    static bool versionItemMatches(const QString &item);
    // The installer link of the first entry covering this version, under the
    // platform element; empty when none.
    static QUrl findInstaller(const QDomDocument &document);
    // The "suggestionsVersion" number; 0 when missing or not a number.
    static int suggestionsVersion(const QDomDocument &document);
    static QString platformName();

private:
    UpdateFeed() = delete;
};
