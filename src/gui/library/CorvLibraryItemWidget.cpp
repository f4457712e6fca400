#include "gui/library/CorvLibraryItemWidget.h"

#include "core/Formatters.h"
#include "core/Logging.h"
#include "core/UserPrompt.h"
#include "gui/library/CorvRoundedWidget.h"
#include "gui/library/LibraryView.h"
#include "gui/library/PlayProgressMark.h"
#include "gui/mainwindow/Artwork.h"
#include "gui/mainwindow/AutoSizeLabel.h"
#include "library/Library.h"
#include "library/LibraryModel.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int thumbnailWidth = 130;
constexpr int thumbnailHeight = 100;

template <typename Label = QLabel> Label *makeLabel(const char *name, QWidget *parent)
{
    auto *label = new Label(parent);
    label->setObjectName(QLatin1String(name));
    label->setStyleSheet(QStringLiteral("color: rgb(89, 89, 89);"));
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    return label;
}

QLabel *makeSpacer(const char *name, QWidget *parent)
{
    QLabel *spacer = makeLabel(name, parent);
    spacer->setText(QStringLiteral("|"));
    return spacer;
}

QPushButton *makeImageButton(const char *name, const QString &label, const QString &normal,
                             const QString &hover, QWidget *parent)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(label);
    button->setToolTip(label);
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    // Reached with Tab; the keyboard focus shows as a ring round the picture.
    button->setFocusPolicy(Qt::StrongFocus);
    const QPixmap picture = Artwork::pixmap(normal);
    // The picture's own size: the ring takes its room from the picture's edge.
    button->setFixedSize(picture.deviceIndependentSize().toSize());
    button->setStyleSheet(
        QStringLiteral("QPushButton { border: 2px solid transparent; border-radius: 5px;"
                       " image: url(%1); }"
                       "QPushButton:hover { image: url(%2); }"
                       "QPushButton:focus { border-color: palette(highlight); }")
            .arg(normal, hover));
    return button;
}

} // namespace

CorvLibraryItemWidget::CorvLibraryItemWidget(LibraryView *view, const QModelIndex &index,
                                             UserPrompt *prompt)
    : QWidget(view), m_view(view), m_prompt(prompt), m_index(index)
{
    setObjectName(QStringLiteral("CorvLibraryItemWidget"));
    setAttribute(Qt::WA_StyledBackground);
    buildForm();
    updateFromIndex(index);
    setSelected(false);
}

