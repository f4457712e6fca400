#include "media/SubtitleCue.h"

#include <QStringList>

QString SubtitleCue::plainText() const
{
    QStringList texts;
    for (const SubtitleLine &line : lines) {
        QString text;
        for (const SubtitleRun &run : line)
            text += run.text;
        texts.append(text);
    }
    return texts.join(QLatin1Char('\n'));
}
