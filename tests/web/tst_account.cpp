// The member's account: when offered credentials count as signed in, what
// signing out keeps, and readers on other threads never getting the user
// name of one sign-in with the password of another.
#include "web/Account.h"

#include <QThread>
#include <QtTest>

#include <atomic>
#include <memory>

namespace {

// Runs one step written as "offer:user:password", "login:user:password",
// "confirm" or "logout".
void apply(Account &account, const QString &step)
{
    const QStringList parts = step.split(QLatin1Char(':'));
    const QString &verb = parts.constFirst();
    if (verb == QLatin1String("offer"))
        account.offer(parts.value(1), parts.value(2));
    else if (verb == QLatin1String("login"))
        account.login(parts.value(1), parts.value(2));
    else if (verb == QLatin1String("confirm"))
        account.confirm();
    else if (verb == QLatin1String("logout"))
        account.logout();
    else
        QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
}

bool samePair(const Account::Credentials &a, const Account::Credentials &b)
{
    return a.userName == b.userName && a.password == b.password;
}

} // namespace

class TestAccount : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stepsLeaveTheState_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("signedIn");
        QTest::addColumn<QString>("userName");
        QTest::addColumn<QString>("password");

        QTest::newRow("nothing yet") << QStringList() << false << QString() << QString();
        QTest::newRow("offered, not yet accepted")
            << QStringList{"offer:ann:apple"} << false << "ann"
            << "apple";
        QTest::newRow("offered and accepted")
            << QStringList{"offer:ann:apple", "confirm"} << true << "ann"
            << "apple";
        QTest::newRow("accepted without a password")
            << QStringList{"offer:ann:", "confirm"} << false << "ann" << QString();
        QTest::newRow("accepted with nothing offered")
            << QStringList{"confirm"} << false << QString() << QString();
        QTest::newRow("login") << QStringList{"login:ann:apple"} << true << "ann"
                               << "apple";
        QTest::newRow("login without a user name")
            << QStringList{"login::apple"} << false << QString() << "apple";
        QTest::newRow("signed out, credentials kept")
            << QStringList{"login:ann:apple", "logout"} << false << "ann"
            << "apple";
        QTest::newRow("signed out twice")
            << QStringList{"login:ann:apple", "logout", "logout"} << false << "ann"
            << "apple";
        QTest::newRow("a new offer takes the sign-in back")
            << QStringList{"login:ann:apple", "offer:bob:banana"} << false << "bob"
            << "banana";
        QTest::newRow("another member accepted after signing out")
            << QStringList{"login:ann:apple", "logout", "offer:bob:banana", "confirm"} << true
            << "bob"
            << "banana";
    }
    void stepsLeaveTheState()
    {
        QFETCH(QStringList, steps);
        QFETCH(bool, signedIn);
        QFETCH(QString, userName);
        QFETCH(QString, password);
        Account account;
        for (const QString &step : std::as_const(steps))
            apply(account, step);
        QCOMPARE(account.isLoggedIn(), signedIn);
        QCOMPARE(account.userName(), userName);
        QCOMPARE(account.hasCredentials(), !userName.isEmpty() && !password.isEmpty());
        const Account::Credentials both = account.credentials();
        QCOMPARE(both.userName, userName);
        QCOMPARE(both.password, password);
        QCOMPARE(both.isComplete(), account.hasCredentials());
    }

    // One thread reads the credentials over and over while this one signs
    // two members in and out by turns. Each round waits for a read of the
    // reader, so that reads and writes interleave however the threads run.
    void readersNeverMixTwoSignIns()
    {
        const Account::Credentials ann{QStringLiteral("ann"), QStringLiteral("apple")};
        const Account::Credentials bob{QStringLiteral("bob.longer.name"),
                                       QStringLiteral("banana split with cream")};
        constexpr int rounds = 5000;
        Account account;
        account.login(ann.userName, ann.password);

        std::atomic<bool> writing{true};
        std::atomic<int> reads{0};
        int mixed = 0;
        Account::Credentials firstMixed;
        std::unique_ptr<QThread> reader(QThread::create([&] {
            while (writing.load()) {
                const Account::Credentials read = account.credentials();
                if (!samePair(read, ann) && !samePair(read, bob) && mixed++ == 0)
                    firstMixed = read;
                reads.fetch_add(1);
            }
        }));
        reader->start();
        for (int round = 0; round < rounds; ++round) {
            const Account::Credentials &next = round % 2 ? ann : bob;
            account.login(next.userName, next.password);
            account.logout();
            const int seen = reads.load();
            while (reads.load() == seen)
                QThread::yieldCurrentThread();
        }
        writing.store(false);
        QVERIFY(reader->wait());

        QVERIFY2(mixed == 0, qPrintable(QStringLiteral("%1 mixed reads, first: %2 / %3")
                                            .arg(mixed)
                                            .arg(firstMixed.userName, firstMixed.password)));
        QVERIFY(reads.load() >= rounds);
        QVERIFY(!account.isLoggedIn());
        QVERIFY(samePair(account.credentials(), ann)); // the last round's member
    }
};

QTEST_GUILESS_MAIN(TestAccount)
#include "tst_account.moc"
