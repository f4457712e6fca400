#include "gui/mainwindow/FieldButtonOverlay.h"

#include <QAbstractButton>
#include <QEvent>
#include <QLayout>
#include <QLineEdit>

FieldButtonOverlay::FieldButtonOverlay(QLineEdit *field, QAbstractButton *button, int rightMargin)
    : QObject(field), m_field(field), m_button(button), m_rightMargin(rightMargin)
{
    if (QWidget *owner = button->parentWidget(); owner && owner->layout())
        owner->layout()->removeWidget(button);
    const bool hidden = button->isHidden();
    button->setParent(field);
    button->setVisible(!hidden);
    field->installEventFilter(this);
    place();
}

bool FieldButtonOverlay::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        place();
    return QObject::eventFilter(watched, event);
}

void FieldButtonOverlay::place()
{
    const QSize size = m_button->sizeHint();
    m_button->setGeometry(m_field->width() - size.width() - m_rightMargin,
                          (m_field->height() - size.height()) / 2, size.width(), size.height());
}
