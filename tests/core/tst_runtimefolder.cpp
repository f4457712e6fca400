// Where the single-instance guard keeps its lock and socket: the session's
// runtime folder, or without one a folder of the user's own in the shared
// temporary folder, which must be private and must not be someone else's.
#include "core/RuntimeFolder.h"
#include "core/SingleInstanceGuard.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

class TestRuntimeFolder : public QObject
{
    Q_OBJECT

private:
    QString own() const
    {
        return m_shared.filePath(QStringLiteral("corvana-zelta-%1").arg(::geteuid()));
    }
    static int modeOf(const QString &path)
    {
        struct stat info = {};
        return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777)
                                                                        : -1;
    }
    void clearOwn()
    {
        QFile::remove(own()); // a file or a link
        QDir(own()).removeRecursively();
    }

    QByteArray m_sessionRuntime = qgetenv("XDG_RUNTIME_DIR");
    QTemporaryDir m_shared; // plays the temporary folder all users share

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_shared.isValid());
        QVERIFY(!m_sessionRuntime.isEmpty());
        qputenv("TMPDIR", QFile::encodeName(m_shared.path()));
        QCOMPARE(QDir::tempPath(), QDir(m_shared.path()).canonicalPath());
    }
    void init() { qunsetenv("XDG_RUNTIME_DIR"); }
    void cleanup() { qputenv("XDG_RUNTIME_DIR", m_sessionRuntime); }

    void sessionFolderFirst()
    {
        qputenv("XDG_RUNTIME_DIR", m_sessionRuntime);
        QCOMPARE(RuntimeFolder::path(), QString::fromLocal8Bit(m_sessionRuntime));
    }

    void ownFolderWithoutSession_data()
    {
        QTest::addColumn<QString>("existing");
        QTest::addColumn<bool>("usable");
        QTest::newRow("missing") << "" << true;
        QTest::newRow("ours, open to others") << "folder 0755" << true;
        QTest::newRow("a link to another folder") << "link" << false;
        QTest::newRow("a file") << "file" << false;
    }
    void ownFolderWithoutSession()
    {
        QFETCH(QString, existing);
        QFETCH(bool, usable);
        clearOwn();
        const QString elsewhere = m_shared.filePath(QStringLiteral("elsewhere"));
        QVERIFY(QDir().mkpath(elsewhere));
        if (existing == QLatin1String("folder 0755"))
            QVERIFY(QDir().mkdir(own(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                            QFile::ReadGroup | QFile::ExeGroup |
                                            QFile::ReadOther | QFile::ExeOther));
        else if (existing == QLatin1String("link"))
            QVERIFY(QFile::link(elsewhere, own()));
        else if (existing == QLatin1String("file"))
            QVERIFY(QFile(own()).open(QIODevice::WriteOnly));

        if (!usable)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("refused")));
        QCOMPARE(RuntimeFolder::path(), usable ? own() : QString());
        SingleInstanceGuard first(QStringLiteral("guard-test"));
        SingleInstanceGuard second(QStringLiteral("guard-test"));
        QVERIFY(!first.isRunning());
        QCOMPARE(second.isRunning(), usable);
        QVERIFY(QDir(elsewhere).isEmpty());
        if (usable) {
            QCOMPARE(modeOf(own()), 0700);
            QVERIFY(QFile::exists(own() + QStringLiteral("/guard-test.lock")));
        }
    }

    // Another user squats the name Qt falls back to without a session folder
    // and holds a lock in the shared temporary folder itself: neither stops us.
    void squattedSharedFolderIsNotOurs()
    {
        clearOwn();
        const passwd *user = ::getpwuid(::geteuid());
        QVERIFY(user);
        QFile squatter(m_shared.filePath(QStringLiteral("runtime-") + QString::fromLocal8Bit(user->pw_name)));
        QDir(squatter.fileName()).removeRecursively();
        QVERIFY(squatter.open(QIODevice::WriteOnly));
        QLockFile foreign(m_shared.filePath(QStringLiteral("guard-test.lock")));
        QVERIFY(foreign.tryLock(0));
        SingleInstanceGuard guard(QStringLiteral("guard-test"));
        QVERIFY(!guard.isRunning());
    }

    void folderOfAnotherUserIsRefused()
    {
        clearOwn();
        QVERIFY(RuntimeFolder::ensurePrivate(own(), ::geteuid()));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("another user")));
        QVERIFY(!RuntimeFolder::ensurePrivate(own(), ::geteuid() + 1));
    }
};

QTEST_GUILESS_MAIN(TestRuntimeFolder)
#include "tst_runtimefolder.moc"
