#include "gui/player/VideoOverlay.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

VideoOverlay::VideoOverlay(QWidget *video)
    : QWidget(video, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      m_video(video)
{
    setObjectName(QStringLiteral("VideoOverlay"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral(
        "QWidget#VideoOverlay { background: #202428; border: 1px solid #50565c; }"
        "QLabel { color: #ffffff; }"
        "QLabel#overlayTitle { font-size: 16pt; font-weight: bold; }"
        "QLabel#overlayChannel { color: #c8d4e0; font-size: 11pt; }"
        "QPushButton { font-size: 12pt; padding: 6px 24px; color: #ffffff; background: #2a5db0;"
        " border: 1px solid #7fa6e0; border-radius: 4px; }"
        "QPushButton:focus { border: 2px solid #f0b429; }"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 10, 16, 12);
    layout->setSpacing(6);
    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("overlayTitle"));
    m_title->setTextFormat(Qt::PlainText);
    m_channel = new QLabel(this);
    m_channel->setObjectName(QStringLiteral("overlayChannel"));
    m_channel->setTextFormat(Qt::PlainText);
    m_replay = new QPushButton(tr("Replay"), this);
    m_replay->setAccessibleName(tr("Replay"));
    layout->addWidget(m_title);
    layout->addWidget(m_channel);
    layout->addWidget(m_replay, 0, Qt::AlignHCenter);
    connect(m_replay, &QPushButton::clicked, this, [this] {
        dismiss();
        Q_EMIT replayRequested();
    });

    m_hideTimer.setSingleShot(true);
    connect(&m_hideTimer, &QTimer::timeout, this, &VideoOverlay::dismiss);
    video->installEventFilter(this);
}

QString VideoOverlay::titleText() const
{
    return m_title->text();
}

QString VideoOverlay::channelText() const
{
    return m_channel->isHidden() ? QString() : m_channel->text();
}

void VideoOverlay::showCaption(const QString &title, const QString &channel, int ms)
{
    m_replayMode = false;
    m_title->setText(title);
    m_channel->setText(channel);
    m_channel->setVisible(!channel.isEmpty());
    m_replay->hide();
    setAccessibleName(channel.isEmpty() ? title : title + QStringLiteral(", ") + channel);
    adjustSize();
    watchWindow();
    place();
    show();
    raise();
    m_hideTimer.start(ms);
}

void VideoOverlay::showReplay(const QString &title)
{
    m_hideTimer.stop();
    m_replayMode = true;
    m_title->setText(title);
    m_channel->hide();
    m_replay->show();
    setAccessibleName(tr("Playback ended"));
    adjustSize();
    watchWindow();
    place();
    show();
    raise();
}

void VideoOverlay::dismiss()
{
    m_hideTimer.stop();
    hide();
}

// The picture's window changes when the player goes full screen: follow
// whichever window holds it now.
void VideoOverlay::watchWindow()
{
    QWidget *window = m_video ? m_video->window() : nullptr;
    if (window == m_watchedWindow)
        return;
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
    m_watchedWindow = window;
    if (window)
        window->installEventFilter(this);
}

void VideoOverlay::place()
{
    if (!m_video)
        return;
    const QRect area(m_video->mapToGlobal(QPoint(0, 0)), m_video->size());
    const QSize size = sizeHint().boundedTo(area.size());
    resize(size);
    if (m_replayMode)
        move(area.center() - QPoint(size.width() / 2, size.height() / 2));
    else
        move(area.topLeft() + QPoint(24, 24));
}

bool VideoOverlay::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
        if (isVisible())
            place();
        break;
    case QEvent::Hide:
        if (watched == m_video && !m_video->isVisible())
            hide(); // the page went away; the overlay goes with it
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
