#pragma once

#include <QWidget>

class QWebEnginePage;
class QWebEngineView;

// A window with the web engine's developer tools for one page.
class CustomWebInspector : public QWidget
{
    Q_OBJECT

public:
    explicit CustomWebInspector(QWidget *parent = nullptr);

    // Shows the tools of `page` (nullptr detaches them).
    void setPage(QWebEnginePage *page);
    QWebEnginePage *page() const;

Q_SIGNALS:
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QWebEngineView *m_view;
};
