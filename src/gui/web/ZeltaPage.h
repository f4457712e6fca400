#pragma once

#include <QPointer>
#include <QUrl>
#include <QWebEnginePage>

class QWebEngineView;
class WebProfile;

// A page of the site: decides which links become downloads, which load in
// place and which are refused. New-window links load in the same view. Only
// web addresses are ever loaded (and the program's own offline page), and
// only the site's own main frame starts downloads.
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

    // `profile` answers authentication and certificate questions (not owned).
    ZeltaPage(WebProfile *profile, QWebEngineView *view);

    static LinkKind linkKind(const QUrl &url);
    static bool isLocalFile(const QUrl &url);
    // Whether a view may load `url`: web addresses; besides them the blank
    // page inside frames and, for the program's own loads, its resources.
    static bool mayLoad(const QUrl &url, NavigationType type);

    // Whether what the page shows now is one of the site's own pages.
    bool showsSitePage() const;

    // A link or a download the engine offers: starts the download the link
    // names and returns true, or returns false when it names none. Only the
    // site's own pages start downloads: from anywhere else a download link
    // is refused (and true returned, as nothing is left to do).
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
    void openFromNewWindow(const QUrl &url, const QUrl &initiator);
    void startDownload(LinkKind kind, const QUrl &url);

    QPointer<QWebEngineView> m_view;
    QPointer<QWebEnginePage> m_catcher;
};
