#include "gui/player/MediaVideoWidget.h"

#include <QAction>
#include <QKeyEvent>

MediaVideoWidget::MediaVideoWidget(QWidget *parent)
    : QVideoWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(tr("Video"));
    m_fullScreenAction = new QAction(tr("Full screen"), this);
    m_fullScreenAction->setCheckable(true);
    m_fullScreenAction->setChecked(false);
    m_fullScreenAction->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Return));
    m_fullScreenAction->setShortcutContext(Qt::WindowShortcut);
    connect(m_fullScreenAction, &QAction::triggered, this, &MediaVideoWidget::toggleFullScreen);
    addAction(m_fullScreenAction);
}

void MediaVideoWidget::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        switch (event->key()) {
        case Qt::Key_Space:
            Q_EMIT playCommand(0);
            return event->accept();
        case Qt::Key_Left:
            Q_EMIT playCommand(2);
            return event->accept();
        case Qt::Key_Right:
            Q_EMIT playCommand(3);
            return event->accept();
        case Qt::Key_Escape:
            Q_EMIT exitFullScreen();
            return event->accept();
        default:
            break;
        }
    }
    QVideoWidget::keyPressEvent(event);
}
