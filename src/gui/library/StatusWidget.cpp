#include "gui/library/StatusWidget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMovie>

StatusWidget::StatusWidget(QWidget *parent)
    : QFrame(parent), m_busy(new QLabel(this)), m_text(new QLabel(this)),
      m_movie(new QMovie(QStringLiteral(":/images/progress/exportLoader.gif"), QByteArray(), this))
{
    setObjectName(QStringLiteral("StatusWidget"));
    setStyleSheet(QStringLiteral("#StatusWidget { background: black; } QLabel { color: white; }"));
    setFixedHeight(30);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 2, 10, 2);
    m_busy->setMovie(m_movie);
    layout->addWidget(m_busy);
    layout->addWidget(m_text, 1);
    hide();
}

QString StatusWidget::text() const
{
    return m_text->text();
}

void StatusWidget::showStatus(const QString &message)
{
    if (!message.isEmpty())
        m_text->setText(message);
    if (isHidden()) {
        show();
        m_movie->start();
    }
}

void StatusWidget::showStatus()
{
    showStatus(tr("Importing files..."));
}

void StatusWidget::hideStatus()
{
    if (isHidden())
        return;
    m_movie->stop();
    hide();
}
