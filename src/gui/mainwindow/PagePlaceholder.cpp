#include "gui/mainwindow/PagePlaceholder.h"

PagePlaceholder::PagePlaceholder(const QString &name, QWidget *parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("placeholder"));
    setAlignment(Qt::AlignCenter);
    setAccessibleName(name);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
}
