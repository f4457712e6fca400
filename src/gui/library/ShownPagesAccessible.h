#pragma once

#include <QAccessibleWidget>

class QStackedWidget;

// What a screen reader sees of a stack of pages: only the page on show.
// The pages behind it (the detail table while the tiles show, and the other
// way round) stay out of the accessible tree.
class ShownPagesAccessible : public QAccessibleWidget
{
public:
    explicit ShownPagesAccessible(QStackedWidget *pages);

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;

    // Makes every stack owned by a widget of class `ownerClass` report only
    // its shown page (the first call decides).
    static void install(const char *ownerClass);

private:
    QList<QWidget *> shownChildren() const;
};
