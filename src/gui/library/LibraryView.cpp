#include "gui/library/LibraryView.h"

#include "core/UserPrompt.h"
#include "gui/library/CorvLibraryItemWidget.h"
#include "gui/library/FileBrowser.h"
#include "gui/library/LibraryViewAccessible.h"
#include "gui/library/LibraryViewItemDelegate.h"
#include "gui/mainwindow/Artwork.h"
#include "library/ITunesExporter.h"
#include "library/IntegrityChecker.h"
#include "library/Library.h"
#include "library/LibraryModel.h"
#include "library/LibraryRemoval.h"
#include "library/PlayPositions.h"

#include <QAbstractProxyModel>
#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

namespace {

// Row widgets kept beyond the visible rows, before and after them.
constexpr int kSpareWidgetRows = 12;
// Unused widgets kept for reuse.
constexpr int kMaxSpareWidgets = 48;

} // namespace

LibraryView::LibraryView(UserPrompt *prompt, QWidget *parent)
    : TileListView(parent), m_prompt(prompt)
{
    setObjectName(QStringLiteral("LibraryView"));
    // Screen readers find each tile's buttons below the tile.
    LibraryViewAccessible::install();
    setAccessibleName(tr("My videos"));
    setAlternatingRowColors(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    // The row under the mouse is highlighted; only a click or a key selects.
    setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_Hover);
    setFrameShape(QFrame::NoFrame);
    QPalette linen = viewport()->palette();
    linen.setBrush(QPalette::Base,
                   QBrush(Artwork::pixmap(QStringLiteral(":/images/library/ios-linen.jpg"))));
    viewport()->setPalette(linen);
    setItemDelegate(new LibraryViewItemDelegate(this));
    m_exporter = new ITunesExporter(this);
    connect(m_exporter, &ITunesExporter::finished, this, &LibraryView::hideStatus);
    buildContextMenu();
}

void LibraryView::buildContextMenu()
{
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("contextMenu"));
    const auto add = [this](const char *name, const QString &text, void (LibraryView::*slot)()) {
        QAction *action = m_menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, slot);
    };
    add("openFolderAction", tr("Show in Folder"), &LibraryView::onOpenFileBrowser);
    add("exportAction", tr("Add to Playlist"), &LibraryView::onExportClicked);
    add("burnAction", tr("Burn"), &LibraryView::onBurnClicked);
    add("mediaInformationAction", tr("Media Information"), &LibraryView::changeMediaInformation);
    m_watchedAction = m_menu->addAction(tr("Mark as watched"));
    m_watchedAction->setObjectName(QStringLiteral("watchedAction"));
    connect(m_watchedAction, &QAction::triggered, this, &LibraryView::toggleWatched);
}

void LibraryView::addMenuAtTop(QMenu *menu)
{
    QAction *first = m_menu->actions().value(0);
    m_menu->insertMenu(first, menu);
    m_menu->insertSeparator(first);
}

void LibraryView::setLibrary(Library *library, QAbstractProxyModel *proxy)
{
    m_library = library;
    m_proxy = proxy;
    setModel(proxy);
    connect(proxy, &QAbstractItemModel::rowsRemoved, this,
            &LibraryView::updateIndexWidgetsAfterDelete);
    connect(proxy, &QAbstractItemModel::rowsInserted, this,
            &LibraryView::updateIndexWidgetsAfterInsert);
    connect(proxy, &QAbstractItemModel::modelReset, this, &LibraryView::dropWidgets);
    connect(proxy, &QAbstractItemModel::layoutChanged, this, &LibraryView::dropWidgets);
    connect(library->model(), &LibraryModel::doSorted, this, &LibraryView::onSorted);
    // The start-up check says when it imports files it found in the folder.
    if (IntegrityChecker *checker = library->integrityChecker()) {
        connect(checker, &IntegrityChecker::displayMessage, this, &LibraryView::displayMessage);
        connect(checker, &IntegrityChecker::hideMessage, this, &LibraryView::hideStatus);
    }
}

