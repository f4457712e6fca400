// The control point against a scripted renderer of our own, inside a private
// network namespace: discovery and the sink list, the pushed resource and
// its metadata, the resume place, refusals, a renderer that never starts,
// one that vanishes and one that says goodbye; the renderer's events, hostile
// ones, and a renderer without events.
#include "ScriptedRenderer.h"
#include "TestSupport.h"

#include "tv/renderer/RendererEvents.h"
#include "tv/renderer/RendererFinder.h"
#include "tv/renderer/RendererSession.h"

#include <QNetworkDatagram>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QtTest>

#include <memory>

namespace {

using namespace ScriptedRendererIds;

CastMedia sampleMedia()
{
    CastMedia media;
    media.objectId = QStringLiteral("42");
    media.title = QStringLiteral("Holiday & friends");
    media.durationMs = 60000;
    UpnpDidlResource file;
    file.protocolInfo = QStringLiteral("http-get:*:video/mp4:DLNA.ORG_PN=AVC_MP4_BL_CIF15_AAC_520");
    file.url = QStringLiteral("http://127.0.0.1:1234/%25/42");
    file.duration = QStringLiteral("0:01:00.000");
    media.fileResources.append(file);
    media.converted.protocolInfo = QStringLiteral("http-get:*:video/mpeg:DLNA.ORG_PN=MPEG_PS_PAL");
    media.converted.url = QStringLiteral("http://127.0.0.1:1234/%25/CONVERTED/42");
    UpnpDidlResource subtitle;
    subtitle.protocolInfo = QStringLiteral("http-get:*:text/srt:*");
    subtitle.url = QStringLiteral("http://127.0.0.1:1234/%25/SUBTITLES/42/0.srt");
    media.subtitleResources.append(subtitle);
    media.captions.append({QStringLiteral("srt"), subtitle.url});
    return media;
}

} // namespace

class TestRenderer : public QObject
{
    Q_OBJECT

    // Finds the scripted renderer and returns it (invalid on failure).
    RendererInfo discover(RendererFinder &finder)
    {
        QSignalSpy added(&finder, &RendererFinder::rendererAdded);
        if (!finder.start())
            return {};
        QTimer again;
        connect(&again, &QTimer::timeout, &finder, &RendererFinder::search);
        again.start(2000);
        if (!QTest::qWaitFor([&] { return finder.renderer(rendererId).isValid(); },
                             TestSupport::SlowWaitMs))
            return {};
        return finder.renderer(rendererId);
    }

private Q_SLOTS:
    void discoveryAndSinks()
    {
        ScriptedRenderer renderer;
        QVERIFY(renderer.start());
        RendererFinder finder;
        const RendererInfo info = discover(finder);
        QVERIFY(info.isValid());
        QCOMPARE(info.name, QStringLiteral("Scripted TV"));
        QCOMPARE(info.address, QHostAddress(QHostAddress::LocalHost));
        QVERIFY(info.sinks.accepts(QStringLiteral("http-get:*:video/mp4:*")));
        QVERIFY(!info.sinks.accepts(QStringLiteral("http-get:*:video/mpeg:*")));
        QCOMPARE(finder.renderers().size(), 1);

        QSignalSpy removed(&finder, &RendererFinder::rendererRemoved);
        renderer.sayGoodbye();
        QTRY_COMPARE_WITH_TIMEOUT(removed.size(), 1, TestSupport::SlowWaitMs);
        QCOMPARE(removed.first().first().toString(), rendererId);
        QVERIFY(finder.renderers().isEmpty());
    }

    void push_data()
    {
        QTest::addColumn<QString>("sinks");
        QTest::addColumn<qint64>("startMs");
        QTest::addColumn<QString>("expectedUrl");
        QTest::addColumn<QString>("expectedSeek");
        QTest::newRow("the file, from the start")
            << QStringLiteral("http-get:*:video/mp4:*") << qint64(0)
            << QStringLiteral("http://127.0.0.1:1234/%25/42") << QString();
        QTest::newRow("the file, at its resume place")
            << QStringLiteral("http-get:*:video/*:*") << qint64(754000)
            << QStringLiteral("http://127.0.0.1:1234/%25/42") << QStringLiteral("0:12:34");
        QTest::newRow("converted: mp4 not in the sink list")
            << QStringLiteral("http-get:*:video/mpeg:*,http-get:*:audio/mpeg:*") << qint64(0)
            << QStringLiteral("http://127.0.0.1:1234/%25/CONVERTED/42") << QString();
    }

