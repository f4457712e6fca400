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
    connect(project, &Project::clipChanged, this,
            [this](int row) { Q_EMIT dataChanged(index(row, 0), index(row, SubtitlesColumn)); });
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
    return parent.isValid() ? 0 : SubtitlesColumn + 1;
}

QString VideoClipModel::subtitleText(const VideoClip &clip)
{
    QStringList names;
    for (const SubtitleFile &file : clip.subtitles) {
        const QString name = file.language.isEmpty() ? tr("Unknown language") : file.languageName();
        if (!names.contains(name))
            names << name;
    }
    return names.join(QStringLiteral(", "));
}

QVariant VideoClipModel::subtitleData(const VideoClip &clip, int role) const
{
    if (clip.subtitles.isEmpty())
        return QVariant();
    const bool vcd =
        m_project->discType() == DiscType::Vcd || m_project->discType() == DiscType::Svcd;
    switch (role) {
    case Qt::DisplayRole:
        return subtitleText(clip);
    case Qt::CheckStateRole:
        return clip.subtitlesOn && !vcd ? Qt::Checked : Qt::Unchecked;
    case Qt::ToolTipRole:
        if (vcd)
            return tr("VCD and SVCD discs cannot carry subtitles.");
        return clip.subtitlesOn ? tr("These subtitles go on the disc; clear the box to leave "
                                     "them off.")
                                : tr("These subtitles are left off the disc.");
    case Qt::AccessibleDescriptionRole:
        return clip.subtitlesOn && !vcd ? tr("Subtitles on the disc") : tr("Subtitles left off");
    default:
        return QVariant();
    }
}

QVariant VideoClipModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_project)
        return QVariant();
    if (index.column() == SubtitlesColumn) {
        const QList<VideoClip> clips = m_project->clips();
        return index.row() < clips.size() ? subtitleData(clips.at(index.row()), role) : QVariant();
    }
    if (role != Qt::DisplayRole)
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
    case SubtitlesColumn:
        return tr("Subtitles");
    default:
        return tr("Size");
    }
}

bool VideoClipModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.column() != SubtitlesColumn || role != Qt::CheckStateRole ||
        !m_project || !(flags(index) & Qt::ItemIsUserCheckable))
        return false;
    m_project->setSubtitlesOn(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

Qt::ItemFlags VideoClipModel::flags(const QModelIndex &index) const
{
    // The empty area below the rows accepts drops too.
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    Qt::ItemFlags flags =
        Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled | Qt::ItemIsEnabled;
    if (index.column() == SubtitlesColumn && m_project && m_project->discType() != DiscType::Vcd &&
        m_project->discType() != DiscType::Svcd) {
        const QList<VideoClip> clips = m_project->clips();
        if (index.row() < clips.size() && !clips.at(index.row()).subtitles.isEmpty())
            flags |= Qt::ItemIsUserCheckable;
    }
    return flags;
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