void CorvLibraryItemWidget::buildForm()
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(6, 5, 10, 5);
    row->setSpacing(12);

    m_preview = new CorvRoundedWidget(this);
    m_preview->setObjectName(QStringLiteral("guiPreviewImage"));
    m_preview->setFixedSize(thumbnailWidth, thumbnailHeight);
    m_play = makeImageButton("guiPlayButton", buttonName(PlayButton),
                             QStringLiteral(":/images/library/play_button_tr.png"),
                             QStringLiteral(":/images/library/play_button_tr.png"), m_preview);
    m_play->move((thumbnailWidth - m_play->width()) / 2, (thumbnailHeight - m_play->height()) / 2);
    m_progress = new PlayProgressMark(m_preview);
    // Across the bottom of the picture while the video file is gone.
    m_missingMark = new QLabel(tr("File missing"), m_preview);
    m_missingMark->setObjectName(QStringLiteral("guiMissingMark"));
    m_missingMark->setAlignment(Qt::AlignCenter);
    QFont markFont = m_missingMark->font();
    markFont.setPixelSize(12);
    markFont.setBold(true);
    m_missingMark->setFont(markFont);
    const int markHeight = m_missingMark->fontMetrics().height() + 6;
    m_missingMark->setGeometry(0, thumbnailHeight - markHeight, thumbnailWidth, markHeight);
    m_missingMark->setStyleSheet(QStringLiteral("background: rgba(192, 57, 43, 225); color: white;"
                                                " border-bottom-left-radius: 10px;"));
    m_missingMark->hide();
    row->addWidget(m_preview);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    // Long titles and descriptions are shortened to the tile's width.
    m_title = makeLabel<AutoSizeLabel>("guiTitleMove", this);
    QFont titleFont(QStringLiteral("Lucida Grande"));
    titleFont.setPixelSize(15);
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    m_description = makeLabel<AutoSizeLabel>("guiDescription", this);
    m_category = makeLabel("guiCategory", this);
    m_stars = makeLabel("guiStars", this);
    QFont starsFont(QStringLiteral("Lucida Grande"));
    starsFont.setPixelSize(13); // in points it came out a third larger than the title beside it
    m_stars->setFont(starsFont);
    texts->addWidget(m_title);
    texts->addWidget(m_description);
    texts->addWidget(m_category);
    texts->addWidget(m_stars);

    auto *info = new QHBoxLayout;
    info->setSpacing(6);
    m_date = makeLabel("guiDateCreated", this);
    m_duration = makeLabel("guiDurationMove", this);
    m_size = makeLabel("guiSizeMove", this);
    m_format = makeLabel("guiFormatMove", this);
    m_separators = {makeSpacer("guiSpacer0", this), makeSpacer("guiSpacer1", this),
                    makeSpacer("guiSpacer2", this)};
    info->addWidget(m_date);
    info->addWidget(m_separators.at(0));
    info->addWidget(m_duration);
    info->addWidget(m_separators.at(1));
    info->addWidget(m_size);
    info->addWidget(m_separators.at(2));
    info->addWidget(m_format);
    info->addStretch();
    texts->addLayout(info);
    texts->addStretch();
    row->addLayout(texts, 1);

    m_buttons = new QWidget(this);
    m_buttons->setObjectName(QStringLiteral("groupButtonsWidget"));
    auto *buttons = new QVBoxLayout(m_buttons);
    buttons->setContentsMargins(0, 0, 0, 0);
    QPushButton *remove =
        makeImageButton("guiDeleteButton", buttonName(DeleteButton),
                        QStringLiteral(":/images/library/delete-bt-normal.png"),
                        QStringLiteral(":/images/library/delete-bt-hover.png"), m_buttons);
    QPushButton *menu =
        makeImageButton("guiMenuButton", buttonName(MoreButton),
                        QStringLiteral(":/images/library/arrow-bt-normal.png"),
                        QStringLiteral(":/images/library/arrow-bt-hover.png"), m_buttons);
    buttons->addWidget(remove);
    buttons->addWidget(menu);
    m_buttonList = {m_play, remove, menu};
    buttons->addStretch();
    row->addWidget(m_buttons, 0, Qt::AlignTop);

    setMinimumSize(400, thumbnailHeight + 10);

    connect(remove, &QPushButton::clicked, this, &CorvLibraryItemWidget::onReleaseButtonDelete);
    connect(menu, &QPushButton::clicked, this, &CorvLibraryItemWidget::onReleaseButtonMenu);
    connect(m_play, &QPushButton::released, this, &CorvLibraryItemWidget::onReleaseButtonPlay);
    connect(m_category, &QLabel::linkActivated, this, &CorvLibraryItemWidget::categoryLinkClicked);
    connect(m_stars, &QLabel::linkActivated, this, &CorvLibraryItemWidget::categoryLinkClicked);
}

QString CorvLibraryItemWidget::durationText(const QString &duration)
{
    const QStringList parts = duration.split(QLatin1Char(':'));
    int minutes = 0;
    int seconds = 0;
    if (parts.size() == 3) {
        minutes = parts.at(0).toInt() * 60 + parts.at(1).toInt();
        seconds = int(parts.at(2).toDouble());
    } else if (parts.size() == 2) {
        minutes = parts.at(0).toInt();
        seconds = int(parts.at(1).toDouble());
    } else {
        return QString();
    }
    return minutes != 0 ? tr("%n mins", "play length in minutes", minutes)
                        : tr("%n sec", "play length in seconds", seconds);
}

