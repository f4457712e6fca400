#pragma once

#include <QPointer>
#include <QWidget>

// A translucent cover laid over the sidebar until the first sign-in. It keeps
// the sidebar's size and place and takes the mouse clicks meant for it.
class SidebarVeil : public QWidget
{
    Q_OBJECT

public:
    SidebarVeil(QWidget *sidebar, QWidget *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void followSidebar();

    QPointer<QWidget> m_sidebar;
};
