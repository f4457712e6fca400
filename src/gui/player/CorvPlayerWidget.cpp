#include "gui/player/CorvPlayerWidget.h"

#include "gui/player/MediaVideoWidget.h"
#include "gui/player/Toolbar.h"
#include "gui/player/VideoOverlay.h"

#include <QAbstractSlider>
#include <QApplication>
#include <QKeyEvent>
#include <QPropertyAnimation>
#include <QScreen>
#include <QVBoxLayout>

CorvPlayerWidget::CorvPlayerWidget(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("CorvPlayerWidget"));
    m_video = new MediaVideoWidget(this);
    m_toolbar = new Toolbar(this);
    m_toolbar->setFixedHeight(0);
    m_toolbar->hide();

    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->addWidget(m_video, 1);
    m_layout->addWidget(m_toolbar, 0, Qt::AlignHCenter);

    m_fadeTimer.setSingleShot(true);
    m_fadeTimer.setInterval(FadeDelayMs);
    connect(&m_fadeTimer, &QTimer::timeout, m_toolbar, &Toolbar::fadeOut);
    connect(m_video, &MediaVideoWidget::toggleFullScreen, this,
            &CorvPlayerWidget::toggleFullScreen);
    connect(m_toolbar, &Toolbar::fullScreen, this, &CorvPlayerWidget::toggleFullScreen);
    connect(m_video, &MediaVideoWidget::exitFullScreen, this, &CorvPlayerWidget::exitFullScreen);
    connect(m_toolbar, &Toolbar::playCommand, this, &CorvPlayerWidget::playCommand);
    connect(m_video, &MediaVideoWidget::playCommand, this, &CorvPlayerWidget::playCommand);

    m_titleOverlay = new VideoOverlay(m_video);
    m_endOverlay = new VideoOverlay(m_video);
    connect(m_endOverlay, &VideoOverlay::replayRequested, this, &CorvPlayerWidget::replayRequested);
    qApp->installEventFilter(this);
}

CorvPlayerWidget::~CorvPlayerWidget()
{
    qApp->removeEventFilter(this);
    // The floating bar is a window of its own only in full screen; it is
    // always our child, so it goes with us.
}

void CorvPlayerWidget::toggleFullScreen()
{
    if (m_fullScreen) {
        exitFullScreen();
        return;
    }
    m_fullScreen = true;
    m_video->fullScreenAction()->setChecked(true);
    // Full screen on the monitor that shows the player now.
    QScreen *screen = this->screen();
    setWindowFlags(windowFlags() | Qt::Window);
    if (screen)
        setGeometry(screen->geometry());
    setWindowState(windowState() | Qt::WindowFullScreen);

    m_layout->removeWidget(m_toolbar);
    m_toolbar->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    m_toolbar->setFullScreenLook(true);
    m_toolbar->setWindowOpacity(1.0);

    show();
    // The window manager makes the window full screen later; resizeEvent()
    // places the bar again once the final size is known.
    placeFloatingToolbar();
    m_toolbar->show();
    m_video->setFocus();
    m_fadeTimer.start();
}

QRect CorvPlayerWidget::floatingToolbarPlace(const QRect &area, const QSize &hint, int minimumWidth)
{
    const int height = hint.height() > 0 ? hint.height() : 50;
    const int width =
        qMin(area.width(), qMax(qMax(minimumWidth, hint.width()), area.width() * 2 / 3));
    const int x = area.x() + (area.width() - width) / 2;
    const int y = area.y() + qMax(0, qMin(area.height() / 7 * 6, area.height() - height));
    return QRect(x, y, width, height);
}

void CorvPlayerWidget::placeFloatingToolbar()
{
    const int height = m_toolbar->height() > 0 ? m_toolbar->height() : 50;
    m_toolbar->setFixedHeight(height);
    const QRect place = floatingToolbarPlace(
        geometry(), QSize(m_toolbar->sizeHint().width(), height), m_toolbar->minimumWidth());
    m_toolbar->setGeometry(place);
}

void CorvPlayerWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_fullScreen)
        placeFloatingToolbar();
}

void CorvPlayerWidget::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    if (m_fullScreen)
        placeFloatingToolbar();
}

void CorvPlayerWidget::showTitle(const QString &title, const QString &channel)
{
    m_endOverlay->dismiss();
    setWindowTitle(title);
    if (isVisible())
        m_titleOverlay->showCaption(title, channel);
}

void CorvPlayerWidget::showEnded(const QString &title)
{
    m_titleOverlay->dismiss();
    if (isVisible())
        m_endOverlay->showReplay(title);
}

void CorvPlayerWidget::hideEnded()
{
    m_endOverlay->dismiss();
}

bool CorvPlayerWidget::handleKey(QKeyEvent *event)
{
    if (event->modifiers() != Qt::NoModifier && event->modifiers() != Qt::KeypadModifier)
        return false;
    switch (event->key()) {
    case Qt::Key_F11:
        toggleFullScreen();
        return true;
    case Qt::Key_Up:
        Q_EMIT volumeStepRequested(VolumeStepPercent);
        return true;
    case Qt::Key_Down:
        Q_EMIT volumeStepRequested(-VolumeStepPercent);
        return true;
    case Qt::Key_M:
        Q_EMIT muteToggleRequested();
        return true;
    default:
        return false;
    }
}

void CorvPlayerWidget::keyPressEvent(QKeyEvent *event)
{
    if (handleKey(event))
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

void CorvPlayerWidget::exitFullScreen()
{
    if (!m_fullScreen)
        return;
    m_fullScreen = false;
    m_video->fullScreenAction()->setChecked(false);
    hide();
    setWindowState(windowState() & ~Qt::WindowFullScreen);
    setWindowFlags(windowFlags() & ~Qt::Window);
    m_fadeTimer.stop();

    m_toolbar->opacityAnimation()->stop();
    m_toolbar->setWindowFlags(Qt::Widget);
    m_toolbar->setWindowOpacity(1.0);
    m_toolbar->setFullScreenLook(false);
    m_toolbar->setFixedHeight(50);
    m_layout->addWidget(m_toolbar, 0, Qt::AlignHCenter);
    show();
    m_toolbar->show();
    m_video->setFocus();
}

bool CorvPlayerWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_fullScreen) {
        // Buttons of the bar take arrow keys for moving the focus; on the
        // player page, Up, Down, M and F11 are the player's.
        auto *widget = qobject_cast<QWidget *>(watched);
        if (event->type() == QEvent::KeyPress && widget && widget != this && isAncestorOf(widget) &&
            !qobject_cast<QAbstractSlider *>(widget) && handleKey(static_cast<QKeyEvent *>(event)))
            return true;
        return QWidget::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::MouseMove:
        m_fadeTimer.start();
        m_toolbar->fadeIn();
        return true;
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape) {
            exitFullScreen();
            return true;
        }
        // The floating bar is a window of its own: its keys count here too.
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && (widget == m_toolbar || m_toolbar->isAncestorOf(widget)) && handleKey(key))
            return true;
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void CorvPlayerWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    toggleFullScreen();
    event->accept();
}
