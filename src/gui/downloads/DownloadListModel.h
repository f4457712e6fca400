#pragma once

#include "downloads/DownloadManager.h"
#include "gui/downloads/DownloadCard.h"

#include <QIdentityProxyModel>
#include <QPointer>
#include <QSet>
#include <QTimer>

class Download;
class DownloadPictures;

// The rows of the downloads page: the download manager's list, each row
// telling what its card shows as roles. Changes of a download's state, item
// or failure are told at once; its progress reports are gathered and told
// (as a change of that row alone) at most once per interval.
class DownloadListModel : public QIdentityProxyModel
{
    Q_OBJECT

public:
    enum Role
    {
        // Download *, as the manager gives it.
        DownloadRole = Qt::UserRole,
        // The title, or "Loading download..." until the descriptor gave it.
        TitleRole = Qt::UserRole + 1,
        DescriptionRole,
        // "Starring: ..." and "Tags: ...", empty when the item has none.
        StarringRole,
        TagsRole,
        // Download::State
        StateRole,
        // "Downloading", "Paused", "Failed", ... and its colour (invalid: the text's own).
        StatusRole,
        StatusColorRole,
        // 0..1 of the file written; -1 while bytes come for a file of unknown size.
        ProgressRole,
        // "12.0 MB of 4.7 GB (1.0 MB/sec) - 3 minutes remaining"; empty unless running.
        ProgressTextRole,
        // Bytes per second and seconds left; -1 unless running.
        SpeedRole,
        TimeLeftRole,
        // Why the download stopped, for a person; empty when it did not fail.
        ReasonRole,
        // DownloadFailure::Kind
        FailureKindRole,
        // The thumbnail scaled into the card's picture, or the default picture.
        PictureRole,
        // DownloadCard::Actions: the card's buttons.
        ActionsRole
    };

    explicit DownloadListModel(QObject *parent = nullptr);

    void setDownloadManager(DownloadManager *manager);
    DownloadManager *downloadManager() const { return m_manager; }
    Download *download(const QModelIndex &index) const;
    QModelIndex indexOf(const Download *download) const;

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    // How often at most a row's progress is told (250 ms by default).
    static void setUpdateInterval(int ms);
    static int updateInterval();

private:
    void watch(Download *download);
    void progressed(Download *download);
    void tellProgress();
    QString describe(Download *download) const;
    static DownloadCard::Actions actionsOf(const Download *download);

    QPointer<DownloadManager> m_manager;
    // Downloads whose signals are followed.
    QSet<const QObject *> m_watched;
    DownloadPictures *m_pictures = nullptr;
    // Downloads whose progress is not told yet.
    QSet<const QObject *> m_progressed;
    QTimer m_progressTimer;
};
