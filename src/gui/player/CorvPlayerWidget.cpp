#include "gui/player/CorvPlayerWidget.h"

#include "gui/player/MediaVideoWidget.h"
#include "gui/player/Toolbar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPropertyAnimation>
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
    setWindowFlags(windowFlags() | Qt::Window);
    setWindowState(windowState() | Qt::WindowFullScreen);

    m_layout->removeWidget(m_toolbar);
    m_toolbar->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    m_toolbar->setFullScreenLook(true);
    m_toolbar->setWindowOpacity(1.0);

    show();
    placeFloatingToolbar();
    m_toolbar->show();
    m_fadeTimer.start();
}

void CorvPlayerWidget::placeFloatingToolbar()
{
    const QRect area = geometry();
    const int width = qMax(m_toolbar->width(), m_toolbar->sizeHint().width());
    m_toolbar->resize(width, m_toolbar->height() > 0 ? m_toolbar->height() : 50);
    m_toolbar->move(area.x() + (area.width() - width) / 2, area.y() + area.height() / 7 * 6);
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
    m_layout->addWidget(m_toolbar, 0, Qt::AlignHCenter);
    show();
    m_toolbar->show();
}

bool CorvPlayerWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_fullScreen)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseMove:
        m_fadeTimer.start();
        m_toolbar->fadeIn();
        return true;
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            exitFullScreen();
            return true;
        }
        break;
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
