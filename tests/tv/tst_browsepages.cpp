// What a Browse tells: the folder as it is now after a change (files added,
// removed, renamed or rewritten in place, folders added or removed; long after
// the listing or within the same step of the file system's clock), the
// durations of a large page of files nobody probed yet, and the whole of a
// folder nobody listed yet while the thread that made the server is busy.
#include "TestSupport.h"
#include "TvTestHttp.h"
#include "core/AppIdentity.h"
#include "library/LibraryLocation.h"
#include "tv/LumiqoTv.h"
#include "tv/MediaModel.h"
#include "tv/MediaServer.h"

#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace TvTestHttp;

namespace {

// Sets the folder's time.
bool setTime(const QString &path, std::time_t seconds)
{
    struct timespec times[2] = {};
    times[0].tv_sec = times[1].tv_sec = seconds;
    return utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

// Overwrites the file where it is (its folder's time does not move).
bool rewrite(const QString &path, const QString &from)
{
    QFile source(from);
    QFile file(path);
    return source.open(QIODevice::ReadOnly) &&
           file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(source.readAll()) == source.size();
}

QStringList titles(const QList<DidlEntry> &entries)
{
    QStringList result;
    for (const DidlEntry &entry : entries)
        result << entry.title;
    return result;
}

} // namespace

class TestBrowsePages : public QObject
{
    Q_OBJECT

private:
    QString m_short;
    QString m_long;

private Q_SLOTS:
    void initTestCase()
    {
        AppIdentity::apply();
        m_short = TestSupport::sampleClip(QStringLiteral("changes-1s.mp4"), 1);
        m_long = TestSupport::sampleClip(QStringLiteral("changes-3s.mp4"), 3);
        QVERIFY(!m_short.isEmpty() && !m_long.isEmpty());
    }

    void nextBrowseShowsTheChange_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("aged");
        QTest::addColumn<QStringList>("expected");
        const QList<QPair<const char *, QStringList>> changes = {
            {"added", {"a", "b", "c"}},
            {"removed", {"a"}},
            {"renamed", {"a", "d"}},
            {"rewritten", {"a", "b"}},
            {"folder added", {"sub", "a", "b"}},
            {"folder removed", {"a", "b"}}};
        for (const auto &change : changes) {
            for (const bool aged : {true, false}) {
                QTest::addRow("%s, %s", change.first, aged ? "later" : "same step")
                    << QString::fromLatin1(change.first) << aged << change.second;
            }
        }
    }

    void nextBrowseShowsTheChange()
    {
        QFETCH(QString, change);
        QFETCH(bool, aged);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        const auto path = [&dir](const char *name) { return dir.filePath(QLatin1String(name)); };
        QVERIFY(QFile::copy(m_short, path("a.mp4")) && QFile::copy(m_short, path("b.mp4")));
        if (change == QLatin1String("folder removed"))
            QVERIFY(QDir().mkpath(path("old")));
        // An hour back, a listing can trust the folder's time. A change in the
        // same step of the clock as the listing leaves the time as it was: a
        // time just ahead stands for that step, however slow this run is.
        const std::time_t folderTime = std::time(nullptr) + (aged ? -3600 : 10);
        QVERIFY(setTime(dir.path(), folderTime));
        LumiqoTv tv(QStringLiteral("LumiqoTV"), LibraryLocation::at(dir.path()),
                    UpnpEngine::NoSsdp);
        tv.model()->setProbeBudget(60000);
        tv.toggleServerStatus();
        const QUrl control(QStringLiteral("http://127.0.0.1:%1/").arg(tv.server()->port()) +
                           tv.server()->uuid + QStringLiteral("/ContentDirectory/control.xml"));
        const QList<DidlEntry> before =
            browse(control, QStringLiteral("0"), QStringLiteral("BrowseDirectChildren"));
        QCOMPARE(before.size(), change == QLatin1String("folder removed") ? 3 : 2);
        QVERIFY(before.last().duration.startsWith(QLatin1String("0:00:01")));

        if (change == QLatin1String("added"))
            QVERIFY(QFile::copy(m_short, path("c.mp4")));
        else if (change == QLatin1String("removed"))
            QVERIFY(QFile::remove(path("b.mp4")));
        else if (change == QLatin1String("renamed"))
            QVERIFY(QFile::rename(path("b.mp4"), path("d.mp4")));
        else if (change == QLatin1String("rewritten"))
            QVERIFY(rewrite(path("a.mp4"), m_long));
        else if (change == QLatin1String("folder added"))
            QVERIFY(QDir().mkpath(path("sub")));
        else if (change == QLatin1String("folder removed"))
            QVERIFY(QDir(path("old")).removeRecursively());
        QVERIFY(aged || setTime(dir.path(), folderTime));

        QHash<QString, QString> arguments;
        const QList<DidlEntry> after =
            browse(control, QStringLiteral("0"), QStringLiteral("BrowseDirectChildren"), 0, 0, {},
                   &arguments);
        QCOMPARE(titles(after), expected);
        QCOMPARE(arguments.value(QStringLiteral("TotalMatches")).toInt(), expected.size());
        // Every item tells the file as it is now, probed anew when it changed.
        for (const DidlEntry &entry : after) {
            if (entry.container)
                continue;
            const QFileInfo file(dir.filePath(entry.title + QStringLiteral(".mp4")));
            QCOMPARE(entry.size.toLongLong(), file.size());
            const bool longer = change == QLatin1String("rewritten") && entry.title == "a";
            QVERIFY2(entry.duration.startsWith(longer ? QLatin1String("0:00:03")
                                                      : QLatin1String("0:00:01")),
                     qPrintable(entry.title + QLatin1Char(' ') + entry.duration));
        }
        // A page further on counts the same.
        browse(control, QStringLiteral("0"), QStringLiteral("BrowseDirectChildren"), 1, 1, {},
               &arguments);
        QCOMPARE(arguments.value(QStringLiteral("TotalMatches")).toInt(), expected.size());
    }