QString CorvLibraryItemWidget::buttonName(Button which)
{
    switch (which) {
    case PlayButton:
        return tr("Play");
    case DeleteButton:
        return tr("Delete");
    case MoreButton:
        return tr("More");
    case ButtonCount:
        break;
    }
    return QString();
}

QString CorvLibraryItemWidget::describe(const QModelIndex &index)
{
    const LibraryItem item = index.siblingAtColumn(0).data().value<LibraryItem>();
    QStringList said;
    if (index.data(LibraryModel::FileMissingRole).toBool())
        said << tr("File missing");
    const QString progress =
        PlayProgressMark::describe(index.data(LibraryModel::ProgressRole).toDouble(),
                                   index.data(LibraryModel::WatchedCountRole).toInt() > 0);
    if (!progress.isEmpty())
        said << progress;
    return said.join(QStringLiteral(", "));
}

bool CorvLibraryItemWidget::takeRowShowingSameVideo(const QModelIndex &index,
                                                    const LibraryItem &video)
{
    if (!index.isValid() || !m_item.isValid() || video != m_item)
        return false;
    m_index = index;
    return true;
}

void CorvLibraryItemWidget::updateFromIndex(const QModelIndex &index)
{
    m_index = index;
    m_item = index.isValid() ? index.siblingAtColumn(0).data().value<LibraryItem>() : LibraryItem();
    const bool valid = m_item.isValid();

    m_title->setText(valid ? m_item.title() : QString());
    m_description->setText(valid ? m_item.description() : QString());
    fillLinks();
    m_date->setText(
        valid ? Formatters::shortDate(QDateTime::fromSecsSinceEpoch(m_item.creationDate()))
              : QString());
    m_duration->setText(valid ? durationText(m_item.duration()) : QString());
    m_size->setText(valid ? Formatters::byteSize(m_item.sizeInBytes()) : QString());
    m_format->setText(valid ? QFileInfo(m_item.videoPath()).suffix().toUpper() : QString());
    showSeparators();
    m_progress->setState(index.data(LibraryModel::ProgressRole).toDouble(),
                         index.data(LibraryModel::WatchedCountRole).toInt() > 0);
    m_fileMissing = valid && index.data(LibraryModel::FileMissingRole).toBool();
    showFileState();

    const QString thumbnail = valid ? m_item.thumbnailPath() : QString();
    if (thumbnail != m_thumbnailPath || m_preview->pixmap().isNull()) {
        m_thumbnailPath = thumbnail;
        QPixmap picture(thumbnail);
        if (picture.isNull())
            picture = Artwork::pixmap(QStringLiteral(":/images/thumbnail.jpg"));
        m_preview->setPixmap(picture);
    }
}

bool CorvLibraryItemWidget::checkFile()
{
    const bool missing = m_item.isValid() && m_index.data(LibraryModel::FileMissingRole).toBool();
    if (missing == m_fileMissing)
        return false;
    m_fileMissing = missing;
    showFileState();
    m_snapshot = QPixmap();
    return true;
}

void CorvLibraryItemWidget::showFileState()
{
    m_missingMark->setVisible(m_fileMissing);
    QStringList said;
    if (m_fileMissing)
        said << m_missingMark->text();
    if (!m_progress->description().isEmpty())
        said << m_progress->description();
    const QString description = said.join(QStringLiteral(", "));
    m_preview->setAccessibleDescription(description);
    setAccessibleDescription(description);
    m_play->setAccessibleDescription(m_fileMissing ? m_missingMark->text() : QString());
}

void CorvLibraryItemWidget::showSeparators()
{
    // An empty part takes its separator with it: no "|  |".
    const QList<QLabel *> parts{m_date, m_duration, m_size, m_format};
    bool before = false;
    for (int i = 0; i < parts.size(); ++i) {
        const bool shown = !parts.at(i)->text().isEmpty();
        parts.at(i)->setVisible(shown);
        if (i > 0)
            m_separators.at(i - 1)->setVisible(shown && before);
        before = before || shown;
    }
}