CorvLibraryItemWidget *LibraryView::itemWidget(const QModelIndex &index)
{
    if (!index.isValid() || index.model() != model())
        return nullptr;
    CorvLibraryItemWidget *&widget = m_widgets[index.row()];
    if (!widget && !m_spare.isEmpty())
        widget = takeSpare(index);
    if (!widget) {
        widget = new CorvLibraryItemWidget(this, index, m_prompt);
        widget->hide();
        connect(widget, &CorvLibraryItemWidget::doExportSignal, this, &LibraryView::exportSignal);
        connect(widget, &CorvLibraryItemWidget::burnRequested, this, &LibraryView::burnRequested);
    }
    return widget;
}

CorvLibraryItemWidget *LibraryView::takeSpare(const QModelIndex &index)
{
    // After a sort or a search the rows in sight mostly show videos that
    // were in sight before: their widgets still hold the right picture.
    const LibraryItem video = index.siblingAtColumn(0).data().value<LibraryItem>();
    for (qsizetype i = m_spare.size() - 1; i >= 0; --i) {
        if (m_spare.at(i)->takeRowShowingSameVideo(index, video))
            return m_spare.takeAt(i);
    }
    CorvLibraryItemWidget *widget = m_spare.takeLast();
    widget->updateFromIndex(index);
    return widget;
}

int LibraryView::sourceRow(const QModelIndex &index) const
{
    if (!index.isValid())
        return -1;
    return m_proxy ? m_proxy->mapToSource(index).row() : index.row();
}

void LibraryView::removeVideo(const QModelIndex &index)
{
    const int row = sourceRow(index);
    if (!m_library || row < 0)
        return;
    clearSelection();
    m_library->removal()->removeItem(row, true);
}

void LibraryView::showContextMenuForItem(CorvLibraryItemWidget *item)
{
    m_menuPath = item->item().videoPath();
    m_menuRow = sourceRow(currentIndex());
    const bool watched =
        m_library && m_library->model()->watchedCount(m_library->model()->idOf(m_menuRow)) > 0;
    m_watchedAction->setText(watched ? tr("Mark as not watched") : tr("Mark as watched"));
    m_menu->popup(QCursor::pos());
}

void LibraryView::refreshFileMarks()
{
    bool changed = false;
    for (CorvLibraryItemWidget *widget : std::as_const(m_widgets))
        changed = widget->checkFile() || changed;
    if (changed)
        viewport()->update();
}

void LibraryView::onOpenFileBrowser()
{
    if (!m_menuPath.isEmpty())
        FileBrowser::showFile(m_menuPath);
}

void LibraryView::onExportClicked()
{
    if (m_library && m_menuRow >= 0 && m_menuRow < m_library->model()->rowCount())
        exportItem(m_library->model()->item(m_menuRow));
    else
        exportSignal(m_menuPath);
}

void LibraryView::onBurnClicked()
{
    if (!m_menuPath.isEmpty())
        Q_EMIT burnRequested(m_menuPath);
}

void LibraryView::toggleWatched()
{
    if (!m_library || m_menuRow < 0)
        return;
    const qlonglong id = m_library->model()->idOf(m_menuRow);
    m_library->positions()->setWatched(id, m_library->model()->watchedCount(id) == 0);
}

void LibraryView::changeMediaInformation()
{
    if (m_menuRow >= 0)
        Q_EMIT mediaInformationRequested(m_menuRow);
}

void LibraryView::exportSignal(const QString &file)
{
    // The row widget knows the title and length of its own video.
    for (CorvLibraryItemWidget *widget : std::as_const(m_widgets)) {
        if (widget->item().videoPath() == file) {
            exportItem(widget->item());
            return;
        }
    }
    LibraryItem item;
    item.videoPath(file);
    exportItem(item);
}

void LibraryView::exportItem(const LibraryItem &item)
{
    if (item.videoPath().isEmpty())
        return;
    // The playlist in the music folder (made when missing) is what desktop
    // music players pick up; there is no iTunes here to ask about.
    if (!ITunesExporter::isInstalled()) {
        m_prompt->warning(
            tr("Add to Playlist"),
            tr("There is no music folder to keep the playlist in. Set one up in your desktop's "
               "settings (Music) and try again."));
        return;
    }
    Q_EMIT displayMessage(tr("Adding \"%1\" to the playlist...").arg(item.title()));
    const quint32 seconds = item.mediaLengthInSecs();
    m_exporter->exportFile(item.videoPath(), item.title(), seconds > 0 ? int(seconds) : -1);
}

