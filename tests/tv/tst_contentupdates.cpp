// Clients that cache by update id: a Browse that finds its folder changed on
// disk raises SystemUpdateID and tells event subscribers which container
// changed; a folder as it was (or listed for the first time) raises nothing.
#include "TestSupport.h"
#include "TvNotifyListener.h"
#include "TvTestHttp.h"
#include "core/AppIdentity.h"
#include "library/LibraryLocation.h"
#include "tv/LumiqoTv.h"
#include "tv/MediaModel.h"
#include "tv/MediaServer.h"

#include <QSemaphore>
#include <QTemporaryDir>
#include <QtTest>

#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

using namespace TvTestHttp;

namespace {

// An hour back: a listing trusts the folder's time, so only a change moves it.
bool age(const QString &path)
{
    struct timespec times[2] = {};
    times[0].tv_sec = times[1].tv_sec = std::time(nullptr) - 3600;
    return utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

QString systemUpdateId(const QUrl &control)
{
    const Reply reply = soap(control, QString::fromLatin1(contentDirectory),
                             QStringLiteral("GetSystemUpdateID"), {});
    return soapArguments(reply.body).value(QStringLiteral("Id"));
}

QString idOf(const QList<DidlEntry> &entries, const QString &title)
{
    for (const DidlEntry &entry : entries) {
        if (entry.title == title)
            return entry.id;
    }
    return QString();
}

// A server over a folder of two clips and a sub-folder of two, and a
// subscriber to its ContentDirectory's events that had the initial event.
struct Served
{
    QTemporaryDir dir;
    QString sub = dir.filePath(QStringLiteral("sub"));
    std::unique_ptr<LumiqoTv> tv;
    QUrl control;
    TvNotifyListener listener;

    bool start(const QString &clip, int watchDelay)
    {
        if (!QDir().mkpath(sub))
            return false;
        for (const QString &name : {QStringLiteral("a.mp4"), QStringLiteral("b.mp4")}) {
            if (!QFile::copy(clip, dir.filePath(name)) ||
                !QFile::copy(clip, sub + QLatin1Char('/') + name))
                return false;
        }
        if (!age(dir.path()) || !age(sub))
            return false;
        tv = std::make_unique<LumiqoTv>(QStringLiteral("LumiqoTV"), LibraryLocation::at(dir.path()),
                                        UpnpEngine::NoSsdp);
        tv->model()->setProbeBudget(60000);
        tv->model()->setWatchDelay(watchDelay);
        tv->toggleServerStatus();
        const QString base = QStringLiteral("http://127.0.0.1:%1/").arg(tv->server()->port()) +
                             tv->server()->uuid + QStringLiteral("/ContentDirectory/");
        control = QUrl(base + QStringLiteral("control.xml"));
        const Reply subscribed = request("SUBSCRIBE", QUrl(base + QStringLiteral("event.xml")),
                                         {{"CALLBACK", '<' + listener.callback().toEncoded() + '>'},
                                          {"NT", "upnp:event"},
                                          {"TIMEOUT", "Second-300"}});
        // The folder's first listing watches it.
        return subscribed.status == 200 &&
               QTest::qWaitFor([this] { return tv->model()->isWatched(QStringLiteral("0")); },
                               10000) &&
               QTest::qWaitFor([this] { return !listener.messages.isEmpty(); }, 10000) &&
               listener.messages.first().contains("<ContainerUpdateIDs></ContainerUpdateIDs>");
    }

    // The event after the initial one tells the change to `after`.
    bool changeEvent(const QString &containerId, const QString &after)
    {
        if (!QTest::qWaitFor([this] { return listener.messages.size() >= 2; }, 10000))
            return false;
        const QByteArray event = listener.messages.at(1);
        if (!event.contains("SEQ: 1") ||
            !event.contains("<SystemUpdateID>" + after.toUtf8() + "</SystemUpdateID>") ||
            !event.contains("<ContainerUpdateIDs>" + containerId.toUtf8() + ',' + after.toUtf8() +
                            "</ContainerUpdateIDs>")) {
            qWarning("%s", event.constData());
            return false;
        }
        return true;
    }
};

} // namespace

class TestContentUpdates : public QObject
{
    Q_OBJECT

private:
    QString m_clip;

private Q_SLOTS:
    void initTestCase()
    {
        AppIdentity::apply();
        m_clip = TestSupport::sampleClip(QStringLiteral("updates-1s.mp4"), 1);
        QVERIFY(!m_clip.isEmpty());
    }

