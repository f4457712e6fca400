#pragma once

#include "library/LibraryLocation.h"
#include "tv/upnp/UpnpEngine.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>

#include <memory>

class Account;
class DownloadManager;
class DownloadRecords;
class Library;
class LibraryStore;
class LumiqoTv;
class NetworkManager;
class NetworkStatus;
class Project;
class RendererFinder;
class UserPrompt;

// Builds the engines of one home (its library folder, settings and log), wires
// them to one another and tears them down in order. The program, zelta-cli and
// the end-to-end fixtures all go through it. Each engine is built on its first
// request, so a command that needs only the database opens nothing else.
class Engines : public QObject
{
    Q_OBJECT

public:
    // Asks the user through `prompt` (not owned; it must outlive the engines).
    // Without one, warnings go to the log and questions take their default.
    explicit Engines(UserPrompt *prompt = nullptr, QObject *parent = nullptr);
    // The engines of the library at `location` instead of the home folder's.
    Engines(const LibraryLocation &location, UserPrompt *prompt, QObject *parent = nullptr);
    ~Engines() override;

    // How the engines and the windows over them ask the user (never null).
    UserPrompt *prompt() const { return m_prompt; }
    // The member these engines fetch for and report edits as (never null).
    Account *account() const { return m_account.get(); }

    // Where this home's library lives: the one given, or else the home
    // folder's, whose folders are made on the first call. Every engine that
    // writes into the library is handed it.
    const LibraryLocation &location();

    // Sets up the library folders and opens the database through store(),
    // which creates and migrates it on its own thread. False when the
    // database cannot be opened.
    bool openDatabase();
    // The message for the user when openDatabase() could not bring an older
    // library file up to date (the file is left as it was); empty otherwise.
    QString upgradeProblem() const;

    // The one owner of the library database: its thread and connection. Every
    // engine that reads or writes the file goes through it.
    LibraryStore *store();
    // The download queue's rows, kept through store().
    DownloadRecords *downloadRecords();
    Library *library();
    NetworkManager *networkManager();
    // Whether the machine is on a network (the pages and the downloads follow it).
    NetworkStatus *networkStatus();
    // Finished downloads that belong in the library are imported into library().
    DownloadManager *downloadManager();
    Project *project();
    // The media server over the library folder; `name` and `mode` count on the
    // first call only.
    LumiqoTv *tv(const QString &name = QStringLiteral("LumiqoTV"),
                 UpnpEngine::Mode mode = UpnpEngine::Multicast);

    // Finds the TVs (MediaRenderers) on the home network. Built on first
    // request and not searching until started (the first "Play on TV" menu).
    RendererFinder *rendererFinder();

    bool hasLibrary() const { return m_library != nullptr; }
    bool hasDownloadManager() const { return m_downloads != nullptr; }
    bool hasTv() const { return m_tv != nullptr; }

public Q_SLOTS:
    // The member signed in on the site: remember them and resume the downloads.
    void signIn(const QString &userName, const QString &password);
    // The member signed out: the running downloads pause.
    void signOut();

Q_SIGNALS:
    void signedIn();
    void signedOut();
    // A disc (or image) titled `discTitle` was written by the burner window.
    void burnFinished(const QString &discTitle);

private:
    void importFinished(class Download *download);
    // Sends a stored edit of the library to the site.
    void reportEdit(const QList<QPair<QString, QString>> &form);
    std::unique_ptr<UserPrompt> m_ownPrompt;
    UserPrompt *m_prompt = nullptr;
    std::unique_ptr<Account> m_account;
    LibraryLocation m_location;
    std::unique_ptr<LibraryStore> m_store;
    std::unique_ptr<DownloadRecords> m_records;
    std::unique_ptr<Library> m_library;
    std::unique_ptr<LumiqoTv> m_tv;
    std::unique_ptr<RendererFinder> m_rendererFinder;
    std::unique_ptr<NetworkManager> m_network;
    std::unique_ptr<NetworkStatus> m_networkStatus;
    std::unique_ptr<DownloadManager> m_downloads;
    std::unique_ptr<Project> m_project;
};
