#include "downloads/UpdateFeed.h"

#include <QDomDocument>
#include <QList>
#include <QStringList>

namespace {

constexpr int kVersion[3] = {3, 1, 3};

// -1, 0 or 1 as the three-number version compares with the running one.
int compareWithRunning(const QList<int> &version)
{
    for (int i = 0; i < 3; ++i) {
        if (version.at(i) != kVersion[i])
            return version.at(i) < kVersion[i] ? -1 : 1;
    }
    return 0;
}

bool parseVersion(const QString &text, QList<int> *version)
{
    const QStringList parts = text.trimmed().split(QLatin1Char('.'));
    version->clear();
    for (const QString &part : parts) {
        bool ok = false;
        version->append(part.trimmed().toInt(&ok));
        if (!ok)
            return false;
    }
    return version->size() == 3;
}

} // namespace

QString UpdateFeed::platformName()
{
    return QStringLiteral("linux");
}

bool UpdateFeed::versionItemMatches(const QString &item)
{
    const QStringList range = item.split(QLatin1Char('-'));
    QList<int> lower;
    QList<int> upper;
    if (!parseVersion(range.first(), &lower) || !parseVersion(range.last(), &upper))
        return false;
    // Written higher version first: "3.2.0-3.0.0".
    return compareWithRunning(lower) >= 0 && compareWithRunning(upper) <= 0;
}

QUrl UpdateFeed::findInstaller(const QDomDocument &document)
{
    const QDomElement platform = document.documentElement().firstChildElement(platformName());
    for (QDomElement entry = platform.firstChildElement(); !entry.isNull();
         entry = entry.nextSiblingElement()) {
        const QStringList items = entry.firstChildElement(QStringLiteral("targetVersion"))
                                      .text()
                                      .split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (const QString &item : items) {
            if (versionItemMatches(item))
                return QUrl(entry.firstChildElement(QStringLiteral("link")).text().trimmed());
        }
    }
    return QUrl();
}

int UpdateFeed::suggestionsVersion(const QDomDocument &document)
{
    return document.documentElement()
        .firstChildElement(QStringLiteral("suggestionsVersion"))
        .text()
        .toInt();
}