    void changeIsAnnounced_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("folder"); // the container that changes
        const QString root;
        QTest::newRow("file added") << QStringLiteral("added") << root;
        QTest::newRow("file removed") << QStringLiteral("removed") << root;
        QTest::newRow("file rewritten in place") << QStringLiteral("rewritten") << root;
        QTest::newRow("file added in a sub-folder")
            << QStringLiteral("added") << QStringLiteral("sub");
    }

    void changeIsAnnounced()
    {
        QFETCH(QString, change);
        QFETCH(QString, folder);
        Served served;
        // Only the Browse may notice the change here.
        QVERIFY(served.start(m_clip, 3600000));
        const QUrl &control = served.control;
        const QString before = systemUpdateId(control);
        QVERIFY(!before.isEmpty());

        // First listings and unchanged folders raise nothing.
        const QString root = QStringLiteral("0");
        const QString subId = idOf(browse(control, root, QStringLiteral("BrowseDirectChildren")),
                                   QStringLiteral("sub"));
        QVERIFY(!subId.isEmpty());
        QCOMPARE(browse(control, subId, QStringLiteral("BrowseDirectChildren")).size(), 2);
        browse(control, root, QStringLiteral("BrowseDirectChildren"));
        QCOMPARE(systemUpdateId(control), before);

        const QString changed = folder.isEmpty() ? served.dir.path() : served.sub;
        const QString containerId = folder.isEmpty() ? root : subId;
        if (change == QLatin1String("added")) {
            QVERIFY(QFile::copy(m_clip, changed + QStringLiteral("/c.mp4")));
        } else if (change == QLatin1String("removed")) {
            QVERIFY(QFile::remove(changed + QStringLiteral("/b.mp4")));
        } else {
            QFile file(changed + QStringLiteral("/a.mp4"));
            QVERIFY(file.open(QIODevice::Append));
            QVERIFY(file.write(QByteArray(1024, '\0')) == 1024);
        }

        QHash<QString, QString> arguments;
        browse(control, containerId, QStringLiteral("BrowseDirectChildren"), 0, 0, {}, &arguments);
        const QString after = systemUpdateId(control);
        QCOMPARE(after.toUInt(), before.toUInt() + 1);
        QCOMPARE(arguments.value(QStringLiteral("UpdateID")), after);
        // The next event is the change's: nothing was sent for the unchanged ones.
        QVERIFY(served.changeEvent(containerId, after));

        // Browsed again as it now is: no further change.
        browse(control, containerId, QStringLiteral("BrowseDirectChildren"));
        QCOMPARE(systemUpdateId(control), after);
    }

    // A listed folder is watched: its change is told without a Browse.
    void watchedFolderIsAnnounced()
    {
        Served served;
        QVERIFY(served.start(m_clip, 0));
        const QString before = systemUpdateId(served.control);
        QVERIFY(QFile::copy(m_clip, served.dir.filePath(QStringLiteral("c.mp4"))));
        const QString after = QString::number(before.toUInt() + 1);
        QVERIFY(served.changeEvent(QStringLiteral("0"), after));
        QCOMPARE(systemUpdateId(served.control), after);
        // The Browse that follows finds the folder listed already.
        QCOMPARE(browse(served.control, QStringLiteral("0"), QStringLiteral("BrowseDirectChildren"))
                     .size(),
                 4);
        QCOMPARE(systemUpdateId(served.control), after);
    }

    // The change is listed and raises the update id while the thread that
    // made the server is blocked (it is the window's in the program).
    void watchedFolderIsListedWhileOwnerIsBusy()
    {
        Served served;
        QVERIFY(served.start(m_clip, 0));
        const QString before = systemUpdateId(served.control);
        QSemaphore listed;
        connect(
            served.tv->model(), &MediaModel::folderChanged, this,
            [&listed](const QString &) { listed.release(); }, Qt::DirectConnection);
        QVERIFY(QFile::copy(m_clip, served.dir.filePath(QStringLiteral("c.mp4"))));
        // Busy until the change is listed.
        QVERIFY(listed.tryAcquire(1, 60000));
        const QString after = QString::number(before.toUInt() + 1);
        QCOMPARE(systemUpdateId(served.control), after);
        QVERIFY(served.changeEvent(QStringLiteral("0"), after));
    }
};

QTEST_GUILESS_MAIN(TestContentUpdates)
#include "tst_contentupdates.moc"
