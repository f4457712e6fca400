#pragma once

#include <QStyle>
#include <QTimer>
#include <QWidget>

class AutoSizeLabel;
class CorvWebSearchWidget;
class QLabel;
class QToolButton;

// The row above the site's pages: back, forward, home, reload and stop, the
// page's title, a spinner while a page loads, and the site search field.
class WebToolbar : public QWidget
{
    Q_OBJECT

public:
    explicit WebToolbar(QWidget *parent = nullptr);

    void setTitle(const QString &title);
    void setNavigation(bool canGoBack, bool canGoForward);
    // The spinner turns from the first load started until stopProgress().
    void startProgress();
    void stopProgress();
    CorvWebSearchWidget *searchField() const { return m_searchField; }

Q_SIGNALS:
    void backRequested();
    void forwardRequested();
    void homeRequested();
    void reloadRequested();
    void stopRequested();
    void searchFor(const QString &text);

private:
    QToolButton *addButton(QStyle::StandardPixmap icon, const QString &name,
                           void (WebToolbar::*signal)());
    void nextProgressFrame();

    QToolButton *m_back = nullptr;
    QToolButton *m_forward = nullptr;
    AutoSizeLabel *m_titleLabel = nullptr;
    QLabel *m_progress = nullptr;
    CorvWebSearchWidget *m_searchField = nullptr;
    QTimer m_progressTimer;
    int m_progressFrame = 1;
};
