// The site's addresses as the settings give them: a default for each, an
// override written by this process seen at once, one written into the file by
// another program seen soon after, and an unusable value ignored.
#include "core/SiteConfig.h"

#include <QDateTime>
#include <QFile>
#include <QSettings>
#include <QTest>
#include <QThread>

class TestSiteConfig : public QObject
{
    Q_OBJECT

private:
    // The settings file as another program would write it, its time moved on
    // so that a write in the same instant as the last still counts as new.
    static void writeFileAsAnotherProgram(const QString &membersUrl)
    {
        const QString file = QSettings().fileName();
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write("[site]\nmembersUrl=" + membersUrl.toUtf8() + "\n");
        out.close();
        QVERIFY(out.open(QIODevice::ReadWrite));
        QVERIFY(out.setFileTime(QDateTime::currentDateTime().addSecs(5),
                                QFileDevice::FileModificationTime));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("ZeltaTests"));
        QCoreApplication::setApplicationName(QStringLiteral("tst_siteconfig"));
        QFile::remove(QSettings().fileName());
    }

    void defaults()
    {
        QCOMPARE(SiteConfig::membersUrl(), QUrl(QStringLiteral("http://members.corvana.example")));
        QCOMPARE(SiteConfig::secureMembersUrl().scheme(), QStringLiteral("https"));
        QCOMPARE(SiteConfig::membersHost(), QStringLiteral("members.corvana.example"));
    }

    void overrides_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("read");
        QTest::newRow("a loopback site") << "http://127.0.0.1:41234"
                                         << "http://127.0.0.1:41234";
        QTest::newRow("another port, same length") << "http://127.0.0.1:41299"
                                                   << "http://127.0.0.1:41299";
        QTest::newRow("no host: the default") << "file:///etc/passwd"
                                              << "http://members.corvana.example";
        QTest::newRow("not an address: the default") << "::::"
                                                     << "http://members.corvana.example";
    }
    void overrides()
    {
        QFETCH(QString, written);
        QFETCH(QString, read);
        SiteConfig::setValue(QStringLiteral("membersUrl"), QUrl(written));
        QCOMPARE(SiteConfig::membersUrl(), QUrl(read));
    }

    // Asked from another thread too, between the writes.
    void fileChangedByAnotherProgram()
    {
        SiteConfig::setValue(QStringLiteral("membersUrl"), QUrl("http://127.0.0.1:1111"));
        QCOMPARE(SiteConfig::membersUrl().port(), 1111);
        writeFileAsAnotherProgram(QStringLiteral("http://127.0.0.1:2222"));
        QTRY_COMPARE_WITH_TIMEOUT(SiteConfig::membersUrl().port(), 2222, 10000);
        QUrl seenElsewhere;
        std::unique_ptr<QThread> thread(
            QThread::create([&seenElsewhere] { seenElsewhere = SiteConfig::membersUrl(); }));
        thread->start();
        QVERIFY(thread->wait(10000));
        QCOMPARE(seenElsewhere.port(), 2222);
    }
};

QTEST_GUILESS_MAIN(TestSiteConfig)
#include "tst_siteconfig.moc"