    void push()
    {
        QFETCH(QString, sinks);
        QFETCH(qint64, startMs);
        QFETCH(QString, expectedUrl);
        QFETCH(QString, expectedSeek);
        ScriptedRenderer renderer;
        renderer.sinks = sinks;
        QVERIFY(renderer.start());
        RendererFinder finder;
        const RendererInfo info = discover(finder);
        QVERIFY(info.isValid());

        RendererSession session(info);
        session.setPollInterval(100);
        QSignalSpy started(&session, &RendererSession::started);
        QSignalSpy failed(&session, &RendererSession::failed);
        QSignalSpy positions(&session, &RendererSession::positionChanged);
        session.push(sampleMedia(), startMs);
        QTRY_VERIFY_WITH_TIMEOUT(started.size() == 1 || !failed.isEmpty(), TestSupport::SlowWaitMs);
        QVERIFY2(failed.isEmpty(), qPrintable(failed.value(0).value(0).toString()));
        QCOMPARE(renderer.uri, expectedUrl);
        QCOMPARE(renderer.seekTarget, expectedSeek);
        // The metadata: title, duration, the subtitle resource and caption element.
        QVERIFY(renderer.metadata.contains(
            QStringLiteral("<dc:title>Holiday &amp; friends</dc:title>")));
        QVERIFY(renderer.metadata.contains(QStringLiteral("duration=\"0:01:00.000\"")));
        QVERIFY(renderer.metadata.contains(QStringLiteral("text/srt")));
        QVERIFY(renderer.metadata.contains(QStringLiteral("<sec:CaptionInfoEx sec:type=\"srt\">")));
        QVERIFY(renderer.actions.indexOf(QStringLiteral("SetAVTransportURI")) <
                renderer.actions.indexOf(QStringLiteral("Play")));
        QTRY_VERIFY_WITH_TIMEOUT(!positions.isEmpty(), TestSupport::SlowWaitMs);
        QCOMPARE(positions.last().at(1).toLongLong(), qint64(60000));
        QCOMPARE(positions.last().at(0).toLongLong(), startMs > 0 ? startMs : qint64(3000));

        // Control changes the renderer's state.
        QSignalSpy done(&session, &RendererSession::actionDone);
        session.pause();
        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 1, TestSupport::SlowWaitMs);
        QCOMPARE(renderer.state, QStringLiteral("PAUSED_PLAYBACK"));
        session.seek(90500);
        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 2, TestSupport::SlowWaitMs);
        QCOMPARE(renderer.seekTarget, QStringLiteral("0:01:30"));
        session.setVolume(140);
        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 3, TestSupport::SlowWaitMs);
        QCOMPARE(renderer.volume, QStringLiteral("100"));
        QSignalSpy finished(&session, &RendererSession::finished);
        session.stop();
        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 4, TestSupport::SlowWaitMs);
        for (const QVariantList &answer : std::as_const(done))
            QVERIFY2(answer.at(1).toBool(), qPrintable(answer.at(2).toString()));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, TestSupport::SlowWaitMs);
        QCOMPARE(finished.first().first().toLongLong(), qint64(90000));
    }

    // Pushed and playing, with the renderer's events taken.
    bool playWithEvents(RendererSession &session)
    {
        QSignalSpy started(&session, &RendererSession::started);
        session.push(sampleMedia());
        return QTest::qWaitFor([&] { return started.size() == 1 && session.hasEvents(); },
                               TestSupport::SlowWaitMs);
    }

    void events()
    {
        ScriptedRenderer renderer;
        renderer.eventTimeoutS = 2;
        QVERIFY(renderer.start());
        RendererFinder finder;
        const RendererInfo info = discover(finder);
        QVERIFY(info.isValid());
        auto session = std::make_unique<RendererSession>(info);
        // The state is asked for every tenth poll only, later than this test looks.
        session->setPollInterval(1000);
        QSignalSpy volumes(session.get(), &RendererSession::volumeRead);
        QSignalSpy mutes(session.get(), &RendererSession::muteRead);
        QVERIFY(playWithEvents(*session));
        QVERIFY(renderer.subscribed("avt") && renderer.subscribed("rc"));
        QCOMPARE(renderer.callback("avt").host(), QStringLiteral("127.0.0.1"));
        // The initial event of RenderingControl told the volume.
        QTRY_VERIFY_WITH_TIMEOUT(!volumes.isEmpty(), TestSupport::SlowWaitMs);
        QCOMPARE(volumes.last().first().toInt(), 50);

        // The TV's own remote pauses: told at once, not found by asking.
        renderer.actions.append(QStringLiteral("(remote)"));
        renderer.changeState(QStringLiteral("PAUSED_PLAYBACK"));
        QTRY_COMPARE_WITH_TIMEOUT(session->transportState(), QStringLiteral("PAUSED_PLAYBACK"),
                                  TestSupport::SlowWaitMs);
        QVERIFY(renderer.actions.lastIndexOf(QStringLiteral("GetTransportInfo")) <
                renderer.actions.indexOf(QStringLiteral("(remote)")));
        // The place is still asked for.
        const qsizetype asked = renderer.actions.count(QStringLiteral("GetPositionInfo"));
        QTRY_VERIFY_WITH_TIMEOUT(renderer.actions.count(QStringLiteral("GetPositionInfo")) > asked,
                                 TestSupport::SlowWaitMs);
        session->setMute(true);
        QTRY_VERIFY_WITH_TIMEOUT(!mutes.isEmpty() && mutes.last().first().toBool(),
                                 TestSupport::SlowWaitMs);
        session->setVolume(33);
        QTRY_COMPARE_WITH_TIMEOUT(volumes.last().first().toInt(), 33, TestSupport::SlowWaitMs);
        // Two quick steps: the renderer's word on the first comes after the
        // second was sent and does not take the volume back.
        volumes.clear();
        session->setVolume(28);
        session->setVolume(23);
        QTRY_COMPARE_WITH_TIMEOUT(renderer.volume, QStringLiteral("23"), TestSupport::SlowWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(!volumes.isEmpty(), TestSupport::SlowWaitMs);
        QCOMPARE(volumes.count(), 1);
        QCOMPARE(volumes.last().first().toInt(), 23);
        // Once told back, the TV's own remote is heard at once.
        renderer.changeVolume(QStringLiteral("70"));
        QTRY_COMPARE_WITH_TIMEOUT(volumes.last().first().toInt(), 70, TestSupport::SlowWaitMs);

        // Granted two seconds: renewed in time, again and again, never lost.
        QTRY_VERIFY_WITH_TIMEOUT(renderer.renewals >= 4, TestSupport::SlowWaitMs);
        QCOMPARE(renderer.subscribes, 2);
        QVERIFY(session->hasEvents());

        // Given up when the session goes.
        session.reset();
        QTRY_COMPARE_WITH_TIMEOUT(renderer.unsubscribes, 2, TestSupport::SlowWaitMs);
    }

    void hostileEvents_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("sid");
        QTest::addColumn<qint64>("seq"); // -1: the next one
        QTest::addColumn<int>("status");
        const QByteArray paused =
            ScriptedRenderer::propertySet("avt", "<TransportState val=\"PAUSED_PLAYBACK\"/>");
        const QByteArray next;
        QTest::newRow("another subscription's SID")
            << paused << QByteArray("uuid:0000-someone-else") << qint64(-1) << 412;
        QTest::newRow("a SEQ already seen") << paused << next << qint64(0) << 200;
        QTest::newRow("larger than 64 KiB")
            << QByteArray(paused + QByteArray(70 * 1024, ' ')) << next << qint64(-1) << 413;
        QTest::newRow("malformed XML")
            << QByteArray("<e:propertyset xmlns:e=\"urn:schemas-upnp-org:event-1-0\"><e:property>"
                          "<LastChange>&lt;Event&gt;&lt;InstanceID val=\"0\"&gt;")
            << next << qint64(-1) << 400;
        QTest::newRow("entities of a document type")
            << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE e:propertyset [<!ENTITY s "
                          "\"PAUSED_PLAYBACK\">]><e:propertyset "
                          "xmlns:e=\"urn:schemas-upnp-org:event-1-0\"><e:property><LastChange>"
                          "&lt;Event&gt;&lt;InstanceID val=&quot;0&quot;&gt;&lt;TransportState "
                          "val=&quot;&s;&quot;/&gt;&lt;/InstanceID&gt;&lt;/Event&gt;"
                          "</LastChange></e:property></e:propertyset>")
            << next << qint64(-1) << 400;
        QTest::newRow("a document type inside LastChange")
            << QByteArray(paused).replace(
                   "&lt;Event", "&lt;!DOCTYPE Event [&lt;!ENTITY s &quot;x&quot;&gt;]&gt;&lt;Event")
            << next << qint64(-1) << 400;
        QTest::newRow("not a property set")
            << QByteArray("<html><body/></html>") << next << qint64(-1) << 400;
    }

    // A NOTIFY that is not the renderer's, or not readable, changes nothing;
    // the events after it are taken as before.
    void hostileEvents()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, sid);
        QFETCH(qint64, seq);
        QFETCH(int, status);
        ScriptedRenderer renderer;
        QVERIFY(renderer.start());
        RendererFinder finder;
        const RendererInfo info = discover(finder);
        QVERIFY(info.isValid());
        RendererSession session(info);
        session.setPollInterval(60000);
        QVERIFY(playWithEvents(session));
        QTRY_COMPARE_WITH_TIMEOUT(session.transportState(), QStringLiteral("PLAYING"),
                                  TestSupport::SlowWaitMs);

        const std::shared_ptr<int> answer = renderer.notify("avt", body, sid, seq);
        QTRY_VERIFY_WITH_TIMEOUT(*answer >= 0, TestSupport::SlowWaitMs);
        // A body refused by its size may be cut off before the answer is read.
        QVERIFY2(*answer == status || (status == 413 && *answer == 0),
                 qPrintable(QString::number(*answer)));
        QCoreApplication::processEvents();
        QCOMPARE(session.transportState(), QStringLiteral("PLAYING"));

        renderer.changeState(QStringLiteral("STOPPED"));
        QTRY_COMPARE_WITH_TIMEOUT(session.transportState(), QStringLiteral("STOPPED"),
                                  TestSupport::SlowWaitMs);
        QVERIFY(session.hasEvents());
    }

    // A renderer that refuses SUBSCRIBE is watched by asking.
    void withoutEvents()
    {
        ScriptedRenderer renderer;
        renderer.events = false;
        QVERIFY(renderer.start());
        RendererFinder finder;
        const RendererInfo info = discover(finder);
        QVERIFY(info.isValid());
        RendererSession session(info);
        session.setPollInterval(100);
        QSignalSpy started(&session, &RendererSession::started);
        session.push(sampleMedia());
        QVERIFY(session.events());
        QSignalSpy unavailable(session.events(), &RendererEvents::unavailable);
        QTRY_COMPARE_WITH_TIMEOUT(started.size(), 1, TestSupport::SlowWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(unavailable.size(), 2, TestSupport::SlowWaitMs);
        QVERIFY(!session.hasEvents());
        renderer.changeState(QStringLiteral("PAUSED_PLAYBACK"));
        QTRY_COMPARE_WITH_TIMEOUT(session.transportState(), QStringLiteral("PAUSED_PLAYBACK"),
                                  TestSupport::SlowWaitMs);
        QCOMPARE(renderer.subscribes, 0);
    }

    void failures_data()
    {
        QTest::addColumn<QString>("sinks");
        QTest::addColumn<int>("uriFault");
        QTest::addColumn<bool>("plays");
        QTest::addColumn<bool>("vanishes");
        QTest::addColumn<QString>("message");
        const QString mp4 = QStringLiteral("http-get:*:video/mp4:*");
        QTest::newRow("format refused (714)")
            << mp4 << 714 << true << false
            << QStringLiteral(
                   "The TV \"Scripted TV\" refused the video's format (UPnP error 714).");
        QTest::newRow("resource refused (716)")
            << mp4 << 716 << true << false
            << QStringLiteral(
                   "The TV \"Scripted TV\" refused the video's format (UPnP error 716).");
        QTest::newRow("no format it plays")
            << QStringLiteral("http-get:*:audio/mpeg:*") << 0 << true << false
            << QStringLiteral("The TV \"Scripted TV\" does not play this video's format.");
        QTest::newRow("never starts")
            << mp4 << 0 << false << false
            << QStringLiteral("The TV \"Scripted TV\" did not start playing within 2 seconds.");
        QTest::newRow("vanishes mid-play")
            << mp4 << 0 << true << true
            << QStringLiteral("The TV \"Scripted TV\" is no longer on the network.");
    }

    void failures()
    {
        QFETCH(QString, sinks);
        QFETCH(int, uriFault);
        QFETCH(bool, plays);
        QFETCH(bool, vanishes);
        QFETCH(QString, message);
        ScriptedRenderer renderer;
        renderer.sinks = sinks;
        renderer.uriFault = uriFault;
        renderer.plays = plays;
        QVERIFY(renderer.start());
        RendererFinder finder;
        const RendererInfo info = discover(finder);
        QVERIFY(info.isValid());
        RendererSession session(info);
        session.setPollInterval(100);
        session.setStartLimit(2000);
        QSignalSpy started(&session, &RendererSession::started);
        QSignalSpy failed(&session, &RendererSession::failed);
        session.push(sampleMedia());
        if (vanishes) {
            QTRY_COMPARE_WITH_TIMEOUT(started.size(), 1, TestSupport::SlowWaitMs);
            renderer.vanish();
        }
        QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, TestSupport::SlowWaitMs);
        QCOMPARE(failed.first().first().toString(), message);
        if (!vanishes)
            QCOMPARE(started.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestRenderer)
#include "tst_renderer.moc"
