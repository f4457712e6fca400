#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QPointer>
#include <QUrl>

class Project;
class VideoClip;

// The project's clips as a table (track, name, length, estimated size, and
// the subtitles' languages with a check box that keeps them off the disc).
// Holds no data of its own: it resets whenever the project's clip list changes.
class VideoClipModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int SubtitlesColumn = 4;

    explicit VideoClipModel(Project *project, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    Qt::DropActions supportedDropActions() const override;
    QStringList mimeTypes() const override;
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;
    bool removeRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;

    // Tells the views that the project's settings (and so the sizes) changed.
    void refresh();

    // The languages of the clip's subtitle files, for showing.
    static QString subtitleText(const VideoClip &clip);

signals:
    void filesDropped(QList<QUrl> files);

private:
    QVariant subtitleData(const VideoClip &clip, int role) const;

    QPointer<Project> m_project;
};
