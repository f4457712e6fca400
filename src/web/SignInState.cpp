#include "web/SignInState.h"

namespace {

struct State
{
    bool loggedIn = false;
    QString userName;
    QString password;
};

State &state()
{
    static State s;
    return s;
}

} // namespace

bool SignInState::isLoggedIn()
{
    return state().loggedIn;
}

QString SignInState::userName()
{
    return state().userName;
}

QString SignInState::password()
{
    return state().password;
}

bool SignInState::hasCredentials()
{
    return !state().userName.isEmpty() && !state().password.isEmpty();
}

void SignInState::offer(const QString &userName, const QString &password)
{
    state().loggedIn = false;
    state().userName = userName;
    state().password = password;
}

void SignInState::confirm()
{
    state().loggedIn = hasCredentials();
}

void SignInState::login(const QString &userName, const QString &password)
{
    offer(userName, password);
    confirm();
}

void SignInState::logout()
{
    state().loggedIn = false;
}
