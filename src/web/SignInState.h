#pragma once

#include <QString>

// The member of this run. The site's sign-in form offers a user name and a
// password through the page bridge; the member counts as signed in only once
// the site has accepted them (or zelta-cli says so). Signing out clears the
// signed-in flag; the credentials stay for the downloads that pause.
class SignInState
{
public:
    static bool isLoggedIn();
    static QString userName();
    static QString password();
    // Both user name and password are present.
    static bool hasCredentials();

    // Credentials the member typed into the site's form, not yet accepted.
    static void offer(const QString &userName, const QString &password);
    // The site accepted the offered credentials.
    static void confirm();
    // Offer and confirm in one (credentials known to be good).
    static void login(const QString &userName, const QString &password);
    static void logout();

private:
    SignInState() = delete;
};
