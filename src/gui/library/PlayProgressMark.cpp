#include "gui/library/PlayProgressMark.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kLineHeight = 4;
constexpr int kMarkSize = 20;

} // namespace

PlayProgressMark::PlayProgressMark(QWidget *picture) : QWidget(picture)
{
    setObjectName(QStringLiteral("playProgressMark"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(picture->rect());
    picture->installEventFilter(this);
    hide();
}

void PlayProgressMark::setState(double progress, bool watched)
{
    progress = qBound(0.0, progress, 1.0);
    if (qFuzzyCompare(progress + 1.0, m_progress + 1.0) && watched == m_watched)
        return;
    m_progress = progress;
    m_watched = watched;
    setVisible(m_progress > 0.0 || m_watched);
    update();
}

QString PlayProgressMark::describe(double progress, bool watched)
{
    if (progress > 0.0)
        return tr("%1% watched").arg(qRound(progress * 100));
    return watched ? tr("Watched") : QString();
}

void PlayProgressMark::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_progress > 0.0) {
        // Played part in the program's blue over a dark track, along the bottom.
        const QRectF track(0, height() - kLineHeight, width(), kLineHeight);
        painter.fillRect(track, QColor(0, 0, 0, 150));
        QRectF played = track;
        played.setWidth(qMax(2.0, track.width() * m_progress));
        painter.fillRect(played, QColor(0x2a, 0x8d, 0xf0));
    }
    if (m_watched && m_progress <= 0.0) {
        // A white tick on a green disc in the top right corner.
        const QRectF disc(width() - kMarkSize - 5, 5, kMarkSize, kMarkSize);
        painter.setPen(QPen(QColor(255, 255, 255, 220), 1.5));
        painter.setBrush(QColor(0x2e, 0x9e, 0x4f));
        painter.drawEllipse(disc);
        QPainterPath tick;
        tick.moveTo(disc.left() + disc.width() * 0.27, disc.top() + disc.height() * 0.53);
        tick.lineTo(disc.left() + disc.width() * 0.44, disc.top() + disc.height() * 0.70);
        tick.lineTo(disc.left() + disc.width() * 0.74, disc.top() + disc.height() * 0.34);
        painter.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(tick);
    }
}

bool PlayProgressMark::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}
