#include "web/Account.h"

bool Account::isLoggedIn() const
{
    const QReadLocker locker(&m_lock);
    return m_loggedIn;
}

QString Account::userName() const
{
    const QReadLocker locker(&m_lock);
    return m_credentials.userName;
}

Account::Credentials Account::credentials() const
{
    const QReadLocker locker(&m_lock);
    return m_credentials;
}

bool Account::hasCredentials() const
{
    const QReadLocker locker(&m_lock);
    return m_credentials.isComplete();
}

void Account::offer(const QString &userName, const QString &password)
{
    const QWriteLocker locker(&m_lock);
    m_loggedIn = false;
    m_credentials = {userName, password};
}

void Account::confirm()
{
    const QWriteLocker locker(&m_lock);
    m_loggedIn = m_credentials.isComplete();
}

void Account::login(const QString &userName, const QString &password)
{
    // One step: nobody sees the new credentials not yet signed in.
    const QWriteLocker locker(&m_lock);
    m_credentials = {userName, password};
    m_loggedIn = m_credentials.isComplete();
}

void Account::logout()
{
    const QWriteLocker locker(&m_lock);
    m_loggedIn = false;
}
