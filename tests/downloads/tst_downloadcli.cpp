// zelta-cli download / downloads against the demo site, including a run that
// is killed midway and resumed.
#include "DemoSiteProcess.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

#include <memory>

class TestDownloadCli : public QObject
{
    Q_OBJECT

private:
    int cli(const QStringList &args, QByteArray *out, QByteArray *err = nullptr)
    {
        return TestSupport::run(TestSupport::builtProgram(QStringLiteral("zelta-cli")), args, out,
                                err, 60000);
    }
    static QStringList credentials()
    {
        return {QStringLiteral("--user"), QStringLiteral("demo"), QStringLiteral("--password"),
                QStringLiteral("demo")};
    }
    static QString library() { return QDir::home().absoluteFilePath(QStringLiteral("My Library")); }
    // `zelta-cli download` of `count` videos named after `tag`, sent at
    // `rate` bytes a second, left running for the test to kill.
    bool startSlowDownload(QProcess &run, int count, qint64 bytes, const QString &tag, int rate)
    {
        const QString path =
            QStringLiteral("/members/synthetic.corvana?count=%1&bytes=%2&tag=%3&rate=%4")
                .arg(count)
                .arg(bytes)
                .arg(tag)
                .arg(rate);
        run.start(TestSupport::builtProgram(QStringLiteral("zelta-cli")),
                  QStringList{"download", m_site->url(path).toString()} + credentials());
        return run.waitForStarted();
    }

    std::unique_ptr<DemoSiteProcess> m_site;

private Q_SLOTS:
    void initTestCase()
    {
        m_site = std::make_unique<DemoSiteProcess>();
        QVERIFY(m_site->isRunning());
    }

