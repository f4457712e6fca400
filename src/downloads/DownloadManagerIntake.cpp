// Taking on new downloads: descriptors fetched or read, each of their items
// judged on its own, direct links.
#include "core/JobThread.h"
#include "core/Logging.h"
#include "downloads/DownloadManager.h"

#include "core/UserPrompt.h"
#include "downloads/CorvanaItem.h"
#include "downloads/Download.h"
#include "downloads/DownloadFailure.h"
#include "downloads/DownloadRecords.h"
#include "web/Account.h"
#include "web/NetworkManager.h"
#include "web/UserAgent.h"
#include "web/WebAddress.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkReply>
#include <QtDebug>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace {

void warnFileExists(UserPrompt *prompt, const QStringList &titles)
{
    if (titles.size() <= 1) {
        prompt->warning(DownloadManager::tr("File Exists"),
                        DownloadManager::tr("You have already downloaded this video"));
        return;
    }
    prompt->warning(DownloadManager::tr("File Exists"),
                    DownloadManager::tr("You have already downloaded these videos:\n%1")
                        .arg(titles.join(QLatin1Char('\n'))));
}

} // namespace

void DownloadManager::initializeDownload(const QUrl &url)
{
    qCDebug(lcDownloads) << "Initialize download on url =" << NetworkManager::loggableUrl(url);
    if (!m_network->account()->hasCredentials()) {
        qCDebug(lcDownloads) << "DownloadManager::initDownload invalid credentials";
        return;
    }
    if (!url.isValid()) {
        qCDebug(lcDownloads) << "Invalid url!";
        return;
    }
    // Descriptors come from the site's own hosts only: never a local file,
    // another scheme or a host a page happens to name.
    if (!WebAddress::isSiteAddress(url)) {
        qCWarning(lcDownloads) << "DownloadManager: descriptor address outside the site refused:"
                               << NetworkManager::loggableUrl(url);
        emit error(tr("The download list at %1 was not opened: it is not an address of the site.")
                       .arg(NetworkManager::loggableUrl(url).toString()));
        return;
    }
    QNetworkRequest request(url);
    UserAgent::apply(request);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    QNetworkReply *reply = m_network->get(request);
    // A redirect may lead only to another address of the site, never down to plain HTTP.
    connect(reply, &QNetworkReply::redirected, reply, [reply](const QUrl &target) {
        const bool downgrade = reply->url().scheme() == QLatin1String("https") &&
                               target.scheme() != QLatin1String("https");
        if (WebAddress::isSiteAddress(target) && !downgrade) {
            Q_EMIT reply->redirectAllowed();
            return;
        }
        qCWarning(lcDownloads) << "DownloadManager: descriptor redirect outside the site refused:"
                               << NetworkManager::loggableUrl(target);
        reply->abort();
    });
    NetworkManager::limitBody(reply, CorvanaItem::MaxDocumentBytes);
    connect(reply, &QNetworkReply::finished, this, &DownloadManager::corvanaFileDownloadComplete);
    m_pending.insert(reply, url);
}

void DownloadManager::corvanaFileDownloadComplete()
{
    auto *reply = qobject_cast<QNetworkReply *>(sender());
    if (!reply) {
        qCDebug(lcDownloads) << "Reply is empty!";
        return;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    qCDebug(lcDownloads) << "Download finished with status code = " << status;
    reply->deleteLater();
    if (!m_pending.contains(reply)) {
        qCDebug(lcDownloads) << "DownloadManager::corvanaFileDownloadComplete invalid corvana file";
        return;
    }
    const QUrl url = m_pending.take(reply);
    if (reply->error() == QNetworkReply::NoError && (status == 200 || status == 206)) {
        qCDebug(lcDownloads) << "Reply isFinished():" << reply->isFinished();
        parseXml(url, reply->readAll());
        return;
    }
    const DownloadFailure failure =
        DownloadFailure::fromReply(reply->error(), status, Download::urlFileName(url));
    qCDebug(lcDownloads) << "DownloadManager::downloadComplete error with reply:"
                         << NetworkManager::loggableError(reply);
    m_prompt->warning(tr("Download Failed"), failure.message());
    Q_EMIT error(failure.message());
}

// Only a regular file, opened without waiting (a FIFO would block) and read no
// further than a descriptor may be long (a device reports no size).
bool DownloadManager::readDescriptorFile(const QString &path, QByteArray *document)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info;
    QFile file;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size > CorvanaItem::MaxDocumentBytes ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    *document = file.read(CorvanaItem::MaxDocumentBytes + 1);
    return document->size() <= CorvanaItem::MaxDocumentBytes;
}

