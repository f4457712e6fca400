#pragma once

#include "gui/downloads/DownloadCard.h"

#include <QListView>
#include <QPointer>

class Download;
class DownloadDelegate;
class DownloadListModel;
class DownloadManager;
class QMenu;
class UserPrompt;

// The list of the downloads page: one painted card per download of the
// manager. Up and Down move between the cards, Left and Right between the
// buttons of the current card, Enter and Space press the button (mending a
// failed download, else pausing or resuming it), Delete removes the
// download, and the context menu holds every button of the card.
class DownloadView : public QListView
{
    Q_OBJECT

public:
    // Asks before a removal through `prompt` (not owned; the window that
    // owns the engines outlives the page).
    explicit DownloadView(UserPrompt *prompt, QWidget *parent = nullptr);

    void setDownloadManager(DownloadManager *manager);
    DownloadListModel *listModel() const { return m_model; }
    Download *download(const QModelIndex &index) const;
    DownloadCard::Actions actions(const QModelIndex &index) const;
    // Where a card draws a button, in viewport coordinates (empty when the
    // card has no such button).
    QRect buttonRect(const QModelIndex &index, DownloadCard::Action action) const;
    // The button the keyboard is on in the current card.
    DownloadCard::Action keyboardAction() const;
    // The menu of a card's buttons (owned by the caller).
    QMenu *makeContextMenu(const QModelIndex &index);

public Q_SLOTS:
    // Does what the card's button does.
    void trigger(const QModelIndex &index, DownloadCard::Action action);

Q_SIGNALS:
    // Play this (possibly partly written) file.
    void playRequested(const QString &path);
    // The site refused the member's password: sign in again.
    void signInRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    bool forwardMouse(QMouseEvent *event);
    void setKeyboardAction(int action);
    void removeDownload(Download *download);

    UserPrompt *m_prompt;
    DownloadListModel *m_model;
    DownloadDelegate *m_delegate;
    // The action of the keyboard's button in the current card, -1 for the
    // card's default one.
    int m_keyboardAction = -1;
};
