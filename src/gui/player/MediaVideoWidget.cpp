#include "gui/player/MediaVideoWidget.h"

#include "gui/player/MpvPlayer.h"
#include "gui/player/MpvRenderer.h"

#include <QAction>
#include <QKeyEvent>
#include <QPainter>

MediaVideoWidget::MediaVideoWidget(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(tr("Video"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_fullScreenAction = new QAction(tr("Full screen"), this);
    m_fullScreenAction->setCheckable(true);
    m_fullScreenAction->setChecked(false);
    m_fullScreenAction->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Return));
    m_fullScreenAction->setShortcutContext(Qt::WindowShortcut);
    connect(m_fullScreenAction, &QAction::triggered, this, &MediaVideoWidget::toggleFullScreen);
    addAction(m_fullScreenAction);
}

MediaVideoWidget::~MediaVideoWidget() = default;

void MediaVideoWidget::setPlayer(MpvPlayer *player)
{
    if (m_player)
        disconnect(m_player, nullptr, this, nullptr);
    m_player = player;
    showPicture(QImage());
    if (!player)
        return;
    connect(player, &MpvPlayer::pictureChanged, this, &MediaVideoWidget::showPicture);
    updateArea();
}

QRect MediaVideoWidget::pictureRect() const
{
    if (m_picture.isNull())
        return {};
    const QSize size = MpvRenderer::fittedSize(m_picture.size(), this->size());
    return QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
}

void MediaVideoWidget::showPicture(const QImage &picture)
{
    m_picture = picture;
    update();
    Q_EMIT pictureChanged();
}

void MediaVideoWidget::updateArea()
{
    if (m_player)
        m_player->setPictureArea(size() * devicePixelRatioF());
}

void MediaVideoWidget::paintEvent(QPaintEvent *event)
{
    updateArea(); // the screen's pixel ratio may have changed
    QPainter painter(this);
    const QRect shown = pictureRect();
    const QRegion bars = QRegion(event->rect()).subtracted(shown);
    for (const QRect &bar : bars)
        painter.fillRect(bar, Qt::black);
    if (shown.isEmpty())
        return;
    // Made for this size already, except for a moment after a resize.
    painter.drawImage(shown, m_picture);
}

void MediaVideoWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateArea();
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
    QWidget::keyPressEvent(event);
}