void DownloadManager::initializeLocalDownload(const QString &path)
{
    qCDebug(lcDownloads) << "Initialize download from file =" << path;
    if (!m_network->account()->hasCredentials()) {
        qCDebug(lcDownloads) << "DownloadManager::initDownload invalid credentials";
        return;
    }
    QByteArray document;
    if (!readDescriptorFile(path, &document)) {
        qCWarning(lcDownloads) << "DownloadManager: cannot read descriptor file" << path;
        Q_EMIT error(tr("The file %1 could not be read.").arg(path));
        return;
    }
    parseXml(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()), document);
}

// A descriptor is text from the site or a file: it is read off the window's
// thread, and its items are judged back here.
void DownloadManager::parseXml(const QUrl &url, const QByteArray &body)
{
    qCDebug(lcDownloads) << "Parse xml, url=" << NetworkManager::loggableUrl(url);
    if (!m_descriptorReader)
        m_descriptorReader = std::make_unique<JobThread>(QStringLiteral("descriptors"), nullptr);
    ++m_readingDescriptors;
    m_descriptorReader->post([this, url, body] {
        QList<CorvanaItem> items = CorvanaItem::parseCorvanaFile(body);
        // Dropped with the manager if it goes first.
        QMetaObject::invokeMethod(
            this,
            [this, url, items = std::move(items)] {
                --m_readingDescriptors;
                takeItems(url, items);
            },
            Qt::QueuedConnection);
    });
}

void DownloadManager::refuse(const CorvanaItem &item, const QString &reason, QStringList *notes)
{
    emit refused(item.title(), reason);
    notes->append(tr("%1: %2").arg(item.title(), reason));
}

// Every item is judged on its own: one that cannot be fetched is refused
// here, the others go to the store in one job (already in the library, path
// taken, already on disk, record stored), whose answer lists them.
void DownloadManager::takeItems(const QUrl &url, const QList<CorvanaItem> &items)
{
    QStringList notes;
    QList<DownloadRecords::Candidate> candidates;
    QList<Taken> taken;
    int places = MaxDownloads - rowCount() - m_admittingItems;
    for (const CorvanaItem &item : items) {
        if (!Download::isFetchable(item.mediaUrl())) {
            qCWarning(lcDownloads) << "DownloadManager::parseXml refused media URL"
                                   << NetworkManager::loggableUrl(item.mediaUrl());
            refuse(item, tr("its media address is not a web address"), &notes);
            continue;
        }
        if (!item.hasVideoFileType()) {
            qCWarning(lcDownloads)
                << "DownloadManager::parseXml refused file type" << item.fileType();
            const QString reason =
                tr("its file type \"%1\" is not a video type").arg(item.fileType());
            emit refused(item.title(), reason);
            emit error(tr("%1 was not downloaded: %2.").arg(item.title(), reason));
            continue;
        }
        if (!item.hasBelievableSize()) {
            qCWarning(lcDownloads) << "DownloadManager::parseXml refused size" << item.mediaSize();
            refuse(item,
                   tr("its announced size of %1 bytes cannot be a video's").arg(item.mediaSize()),
                   &notes);
            continue;
        }
        if (places <= 0) {
            qCDebug(lcDownloads) << "DownloadManager::parseXml max number of downloads reached";
            refuse(item, tr("the download list is full"), &notes);
            continue;
        }
        auto *newDownload = new Download(m_network, nullptr, location(), url, false, this);
        newDownload->setItem(item);
        candidates.append({url, item, newDownload->mediaPath()});
        taken.append({newDownload, item.title()});
        --places;
    }
    if (candidates.isEmpty()) {
        tellSkipped(notes);
        emit descriptorRead(0);
        return;
    }
    ++m_admitting;
    m_admittingItems += int(candidates.size());
    const int batch = ++m_lastBatch;
    m_admissionPaused.insert(batch, false);
    const QPointer<DownloadManager> self(this);
    m_records->admit(candidates, [self, batch, taken, notes](const auto &verdicts) {
        if (self)
            self->itemsAdmitted(batch, taken, verdicts, notes);
    });
}

