#pragma once

#include "gui/library/TileListView.h"

#include <QHash>

class CorvLibraryItemWidget;
class ITunesExporter;
class LibraryItem;
class Library;
class QAbstractProxyModel;
class QMenu;
class UserPrompt;

// The tile list: one painted row widget per video, the live widget on the
// selected row, a highlight under the mouse and file drops.
class LibraryView : public TileListView
{
    Q_OBJECT

public:
    // The view and its row widgets ask the user through `prompt` (not owned;
    // the page that owns the view keeps it).
    explicit LibraryView(UserPrompt *prompt, QWidget *parent = nullptr);

    // The library the rows come from (through `proxy`, a filter over it).
    void setLibrary(Library *library, QAbstractProxyModel *proxy);
    Library *library() const { return m_library; }

    // The row widget of a view row, made on first need (nullptr for a bad row).
    CorvLibraryItemWidget *itemWidget(const QModelIndex &index);
    int widgetCount() const { return int(m_widgets.size()); }
    // The row widget of a view row if it has one already (else nullptr).
    CorvLibraryItemWidget *existingWidget(const QModelIndex &index) const
    {
        return index.isValid() && index.model() == model() ? m_widgets.value(index.row()) : nullptr;
    }

    // Removes the video of a view row, with its files.
    void removeVideo(const QModelIndex &index);
    // Pops up the row menu (open folder, playlist export, burn, media
    // information) for the row widget's video.
    void showContextMenuForItem(CorvLibraryItemWidget *item);
    QMenu *contextMenu() const { return m_menu; }
    // Puts `menu` ("Play on TV") at the top of the row menu.
    void addMenuAtTop(QMenu *menu);
    // The video the row menu was last opened for.
    QString menuVideoPath() const { return m_menuPath; }
    // Looks again which tiles' video files are missing and redraws those
    // whose mark changed.
    void refreshFileMarks();

Q_SIGNALS:
    void playVideo(const QString &path);
    void searchRequested(const QString &keyword);
    void burnRequested(const QString &path);
    void displayMessage(const QString &message);
    void hideStatus();
    void mediaInformationRequested(int sourceRow);
    // Files or folders were dropped on the list.
    void importRequested(const QStringList &paths);

public Q_SLOTS:
    void onSorted();
    // Adds the video to the music player's playlist, or says there is none.
    void exportSignal(const QString &file);

private Q_SLOTS:
    void onOpenFileBrowser();
    void onExportClicked();
    void onBurnClicked();
    void changeMediaInformation();
    // "Mark as watched" / "Mark as not watched" on the menu's video.
    void toggleWatched();

protected:
    bool focusNextPrevChild(bool next) override;
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void selectionChanged(const QItemSelection &selected,
                          const QItemSelection &deselected) override;

private:
    void updateIndexWidgetsAfterInsert(const QModelIndex &parent, int first, int last);
    void updateIndexWidgetsAfterDelete(const QModelIndex &parent, int first, int last);
    void dropWidgets();
    // Deletes the widgets of rows far from the visible ones (all but a few
    // screens' worth), so scrolling a long list keeps few widgets alive.
    void trimWidgets();
    // Keeps a widget no row needs any more for reuse.
    void retire(CorvLibraryItemWidget *widget);
    // A kept widget for a row: one that shows the row's video already if
    // there is one.
    CorvLibraryItemWidget *takeSpare(const QModelIndex &index);
    int sourceRow(const QModelIndex &index) const;
    void buildContextMenu();
    void exportItem(const LibraryItem &item);

    UserPrompt *m_prompt;
    Library *m_library = nullptr;
    QAbstractProxyModel *m_proxy = nullptr;
    QHash<int, CorvLibraryItemWidget *> m_widgets;
    ITunesExporter *m_exporter = nullptr;
    QMenu *m_menu = nullptr;
    QAction *m_watchedAction = nullptr;
    // The video and library row the menu was opened for.
    QString m_menuPath;
    int m_menuRow = -1;
    // Widgets of dropped rows, refilled for the next rows that need one
    // (making one costs more than filling it).
    QList<CorvLibraryItemWidget *> m_spare;
};
