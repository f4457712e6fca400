// How a download names its folder and files: names that fit the file
// system's 255 bytes, cut on character boundaries, never one of the
// library's own names.
#include "downloads/Download.h"

#include "core/FileNames.h"
#include "library/LibraryPaths.h"
#include "web/WebAddress.h"

#include <QDir>
#include <QRegularExpression>

namespace {

// File systems hold names of at most 255 bytes; the cover and thumbnail add
// "-cover.jpg" or "-thumb.jpg" to the media name, the media file its suffix.
constexpr int kNameBytes = 255;
constexpr int kSuffixRoom = 16;

// The longest start of `text` that fits `maxBytes` in UTF-8, never cutting a
// character (or a surrogate pair) in two.
QString fitBytes(const QString &text, int maxBytes)
{
    int bytes = 0;
    qsizetype end = 0;
    while (end < text.size()) {
        const bool pair = text.at(end).isHighSurrogate() && end + 1 < text.size() &&
                          text.at(end + 1).isLowSurrogate();
        const char32_t code = pair ? QChar::surrogateToUcs4(text.at(end), text.at(end + 1))
                                   : char32_t(text.at(end).unicode());
        const int size = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
        if (bytes + size > maxBytes)
            break;
        bytes += size;
        end += pair ? 2 : 1;
    }
    return text.left(end);
}

} // namespace

QString Download::safeFileName(const QString &name)
{
    return FileNames::safe(name);
}

QString Download::urlFileName(const QUrl &url)
{
    const QStringList segments =
        url.path(QUrl::FullyEncoded).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (segments.isEmpty())
        return safeFileName(QString());
    // The file lies in the library folder itself: never one of its own names.
    return LibraryPaths::safeName(
        fitFileName(safeFileName(QUrl::fromPercentEncoding(segments.last().toLatin1()))));
}

bool Download::isFetchable(const QUrl &url)
{
    return WebAddress::isWeb(url);
}

bool Download::isMediaLink(const QString &path)
{
    static const QRegularExpression pattern(
        QStringLiteral("(.mp4$)|(.mpg$)|(.wmv$)|(.flv$)|(.m4v$)|(.mpeg$)|(.avi$)|(.exe$)|(.dmg$)"));
    return pattern.match(path).hasMatch();
}

QString Download::fitFileName(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString suffix = dot > 0 && name.size() - dot <= kSuffixRoom ? name.mid(dot) : QString();
    const QString stem = name.left(name.size() - suffix.size());
    return fitBytes(stem, kNameBytes - kSuffixRoom - int(suffix.toUtf8().size())) + suffix;
}

QString Download::fileBase(const QString &title)
{
    return fitBytes(title, kNameBytes - kSuffixRoom);
}

QString Download::itemFolder(const CorvanaItem &item) const
{
    return QDir(m_library.folder())
        .absoluteFilePath(LibraryPaths::safeName(
            safeFileName(fitBytes(CorvanaItem::fileNameTitle(item.title()), kNameBytes))));
}

QString Download::itemMediaPath(const CorvanaItem &item) const
{
    const QString title = CorvanaItem::fileNameTitle(item.mediaTitle());
    const QString type = fitBytes(item.fileType(), kSuffixRoom - 1);
    return QDir(itemFolder(item))
        .absoluteFilePath(safeFileName(QStringLiteral("%1.%2").arg(fileBase(title), type)));
}