QPixmap CorvLibraryItemWidget::snapshot(const QModelIndex &index, const QSize &size)
{
    // A widget is lent to whichever row needs one (after a sort, a filter or
    // an insert it serves another row): the picture is kept only while it
    // was grabbed from the very data this row shows now, at this size and look.
    const LibraryItem current =
        index.isValid() ? index.siblingAtColumn(0).data().value<LibraryItem>() : LibraryItem();
    // A place saved while playing changes the row but not its item.
    const bool sameProgress =
        index.data(LibraryModel::ProgressRole).toDouble() == m_progress->progress() &&
        (index.data(LibraryModel::WatchedCountRole).toInt() > 0) == m_progress->isWatched();
    const bool same = !m_snapshot.isNull() && current == m_snapshotItem && size == m_snapshotSize &&
                      m_selected == m_snapshotSelected && sameProgress;
    if (!same) {
        updateFromIndex(index);
        resize(size);
        m_snapshot = grab();
        m_snapshotItem = current;
        m_snapshotSize = size;
        m_snapshotSelected = m_selected;
    } else if (index != m_index) {
        m_index = index; // the buttons act on the row the widget shows
    }
    return m_snapshot;
}

QString CorvLibraryItemWidget::links(const QString &keywords) const
{
    const QString colour =
        m_selected ? QStringLiteral("rgb(93, 161, 220)") : QStringLiteral("rgb(57, 110, 165)");
    QStringList parts;
    for (const QString &part : keywords.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString keyword = part.trimmed().toHtmlEscaped();
        if (!keyword.isEmpty())
            parts << QStringLiteral(
                         "<a style='color: %1; text-decoration:none;'  href=\"%2\">%2</a>")
                         .arg(colour, keyword);
    }
    return parts.join(QStringLiteral(", "));
}

void CorvLibraryItemWidget::fillLinks()
{
    const bool valid = m_item.isValid();
    for (auto [label, text] :
         {std::pair{m_category, m_item.categories()}, std::pair{m_stars, m_item.stars()}}) {
        label->setText(valid ? links(text) : QString());
        label->setCursor(label->text().isEmpty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
    }
}

void CorvLibraryItemWidget::setSelected(bool selected)
{
    m_selected = selected;
    m_snapshot = QPixmap();
    m_buttons->setVisible(selected);
    setStyleSheet(selected
                      ? QStringLiteral("#CorvLibraryItemWidget { background: qlineargradient("
                                       "x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #dde6ef);"
                                       " border-radius: 6px; }")
                      : QStringLiteral("#CorvLibraryItemWidget { background: #f7f7f7;"
                                       " border-radius: 6px; }"));
    fillLinks();
}

void CorvLibraryItemWidget::focusFirstButton(Qt::FocusReason reason)
{
    m_play->setFocus(reason);
}

void CorvLibraryItemWidget::onReleaseButtonDelete()
{
    const UserPrompt::Button answer =
        m_prompt->question(tr("Are you sure?"),
                           m_item.title().isEmpty()
                               ? tr("Are you sure you want to delete this video?")
                               : tr("Are you sure you want to delete \"%1\"?").arg(m_item.title()),
                           UserPrompt::Buttons(UserPrompt::Yes | UserPrompt::No), UserPrompt::No);
    if (answer != UserPrompt::Yes)
        return;
    m_view->removeVideo(m_index);
}

void CorvLibraryItemWidget::onReleaseButtonMenu()
{
    m_view->showContextMenuForItem(this);
}

void CorvLibraryItemWidget::onReleaseButtonPlay()
{
    if (m_item.isValid())
        Q_EMIT m_view->playVideo(m_item.videoPath());
}

void CorvLibraryItemWidget::categoryLinkClicked(const QString &title)
{
    qCDebug(lcGui) << "Click on title:" << title;
    Q_EMIT m_view->searchRequested(title);
}
