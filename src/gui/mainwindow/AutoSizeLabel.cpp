#include "gui/mainwindow/AutoSizeLabel.h"

#include <QResizeEvent>

AutoSizeLabel::AutoSizeLabel(QWidget *parent, Qt::TextElideMode mode) : QLabel(parent), m_mode(mode)
{
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QSize AutoSizeLabel::minimumSizeHint() const
{
    return {0, QLabel::minimumSizeHint().height()};
}

void AutoSizeLabel::setText(const QString &text)
{
    m_fullText = text;
    setToolTip(text);
    setAccessibleName(text);
    elide();
}

void AutoSizeLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    elide();
}

void AutoSizeLabel::elide()
{
    QLabel::setText(fontMetrics().elidedText(m_fullText, m_mode, contentsRect().width()));
}