void LibraryView::onSorted()
{
    dropWidgets();
}

void LibraryView::dropWidgets()
{
    const QModelIndex current = currentIndex();
    if (current.isValid() && isPersistentEditorOpen(current))
        closePersistentEditor(current);
    // The widgets of the rows in sight are kept first, so that they are there
    // for the same videos in the new order.
    const auto [first, last] = visibleRows();
    for (int row = first; row <= last; ++row) {
        if (CorvLibraryItemWidget *widget = m_widgets.take(row))
            retire(widget);
    }
    for (CorvLibraryItemWidget *widget : std::as_const(m_widgets))
        retire(widget);
    m_widgets.clear();
    if (current.isValid() && selectionModel()->isSelected(current)) {
        itemWidget(current)->setSelected(true);
        openPersistentEditor(current);
    }
}

void LibraryView::retire(CorvLibraryItemWidget *widget)
{
    if (m_spare.size() >= kMaxSpareWidgets) {
        widget->deleteLater();
        return;
    }
    if (widget->isSelected())
        widget->setSelected(false);
    widget->hide();
    m_spare.append(widget);
}

void LibraryView::updateIndexWidgetsAfterInsert(const QModelIndex &, int first, int last)
{
    // Widgets stay with their rows; the rows after the new ones move up.
    const int added = last - first + 1;
    QHash<int, CorvLibraryItemWidget *> moved;
    for (auto it = m_widgets.cbegin(); it != m_widgets.cend(); ++it)
        moved.insert(it.key() < first ? it.key() : it.key() + added, it.value());
    m_widgets = moved;
}

void LibraryView::updateIndexWidgetsAfterDelete(const QModelIndex &, int first, int last)
{
    const int removed = last - first + 1;
    QHash<int, CorvLibraryItemWidget *> moved;
    for (auto it = m_widgets.cbegin(); it != m_widgets.cend(); ++it) {
        if (it.key() < first)
            moved.insert(it.key(), it.value());
        else if (it.key() > last)
            moved.insert(it.key() - removed, it.value());
        else
            retire(it.value()); // a search that drops the row may give it back
    }
    m_widgets = moved;
}

bool LibraryView::focusNextPrevChild(bool next)
{
    // Tab from the list goes on to the buttons of the selected tile.
    const QModelIndex current = currentIndex();
    if (next && hasFocus() && current.isValid() && isPersistentEditorOpen(current)) {
        if (CorvLibraryItemWidget *widget = m_widgets.value(current.row());
            widget && widget->isVisible()) {
            widget->focusFirstButton(Qt::TabFocusReason);
            return true;
        }
    }
    return TileListView::focusNextPrevChild(next);
}

void LibraryView::paintEvent(QPaintEvent *event)
{
    TileListView::paintEvent(event);
    trimWidgets();
}

void LibraryView::trimWidgets()
{
    const auto [first, last] = visibleRows();
    if (m_widgets.size() <= (last - first + 1) + 4 * kSpareWidgetRows)
        return;
    const int current = currentIndex().row();
    for (auto it = m_widgets.begin(); it != m_widgets.end();) {
        const int row = it.key();
        if (row == current || (row >= first - kSpareWidgetRows && row <= last + kSpareWidgetRows)) {
            ++it;
            continue;
        }
        retire(it.value());
        it = m_widgets.erase(it);
    }
}

void LibraryView::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    TileListView::selectionChanged(selected, deselected);
    for (const QModelIndex &index : deselected.indexes()) {
        if (index.column() != 0)
            continue;
        if (CorvLibraryItemWidget *widget = m_widgets.value(index.row()))
            widget->setSelected(false);
        if (isPersistentEditorOpen(index))
            closePersistentEditor(index);
    }
    for (const QModelIndex &index : selected.indexes()) {
        if (index.column() != 0)
            continue;
        if (CorvLibraryItemWidget *widget = itemWidget(index)) {
            widget->setSelected(true);
            openPersistentEditor(index);
        }
    }
}

void LibraryView::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void LibraryView::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void LibraryView::dropEvent(QDropEvent *event)
{
    // Files and folders alike, as one import.
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths << QFileInfo(url.toLocalFile()).absoluteFilePath();
    }
    if (!paths.isEmpty())
        Q_EMIT importRequested(paths);
    event->acceptProposedAction();
}
