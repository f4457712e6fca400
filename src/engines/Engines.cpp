#include "engines/Engines.h"

#include "burner/Project.h"
#include "core/Logging.h"
#include "core/LoggingPrompt.h"
#include "core/SiteConfig.h"
#include "downloads/Download.h"
#include "downloads/DownloadManager.h"
#include "downloads/DownloadRecords.h"
#include "downloads/LibraryAccess.h"
#include "library/ImportController.h"
#include "library/Library.h"
#include "library/LibraryEdits.h"
#include "library/LibraryItem.h"
#include "library/LibraryStore.h"
#include "tv/LumiqoTv.h"
#include "tv/renderer/RendererFinder.h"
#include "web/Account.h"
#include "web/NetworkManager.h"
#include "web/NetworkStatus.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrlQuery>

Engines::Engines(UserPrompt *prompt, QObject *parent)
    : QObject(parent), m_prompt(prompt), m_account(std::make_unique<Account>())
{
    if (!m_prompt) {
        m_ownPrompt = std::make_unique<LoggingPrompt>();
        m_prompt = m_ownPrompt.get();
    }
}

Engines::Engines(const LibraryLocation &location, UserPrompt *prompt, QObject *parent)
    : Engines(prompt, parent)
{
    m_location = location;
}

Engines::~Engines()
{
    // Top down: what serves or fetches goes before what it reads and writes.
    m_rendererFinder.reset();
    m_tv.reset();
    m_downloads.reset();
    m_project.reset();
    m_library.reset();
    m_records.reset();
    m_store.reset();
    m_network.reset();
}

const LibraryLocation &Engines::location()
{
    if (m_location.isEmpty())
        m_location = LibraryLocation::setUp();
    return m_location;
}

bool Engines::openDatabase()
{
    // The store creates and migrates the file on its own thread; start-up
    // waits for it and opens no connection of its own.
    if (!m_store) {
        m_store = std::make_unique<LibraryStore>(location().databaseFile(),
                                                 LibraryStore::Opening::Upgrade);
    } else {
        LibraryStore *store = m_store.get();
        store->call([store] { return store->upgrade(); });
    }
    LibraryStore *store = m_store.get();
    return store->call([store] { return store->isOpen(); });
}

QString Engines::upgradeProblem() const
{
    LibraryStore *store = m_store.get();
    return store ? store->call([store] { return store->upgradeProblem(); }) : QString();
}

LibraryStore *Engines::store()
{
    if (!m_store)
        m_store = std::make_unique<LibraryStore>(location().databaseFile());
    return m_store.get();
}

DownloadRecords *Engines::downloadRecords()
{
    if (!m_records)
        m_records = std::make_unique<DownloadRecords>(store(), location());
    return m_records.get();
}

Library *Engines::library()
{
    if (!m_library) {
        m_library = std::make_unique<Library>(store(), location());
        connect(m_library->edits(), &LibraryEdits::editReported, this, &Engines::reportEdit);
    }
    return m_library.get();
}

void Engines::reportEdit(const QList<QPair<QString, QString>> &form)
{
    // The member who edited goes first; then the fields, URL-encoded, to the
    // secure members' host through the shared manager (the member's cookies,
    // credentials and certificate choices apply).
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("member_id"),
                       QString::fromLatin1(QUrl::toPercentEncoding(m_account->userName())));
    for (const auto &item : form)
        query.addQueryItem(QString::fromLatin1(QUrl::toPercentEncoding(item.first)),
                           QString::fromLatin1(QUrl::toPercentEncoding(item.second)));
    QNetworkRequest request(
        SiteConfig::resolve(SiteConfig::secureMembersUrl(), QStringLiteral("/zelta/postback.php")));
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QStringLiteral("application/x-www-form-urlencoded"));
    QNetworkReply *reply =
        networkManager()->post(request, query.query(QUrl::FullyEncoded).toUtf8());
    Library *library = m_library.get();
    connect(reply, &QNetworkReply::finished, library,
            [library, reply] { library->edits()->postbackFinsihed(reply); });
}

NetworkManager *Engines::networkManager()
{
    if (!m_network)
        m_network = std::make_unique<NetworkManager>(m_account.get(), m_prompt);
    return m_network.get();
}

NetworkStatus *Engines::networkStatus()
{
    if (!m_networkStatus)
        m_networkStatus = std::make_unique<NetworkStatus>();
    return m_networkStatus.get();
}

DownloadManager *Engines::downloadManager()
{
    if (!m_downloads) {
        m_downloads =
            std::make_unique<DownloadManager>(networkManager(), downloadRecords(), m_prompt);
        m_downloads->followNetworkStatus(networkStatus());
        m_downloads->setLibraryHandOver(true);
        connect(m_downloads.get(), &DownloadManager::finished, this, &Engines::importFinished);
    }
    return m_downloads.get();
}

Project *Engines::project()
{
    if (!m_project)
        m_project = std::make_unique<Project>();
    return m_project.get();
}

LumiqoTv *Engines::tv(const QString &name, UpnpEngine::Mode mode)
{
    if (!m_tv) {
        m_tv = std::make_unique<LumiqoTv>(name, location(), mode);
        m_tv->setLibraryStore(store());
    }
    return m_tv.get();
}

RendererFinder *Engines::rendererFinder()
{
    if (!m_rendererFinder)
        m_rendererFinder = std::make_unique<RendererFinder>();
    return m_rendererFinder.get();
}

void Engines::signIn(const QString &userName, const QString &password)
{
    m_account->login(userName, password);
    downloadManager()->resumeAll();
    Q_EMIT signedIn();
}

void Engines::signOut()
{
    if (m_downloads)
        m_downloads->pauseAll();
    Q_EMIT signedOut();
}

void Engines::importFinished(Download *download)
{
    if (!download || !download->addToLibrary() || download->state() != Download::Finished)
        return;
    library()->imports()->importDownload(LibraryAccess::itemFor(*download));
}