    void largeFirstPageHasDurations_data()
    {
        QTest::addColumn<int>("budget");
        QTest::newRow("waiting") << 60000;
        QTest::newRow("no time to wait") << 0;
    }

    // More files than are probed before an answer: the header tells the
    // MP4s' lengths at once; the program stream's is waited for.
    void largeFirstPageHasDurations()
    {
        QFETCH(int, budget);
        const QString mpeg = TestSupport::sampleClip(QStringLiteral("pages-2s.mpg"), 2);
        QVERIFY(!mpeg.isEmpty());
        QTemporaryDir dir;
        for (int i = 0; i < 20; ++i)
            QVERIFY(QFile::copy(m_short, dir.filePath(QStringLiteral("clip-%1.mp4").arg(i))));
        QVERIFY(QFile::copy(mpeg, dir.filePath(QStringLiteral("program.mpg"))));
        LumiqoTv tv(QStringLiteral("LumiqoTV"), LibraryLocation::at(dir.path()),
                    UpnpEngine::NoSsdp);
        tv.model()->setProbeBudget(budget);
        tv.toggleServerStatus();
        const QUrl control(QStringLiteral("http://127.0.0.1:%1/").arg(tv.server()->port()) +
                           tv.server()->uuid + QStringLiteral("/ContentDirectory/control.xml"));
        const QList<DidlEntry> first =
            browse(control, QStringLiteral("0"), QStringLiteral("BrowseDirectChildren"));
        QCOMPARE(first.size(), 21);
        for (const DidlEntry &entry : first) {
            if (entry.title == QLatin1String("program")) {
                QVERIFY(budget == 0 || entry.duration.startsWith(QLatin1String("0:00:02")));
                continue;
            }
            QVERIFY2(entry.duration.startsWith(QLatin1String("0:00:01")),
                     qPrintable(entry.title + QLatin1Char(' ') + entry.duration));
        }
    }

