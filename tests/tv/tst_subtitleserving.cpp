// A video's subtitle files on the television: the DIDL-Lite item offers them
// as resources and in the caption element Samsung sets read, the video's
// answer names one when asked with getCaptionInfo.sec, and the subtitle
// addresses serve the files with their types. Videos without subtitles and
// addresses that name none stay as they were. A console, which shows no
// subtitle file, gets a transcoded stream with the text drawn into the
// picture, whatever characters the file's path holds.
#include "TestSupport.h"
#include "TvTestHttp.h"
#include "core/AppIdentity.h"
#include "library/LibraryLocation.h"
#include "tv/LumiqoTv.h"
#include "tv/MediaModel.h"
#include "tv/MediaServer.h"
#include "tv/TranscodeHelper.h"
#include "tv/upnp/UpnpClientSignature.h"

#include "core/Platform.h"

#include <QImage>
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

// A cue over the whole of a short clip, in big letters.
const QByteArray kBurnedCue = "1\n00:00:00,000 --> 00:00:09,000\nHELLO WORLD\nSECOND LINE\n";
// The folder of the console's items: every character the filter syntax knows.
const QString kOddFolder = QStringLiteral("odd: 'name', [x]; y \"z\" \\ 100%");

// The frame one second into an encoded stream.
QImage frameOf(const QByteArray &stream, const QString &folder)
{
    const QString in = folder + QStringLiteral("/stream.bin");
    const QString out = folder + QStringLiteral("/frame.png");
    QFile file(in);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(stream);
    file.close();
    QFile::remove(out);
    if (TestSupport::run(QStringLiteral("ffmpeg"),
                         {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), in,
                          QStringLiteral("-ss"), QStringLiteral("1"), QStringLiteral("-frames:v"),
                          QStringLiteral("1"), out}) != 0)
        return {};
    return QImage(out).convertToFormat(QImage::Format_RGB32);
}

// Pixels of the lower third of the picture that differ clearly between two frames.
int differingPixelsBelow(const QImage &a, const QImage &b)
{
    if (a.size() != b.size() || a.isNull())
        return -1;
    int count = 0;
    for (int y = a.height() * 2 / 3; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q)) >
                150)
                ++count;
        }
    }
    return count;
}

// The frame the encoder command for a client makes of `video`, with or without subtitles.
QImage encodedFrame(const QString &video, const QString &subtitle, const QString &folder,
                    int mode = UpnpClientSignature::PlayStation3)
{
    QByteArray stream;
    const bool asf = mode == UpnpClientSignature::Xbox;
    if (TestSupport::run(Platform::binaryPath(QStringLiteral("encoder")),
                         asf ? TranscodeHelper::asfArgumentsFor(video, 0, -1, subtitle)
                             : TranscodeHelper::argumentsFor(mode, video, 0, -1, subtitle),
                         &stream) != 0)
        return {};
    return frameOf(stream, folder);
}

} // namespace

class TestSubtitleServing : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QTemporaryDir m_work;
    std::unique_ptr<LumiqoTv> m_tv;
    QUrl m_control;
    QString m_flv;
    QImage m_plainFrame;
    QHash<int, QImage> m_plainFrames; // per client, without subtitles

