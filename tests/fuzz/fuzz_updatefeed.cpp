// The update feed: an installer is only taken from an entry of this
// platform that covers the running version, and a single version covers it
// only when it is that version.
#include "core/Version.h"
#include "FuzzSupport.h"
#include "downloads/UpdateFeed.h"

#include <QDomDocument>
#include <QStringList>

namespace {

// The running version, read the way a person would read the item.
bool isRunningVersion(const QString &item)
{
    const QStringList parts = item.trimmed().split(QLatin1Char('.'));
    const QStringList expected = QStringLiteral(ZELTA_VERSION).split(QLatin1Char('.'));
    if (parts.size() != expected.size())
        return false;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        bool ok = false;
        if (parts.at(i).trimmed().toInt(&ok) != expected.at(i).toInt() || !ok)
            return false;
    }
    return true;
}

void checkItem(const QString &item)
{
    if (!item.contains(QLatin1Char('-')))
        FUZZ_CHECK(UpdateFeed::versionItemMatches(item) == isRunningVersion(item));
    else
        (void)UpdateFeed::versionItemMatches(item);
}

} // namespace

FUZZ_QUIET_SETUP()

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzSupport::input(data, size);
    // The version list on its own, as one "targetVersion" text.
    const QStringList items =
        QString::fromUtf8(bytes.left(512)).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &item : items)
        checkItem(item);

    QDomDocument document;
    if (!document.setContent(bytes))
        return 0;
    (void)UpdateFeed::suggestionsVersion(document);
    const QUrl installer = UpdateFeed::findInstaller(document);
    if (installer.isEmpty())
        return 0;
    // It must be the link of an entry of this platform that covers us.
    bool found = false;
    const QDomElement platform =
        document.documentElement().firstChildElement(UpdateFeed::platformName());
    for (QDomElement entry = platform.firstChildElement(); !entry.isNull() && !found;
         entry = entry.nextSiblingElement()) {
        if (QUrl(entry.firstChildElement(QStringLiteral("link")).text().trimmed()) != installer)
            continue;
        const QStringList targets = entry.firstChildElement(QStringLiteral("targetVersion"))
                                        .text()
                                        .split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (const QString &target : targets)
            found = found || UpdateFeed::versionItemMatches(target);
    }
    FUZZ_CHECK(found);
    return 0;
}
