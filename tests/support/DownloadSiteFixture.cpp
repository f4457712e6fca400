#include "DownloadSiteFixture.h"

#include "library/Library.h"
#include "web/SignInState.h"

bool DownloadSiteFixture::start()
{
    m_site = std::make_unique<DemoSiteProcess>();
    if (!m_site->isRunning())
        return false;
    SignInState::login(QStringLiteral("demo"), QStringLiteral("demo"));
    return true;
}

bool DownloadSiteFixture::freshHome()
{
    m_home = std::make_unique<QTemporaryDir>();
    if (!m_home->isValid())
        return false;
    Library::setupPaths(m_home->path());
    prompt.messages.clear();
    prompt.answers.clear();
    m_site->control(QStringLiteral("/control/fault?name="));
    return Library::initDatabase(QString());
}
