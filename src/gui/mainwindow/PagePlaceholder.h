#pragma once

#include <QLabel>

// Stands in a page slot of the main window until the page itself is built.
class PagePlaceholder : public QLabel
{
    Q_OBJECT

public:
    PagePlaceholder(const QString &name, QWidget *parent);
};