void DownloadManager::itemsAdmitted(int batch, const QList<Taken> &taken,
                                    const QList<DownloadRecords::Admission> &verdicts,
                                    QStringList skippedNotes)
{
    const bool pausedMeanwhile = m_admissionPaused.take(batch);
    --m_admitting;
    m_admittingItems -= int(taken.size());
    int queued = 0;
    for (int i = 0; i < taken.size(); ++i) {
        Download *download = taken.at(i).download;
        const DownloadRecords::Admission verdict = verdicts.value(i);
        if (!download)
            continue;
        if (verdict.verdict != DownloadRecords::Admitted) {
            if (verdict.verdict == DownloadRecords::InLibrary) {
                qCDebug(lcDownloads) << "DownloadManager: video already in the library";
                const QString reason = tr("it is in your library already");
                emit skipped(taken.at(i).title, reason);
                skippedNotes.append(tr("%1: %2").arg(taken.at(i).title, reason));
            } else if (verdict.verdict == DownloadRecords::AlreadyOnDisk) {
                m_alreadyDownloaded << taken.at(i).title;
            }
            delete download;
            continue;
        }
        download->setParent(nullptr);
        download->setMediaPath(verdict.path);
        connectDownload(download);
        addDownload(download);
        ++queued;
        emit recordStored(download);
        if (pausedMeanwhile)
            download->pause();
        else if (download->state() == Download::None)
            download->start();
    }
    tellSkipped(skippedNotes);
    tellAlreadyDownloaded();
    emit descriptorRead(queued);
}

void DownloadManager::tellSkipped(const QStringList &notes)
{
    if (notes.isEmpty())
        return;
    emit notice(
        tr("Videos Skipped"),
        notes.size() == 1
            ? tr("This video was not downloaded:\n%1").arg(notes.first())
            : tr("These videos were not downloaded:\n%1").arg(notes.join(QLatin1Char('\n'))));
}

// A download whose media file is already on disk is refused. It was never
// listed, so no stored row (maybe another download's) is touched.
bool DownloadManager::refuseExisting(Download *download)
{
    if (!QFileInfo::exists(download->mediaPath()))
        return false;
    m_alreadyDownloaded << download->item().title();
    download->deleteLater();
    return true;
}

void DownloadManager::tellAlreadyDownloaded()
{
    if (m_alreadyDownloaded.isEmpty())
        return;
    const QStringList titles = std::exchange(m_alreadyDownloaded, {});
    warnFileExists(m_prompt, titles);
}

void DownloadManager::initializeDirectDownload(const QUrl &url, bool addToLibrary)
{
    qCDebug(lcDownloads) << "Initialize download on url =" << NetworkManager::loggableUrl(url);
    if (!m_network->account()->hasCredentials()) {
        qCDebug(lcDownloads) << "DownloadManager::initDownload invalid credentials";
        return;
    }
    if (!url.isValid() || url.isEmpty()) {
        qCDebug(lcDownloads) << "Invalid url!";
        return;
    }
    auto *download = new Download(m_network, nullptr, location(), url, true);
    download->setAddToLibrary(addToLibrary);
    // Files kept out of the library are installers: never from a forged certificate.
    download->setStrictTls(!addToLibrary);
    CorvanaItem item;
    item.setTitle(Download::urlFileName(url));
    item.setGuid(url.toString());
    download->setItem(item);
    if (rowCount() >= MaxDownloads) {
        qCDebug(lcDownloads) << "DownloadManager::parseXml max number of downloads reached";
        emit refused(item.title(), tr("the download list is full"));
        delete download;
        return;
    }
    if (refuseExisting(download)) {
        tellAlreadyDownloaded();
        return;
    }
    if (!this->download(download, true)) {
        qCDebug(lcDownloads) << "DownloadManager::parseXml download failed";
        if (!isListed(download))
            download->deleteLater();
    }
}

void DownloadManager::initializeDirectDownload(const QUrl &url)
{
    initializeDirectDownload(url, true);
}
