#include "gui/downloads/DownloadView.h"

#include "core/UserPrompt.h"
#include "downloads/Download.h"
#include "downloads/DownloadManager.h"
#include "gui/downloads/DownloadDelegate.h"
#include "gui/downloads/DownloadListModel.h"
#include "gui/downloads/DownloadViewAccessible.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

namespace {

// The other face of the same button (Pause and Resume, Retry and Sign In).
int counterpart(int action)
{
    switch (action) {
    case DownloadCard::Pause:
        return DownloadCard::Resume;
    case DownloadCard::Resume:
        return DownloadCard::Pause;
    case DownloadCard::Retry:
        return DownloadCard::SignIn;
    case DownloadCard::SignIn:
        return DownloadCard::Retry;
    default:
        return action;
    }
}

} // namespace

DownloadView::DownloadView(UserPrompt *prompt, QWidget *parent)
    : QListView(parent), m_prompt(prompt), m_model(new DownloadListModel(this)),
      m_delegate(new DownloadDelegate(this))
{
    DownloadViewAccessible::install();
    setObjectName(QStringLiteral("DownloadView"));
    setAccessibleName(tr("Downloads"));
    setViewMode(QListView::ListMode);
    setFlow(QListView::TopToBottom);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setItemDelegate(m_delegate);
    m_delegate->setKeyboardButtonSource([this] { return int(keyboardAction()); });
    connect(m_delegate, &DownloadDelegate::actionTriggered, this, &DownloadView::trigger);
    setModel(m_model);
}

void DownloadView::setDownloadManager(DownloadManager *manager)
{
    m_model->setDownloadManager(manager);
}

Download *DownloadView::download(const QModelIndex &index) const
{
    return m_model->download(index);
}

DownloadCard::Actions DownloadView::actions(const QModelIndex &index) const
{
    return index.data(DownloadListModel::ActionsRole).value<DownloadCard::Actions>();
}

QRect DownloadView::buttonRect(const QModelIndex &index, DownloadCard::Action action) const
{
    if (!index.isValid() || index.model() != model())
        return QRect();
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    return DownloadDelegate::card(option, index).buttonRect(action);
}

DownloadCard::Action DownloadView::keyboardAction() const
{
    const DownloadCard::Actions offered = actions(currentIndex());
    for (const int action : {m_keyboardAction, counterpart(m_keyboardAction)}) {
        if (action >= 0 && offered.contains(DownloadCard::Action(action)))
            return DownloadCard::Action(action);
    }
    return DownloadCard::defaultAction(offered);
}

void DownloadView::setKeyboardAction(int action)
{
    m_keyboardAction = action;
    if (currentIndex().isValid())
        update(currentIndex());
}

void DownloadView::trigger(const QModelIndex &index, DownloadCard::Action action)
{
    Download *download = this->download(index);
    if (!download)
        return;
    switch (action) {
    case DownloadCard::Play:
        Q_EMIT playRequested(download->mediaPath());
        break;
    case DownloadCard::Pause:
        // A resume still asking the descriptor pauses too.
        if (download->state() != Download::Paused || download->isResuming())
            download->pause();
        break;
    case DownloadCard::Resume:
        if (download->state() == Download::Paused && !download->isResuming())
            download->resume();
        break;
    case DownloadCard::Retry:
        download->resume();
        break;
    case DownloadCard::SignIn:
        // The downloads resume once the member is signed in.
        Q_EMIT signInRequested();
        break;
    case DownloadCard::Cancel:
    case DownloadCard::Remove:
        removeDownload(download);
        break;
    }
}

void DownloadView::removeDownload(Download *download)
{
    const QPointer<Download> asked(download);
    const UserPrompt::Button answer =
        m_prompt->question(DownloadCard::tr("CorvanaZELTA"),
                           DownloadCard::tr("Are you sure you want to remove this download?"),
                           UserPrompt::Yes | UserPrompt::No, UserPrompt::No);
    if (answer == UserPrompt::Yes && asked && asked->state() != Download::Cancelled)
        asked->cancel();
}

void DownloadView::keyPressEvent(QKeyEvent *event)
{
    const QModelIndex current = currentIndex();
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (current.isValid() && plain) {
        const DownloadCard::Actions offered = actions(current);
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right: {
            const bool forward = (event->key() == Qt::Key_Right) == !isRightToLeft();
            const qsizetype at = offered.indexOf(keyboardAction());
            const qsizetype next =
                qBound<qsizetype>(0, at + (forward ? 1 : -1), offered.size() - 1);
            if (!offered.isEmpty())
                setKeyboardAction(offered.at(next));
            event->accept();
            return;
        }
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            event->accept();
            trigger(current, keyboardAction());
            return;
        case Qt::Key_Delete:
            event->accept();
            trigger(current, offered.contains(DownloadCard::Remove) ? DownloadCard::Remove
                                                                    : DownloadCard::Cancel);
            return;
        default:
            break;
        }
    }
    QListView::keyPressEvent(event);
}

bool DownloadView::forwardMouse(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid()) {
        if (event->type() == QEvent::MouseMove)
            m_delegate->clearHover();
        return false;
    }
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    return m_delegate->editorEvent(event, model(), option, index);
}

void DownloadView::mousePressEvent(QMouseEvent *event)
{
    QListView::mousePressEvent(event);
    forwardMouse(event);
}

void DownloadView::mouseMoveEvent(QMouseEvent *event)
{
    QListView::mouseMoveEvent(event);
    forwardMouse(event);
}

void DownloadView::mouseReleaseEvent(QMouseEvent *event)
{
    // The card's button first: its press may take the row away.
    forwardMouse(event);
    QListView::mouseReleaseEvent(event);
}

bool DownloadView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::Leave)
        m_delegate->clearHover();
    return QListView::viewportEvent(event);
}

void DownloadView::contextMenuEvent(QContextMenuEvent *event)
{
    const bool mouse = event->reason() == QContextMenuEvent::Mouse;
    const QModelIndex index = mouse ? indexAt(event->pos()) : currentIndex();
    if (!index.isValid())
        return;
    if (mouse)
        setCurrentIndex(index);
    QMenu *menu = makeContextMenu(index);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QPoint at = mouse ? event->pos() : buttonRect(index, keyboardAction()).bottomLeft();
    menu->popup(viewport()->mapToGlobal(at));
}

QMenu *DownloadView::makeContextMenu(const QModelIndex &index)
{
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("downloadMenu"));
    const QPersistentModelIndex row(index);
    for (const DownloadCard::Action action : actions(index)) {
        menu->addAction(DownloadCard::actionName(action), this, [this, row, action] {
            if (row.isValid())
                trigger(row, action);
        });
    }
    return menu;
}

void DownloadView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    m_keyboardAction = -1;
    QListView::currentChanged(current, previous);
}

void DownloadView::focusInEvent(QFocusEvent *event)
{
    QListView::focusInEvent(event);
    if (currentIndex().isValid())
        update(currentIndex());
}

void DownloadView::focusOutEvent(QFocusEvent *event)
{
    QListView::focusOutEvent(event);
    if (currentIndex().isValid())
        update(currentIndex());
}
