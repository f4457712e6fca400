#include "downloads/ResumeIdentity.h"
#include "downloads/ContentRange.h"

#include <QFile>
#include <QNetworkReply>

#include <sys/xattr.h>

namespace {

constexpr char kTotal[] = "user.zelta.total";
constexpr char kEtag[] = "user.zelta.etag";
constexpr char kLastModified[] = "user.zelta.modified";
// Validators longer than this are not kept (nor trusted).
constexpr int kMaxValue = 512;

QByteArray readAttribute(const QByteArray &path, const char *name)
{
    char value[kMaxValue];
    const ssize_t size = ::getxattr(path.constData(), name, value, sizeof value);
    return size > 0 ? QByteArray(value, int(size)) : QByteArray();
}

bool writeAttribute(const QByteArray &path, const char *name, const QByteArray &value)
{
    if (value.isEmpty()) {
        ::removexattr(path.constData(), name);
        return true;
    }
    return ::setxattr(path.constData(), name, value.constData(), size_t(value.size()), 0) == 0;
}

QByteArray bounded(const QByteArray &value)
{
    const QByteArray trimmed = value.trimmed();
    return trimmed.size() <= kMaxValue ? trimmed : QByteArray();
}

} // namespace

ResumeIdentity ResumeIdentity::fromReply(const QNetworkReply *reply, int status)
{
    ResumeIdentity identity;
    if (status == 206) {
        identity.total = ContentRange::parse(reply->rawHeader("Content-Range")).total;
    } else if (status == 200) {
        bool known = false;
        const qint64 length =
            reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
        identity.total = known && length >= 0 ? length : -1;
    }
    identity.etag = bounded(reply->rawHeader("ETag"));
    identity.lastModified = bounded(reply->rawHeader("Last-Modified"));
    return identity;
}

ResumeIdentity ResumeIdentity::read(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    ResumeIdentity identity;
    bool ok = false;
    const qint64 total = readAttribute(name, kTotal).toLongLong(&ok);
    identity.total = ok && total >= 0 ? total : -1;
    identity.etag = readAttribute(name, kEtag);
    identity.lastModified = readAttribute(name, kLastModified);
    return identity;
}

bool ResumeIdentity::write(const QString &path) const
{
    const QByteArray name = QFile::encodeName(path);
    const bool ok = writeAttribute(name, kTotal, total >= 0 ? QByteArray::number(total) : "");
    return ok && writeAttribute(name, kEtag, etag) &&
           writeAttribute(name, kLastModified, lastModified);
}

void ResumeIdentity::clear(const QString &path)
{
    ResumeIdentity().write(path);
}

QByteArray ResumeIdentity::ifRange() const
{
    if (!etag.isEmpty() && !etag.startsWith("W/"))
        return etag;
    return lastModified;
}

QString ResumeIdentity::mismatch(const ResumeIdentity &served) const
{
    if (total >= 0 && served.total != total)
        return QStringLiteral("the answer's total is %1, the file's resource has %2 bytes")
            .arg(served.total)
            .arg(total);
    if (!etag.isEmpty() && !served.etag.isEmpty() && etag != served.etag)
        return QStringLiteral("the answer's ETag differs from the file's");
    if (!lastModified.isEmpty() && !served.lastModified.isEmpty() &&
        lastModified != served.lastModified)
        return QStringLiteral("the answer's Last-Modified differs from the file's");
    return QString();
}
