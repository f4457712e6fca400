#include "tv/upnp/UpnpFileMediaServerDelegate.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

UpnpFileMediaServerDelegate::UpnpFileMediaServerDelegate(const QString &urlRoot,
                                                         const QString &fileRoot)
    : m_urlRoot(urlRoot), m_fileRoot(fileRoot)
{
}

bool UpnpFileMediaServerDelegate::processFileRequest(const UpnpHttpRequest &request,
                                                     UpnpHttpResponse &response)
{
    QString resource;
    if (!extractResourcePath(request.path, &resource))
        return false;
    return serveFile(request, resource, response);
}

bool UpnpFileMediaServerDelegate::extractResourcePath(const QByteArray &path, QString *resource)
{
    const QString text = QString::fromUtf8(path);
    if (!text.startsWith(m_urlRoot))
        return false;
    QString rest = text.mid(m_urlRoot.size());
    if (rest.startsWith(QLatin1String("%/")))
        rest = rest.mid(2);
    else if (rest.startsWith(QLatin1String("%25/")))
        rest = QUrl::fromPercentEncoding(rest.mid(4).toUtf8());
    *resource = rest;
    return !rest.isEmpty();
}

bool UpnpFileMediaServerDelegate::parseSearchCriteria(const QString &criteria, QString *classPrefix)
{
    const QString text = criteria.trimmed();
    if (text == QLatin1String("*")) {
        *classPrefix = QStringLiteral("object");
        return true;
    }
    static const QRegularExpression pattern(
        QStringLiteral(R"re(^\(?\s*upnp:class\s+(derivedfrom|=)\s+"([A-Za-z.]+)"\s*\)?)re"
                       R"re((\s+and\s+@refID\s+exists\s+false)?\s*$)re"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    *classPrefix = match.captured(2);
    return true;
}

void UpnpFileMediaServerDelegate::serveLocalFile(const UpnpHttpRequest &request,
                                                 const QString &path, const QByteArray &mimeType,
                                                 UpnpHttpResponse &response)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) {
        response = UpnpHttpResponse::notFound();
        return;
    }
    const qint64 size = info.size();
    response.status = 200;
    response.setHeader("Content-Type", mimeType);
    response.setHeader("Accept-Ranges", "bytes");
    response.filePath = path;
    response.fileOffset = 0;
    response.fileLength = size;

    const QByteArray range = request.header("Range").trimmed();
    // Another unit or several ranges: the Range is ignored and the whole
    // file answered, as HTTP allows.
    if (range.isEmpty() || !range.startsWith("bytes=") || range.contains(','))
        return;
    // One range only: "bytes=first-[last]" or "bytes=-suffix".
    static const QRegularExpression pattern(QStringLiteral(R"(^bytes=(\d*)-(\d*)$)"));
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(range));
    bool ok = match.hasMatch() && !(match.captured(1).isEmpty() && match.captured(2).isEmpty());
    qint64 first = 0;
    qint64 last = size - 1;
    if (ok && match.captured(1).isEmpty()) {
        const qint64 suffix = match.captured(2).toLongLong(&ok);
        first = qMax<qint64>(0, size - suffix);
        ok = ok && suffix > 0;
    } else if (ok) {
        first = match.captured(1).toLongLong(&ok);
        if (ok && !match.captured(2).isEmpty())
            last = qMin(last, match.captured(2).toLongLong(&ok));
    }
    if (!ok || first >= size || first > last) {
        response.filePath.clear();
        response.status = 416;
        response.setHeader("Content-Range", "bytes */" + QByteArray::number(size));
        return;
    }
    response.status = 206;
    response.fileOffset = first;
    response.fileLength = last - first + 1;
    response.setHeader("Content-Range", "bytes " + QByteArray::number(first) + '-' +
                                            QByteArray::number(last) + '/' +
                                            QByteArray::number(size));
}
