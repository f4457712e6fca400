// A video's subtitle files on the television: the DIDL-Lite item offers them
// as resources and in the caption element Samsung sets read, the video's
// answer names one when asked with getCaptionInfo.sec, and the subtitle
// addresses serve the files with their types. Videos without subtitles and
// addresses that name none stay as they were.
#include "TestSupport.h"
#include "TvTestHttp.h"
#include "core/AppIdentity.h"
#include "tv/LumiqoTv.h"
#include "tv/MediaModel.h"
#include "tv/MediaServer.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace TvTestHttp;

namespace {

const QByteArray kSubRip = "1\r\n00:00:00,500 --> 00:00:01,500\r\nHello\r\n";
const QByteArray kWebVtt = "WEBVTT\n\n00:00.500 --> 00:01.500\nHallo\n";

DidlEntry entryTitled(const QList<DidlEntry> &entries, const QString &title)
{
    for (const DidlEntry &entry : entries) {
        if (entry.title == title)
            return entry;
    }
    return {};
}

// The addresses of an item's resources of this MIME type.
QStringList urlsOfType(const DidlEntry &entry, const QString &mime)
{
    QStringList urls;
    for (int i = 0; i < entry.protocolInfos.size() && i < entry.urls.size(); ++i) {
        if (entry.protocolInfos.at(i).section(QLatin1Char(':'), 2, 2) == mime)
            urls << entry.urls.at(i);
    }
    return urls;
}

} // namespace

class TestSubtitleServing : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<LumiqoTv> m_tv;
    QUrl m_control;

