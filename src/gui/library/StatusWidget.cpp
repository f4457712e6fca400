#include "gui/library/StatusWidget.h"

#include "gui/mainwindow/AutoSizeLabel.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMovie>
#include <QTimeLine>

StatusWidget::StatusWidget(QWidget *parent)
    : QFrame(parent), m_busy(new QLabel(this)), m_text(new AutoSizeLabel(this, Qt::ElideMiddle)),
      m_movie(new QMovie(QStringLiteral(":/images/progress/exportLoader.gif"), QByteArray(), this)),
      m_timeLine(new QTimeLine(500, this))
{
    setObjectName(QStringLiteral("StatusWidget"));
    // By class, not by name: the page names its strip "statusWidget".
    setStyleSheet(QStringLiteral("StatusWidget { background: black; } QLabel { color: white; }"));
    setFixedHeight(m_fullHeight);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 2, 10, 2);
    m_busy->setMovie(m_movie);
    layout->addWidget(m_busy);
    // File names can be long: shortened in the middle, the count at the end
    // stays in sight.
    m_text->setObjectName(QStringLiteral("statusText"));
    layout->addWidget(m_text, 1);
    m_timeLine->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_timeLine, &QTimeLine::valueChanged, this, &StatusWidget::animateStatusWidget);
    connect(m_timeLine, &QTimeLine::finished, this, &StatusWidget::animationComplete);
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        setAnimationDuration(0);
    hide();
}

QString StatusWidget::text() const
{
    return m_text->fullText();
}

void StatusWidget::setAnimationDuration(int ms)
{
    m_duration = std::max(ms, 0);
    if (m_duration > 0)
        m_timeLine->setDuration(m_duration);
}

void StatusWidget::animateStatusWidget(qreal value)
{
    setFixedHeight(std::max(1, qRound(m_fullHeight * value)));
}

void StatusWidget::animationComplete()
{
    if (m_showing) {
        setFixedHeight(m_fullHeight);
        if (!m_busy->isHidden())
            m_movie->start();
        return;
    }
    m_movie->stop();
    setFixedHeight(m_fullHeight);
    hide();
}

void StatusWidget::run(bool forward)
{
    if (m_duration == 0) {
        animationComplete();
        return;
    }
    // A slide under way turns round from where it is.
    const bool running = m_timeLine->state() == QTimeLine::Running;
    m_timeLine->setDirection(forward ? QTimeLine::Forward : QTimeLine::Backward);
    if (!running) {
        m_timeLine->setCurrentTime(forward ? 0 : m_timeLine->duration());
        m_timeLine->start();
    }
}

void StatusWidget::showStatus(const QString &message)
{
    m_busy->show();
    if (m_showing && m_movie->state() != QMovie::Running &&
        m_timeLine->state() != QTimeLine::Running)
        m_movie->start();
    if (!message.isEmpty())
        m_text->setText(message);
    if (m_showing)
        return;
    m_showing = true;
    if (isHidden()) {
        animateStatusWidget(0);
        show();
    }
    run(true);
}

void StatusWidget::showResult(const QString &message)
{
    showStatus(message);
    m_movie->stop();
    m_busy->hide();
}

bool StatusWidget::isBusy() const
{
    return m_showing && !m_busy->isHidden();
}

void StatusWidget::showStatus()
{
    showStatus(tr("Importing files..."));
}

void StatusWidget::hideStatus()
{
    if (!m_showing)
        return;
    m_showing = false;
    m_movie->stop();
    run(false);
}
