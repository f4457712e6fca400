#include "tv/ConsoleSubtitleChoice.h"

#include "tv/TvSubtitles.h"
#include "tv/upnp/UpnpClientSignature.h"

#include <QSet>

bool ConsoleSubtitleChoice::offersChoice(const MediaNodeInfo &node, int clientSignature)
{
    return node.valid && !node.isFolder && node.needsTranscoding && !node.subtitles.isEmpty() &&
           UpnpClientSignature::burnsSubtitles(UpnpClientSignature::Value(clientSignature));
}

QString ConsoleSubtitleChoice::folderId(const QString &objectId)
{
    return objectId + QLatin1Char('~');
}

QString ConsoleSubtitleChoice::versionId(const QString &objectId, int subtitle)
{
    return folderId(objectId) + QString::number(subtitle);
}

bool ConsoleSubtitleChoice::parse(const QString &id, QString *objectId, bool *folder, int *subtitle)
{
    const qsizetype mark = id.indexOf(QLatin1Char('~'));
    if (mark <= 0)
        return false;
    *objectId = id.left(mark);
    const QString rest = id.mid(mark + 1);
    *folder = rest.isEmpty();
    *subtitle = NoSubtitles;
    if (*folder)
        return true;
    bool ok = false;
    *subtitle = rest.toInt(&ok);
    return ok && *subtitle >= NoSubtitles;
}

QList<ConsoleSubtitleChoice::Version> ConsoleSubtitleChoice::versions(const MediaNodeInfo &node,
                                                                      const QString &language)
{
    QList<Version> versions;
    QSet<QString> languages;
    for (const int i : TvSubtitles::offerOrder(node.subtitles, language)) {
        const SubtitleFile &file = node.subtitles.at(i);
        const QString code =
            file.twoLetterLanguage().isEmpty() ? file.language.toLower() : file.twoLetterLanguage();
        if (languages.contains(code))
            continue; // one version per language: the SubRip, ordered first
        languages.insert(code);
        const QString name = file.languageName();
        versions.append({i, name.isEmpty() ? QStringLiteral("subtitles") : name});
    }
    versions.append({NoSubtitles, QStringLiteral("no subtitles")});
    return versions;
}
