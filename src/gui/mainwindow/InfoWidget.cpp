#include "gui/mainwindow/InfoWidget.h"

#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

InfoWidget::InfoWidget(QWidget *parent) : QWidget(parent), m_label(new QLabel(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_label);
    m_label->setAlignment(Qt::AlignCenter);
}

void InfoWidget::setPicture(const QPixmap &pixmap, const QString &description)
{
    m_label->setAccessibleName(description);
    setFixedSize(pixmap.deviceIndependentSize().toSize());
    m_label->setPixmap(pixmap);
}

void InfoWidget::showPicture(bool dark)
{
    setAutoFillBackground(dark);
    if (dark) {
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, Qt::black);
        setPalette(palette);
    }
    m_label->setStyleSheet(dark ? QStringLiteral("background-color: black;") : QString());
    show();
}
