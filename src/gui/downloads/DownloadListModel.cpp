#include "gui/downloads/DownloadListModel.h"

#include "downloads/Download.h"
#include "downloads/DownloadManager.h"
#include "gui/downloads/DownloadPictures.h"

#include <QColor>
#include <QPixmap>

namespace {

int g_updateInterval = 250;

QColor statusColour(Download::State state)
{
    switch (state) {
    case Download::Paused:
        return QColor(0xb9, 0x45, 0x17);
    case Download::Downloading:
        return QColor(0x46, 0x77, 0xa3);
    case Download::Finished:
        return QColor(0x1c, 0x6e, 0x35);
    default:
        return QColor();
    }
}

} // namespace

DownloadListModel::DownloadListModel(QObject *parent) : QIdentityProxyModel(parent)
{
    const QSize box(DownloadCard::PictureWidth, DownloadCard::PictureHeight);
    m_pictures =
        new DownloadPictures(box,
                             QPixmap(QStringLiteral(":/images/thumbnail.jpg"))
                                 .scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation),
                             this);
    connect(m_pictures, &DownloadPictures::pictureRead, this, [this](const QObject *download) {
        const QModelIndex at = indexOf(static_cast<const Download *>(download));
        if (at.isValid())
            Q_EMIT dataChanged(at, at, {PictureRole});
    });
    m_progressTimer.setSingleShot(true);
    connect(&m_progressTimer, &QTimer::timeout, this, &DownloadListModel::tellProgress);
}

void DownloadListModel::setUpdateInterval(int ms)
{
    g_updateInterval = qMax(0, ms);
}

int DownloadListModel::updateInterval()
{
    return g_updateInterval;
}

void DownloadListModel::setDownloadManager(DownloadManager *manager)
{
    if (m_manager)
        disconnect(m_manager, nullptr, this, nullptr);
    m_manager = manager;
    setSourceModel(manager);
    if (!manager)
        return;
    // After the proxy's own handling: the rows are there.
    connect(manager, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) {
                for (int row = first; row <= last; ++row)
                    watch(download(index(row, 0)));
            });
    for (int row = 0; row < rowCount(); ++row)
        watch(download(index(row, 0)));
}

Download *DownloadListModel::download(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    return QIdentityProxyModel::data(index, DownloadRole).value<Download *>();
}

QModelIndex DownloadListModel::indexOf(const Download *download) const
{
    for (int row = 0; row < rowCount(); ++row) {
        const QModelIndex at = index(row, 0);
        if (this->download(at) == download)
            return at;
    }
    return QModelIndex();
}

// Its picture is read when its card first asks for it (data()).
void DownloadListModel::watch(Download *download)
{
    if (!download || m_watched.contains(download))
        return;
    m_watched.insert(download);
    connect(download, &Download::updateProgress, this, [this, download] { progressed(download); });
    connect(download, &Download::updateThumbnail, this, [this, download] {
        m_pictures->forget(download);
        const QModelIndex at = indexOf(download);
        if (at.isValid())
            Q_EMIT dataChanged(at, at, {PictureRole});
    });
    connect(download, &QObject::destroyed, this, [this](QObject *gone) {
        m_watched.remove(gone);
        m_pictures->forget(gone);
        m_progressed.remove(gone);
    });
}

void DownloadListModel::progressed(Download *download)
{
    m_progressed.insert(download);
    if (!m_progressTimer.isActive())
        m_progressTimer.start(g_updateInterval);
}

void DownloadListModel::tellProgress()
{
    const QSet<const QObject *> progressed = std::exchange(m_progressed, {});
    for (int row = 0; row < rowCount(); ++row) {
        const QModelIndex at = index(row, 0);
        if (progressed.contains(download(at)))
            Q_EMIT dataChanged(
                at, at, {ProgressRole, ProgressTextRole, SpeedRole, TimeLeftRole, StatusRole});
    }
}

DownloadCard::Actions DownloadListModel::actionsOf(const Download *download)
{
    DownloadCard::Actions actions{DownloadCard::Play,
                                  download->state() == Download::Paused && !download->isResuming()
                                      ? DownloadCard::Resume
                                      : DownloadCard::Pause,
                                  DownloadCard::Cancel};
    const DownloadFailure failure = download->failure();
    if (!failure.isNull())
        actions << (failure.kind() == DownloadFailure::SignInRejected ? DownloadCard::SignIn
                                                                      : DownloadCard::Retry);
    if (failure.kind() == DownloadFailure::Withdrawn)
        actions << DownloadCard::Remove;
    return actions;
}

QString DownloadListModel::describe(Download *download) const
{
    QStringList parts{download->statusText()};
    parts << download->progressText() << download->failure().message();
    parts.removeAll(QString());
    return parts.join(QStringLiteral(". "));
}

QVariant DownloadListModel::data(const QModelIndex &index, int role) const
{
    Download *d = download(index);
    if (!d)
        return QIdentityProxyModel::data(index, role);
    const CorvanaItem item = d->item();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
    case TitleRole:
        return item.title().isEmpty() ? DownloadCard::tr("Loading download...") : item.title();
    case Qt::AccessibleDescriptionRole:
        return describe(d);
    case DescriptionRole:
        return item.description();
    case StarringRole:
        return item.stars().isEmpty() ? QString()
                                      : DownloadCard::tr("Starring: %1").arg(item.stars());
    case TagsRole:
        return item.categories().isEmpty() ? QString()
                                           : DownloadCard::tr("Tags: %1").arg(item.categories());
    case StateRole:
        return int(d->state());
    case StatusRole:
        return d->statusText();
    case StatusColorRole:
        return statusColour(d->state());
    case ProgressRole: {
        const DownloadProgress::Bar bar = d->progressBar();
        if (bar.maximum > 0)
            return double(bar.value) / double(bar.maximum);
        return d->state() == Download::Downloading ? -1.0 : 0.0;
    }
    case ProgressTextRole:
        return d->progressText();
    case SpeedRole:
        return d->speed();
    case TimeLeftRole:
        return d->timeLeft();
    case ReasonRole:
        return d->failure().message();
    case FailureKindRole:
        return int(d->failure().kind());
    case PictureRole:
        if (d->isThumbnailArriving())
            return m_pictures->defaultPicture();
        return m_pictures->picture(d, d->thumbnailPath());
    case ActionsRole:
        return QVariant::fromValue(actionsOf(d));
    default:
        return QIdentityProxyModel::data(index, role);
    }
}

QHash<int, QByteArray> DownloadListModel::roleNames() const
{
    QHash<int, QByteArray> names = QIdentityProxyModel::roleNames();
    names.insert({{DownloadRole, "download"},
                  {TitleRole, "title"},
                  {DescriptionRole, "description"},
                  {StarringRole, "starring"},
                  {TagsRole, "tags"},
                  {StateRole, "state"},
                  {StatusRole, "status"},
                  {StatusColorRole, "statusColor"},
                  {ProgressRole, "progress"},
                  {ProgressTextRole, "progressText"},
                  {SpeedRole, "speed"},
                  {TimeLeftRole, "timeLeft"},
                  {ReasonRole, "reason"},
                  {FailureKindRole, "failureKind"},
                  {PictureRole, "picture"},
                  {ActionsRole, "actions"}});
    return names;
}
