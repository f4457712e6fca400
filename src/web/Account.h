#pragma once

#include <QReadWriteLock>
#include <QString>

// The member of one set of engines. The site's sign-in form offers a user
// name and a password through the page bridge; the member counts as signed
// in only once the site has accepted them (or zelta-cli says so). Signing out
// clears the signed-in flag; the credentials stay for the downloads that
// pause. Read from any thread (the downloads' transfers, the network
// manager's authentication), written from the window's thread.
class Account
{
public:
    // A user name and the password that went with it in one sign-in.
    struct Credentials
    {
        QString userName;
        QString password;
        // Both user name and password are present.
        bool isComplete() const { return !userName.isEmpty() && !password.isEmpty(); }
    };

    Account() = default;
    Q_DISABLE_COPY_MOVE(Account)

    bool isLoggedIn() const;
    QString userName() const;
    // User name and password read together, never from two sign-ins.
    Credentials credentials() const;
    // Both user name and password are present.
    bool hasCredentials() const;

    // Credentials the member typed into the site's form, not yet accepted.
    void offer(const QString &userName, const QString &password);
    // The site accepted the offered credentials.
    void confirm();
    // Offer and confirm in one (credentials known to be good).
    void login(const QString &userName, const QString &password);
    void logout();

private:
    mutable QReadWriteLock m_lock;
    bool m_loggedIn = false;
    Credentials m_credentials;
};
