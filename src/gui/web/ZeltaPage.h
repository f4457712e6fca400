#pragma once

#include <QPointer>
#include <QUrl>
#include <QWebEnginePage>

class QWebEngineView;

// A page of the site: decides which links become downloads, which load in
// place and which are refused. New-window links load in the same view; local
// files are never opened.
class ZeltaPage : public QWebEnginePage
{
    Q_OBJECT

public:
    enum LinkKind
    {
        OtherLink,
        DescriptorLink, // a ".corvana" file: goes to the download manager
        MediaLink       // a video or installer: downloaded directly
    };

    ZeltaPage(QWebEngineProfile *profile, QWebEngineView *view);

    static LinkKind linkKind(const QUrl &url);
    static bool isLocalFile(const QUrl &url);

    // A link or a download the engine offers: starts the download the link
    // names and returns true, or returns false when it names none.
    bool routeDownload(const QUrl &url);

    // Stops a video playing in the page.
    void stopPagePlayer();

Q_SIGNALS:
    void descriptorRequested(const QUrl &url);
    void directDownloadRequested(const QUrl &url);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                  int lineNumber, const QString &sourceID) override;

private Q_SLOTS:
    void showProgress(int progress);
    void checkFinished(bool ok);

private:
    void openFromNewWindow(const QUrl &url);

    QPointer<QWebEngineView> m_view;
};