    // A page of a folder too large to wait for is answered at once with what
    // the headers tell; once that page is probed, the update id tells clients
    // to ask again, and the page then has every play length.
    void largeFolderPageIsAnnouncedWhenProbed()
    {
        constexpr int files = 210;
        const QString mpeg = TestSupport::sampleClip(QStringLiteral("pages-2s.mpg"), 2);
        QVERIFY(!mpeg.isEmpty());
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("many"));
        QVERIFY(QDir().mkpath(folder));
        for (int i = 0; i < files; ++i) {
            const QString name =
                folder + QStringLiteral("/clip-%1.mpg").arg(i, 3, 10, QLatin1Char('0'));
            // Hard links: real files without the disk space.
            QVERIFY(::link(QFile::encodeName(mpeg).constData(),
                           QFile::encodeName(name).constData()) == 0);
        }
        LumiqoTv tv(QStringLiteral("LumiqoTV"), LibraryLocation::at(dir.path()),
                    UpnpEngine::NoSsdp);
        tv.model()->setProbeBudget(60000);
        tv.toggleServerStatus();
        const QUrl control(QStringLiteral("http://127.0.0.1:%1/").arg(tv.server()->port()) +
                           tv.server()->uuid + QStringLiteral("/ContentDirectory/control.xml"));
        auto systemUpdateId = [&control] {
            const Reply reply = soap(control, QString::fromLatin1(contentDirectory),
                                     QStringLiteral("GetSystemUpdateID"), {});
            return soapArguments(reply.body).value(QStringLiteral("Id")).toUInt();
        };
        const QString id =
            browse(control, QStringLiteral("0"), QStringLiteral("BrowseDirectChildren"))
                .value(0)
                .id;
        QVERIFY(!id.isEmpty());
        const uint before = systemUpdateId();
        QHash<QString, QString> arguments;
        const QList<DidlEntry> first =
            browse(control, id, QStringLiteral("BrowseDirectChildren"), 0, 10, {}, &arguments);
        QCOMPARE(first.size(), 10);
        QCOMPARE(arguments.value(QStringLiteral("TotalMatches")).toInt(), files);
        QTRY_VERIFY_WITH_TIMEOUT(systemUpdateId() > before, 120000);
        const QList<DidlEntry> again =
            browse(control, id, QStringLiteral("BrowseDirectChildren"), 0, 10);
        QCOMPARE(again.size(), 10);
        for (const DidlEntry &entry : again)
            QVERIFY2(entry.duration.startsWith(QLatin1String("0:00:02")),
                     qPrintable(entry.title + QLatin1Char(' ') + entry.duration));
    }

    // The thread that made the server (the window's, in the program) is
    // blocked until the answers are in: Browses of folders nobody listed yet,
    // several at once, each answer the whole folder, from any page on.
    void neverListedFolderWhileOwnerIsBusy()
    {
        constexpr int files = 150;
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("many"));
        QVERIFY(QDir().mkpath(folder));
        for (int i = 0; i < files; ++i) {
            // Pictures: their probe reads the header, no encoder runs.
            QFile file(folder + QStringLiteral("/clip-%1.jpg").arg(i, 3, 10, QLatin1Char('0')));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not a picture") > 0);
        }
        LumiqoTv tv(QStringLiteral("LumiqoTV"), LibraryLocation::at(dir.path()),
                    UpnpEngine::NoSsdp);
        tv.model()->setProbeBudget(0);
        tv.toggleServerStatus();
        const QUrl control(QStringLiteral("http://127.0.0.1:%1/").arg(tv.server()->port()) +
                           tv.server()->uuid + QStringLiteral("/ContentDirectory/control.xml"));
        const QList<DidlEntry> top =
            browse(control, QStringLiteral("0"), QStringLiteral("BrowseDirectChildren"));
        QCOMPARE(top.size(), 1);
        const QString id = top.first().id;

        struct Answer
        {
            int start;
            QList<DidlEntry> entries;
            QHash<QString, QString> arguments;
        };
        QList<Answer> answers = {{0, {}, {}}, {100, {}, {}}, {140, {}, {}}};
        QSemaphore answered;
        std::vector<std::unique_ptr<QThread>> clients;
        for (Answer &answer : answers) {
            clients.emplace_back(QThread::create([&answer, &answered, control, id] {
                answer.entries = browse(control, id, QStringLiteral("BrowseDirectChildren"),
                                        answer.start, 100, {}, &answer.arguments);
                answered.release();
            }));
            clients.back()->start();
        }
        // Busy: no event of this thread runs until every answer is in.
        const bool allAnswered = answered.tryAcquire(int(answers.size()), 120000);
        for (auto &client : clients)
            client->wait();
        QVERIFY(allAnswered);
        for (const Answer &answer : std::as_const(answers)) {
            QCOMPARE(answer.arguments.value(QStringLiteral("TotalMatches")).toInt(), files);
            QCOMPARE(answer.entries.size(), qMin(100, files - answer.start));
            QCOMPARE(answer.entries.first().title,
                     QStringLiteral("clip-%1").arg(answer.start, 3, 10, QLatin1Char('0')));
        }
        // Listed once: the folder did not change, so every answer carries the same update id.
        QCOMPARE(answers.at(0).arguments.value(QStringLiteral("UpdateID")),
                 answers.at(2).arguments.value(QStringLiteral("UpdateID")));
    }
};

QTEST_GUILESS_MAIN(TestBrowsePages)
#include "tst_browsepages.moc"
