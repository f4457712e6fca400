#pragma once

#include "DemoSiteProcess.h"
#include "ScriptedPrompt.h"

#include "library/LibraryLocation.h"
#include "web/Account.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

class DownloadRecords;
class LibraryStore;

// The common ground of the download tests: the demo site on 127.0.0.1, an
// account signed in as its member, a scripted prompt, and a fresh library
// home for every test function.
class DownloadSiteFixture
{
public:
    // From initTestCase: starts the site and signs `account` in; false when
    // the site did not start.
    bool start();
    // From init: a new home with an empty library; the prompt forgets earlier
    // messages and answers, and the site injects no faults.
    bool freshHome();
    DownloadSiteFixture();
    ~DownloadSiteFixture();

    DemoSiteProcess *site() const { return m_site.get(); }
    QString home() const { return m_home ? m_home->path() : QString(); }
    // The home's library.
    const LibraryLocation &location() const { return m_location; }
    QString libraryFolder() const { return m_location.folder(); }
    // The store of the home's library and the download queue kept through
    // it, as the engines hand them to a download manager.
    LibraryStore *store() const { return m_store.get(); }
    DownloadRecords *records() const { return m_records.get(); }

    ScriptedPrompt prompt;
    // For the network managers of the tests.
    Account account;

private:
    std::unique_ptr<DemoSiteProcess> m_site;
    std::unique_ptr<QTemporaryDir> m_home;
    LibraryLocation m_location;
    std::unique_ptr<LibraryStore> m_store;
    std::unique_ptr<DownloadRecords> m_records;
};
