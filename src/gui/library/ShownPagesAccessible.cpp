#include "gui/library/ShownPagesAccessible.h"

#include <QStackedWidget>

namespace {

const char *g_ownerClass = nullptr;

QAccessibleInterface *shownPagesFactory(const QString &className, QObject *object)
{
    auto *pages = qobject_cast<QStackedWidget *>(object);
    if (className != QLatin1String("QStackedWidget") || !pages || !pages->parent() ||
        !pages->parent()->inherits(g_ownerClass))
        return nullptr;
    return new ShownPagesAccessible(pages);
}

} // namespace

ShownPagesAccessible::ShownPagesAccessible(QStackedWidget *pages)
    : QAccessibleWidget(pages, QAccessible::LayeredPane)
{
}

QList<QWidget *> ShownPagesAccessible::shownChildren() const
{
    QList<QWidget *> shown;
    for (QWidget *child : widget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow() && !child->isHidden())
            shown << child;
    }
    return shown;
}

int ShownPagesAccessible::childCount() const
{
    return int(shownChildren().size());
}

QAccessibleInterface *ShownPagesAccessible::child(int index) const
{
    const QList<QWidget *> shown = shownChildren();
    return index >= 0 && index < shown.size()
               ? QAccessible::queryAccessibleInterface(shown.at(index))
               : nullptr;
}

int ShownPagesAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child)
        return -1;
    return int(shownChildren().indexOf(qobject_cast<QWidget *>(child->object())));
}

void ShownPagesAccessible::install(const char *ownerClass)
{
    if (g_ownerClass)
        return;
    g_ownerClass = ownerClass;
    QAccessible::installFactory(shownPagesFactory);
}
