#pragma once

#include "library/LibraryItem.h"

#include <QList>
#include <QPersistentModelIndex>
#include <QPixmap>
#include <QWidget>

class AutoSizeLabel;
class CorvRoundedWidget;
class LibraryView;
class PlayProgressMark;
class QLabel;
class QPushButton;
class UserPrompt;

// One row of the tile list: thumbnail with a play button, title, description,
// category and cast links, date, duration, size and format, and (while
// selected) the delete and menu buttons.
class CorvLibraryItemWidget : public QWidget
{
    Q_OBJECT

public:
    // The tile's buttons, in focus order.
    enum Button
    {
        PlayButton,
        DeleteButton,
        MoreButton,
        ButtonCount
    };

    // Asks before a delete through `prompt` (not owned; the view keeps it).
    CorvLibraryItemWidget(LibraryView *view, const QModelIndex &index, UserPrompt *prompt);

    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }
    // Refills the labels from the row's current data.
    void updateFromIndex(const QModelIndex &index);
    // Serves the row `index`, whose video is `video`, without filling
    // anything again when it shows that very video already (true); false
    // leaves the widget as it is.
    bool takeRowShowingSameVideo(const QModelIndex &index, const LibraryItem &video);
    LibraryItem item() const { return m_item; }
    QModelIndex index() const { return m_index; }
    // The widget painted for a row at a size; grabbed again unless the last
    // picture shows the same data at the same size and look.
    QPixmap snapshot(const QModelIndex &index, const QSize &size);

    // True when the row's video file was not there when last looked at.
    bool isFileMissing() const { return m_fileMissing; }
    // Looks whether the video file is there again; true when that changed
    // (the next picture shows it).
    bool checkFile();

    QPushButton *button(Button which) const { return m_buttonList.value(which); }
    // What screen readers call a button.
    static QString buttonName(Button which);
    // What a screen reader is told about a row's tile besides its title
    // ("File missing", how much was watched).
    static QString describe(const QModelIndex &index);

    // Gives the keyboard focus to the Play button (then Delete and More).
    void focusFirstButton(Qt::FocusReason reason);

    // "45 sec" or "62 mins" for a duration text such as "0:45" or "1:02:03".
    static QString durationText(const QString &duration);

Q_SIGNALS:
    void doExportSignal(const QString &path);
    void burnRequested(const QString &path);

private Q_SLOTS:
    void onReleaseButtonDelete();
    void onReleaseButtonMenu();
    void onReleaseButtonPlay();
    void categoryLinkClicked(const QString &title);

private:
    void buildForm();
    void fillLinks();
    void showSeparators();
    QString links(const QString &keywords) const;
    // The "File missing" mark and the descriptions screen readers give.
    void showFileState();

    LibraryView *m_view;
    UserPrompt *m_prompt;
    QPersistentModelIndex m_index;
    LibraryItem m_item;
    QString m_thumbnailPath;
    bool m_selected = false;
    bool m_fileMissing = false;
    // The last picture and what it was grabbed from.
    QPixmap m_snapshot;
    LibraryItem m_snapshotItem;
    QSize m_snapshotSize;
    bool m_snapshotSelected = false;

    CorvRoundedWidget *m_preview = nullptr;
    QPushButton *m_play = nullptr;
    PlayProgressMark *m_progress = nullptr;
    QLabel *m_missingMark = nullptr;
    AutoSizeLabel *m_title = nullptr;
    AutoSizeLabel *m_description = nullptr;
    QLabel *m_category = nullptr;
    QLabel *m_stars = nullptr;
    QLabel *m_date = nullptr;
    QLabel *m_duration = nullptr;
    QLabel *m_size = nullptr;
    QLabel *m_format = nullptr;
    QList<QLabel *> m_separators;
    QWidget *m_buttons = nullptr;
    QList<QPushButton *> m_buttonList;
};