private Q_SLOTS:
    void initTestCase()
    {
        AppIdentity::apply();
        const QString clip = TestSupport::sampleClip(QStringLiteral("subtitles-2s.mp4"), 2);
        QVERIFY(!clip.isEmpty());
        QVERIFY(QFile::copy(clip, m_dir.filePath(QStringLiteral("Clip.mp4"))));
        QVERIFY(QFile::copy(clip, m_dir.filePath(QStringLiteral("Plain.mp4"))));
        for (const auto &[name, bytes] : {std::pair{"Clip.en.srt", kSubRip},
                                          {"Clip.de.vtt", kWebVtt},
                                          {"Stray.fr.srt", kSubRip}}) {
            QFile file(m_dir.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        m_tv = std::make_unique<LumiqoTv>(QStringLiteral("LumiqoTV"), m_dir.path(),
                                          UpnpEngine::NoSsdp);
        m_tv->model()->setProbeBudget(60000);
        m_tv->toggleServerStatus();
        m_control = QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_tv->server()->port()) +
                         m_tv->server()->uuid + QStringLiteral("/ContentDirectory/control.xml"));
    }

    void cleanupTestCase() { m_tv.reset(); }

    void itemOffersItsSubtitles()
    {
        QHash<QString, QString> arguments;
        const QList<DidlEntry> entries =
            browse(m_control, QStringLiteral("0"), QStringLiteral("BrowseDirectChildren"), 0, 0, {},
                   &arguments);
        QStringList titles;
        for (const DidlEntry &entry : entries)
            titles << entry.title;
        // Subtitle files are no items of their own.
        QCOMPARE(titles, (QStringList{"Clip", "Plain"}));

        const DidlEntry clip = entryTitled(entries, QStringLiteral("Clip"));
        const QStringList srt = urlsOfType(clip, QStringLiteral("text/srt"));
        const QStringList vtt = urlsOfType(clip, QStringLiteral("text/vtt"));
        QVERIFY(!srt.isEmpty() && !vtt.isEmpty());
        QVERIFY(srt.first().startsWith(QStringLiteral("http://127.0.0.1:")));
        QVERIFY(
            urlsOfType(entryTitled(entries, QStringLiteral("Plain")), QStringLiteral("text/srt"))
                .isEmpty());

        const QString didl = arguments.value(QStringLiteral("Result"));
        QVERIFY(didl.contains(QStringLiteral("xmlns:sec=\"http://www.sec.co.kr/\"")));
        static const QRegularExpression caption(
            QStringLiteral("<sec:CaptionInfoEx sec:type=\"(\\w+)\">([^<]+)</sec:CaptionInfoEx>"));
        QStringList captions;
        for (const QRegularExpressionMatch &match : caption.globalMatch(didl))
            captions << match.captured(1) + QLatin1Char('=') + match.captured(2);
        QCOMPARE(captions, (QStringList{"vtt=" + vtt.first(), "srt=" + srt.first()}));

        // The subtitle addresses serve the files with their types.
        for (const auto &[url, bytes, type] :
             {std::tuple{srt.first(), kSubRip, QByteArray("text/srt")},
              {vtt.first(), kWebVtt, QByteArray("text/vtt")}}) {
            const Reply reply = request("GET", QUrl(url));
            QCOMPARE(reply.status, 200);
            QCOMPARE(reply.body, bytes);
            QCOMPARE(reply.header("Content-Type"), type);
        }
    }

    void captionHeaderOnRequest_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QByteArray>("verb");
        QTest::addColumn<QByteArray>("ask");
        QTest::addColumn<bool>("expected");
        QTest::newRow("GET asking") << "Clip" << QByteArray("GET") << QByteArray("1") << true;
        QTest::newRow("HEAD asking") << "Clip" << QByteArray("HEAD") << QByteArray("1") << true;
        QTest::newRow("GET not asking") << "Clip" << QByteArray("GET") << QByteArray() << false;
        QTest::newRow("video without subtitles")
            << "Plain" << QByteArray("GET") << QByteArray("1") << false;
    }

    void captionHeaderOnRequest()
    {
        QFETCH(QString, title);
        QFETCH(QByteArray, verb);
        QFETCH(QByteArray, ask);
        QFETCH(bool, expected);
        const QList<DidlEntry> entries =
            browse(m_control, QStringLiteral("0"), QStringLiteral("BrowseDirectChildren"));
        const DidlEntry entry = entryTitled(entries, title);
        const QString video = urlsOfType(entry, QStringLiteral("video/mp4")).value(0);
        QVERIFY(!video.isEmpty());
        Headers headers;
        if (!ask.isEmpty())
            headers.append({"getCaptionInfo.sec", ask});
        const Reply reply = request(verb, QUrl(video), headers);
        QCOMPARE(reply.status, 200);
        const QByteArray caption = reply.header("CaptionInfo.sec");
        if (!expected) {
            QVERIFY(caption.isEmpty());
            return;
        }
        // SubRip is named: every television that asks reads it.
        QCOMPARE(QString::fromUtf8(caption), urlsOfType(entry, QStringLiteral("text/srt")).first());
        const Reply subtitle = request("GET", QUrl(QString::fromUtf8(caption)));
        QCOMPARE(subtitle.body, kSubRip);
    }

    void unknownSubtitleAddresses()
    {
        const QList<DidlEntry> entries =
            browse(m_control, QStringLiteral("0"), QStringLiteral("BrowseDirectChildren"));
        const QString srt =
            urlsOfType(entryTitled(entries, QStringLiteral("Clip")), QStringLiteral("text/srt"))
                .first();
        const QString plainId = entryTitled(entries, QStringLiteral("Plain")).id;
        const QString base = srt.left(srt.indexOf(QStringLiteral("SUBTITLES/")));
        for (const QString &path :
             {QStringLiteral("SUBTITLES/") + plainId + QStringLiteral("/0.srt"),
              srt.mid(base.size()).replace(QStringLiteral("/1."), QStringLiteral("/7.")),
              QStringLiteral("SUBTITLES/999/0.srt"), QStringLiteral("SUBTITLES/x"),
              QStringLiteral("SUBTITLES/")}) {
            QCOMPARE(request("GET", QUrl(base + path)).status, 404);
        }
    }
};

QTEST_GUILESS_MAIN(TestSubtitleServing)
#include "tst_subtitleserving.moc"
