#include "gui/web/AutoSizeLabel.h"

#include <QResizeEvent>

AutoSizeLabel::AutoSizeLabel(QWidget *parent) : QLabel(parent)
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
    QLabel::setText(fontMetrics().elidedText(m_fullText, Qt::ElideRight, contentsRect().width()));
}
