#include "gui/mainwindow/CustomWebInspector.h"

#include <QCloseEvent>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

CustomWebInspector::CustomWebInspector(QWidget *parent)
    : QWidget(parent, Qt::Window), m_view(new QWebEngineView(this))
{
    setWindowTitle(tr("Web Inspector"));
    setAccessibleName(tr("Web Inspector"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    resize(900, 600);
}

void CustomWebInspector::setPage(QWebEnginePage *page)
{
    m_view->page()->setInspectedPage(page);
}

QWebEnginePage *CustomWebInspector::page() const
{
    return m_view->page()->inspectedPage();
}

void CustomWebInspector::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    Q_EMIT closed();
}
