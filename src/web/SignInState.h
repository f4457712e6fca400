#pragma once

#include <QString>

// The signed-in member of this run: set by the site's sign-in script through
// the page bridge (or by zelta-cli), read by the network layer and the
// downloads. Signing out only notifies: the stored credentials stay.
class SignInState
{
public:
    static bool isLoggedIn();
    static QString userName();
    static QString password();
    // Both user name and password are present.
    static bool hasCredentials();

    static void login(const QString &userName, const QString &password);

private:
    SignInState() = delete;
};
