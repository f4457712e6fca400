#include "gui/player/VideoOverlay.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

VideoOverlay::VideoOverlay(QWidget *video) : PictureOverlay(video)
{
    setObjectName(QStringLiteral("VideoOverlay"));
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
    showOverPicture();
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
    showOverPicture();
}

void VideoOverlay::dismiss()
{
    m_hideTimer.stop();
    hide();
}

void VideoOverlay::place(const QRect &area)
{
    const QSize size = sizeHint().boundedTo(area.size());
    resize(size);
    if (m_replayMode)
        move(area.center() - QPoint(size.width() / 2, size.height() / 2));
    else
        move(area.topLeft() + QPoint(24, 24));
}
