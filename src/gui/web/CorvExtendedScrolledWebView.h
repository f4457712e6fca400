#pragma once

#include "gui/web/WheelCoalescer.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QWebEngineView>

// A web view whose wheel scrolling comes in combined steps at most every
// 60 ms, however fast the wheel turns.
class CorvExtendedScrolledWebView : public QWebEngineView
{
    Q_OBJECT

public:
    explicit CorvExtendedScrolledWebView(QWidget *parent = nullptr);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watchRenderWidget();

    QElapsedTimer m_clock;
    WheelCoalescer m_wheel;
    QPointer<QWidget> m_renderWidget;
    bool m_dispatching = false;
};
