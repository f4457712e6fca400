#include "DownloadSiteFixture.h"

#include "TestDatabase.h"
#include "downloads/DownloadRecords.h"
#include "library/LibraryStore.h"
#include "web/Account.h"

bool DownloadSiteFixture::start()
{
    m_site = std::make_unique<DemoSiteProcess>();
    if (!m_site->isRunning())
        return false;
    account.login(QStringLiteral("demo"), QStringLiteral("demo"));
    return true;
}

DownloadSiteFixture::DownloadSiteFixture() = default;
DownloadSiteFixture::~DownloadSiteFixture() = default;

bool DownloadSiteFixture::freshHome()
{
    m_records.reset();
    m_store.reset();
    m_home = std::make_unique<QTemporaryDir>();
    if (!m_home->isValid())
        return false;
    prompt.messages.clear();
    prompt.answers.clear();
    m_site->control(QStringLiteral("/control/fault?name="));
    m_location = TestDatabase::setUpHome(m_home->path());
    if (m_location.isEmpty())
        return false;
    m_store = std::make_unique<LibraryStore>(m_location.databaseFile());
    m_records = std::make_unique<DownloadRecords>(m_store.get(), m_location);
    return true;
}