private Q_SLOTS:
    void initTestCase()
    {
        AppIdentity::apply();
        const QString clip = TestSupport::sampleClip(QStringLiteral("subtitles-2s.mp4"), 2);
        QVERIFY(!clip.isEmpty());
        QVERIFY(QFile::copy(clip, m_dir.filePath(QStringLiteral("Clip.mp4"))));
        QVERIFY(QFile::copy(clip, m_dir.filePath(QStringLiteral("Plain.mp4"))));
        // A transcoded video (the FLV container) with a subtitle, and its twin without.
        m_flv = TestSupport::sampleClip(QStringLiteral("subtitles-3s.flv"), 3);
        QVERIFY(!m_flv.isEmpty());
        QVERIFY(QDir(m_dir.path()).mkpath(kOddFolder));
        const QString odd = m_dir.filePath(kOddFolder) + QLatin1Char('/');
        QVERIFY(QFile::copy(m_flv, odd + QStringLiteral("Burn.flv")));
        QVERIFY(QFile::copy(m_flv, odd + QStringLiteral("Twin.flv")));
        for (const auto &[name, bytes] :
             {std::pair{QStringLiteral("Clip.en.srt"), kSubRip},
              {QStringLiteral("Clip.de.vtt"), kWebVtt},
              {QStringLiteral("Stray.fr.srt"), kSubRip},
              {kOddFolder + QStringLiteral("/Burn.en.srt"), kBurnedCue}}) {
            QFile file(m_dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        m_plainFrame = encodedFrame(m_flv, QString(), m_work.path());
        QVERIFY(!m_plainFrame.isNull());
        m_tv = std::make_unique<LumiqoTv>(QStringLiteral("LumiqoTV"),
                                          LibraryLocation::at(m_dir.path()), UpnpEngine::NoSsdp);
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
        for (const DidlEntry &entry : entries) {
            if (!entry.container)
                titles << entry.title;
        }
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
        // SubRip first: older sets read nothing else, and players take the first.
        QCOMPARE(captions, (QStringList{"srt=" + srt.first(), "vtt=" + vtt.first()}));

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

    void burnInFilterTakesAnyPath_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        const QString odd = QStringLiteral("all: 'a', [b]; \"c\" \\ d%.srt");
        for (const QString &name :
             {QStringLiteral("colon: a.srt"), QStringLiteral("comma, a.srt"),
              QStringLiteral("it's.srt"), QStringLiteral("double \"quote\".srt"),
              QStringLiteral("[brackets].srt"), QStringLiteral("semi;colon.srt"),
              QStringLiteral("back\\slash.srt"), odd})
            QTest::newRow(qPrintable(name)) << name << kBurnedCue;
        // Not UTF-8: read as Latin-1, as the player reads it.
        QByteArray latin1 = kBurnedCue;
        latin1.replace("WORLD", "W\xd6RLD \xdf\xe9");
        QTest::newRow("Latin-1 text") << QStringLiteral("latin1.srt") << latin1;
        QTest::newRow("WebVTT") << QStringLiteral("cue.vtt")
                                << QByteArray("WEBVTT\n\n00:00.000 --> 00:09.000\nHELLO WORLD\n");
    }

    // The encoder's command draws the text, whatever the subtitle file is called.
    void burnInFilterTakesAnyPath()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QString path = m_work.filePath(name);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        const QImage burned = encodedFrame(m_flv, path, m_work.path());
        QVERIFY(!burned.isNull());
        QVERIFY2(differingPixelsBelow(burned, m_plainFrame) > 400,
                 qPrintable(TranscodeHelper::subtitlesFilter(path)));
    }

    void burnInFollowsTheClient_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("version"); // the console's choice of subtitle
        QTest::addColumn<int>("client");
        QTest::addColumn<bool>("textInPicture");
        const int ps3 = UpnpClientSignature::PlayStation3;
        QTest::newRow("PlayStation 3, video with subtitles") << "Burn"
                                                             << "English" << ps3 << true;
        QTest::newRow("PlayStation 3, subtitles turned off") << "Burn"
                                                             << "no subtitles" << ps3 << false;
        QTest::newRow("PlayStation 3, video without") << "Twin" << QString() << ps3 << false;
        QTest::newRow("Xbox, video with subtitles")
            << "Burn"
            << "English" << int(UpnpClientSignature::Xbox) << true;
        // A television reads the subtitle file offered beside the stream.
        QTest::newRow("television, video with subtitles")
            << "Burn" << QString() << int(UpnpClientSignature::Other) << false;
    }

    // Through the server: a console's stream of the video with a subtitle
    // carries the text in its picture; the same video without one does not.
    void burnInFollowsTheClient()
    {
        QFETCH(QString, title);
        QFETCH(QString, version);
        QFETCH(int, client);
        QFETCH(bool, textInPicture);
        Headers console;
        if (client == UpnpClientSignature::PlayStation3)
            console.append(
                qMakePair(QByteArray("X-AV-Client-Info"),
                          QByteArray("av=5.0; cn=\"Sony\"; mn=\"PLAYSTATION 3\"; mv=\"1.0\";")));
        else if (client == UpnpClientSignature::Xbox)
            console.append(qMakePair(QByteArray("User-Agent"),
                                     QByteArray("Xbox/2.0.17559.0 UPnP/1.0 Xbox/2.0.17559.0")));
        if (!m_plainFrames.contains(client))
            m_plainFrames.insert(client, encodedFrame(m_flv, QString(), m_work.path(), client));
        const QImage plain = m_plainFrames.value(client);
        QVERIFY(!plain.isNull());
        const QList<DidlEntry> root =
            browse(m_control, QStringLiteral("0"), QStringLiteral("BrowseDirectChildren"));
        QString folderId;
        for (const DidlEntry &entry : root) {
            if (entry.container && entry.title == kOddFolder)
                folderId = entry.id;
        }
        QVERIFY(!folderId.isEmpty());
        DidlEntry entry = entryTitled(
            browse(m_control, folderId, QStringLiteral("BrowseDirectChildren"), 0, 0, console),
            title);
        // A console sees a video with subtitles as a folder of its versions:
        // one per language and one without.
        QCOMPARE(entry.container, !version.isEmpty());
        if (entry.container) {
            bool ok = false;
            QHash<QString, QString> arguments;
            const QList<DidlEntry> versions =
                browse(m_control, entry.id, QStringLiteral("BrowseDirectChildren"), 0, 0, console,
                       &arguments);
            parseDidl(arguments.value(QStringLiteral("Result")), &ok);
            QVERIFY(ok);
            QStringList titles;
            for (const DidlEntry &each : versions)
                titles << each.title;
            QCOMPARE(titles, (QStringList{title + " (English)", title + " (no subtitles)"}));
            entry = entryTitled(versions, title + " (" + version + ")");
        }
        QVERIFY(!entry.urls.isEmpty());
        const Reply reply = request("GET", QUrl(entry.urls.first()), console);
        QCOMPARE(reply.status, 200);
        const QImage frame = frameOf(reply.body, m_work.path());
        QVERIFY(!frame.isNull());
        const int differing = differingPixelsBelow(frame, plain);
        if (textInPicture)
            QVERIFY2(differing > 400, qPrintable(QString::number(differing)));
        else
            QVERIFY2(differing < 100, qPrintable(QString::number(differing)));
    }
};

QTEST_GUILESS_MAIN(TestSubtitleServing)
#include "tst_subtitleserving.moc"
