#include "app/DescriptorOpener.h"

#include "core/Logging.h"
#include "downloads/DownloadManager.h"
#include "engines/Engines.h"
#include "web/Account.h"
#include "web/WebAddress.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QByteArray kMagic = "corvana-zelta-open\n";

// A descriptor on disk is a regular file (not a device, a FIFO or a folder).
bool isDescriptorFile(const QUrl &url)
{
    return url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile();
}

} // namespace

DescriptorOpener::DescriptorOpener(Engines *engines, QObject *parent)
    : QObject(parent), m_engines(engines)
{
    connect(engines, &Engines::signedIn, this, &DescriptorOpener::openPending);
}

QList<QUrl> DescriptorOpener::urlsFromArguments(const QStringList &arguments,
                                                const QString &workingDirectory)
{
    QList<QUrl> urls;
    for (const QString &argument : arguments) {
        const QFileInfo file(QDir(workingDirectory), argument);
        QUrl url;
        if (!argument.contains(QLatin1String("://")) && file.isFile())
            url = QUrl::fromLocalFile(file.absoluteFilePath());
        else
            url = QUrl(argument, QUrl::StrictMode);
        if (url.isLocalFile() ? isDescriptorFile(url) : WebAddress::isWeb(url))
            urls << url;
        else
            qCWarning(lcApp) << "DescriptorOpener: ignored argument" << argument;
    }
    return urls;
}

QByteArray DescriptorOpener::encode(const QList<QUrl> &urls)
{
    QByteArray message = kMagic;
    for (const QUrl &url : urls)
        message += url.toEncoded() + '\n';
    return message;
}

QList<QUrl> DescriptorOpener::decode(const QByteArray &message)
{
    QList<QUrl> urls;
    if (!message.startsWith(kMagic))
        return urls;
    const QList<QByteArray> lines = message.mid(kMagic.size()).split('\n');
    for (const QByteArray &line : lines) {
        const QUrl url = QUrl::fromEncoded(line.trimmed(), QUrl::StrictMode);
        if (url.isLocalFile() ? isDescriptorFile(url) : WebAddress::isWeb(url))
            urls << url;
        else if (!line.trimmed().isEmpty())
            qCWarning(lcApp) << "DescriptorOpener: refused" << url.toString(QUrl::RemoveQuery);
    }
    return urls;
}

void DescriptorOpener::openMessage(const QByteArray &message)
{
    const QList<QUrl> urls = decode(message);
    if (urls.isEmpty()) {
        qCWarning(lcApp) << "DescriptorOpener: a second start handed nothing usable";
        return;
    }
    open(urls);
}

void DescriptorOpener::open(const QList<QUrl> &urls)
{
    if (urls.isEmpty())
        return;
    for (const QUrl &url : urls) {
        if (m_pending.size() >= MaxPending) {
            qCWarning(lcApp) << "DescriptorOpener: too many waiting descriptors, the rest dropped";
            break;
        }
        m_pending << url;
    }
    Q_EMIT requested();
    if (m_engines->account()->hasCredentials())
        openPending();
    else
        qCDebug(lcApp) << "DescriptorOpener: waiting for sign-in with" << m_pending.size()
                       << "descriptor(s)";
}

void DescriptorOpener::openPending()
{
    const QList<QUrl> urls = std::exchange(m_pending, {});
    DownloadManager *downloads = m_engines->downloadManager();
    for (const QUrl &url : urls) {
        if (url.isLocalFile())
            downloads->initializeLocalDownload(url.toLocalFile());
        else
            downloads->initializeDownload(url);
    }
}
