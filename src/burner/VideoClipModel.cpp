#include "burner/VideoClipModel.h"

#include "burner/Project.h"

#include <QMimeData>

VideoClipModel::VideoClipModel(Project *project, QObject *parent)
    : QAbstractTableModel(parent), m_project(project)
{
    if (!project)
        return;
    connect(project, &Project::clipsAboutToChange, this, &VideoClipModel::beginResetModel);
    connect(project, &Project::clipsChanged, this, &VideoClipModel::endResetModel);
    // A project that goes first leaves an empty table behind.
    connect(project, &QObject::destroyed, this, &VideoClipModel::refresh);
}

int VideoClipModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_project)
        return 0;
    return static_cast<int>(m_project->clips().size());
}

int VideoClipModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 4;
}

QVariant VideoClipModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole || !m_project)
        return QVariant();
    const Project *project = m_project;
    const QList<VideoClip> clips = project->clips();
    if (index.row() >= clips.size())
        return QVariant();
    const VideoClip &clip = clips.at(index.row());
    switch (index.column()) {
    case 0:
        return index.row() + 1;
    case 1:
        return clip.fileName;
    case 2:
        return clip.duration.toString(QStringLiteral("hh:mm:ss"));
    case 3:
        return project->estimatedSize(index.row());
    default:
        return QVariant();
    }
}

QVariant VideoClipModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case 0:
        return tr("Track");
    case 1:
        return tr("Name");
    case 2:
        return tr("Length");
    default:
        return tr("Size");
    }
}

Qt::ItemFlags VideoClipModel::flags(const QModelIndex &index) const
{
    // The empty area below the rows accepts drops too.
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled | Qt::ItemIsEnabled;
}

Qt::DropActions VideoClipModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

QStringList VideoClipModel::mimeTypes() const
{
    return {QStringLiteral("text/uri-list")};
}

bool VideoClipModel::dropMimeData(const QMimeData *data, Qt::DropAction action, int, int,
                                  const QModelIndex &)
{
    if (action == Qt::IgnoreAction)
        return true;
    if (data)
        emit filesDropped(data->urls());
    return true;
}

bool VideoClipModel::removeRows(int, int, const QModelIndex &)
{
    return true;
}

void VideoClipModel::refresh()
{
    beginResetModel();
    endResetModel();
}
