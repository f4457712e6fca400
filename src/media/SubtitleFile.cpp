#include "media/SubtitleFile.h"

#include "media/MediaFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>

namespace {

bool isAsciiLetters(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
               (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
    });
}

// "en", "deu", "pt-BR", "zh_Hant": a language code the locale data knows,
// with an optional script or region.
QLocale::Language languageOfCode(const QString &code)
{
    const qsizetype separator = code.indexOf(QRegularExpression(QStringLiteral("[-_]")));
    const QString language = separator < 0 ? code : code.left(separator);
    if (language.size() < 2 || language.size() > 3 || !isAsciiLetters(language))
        return QLocale::AnyLanguage;
    if (separator >= 0) {
        const QString rest = code.mid(separator + 1);
        if (rest.size() < 2 || rest.size() > 4 ||
            !std::all_of(rest.begin(), rest.end(), [](QChar c) { return c.isLetterOrNumber(); }))
            return QLocale::AnyLanguage;
    }
    return QLocale::codeToLanguage(language.toLower());
}

} // namespace

QString SubtitleFile::mimeType() const
{
    return QFileInfo(path).suffix().compare(QLatin1String("vtt"), Qt::CaseInsensitive) == 0
               ? QStringLiteral("text/vtt")
               : QStringLiteral("text/srt");
}

QString SubtitleFile::languageName() const
{
    if (language.isEmpty())
        return {};
    const QLocale::Language known = languageOfCode(language);
    if (known == QLocale::AnyLanguage)
        return language;
    return nameOfLanguage(known);
}

QString SubtitleFile::nameOfLanguage(QLocale::Language language)
{
    if (language == QLocale::AnyLanguage || language == QLocale::C)
        return {};
    // The locale data names a language as spoken in its default country:
    // English's own name is "American English", Spanish's "español de
    // España". A track or a file only knows the language.
    QString name;
    if (language != QLocale::English) {
        const QLocale locale(language);
        name = locale.nativeLanguageName();
        const QString country = locale.nativeTerritoryName();
        for (const QString &suffix : {QStringLiteral(" de ") + country,
                                      QStringLiteral(" (") + country + QLatin1Char(')')}) {
            if (!country.isEmpty() && name.endsWith(suffix))
                name.chop(suffix.size());
        }
    }
    if (name.isEmpty())
        name = QLocale::languageToString(language);
    if (!name.isEmpty())
        name[0] = name[0].toUpper();
    return name;
}

QString SubtitleFile::twoLetterLanguage() const
{
    const QLocale::Language known = languageOfCode(language);
    if (known == QLocale::AnyLanguage)
        return {};
    return QLocale::languageToCode(known, QLocale::ISO639Part1);
}

bool SubtitleFile::matchLanguage(const QString &videoBaseName, const QString &fileName,
                                 QString *language)
{
    if (videoBaseName.isEmpty() || !fileName.startsWith(videoBaseName + QLatin1Char('.')))
        return false;
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (!MediaFiles::isSubtitleSuffix(fileName.mid(dot + 1)))
        return false;
    language->clear();
    if (dot == videoBaseName.size())
        return true; // "Clip.srt": no language
    *language = fileName.mid(videoBaseName.size() + 1, dot - videoBaseName.size() - 1);
    return languageOfCode(*language) != QLocale::AnyLanguage;
}

QHash<QString, QList<SubtitleFile>> SubtitleFile::byVideoBaseName(const QStringList &paths)
{
    QHash<QString, QList<SubtitleFile>> found;
    for (const QString &path : paths) {
        const QString name = QFileInfo(path).fileName();
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot <= 0 || !MediaFiles::isSubtitleSuffix(name.mid(dot + 1)))
            continue;
        const QString stem = name.left(dot);
        found[stem].append({path, QString()});
        const qsizetype inner = stem.lastIndexOf(QLatin1Char('.'));
        if (inner <= 0)
            continue;
        const QString language = stem.mid(inner + 1);
        if (languageOfCode(language) != QLocale::AnyLanguage)
            found[stem.left(inner)].append({path, language});
    }
    for (QList<SubtitleFile> &files : found) {
        std::sort(files.begin(), files.end(), [](const SubtitleFile &a, const SubtitleFile &b) {
            return QFileInfo(a.path).fileName() < QFileInfo(b.path).fileName();
        });
    }
    return found;
}

QList<SubtitleFile> SubtitleFile::besideVideo(const QString &videoPath)
{
    const QFileInfo video(videoPath);
    const QString base = video.completeBaseName();
    if (base.isEmpty())
        return {};
    return inFolder(video.absolutePath()).value(base);
}

QHash<QString, QList<SubtitleFile>> SubtitleFile::inFolder(const QString &folder)
{
    const QDir dir(folder);
    QStringList paths;
    // Video names may hold wildcard characters: list by suffix. Unreadable
    // files and links are listed too: whoever reads them says why not.
    const QStringList names =
        dir.entryList(MediaFiles::subtitleNameFilters(), QDir::Files | QDir::System);
    for (const QString &name : names)
        paths.append(dir.absoluteFilePath(name));
    return byVideoBaseName(paths);
}

QString SubtitleFile::nameFor(const QString &videoBaseName) const
{
    const QString suffix = QFileInfo(path).suffix();
    return language.isEmpty()
               ? videoBaseName + QLatin1Char('.') + suffix
               : videoBaseName + QLatin1Char('.') + language + QLatin1Char('.') + suffix;
}

qsizetype SubtitleFile::preferred(const QList<SubtitleFile> &files, const QString &language)
{
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (!language.isEmpty() && files.at(i).twoLetterLanguage() == language)
            return i;
    }
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (files.at(i).language.isEmpty())
            return i;
    }
    return files.isEmpty() ? -1 : 0;
}