    // The speed limit: shown, set (kept in the settings), refused when not a size.
    void speedLimitIsShownAndSet_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("printed");
        QTest::newRow("set") << QStringList{QStringLiteral("2048")} << 0
                             << QByteArray("2048\t0\t2048\n");
        QTest::newRow("shown") << QStringList{} << 0 << QByteArray("2048\t0\t2048\n");
        QTest::newRow("negative") << QStringList{QStringLiteral("-3")} << 2 << QByteArray();
        QTest::newRow("not a number") << QStringList{QStringLiteral("fast")} << 2 << QByteArray();
        QTest::newRow("off") << QStringList{QStringLiteral("0")} << 0 << QByteArray("0\t0\t0\n");
    }
    void speedLimitIsShownAndSet()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QByteArray, printed);
        QByteArray out;
        QCOMPARE(
            cli(QStringList{QStringLiteral("downloads"), QStringLiteral("limit")} + args, &out),
            code);
        QCOMPARE(out, printed);
    }

    void descriptorAndDirectLink()
    {
        QByteArray out;
        QByteArray err;
        QCOMPARE(
            cli(QStringList{"download",
                            m_site->url("/members/synthetic.corvana?count=2&bytes=200000&tag=cli")
                                .toString()} +
                    credentials(),
                &out, &err),
            0);
        QStringList lines = QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts);
        lines.sort();
        QCOMPARE(lines,
                 (QStringList{library() + "/cli 1/cli 1.mp4", library() + "/cli 2/cli 2.mp4"}));
        QCOMPARE(DemoSiteProcess::fileSha256(lines.first()),
                 DemoSiteProcess::sha256(DemoSiteProcess::blob(200000)));

        QCOMPARE(
            cli(QStringList{"download", m_site->url("/media/blob/one.mp4?bytes=5000").toString(),
                            "--direct"} +
                    credentials(),
                &out),
            0);
        QCOMPARE(QString::fromUtf8(out).trimmed(), library() + "/one.mp4");

        // The same link again is refused: the file exists.
        QCOMPARE(
            cli(QStringList{"download", m_site->url("/media/blob/one.mp4?bytes=5000").toString(),
                            "--direct"} +
                    credentials(),
                &out, &err),
            1);
        QVERIFY(err.contains("You have already downloaded this video"));
        QCOMPARE(cli({"downloads", "list"}, &out), 0);
        QVERIFY(out.isEmpty());
        QCOMPARE(cli({"download", "not a url"}, &out), 2);
    }

    // Items past the limit of twenty are not silently dropped: the command
    // fails and names them, after downloading the twenty it took.
    void refusedItemsFailTheCommand()
    {
        QByteArray out;
        QByteArray err;
        QCOMPARE(
            cli(QStringList{"download",
                            m_site->url("/members/synthetic.corvana?count=22&bytes=2000&tag=over")
                                .toString()} +
                    credentials(),
                &out, &err),
            1);
        QCOMPARE(QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts).size(), 20);
        QVERIFY2(err.contains("over 21") && err.contains("over 22"), err.constData());
        QVERIFY(!err.contains("over 20 ("));
    }

    // A failed download says why in words, and the command fails.
    void failuresAreSaid_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("words");
        QTest::newRow("wrong password") << ""
                                        << "wrong"
                                        << "user name or password";
        QTest::newRow("not found") << "404"
                                   << "demo"
                                   << "was not found on the site";
        QTest::newRow("server error") << "500"
                                      << "demo"
                                      << "The site had a problem";
    }
    void failuresAreSaid()
    {
        QFETCH(QString, fault);
        QFETCH(QString, password);
        QFETCH(QString, words);
        const QString name =
            QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-') + QStringLiteral(".mp4");
        m_site->control(QStringLiteral("/control/fault?name=") + fault);
        QByteArray out;
        QByteArray err;
        const int code =
            cli({"download", m_site->url("/media/blob/" + name + "?bytes=5000").toString(),
                 "--direct", "--user", "demo", "--password", password},
                &out, &err);
        m_site->control(QStringLiteral("/control/fault?name="));
        QCOMPARE(code, 1);
        QVERIFY(out.isEmpty());
        QVERIFY2(err.contains(words.toUtf8()) && err.contains(name.toUtf8()), err.constData());
        QCOMPARE(cli({"downloads", "list"}, &out), 0);
        QVERIFY(out.contains(name.toUtf8())); // kept for a later attempt
        // With the site well again the kept download completes.
        QCOMPARE(cli({"downloads", "resume", "--user", "demo", "--password", "demo"}, &out), 0);
        QCOMPARE(QFileInfo(library() + QLatin1Char('/') + name).size(), 5000);
    }

    void killedRunResumesToIdenticalFile()
    {
        const qint64 size = 1500000;
        QProcess run;
        QVERIFY(startSlowDownload(run, 1, size, QStringLiteral("crash"), 200000));
        const QString path = library() + "/crash 1/crash 1.mp4";
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(path).size() > 100000, 20000);
        run.kill();
        QVERIFY(run.waitForFinished(5000));
        const qint64 partial = QFileInfo(path).size();
        QVERIFY(partial < size);

        QByteArray out;
        QCOMPARE(cli({"downloads", "list"}, &out), 0);
        const QStringList fields = QString::fromUtf8(out).trimmed().split('\t');
        QCOMPARE(fields.size(), 3);
        QCOMPARE(fields.at(0), QStringLiteral("Paused"));
        QCOMPARE(fields.at(2), path);

        m_site->control(QStringLiteral("/control/clear"));
        QCOMPARE(cli(QStringList{"downloads", "resume"} + credentials(), &out), 0);
        QCOMPARE(QString::fromUtf8(out).trimmed(), path);
        QVERIFY(m_site->requests().filter(QStringLiteral("bytes=")).size() >= 1);
        QCOMPARE(DemoSiteProcess::fileSha256(path),
                 DemoSiteProcess::sha256(DemoSiteProcess::blob(size)));
        QCOMPARE(cli({"downloads", "list"}, &out), 0);
        QVERIFY(out.isEmpty());
    }

    // Downloads left paused hold none of the five running places: a new
    // request from the command line runs at once, and resumes nothing else.
    void newRequestBesidePaused_data()
    {
        QTest::addColumn<int>("paused");
        QTest::newRow("five paused") << 5;
        QTest::newRow("six paused") << 6;
    }
    void newRequestBesidePaused()
    {
        QFETCH(int, paused);
        const QString tag = QStringLiteral("held%1").arg(paused);
        QProcess run;
        QVERIFY(startSlowDownload(run, paused, 400000, tag, 100000));
        for (int i = 1; i <= qMin(paused, 5); ++i) {
            const QString path = library() + QStringLiteral("/%1 %2/%1 %2.mp4").arg(tag).arg(i);
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(path).size() > 0, 30000);
        }
        run.kill();
        QVERIFY(run.waitForFinished(5000));
        QByteArray out;
        QCOMPARE(cli({"downloads", "list"}, &out), 0);
        QCOMPARE(out.count("Paused\t"), paused);

        m_site->control(QStringLiteral("/control/clear"));
        QByteArray err;
        const QString name = QStringLiteral("beside%1.mp4").arg(paused);
        QCOMPARE(cli(QStringList{"download",
                                 m_site->url("/media/blob/" + name + "?bytes=7000").toString(),
                                 "--direct"} +
                         credentials(),
                     &out, &err),
                 0);
        QCOMPARE(QString::fromUtf8(out).trimmed(), library() + QLatin1Char('/') + name);
        QCOMPARE(QFileInfo(library() + QLatin1Char('/') + name).size(), 7000);
        QVERIFY(m_site->requests().filter(tag).isEmpty()); // nothing else was resumed
        QCOMPARE(cli({"downloads", "list"}, &out), 0);
        QCOMPARE(out.count("Paused\t"), paused); // still the user's to resume

        QCOMPARE(cli(QStringList{"downloads", "resume"} + credentials(), &out), 0);
        QCOMPARE(QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts).size(), paused);
    }

    // Each item of a descriptor is judged on its own: one already in the
    // library is skipped, ones that cannot be fetched fail the command by
    // name, and the rest download all the same.
    void everyItemIsJudgedOnItsOwn_data()
    {
        QTest::addColumn<QString>("extra");
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("printed");
        QTest::newRow("known first item")
            << QString() << 0 << QStringList{QStringLiteral("cj 2"), QStringLiteral("cj 3")};
        QTest::newRow("five ftp items first")
            << QStringLiteral("badscheme=5&scheme=ftp") << 1 << QStringList{QStringLiteral("cj 6")};
        QTest::newRow("absurd size first")
            << QStringLiteral("absurd=1") << 1
            << QStringList{QStringLiteral("cj 2"), QStringLiteral("cj 3")};
    }
    void everyItemIsJudgedOnItsOwn()
    {
        QFETCH(QString, extra);
        QFETCH(int, code);
        QFETCH(QStringList, printed);
        const bool known = extra.isEmpty();
        const int count = extra.contains(QLatin1String("badscheme")) ? 6 : 3;
        QByteArray out;
        QByteArray err;
        QDir(library()).removeRecursively();
        if (known) {
            // The first item reaches the library through a descriptor of its own.
            QCOMPARE(
                cli(QStringList{"download",
                                m_site->url("/members/synthetic.corvana?count=1&bytes=3000&tag=cj")
                                    .toString()} +
                        credentials(),
                    &out),
                0);
        }
        const QString url =
            m_site
                ->url(QStringLiteral("/members/synthetic.corvana?count=%1&bytes=3000&tag=cj&%2")
                          .arg(count)
                          .arg(extra))
                .toString();
        QCOMPARE(cli(QStringList{"download", url} + credentials(), &out, &err), code);
        QStringList lines = QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts);
        lines.sort();
        QStringList expected;
        for (const QString &title : printed)
            expected << library() + QLatin1Char('/') + title + QLatin1Char('/') + title + ".mp4";
        QCOMPARE(lines, expected);
        if (code != 0)
            QVERIFY2(err.contains("refused: cj 1 ("), err.constData());
        if (!known)
            QVERIFY(!QFileInfo::exists(library() + "/cj 1/cj 1.mp4"));
    }

    // More failing videos than run at once: once the first five gave up, the
    // queued ones get their turn, and the command ends with every one failed.
    void moreFailuresThanPlacesEndTheCommand()
    {
        m_site->control(QStringLiteral("/control/fault?name=404"));
        QByteArray out;
        QByteArray err;
        const int code = cli(
            QStringList{
                "download",
                m_site->url("/members/synthetic.corvana?count=7&bytes=3000&tag=gone").toString()} +
                credentials(),
            &out, &err);
        m_site->control(QStringLiteral("/control/fault?name="));
        QCOMPARE(code, 1);
        QVERIFY(out.isEmpty());
        QVERIFY2(err.contains("7 download(s) failed"), err.constData());
        QCOMPARE(QString::fromUtf8(err).count(QStringLiteral("was not found on the site")), 7);
    }
};

QTEST_GUILESS_MAIN(TestDownloadCli)
#include "tst_downloadcli.moc"
