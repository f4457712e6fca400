#pragma once

#include "tv/MediaNodeInfo.h"

#include <QList>
#include <QPair>
#include <QString>

// A console shows no subtitle file: the text is drawn into the converted
// picture. So that its viewer can choose, a video with subtitles is offered
// to a console as a folder of its versions, one per subtitle language and
// one without subtitles. Their object ids are the video's own with a
// suffix: "<id>~" for the folder, "<id>~<n>" for the version with the n-th
// subtitle file drawn, "<id>~-1" for the one without.
class ConsoleSubtitleChoice
{
public:
    static constexpr int NoSubtitles = -1;

    struct Version
    {
        int subtitle = NoSubtitles; // index into the node's subtitles
        QString title;
    };

    // Whether this client is offered the versions of this node.
    static bool offersChoice(const MediaNodeInfo &node, int clientSignature);
    static QString folderId(const QString &objectId);
    static QString versionId(const QString &objectId, int subtitle);
    // Splits an id of a folder or version; false for any other id.
    static bool parse(const QString &id, QString *objectId, bool *folder, int *subtitle);
    // One version per language (SubRip preferred), the user's first, then
    // the one without subtitles.
    static QList<Version> versions(const MediaNodeInfo &node, const QString &language);
};
