// Clients that cache by update id: a Browse that finds its folder changed on
// disk raises SystemUpdateID and tells event subscribers which container
// changed; a folder as it was (or listed for the first time) raises nothing.
#include "TestSupport.h"
#include "TvNotifyListener.h"
#include "TvTestHttp.h"
#include "core/AppIdentity.h"
#include "tv/LumiqoTv.h"
#include "tv/MediaModel.h"
#include "tv/MediaServer.h"

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
        QTest::newRow("file added") << "added"
                                    << "";
        QTest::newRow("file removed") << "removed"
                                      << "";
        QTest::newRow("file rewritten in place") << "rewritten"
                                                 << "";
        QTest::newRow("file added in a sub-folder") << "added"
                                                    << "sub";
    }

    void changeIsAnnounced()
    {
        QFETCH(QString, change);
        QFETCH(QString, folder);
        QTemporaryDir dir;
        const QString sub = dir.filePath(QStringLiteral("sub"));
        QVERIFY(QDir().mkpath(sub));
        for (const QString &name : {QStringLiteral("a.mp4"), QStringLiteral("b.mp4")}) {
            QVERIFY(QFile::copy(m_clip, dir.filePath(name)));
            QVERIFY(QFile::copy(m_clip, sub + QLatin1Char('/') + name));
        }
        QVERIFY(age(dir.path()) && age(sub));
        LumiqoTv tv(QStringLiteral("LumiqoTV"), dir.path(), UpnpEngine::NoSsdp);
        tv.model()->setProbeBudget(60000);
        tv.toggleServerStatus();
        const QString base = QStringLiteral("http://127.0.0.1:%1/").arg(tv.server()->port()) +
                             tv.server()->uuid + QStringLiteral("/ContentDirectory/");
        const QUrl control(base + QStringLiteral("control.xml"));

        TvNotifyListener listener;
        const Reply subscribed = request("SUBSCRIBE", QUrl(base + QStringLiteral("event.xml")),
                                         {{"CALLBACK", '<' + listener.callback().toEncoded() + '>'},
                                          {"NT", "upnp:event"},
                                          {"TIMEOUT", "Second-300"}});
        QCOMPARE(subscribed.status, 200);
        QTRY_COMPARE_WITH_TIMEOUT(listener.messages.size(), 1, 10000);
        QVERIFY(listener.messages.first().contains("<ContainerUpdateIDs></ContainerUpdateIDs>"));
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

        const QString changed = folder.isEmpty() ? dir.path() : sub;
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
        QTRY_COMPARE_WITH_TIMEOUT(listener.messages.size(), 2, 10000);
        const QByteArray event = listener.messages.at(1);
        QVERIFY2(event.contains("SEQ: 1"), event.constData());
        QVERIFY2(event.contains("<SystemUpdateID>" + after.toUtf8() + "</SystemUpdateID>"),
                 event.constData());
        QVERIFY2(event.contains("<ContainerUpdateIDs>" + containerId.toUtf8() + ',' +
                                after.toUtf8() + "</ContainerUpdateIDs>"),
                 event.constData());

        // Browsed again as it now is: no further change.
        browse(control, containerId, QStringLiteral("BrowseDirectChildren"));
        QCOMPARE(systemUpdateId(control), after);
    }
};

QTEST_GUILESS_MAIN(TestContentUpdates)
#include "tst_contentupdates.moc"
