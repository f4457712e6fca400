#include "DemoSite.h"

#include "HttpConnection.h"
#include "MemberPages.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextStream>

namespace {

constexpr qsizetype kMaxLoggedRequests = 10000;
constexpr qint64 kMaxSyntheticBytes = qint64(64) * 1024 * 1024 * 1024;

QByteArray escapeXml(const QString &text)
{
    return text.toHtmlEscaped().toUtf8();
}

QString baseUrl(const HttpRequest &request, bool secure)
{
    QString host = QString::fromLatin1(request.header("host"));
    if (host.isEmpty())
        host = QStringLiteral("127.0.0.1");
    return (secure ? QStringLiteral("https://") : QStringLiteral("http://")) + host;
}

// "bytes=START-" or "bytes=START-END"; false when absent or unusable.
bool parseRange(const QByteArray &header, qint64 *start, qint64 *end)
{
    static const QRegularExpression pattern(QStringLiteral("^bytes=(\\d+)-(\\d*)$"));
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(header.trimmed()));
    if (!match.hasMatch())
        return false;
    *start = match.captured(1).toLongLong();
    *end = match.capturedLength(2) > 0 ? match.captured(2).toLongLong() : -1;
    return true;
}

} // namespace

DemoSite::DemoSite(const Options &options, QObject *parent) : QObject(parent), m_options(options)
{
    m_clips = {
        {QStringLiteral("harbour"), QStringLiteral("Harbour Lights"),
         QStringLiteral("Boats coming home at dusk."), QStringLiteral("Ada Marsh, Leo Quinn"),
         QStringLiteral("Travel, Night")},
        {QStringLiteral("meadow"), QStringLiteral("Meadow: The Long Summer"),
         QStringLiteral("A year on a mountain meadow."), QStringLiteral("Mira Holt"),
         QStringLiteral("Nature")},
        {QStringLiteral("skyline"), QStringLiteral("Skyline Timelapse"),
         QStringLiteral("A city from dawn to night."), QString(),
         QStringLiteral("City, Timelapse")},
    };
}

QString DemoSite::clipPath(const QString &name) const
{
    return QDir(m_options.dataDir).absoluteFilePath(QStringLiteral("media/%1.mp4").arg(name));
}

bool DemoSite::generateClip(const Clip &clip, int index, QString *error) const
{
    static const QStringList sources = {QStringLiteral("testsrc2"), QStringLiteral("smptebars"),
                                        QStringLiteral("rgbtestsrc")};
    const QString target = clipPath(clip.name);
    const QString partial = target + QStringLiteral(".partial.mp4");
    QProcess ffmpeg;
    ffmpeg.start(
        QStringLiteral("ffmpeg"),
        {QStringLiteral("-hide_banner"),
         QStringLiteral("-loglevel"),
         QStringLiteral("error"),
         QStringLiteral("-y"),
         QStringLiteral("-f"),
         QStringLiteral("lavfi"),
         QStringLiteral("-i"),
         sources.at(index % sources.size()) + QStringLiteral("=size=320x240:rate=25:duration=4"),
         QStringLiteral("-f"),
         QStringLiteral("lavfi"),
         QStringLiteral("-i"),
         QStringLiteral("sine=frequency=%1:duration=4").arg(330 + 110 * index),
         QStringLiteral("-c:v"),
         QStringLiteral("mpeg4"),
         QStringLiteral("-q:v"),
         QStringLiteral("5"),
         QStringLiteral("-c:a"),
         QStringLiteral("aac"),
         QStringLiteral("-shortest"),
         partial});
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0) {
        *error = QStringLiteral("ffmpeg could not make %1: %2")
                     .arg(clip.name, QString::fromLocal8Bit(ffmpeg.readAllStandardError()));
        QFile::remove(partial);
        return false;
    }
    return QFile::rename(partial, target);
}

bool DemoSite::prepare(QString *error)
{
    if (!QDir().mkpath(m_options.dataDir + QStringLiteral("/media")) ||
        !QDir().mkpath(m_options.dataDir + QStringLiteral("/reports"))) {
        *error = QStringLiteral("cannot create the data folder %1").arg(m_options.dataDir);
        return false;
    }
    if (!m_options.generateMedia)
        return true;
    for (int i = 0; i < m_clips.size(); ++i) {
        if (!QFileInfo::exists(clipPath(m_clips.at(i).name)) &&
            !generateClip(m_clips.at(i), i, error))
            return false;
    }
    return true;
}

bool DemoSite::listen(quint16 port, quint16 tlsPort, QString *error)
{
    m_server = new QTcpServer(this);
    if (!m_server->listen(QHostAddress::LocalHost, port)) {
        *error = m_server->errorString();
        return false;
    }
    connect(m_server, &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket *socket = m_server->nextPendingConnection())
            new HttpConnection(
                socket, [this](const HttpRequest &r) { return handle(r, false); }, this);
    });
    if (m_options.tlsCert.isEmpty())
        return true;

    QFile certFile(m_options.tlsCert);
    QFile keyFile(m_options.tlsKey);
    if (!certFile.open(QIODevice::ReadOnly) || !keyFile.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read the certificate or key");
        return false;
    }
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setLocalCertificate(QSslCertificate(&certFile, QSsl::Pem));
    config.setPrivateKey(QSslKey(&keyFile, QSsl::Rsa, QSsl::Pem));
    auto *tls = new QSslServer(this);
    tls->setSslConfiguration(config);
    m_tlsServer = tls;
    if (!tls->listen(QHostAddress::LocalHost, tlsPort)) {
        *error = tls->errorString();
        return false;
    }
    connect(tls, &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket *socket = m_tlsServer->nextPendingConnection())
            new HttpConnection(
                socket, [this](const HttpRequest &r) { return handle(r, true); }, this);
    });
    return true;
}

quint16 DemoSite::port() const
{
    return m_server ? m_server->serverPort() : 0;
}

quint16 DemoSite::tlsPort() const
{
    return m_tlsServer ? m_tlsServer->serverPort() : 0;
}

bool DemoSite::setFault(const QString &name, qint64 value)
{
    static const QStringList known = {QString(),
                                      QStringLiteral("slow"),
                                      QStringLiteral("drop"),
                                      QStringLiteral("dropevery"),
                                      QStringLiteral("droprandom"),
                                      QStringLiteral("down"),
                                      QStringLiteral("404"),
                                      QStringLiteral("500"),
                                      QStringLiteral("norange")};
    if (!known.contains(name))
        return false;
    m_fault = name;
    m_faultValue = value;
    if (name == QLatin1String("down")) {
        // Gone: the answers being sent break off, new requests find no one.
        const QList<HttpConnection *> connections = findChildren<HttpConnection *>();
        for (HttpConnection *connection : connections)
            connection->hangUp();
    }
    return true;
}

HttpResponse DemoSite::text(const QByteArray &body, const QByteArray &type, int status) const
{
    HttpResponse response;
    response.status = status;
    response.body = body;
    response.setHeader("Content-Type", type);
    return response;
}

HttpResponse DemoSite::page(const QString &title, const QString &body) const
{
    const QString html =
        QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%1</title>"
                       "<style>body{font-family:sans-serif;margin:2em;background:#f4f5f7}"
                       "a{color:#2a5db0}li{margin:.4em 0}</style></head><body><h1>%1</h1>%2"
                       "</body></html>")
            .arg(title.toHtmlEscaped(), body);
    return text(html.toUtf8(), "text/html; charset=utf-8");
}

HttpResponse DemoSite::notFound() const
{
    return text("Not found\n", "text/plain", 404);
}

HttpResponse DemoSite::unauthorized() const
{
    HttpResponse response = text("Sign in first\n", "text/plain", 401);
    response.setHeader("WWW-Authenticate", "Basic realm=\"Corvana members\"");
    return response;
}

bool DemoSite::authorized(const HttpRequest &request) const
{
    const QByteArray header = request.header("authorization");
    if (!header.startsWith("Basic "))
        return false;
    const QByteArray expected = (m_options.user + QLatin1Char(':') + m_options.password).toUtf8();
    return QByteArray::fromBase64(header.mid(6).trimmed()) == expected;
}

HttpResponse DemoSite::handle(const HttpRequest &request, bool secure)
{
    if (m_requestLog.size() < kMaxLoggedRequests)
        m_requestLog << QStringLiteral("%1 %2 %3")
                            .arg(QString::fromLatin1(request.method), request.path,
                                 QString::fromLatin1(request.header("range")));
    const QString base = baseUrl(request, secure);
    const QString path = request.path;

    if (path.startsWith(QLatin1String("/control/")))
        return control(request);
    if (path == QLatin1String("/") || path == QLatin1String("/index.html")) {
        HttpResponse response = text("", "text/plain", 302);
        response.setHeader("Location", "/start/index.php");
        return response;
    }
    if (path == QLatin1String("/start/index.php"))
        return startPage();
    if (path.startsWith(QLatin1String("/redirect/"))) {
        HttpResponse response = page(QStringLiteral("Moved"), QStringLiteral("<p>Moved.</p>"));
        response.status = 302;
        QString location = path.mid(int(qstrlen("/redirect")));
        if (!request.query.isEmpty())
            location += QLatin1Char('?') + request.query.toString(QUrl::FullyEncoded);
        response.setHeader("Location", location.toUtf8());
        return response;
    }
    if (path.startsWith(QLatin1String("/images/")))
        return image(path.mid(8));
    if (path == QLatin1String("/sidebar.php"))
        return sidebar(request, base);
    if (path == QLatin1String("/zelta/update.xml"))
        return updateFeed(base);
    if (path == QLatin1String("/zelta/suggest.php"))
        return suggestions();
    if (path == QLatin1String("/zelta/postback.php"))
        return storeReport(request, QStringLiteral("postback"));
    if (path == QLatin1String("/qx_remote/qx_error.php"))
        return storeReport(request, QStringLiteral("error"));
    if (path.startsWith(QLatin1String("/files/")) &&
        path.contains(QLatin1String("CorvanaZELTAUpdate"))) {
        HttpResponse response =
            text("#!/bin/sh\necho \"CorvanaZELTA demo installer: nothing to install.\"\n",
                 "application/x-sh");
        return ranged(request, response, response.body.size());
    }

    const bool members = path.startsWith(QLatin1String("/members/"));
    const bool mediaPath = path.startsWith(QLatin1String("/media/"));
    if (!members && !mediaPath)
        return notFound();
    if (!authorized(request))
        return unauthorized();
    if (mediaPath)
        return media(request);
    if (path == QLatin1String("/members/index.php"))
        return membersHome(base);
    if (path == QLatin1String("/members/search.php"))
        return search(request, base);
    if (path.endsWith(QLatin1String(".corvana")))
        return descriptor(request, base);
    return memberPage(request);
}

HttpResponse DemoSite::control(const HttpRequest &request)
{
    const QString path = request.path;
    if (path == QLatin1String("/control/fault")) {
        const QString name = request.query.queryItemValue(QStringLiteral("name"));
        const qint64 value = request.query.queryItemValue(QStringLiteral("value")).toLongLong();
        if (!setFault(name, value))
            return text("unknown fault\n", "text/plain", 400);
        return text("ok\n", "text/plain");
    }
    if (path == QLatin1String("/control/cookies")) // what the client sent
        return text(request.header("cookie") + '\n', "text/plain");
    if (path == QLatin1String("/control/requests"))
        return text(m_requestLog.join(QLatin1Char('\n')).toUtf8() + '\n', "text/plain");
    if (path == QLatin1String("/control/sent")) // media body bytes sent, per answer
        return text(m_sentLog.join(QLatin1Char('\n')).toUtf8() + '\n', "text/plain");
    // withdraw?guid=G: the synthetic descriptors leave G out; without a guid
    // they list every item again.
    if (path == QLatin1String("/control/withdraw")) {
        const QString guid = request.query.queryItemValue(QStringLiteral("guid"));
        if (guid.isEmpty())
            m_withdrawn.clear();
        else
            m_withdrawn.insert(guid);
        return text("ok\n", "text/plain");
    }
    if (path == QLatin1String("/control/expire")) { // expiring addresses given so far answer 403
        ++m_mediaToken;
        return text("ok\n", "text/plain");
    }
    if (path == QLatin1String("/control/clear")) {
        m_requestLog.clear();
        m_sentLog.clear();
        return text("ok\n", "text/plain");
    }
    if (path == QLatin1String("/control/feed") && request.method == "POST") {
        QFile file(QDir(m_options.dataDir).absoluteFilePath(QStringLiteral("update.xml")));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return text("cannot store\n", "text/plain", 500);
        file.write(request.body);
        return text("ok\n", "text/plain");
    }
    return notFound();
}

HttpResponse DemoSite::startPage() const
{
    return page(QStringLiteral("Sign in to Corvana"),
                MemberPages::startPage(m_options.user, m_options.password));
}

QList<MemberPages::Clip> DemoSite::memberClips() const
{
    QList<MemberPages::Clip> clips;
    for (const Clip &clip : m_clips)
        clips.append({clip.name, clip.title, clip.categories});
    return clips;
}

HttpResponse DemoSite::membersHome(const QString &) const
{
    HttpResponse response =
        page(QStringLiteral("Corvana members"), MemberPages::membersHome(memberClips()));
    // A remembered preference, so that cookies set by the site can be followed.
    response.setHeader("Set-Cookie", "corvana_seen=1; Max-Age=2592000; Path=/");
    return response;
}

HttpResponse DemoSite::memberPage(const HttpRequest &request) const
{
    const QString path = request.path;
    QString body;
    QString title = QStringLiteral("Corvana");
    if (path == QLatin1String("/members/channel.php")) {
        body = MemberPages::channelPage(memberClips(),
                                        request.query.queryItemValue(QStringLiteral("c")));
        title = QStringLiteral("Corvana channel");
    } else if (path.startsWith(QLatin1String("/members/plugins/"))) {
        body = MemberPages::addOnPage(path);
        title = QStringLiteral("Corvana add-ons");
    } else if (path == QLatin1String("/members/about.php")) {
        body = MemberPages::aboutPage();
        title = QStringLiteral("About Corvana");
    } else if (path == QLatin1String("/members/local.php")) {
        body = MemberPages::localFilePage();
    }
    return body.isEmpty() ? notFound() : page(title, body);
}

HttpResponse DemoSite::search(const HttpRequest &request, const QString &base) const
{
    const QString terms = request.query.queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded);
    return page(QStringLiteral("Search: %1").arg(terms),
                MemberPages::search(memberClips(), terms, base));
}

QByteArray DemoSite::itemXml(const Clip &clip, const QString &base) const
{
    const qint64 size = QFileInfo(clipPath(clip.name)).size();
    return "<item><title>" + escapeXml(clip.title) + "</title><guid>corvana-demo-" +
           clip.name.toUtf8() + "</guid><description>" + escapeXml(clip.description) +
           "</description><pubDate>Tue, 06 Dec 2011 08:00:00 GMT</pubDate><cover>" +
           escapeXml(base) + "/images/" + clip.name.toUtf8() + "-cover.jpg</cover><categories>" +
           escapeXml(clip.categories) + "</categories><stars>" + escapeXml(clip.stars) +
           "</stars><duration>00:04</duration><media:group><media:content url=\"" +
           escapeXml(base) + "/media/" + clip.name.toUtf8() + ".mp4\" bytes=\"" +
           QByteArray::number(size) + "\" type=\"video/mp4\"><media:title>" +
           escapeXml(clip.title) + "</media:title><media:thumbnail url=\"" + escapeXml(base) +
           "/images/" + clip.name.toUtf8() +
           "-thumb.jpg\"/><rating>4</rating></media:content></media:group></item>";
}

static QByteArray wrapChannel(const QByteArray &items)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\" "
           "xmlns:media=\"http://search.yahoo.com/mrss/\"><channel><title>Corvana</title>" +
           items + "</channel></rss>\n";
}

HttpResponse DemoSite::descriptor(const HttpRequest &request, const QString &base) const
{
    if (request.path == QLatin1String("/members/synthetic.corvana"))
        return syntheticDescriptor(request, base);
    QByteArray items;
    for (const Clip &clip : m_clips) {
        if (request.path == QLatin1String("/members/all.corvana") ||
            request.path == QStringLiteral("/members/videos/%1.corvana").arg(clip.name))
            items += itemXml(clip, base);
    }
    if (items.isEmpty())
        return notFound();
    return text(wrapChannel(items), "application/rss+xml");
}

// Items of generated content: count, bytes, tag, rate (bytes/s), redirect,
// title (one for all items), badscheme (how many items have a local media URL,
// or one of `scheme`), absurd (how many items announce a size past any video),
// expiring (media addresses that answer 403 once /control/expire was asked).
HttpResponse DemoSite::syntheticDescriptor(const HttpRequest &request, const QString &base) const
{
    const int count = qBound(0, request.query.queryItemValue(QStringLiteral("count")).toInt(), 100);
    const qint64 bytes = request.query.queryItemValue(QStringLiteral("bytes")).toLongLong();
    const QString tag = request.query.queryItemValue(QStringLiteral("tag"));
    const QString rate = request.query.queryItemValue(QStringLiteral("rate"));
    const bool redirect = request.query.hasQueryItem(QStringLiteral("redirect"));
    // Every item under one title; the first `badscheme` items with a local file as media.
    const QString sameTitle = request.query.queryItemValue(QStringLiteral("title"));
    const int badScheme = request.query.queryItemValue(QStringLiteral("badscheme")).toInt();
    const QString scheme = request.query.queryItemValue(QStringLiteral("scheme"));
    const int absurd = request.query.queryItemValue(QStringLiteral("absurd")).toInt();
    const bool expiring = request.query.hasQueryItem(QStringLiteral("expiring"));
    QByteArray items;
    for (int i = 1; i <= count; ++i) {
        const QString name = QStringLiteral("%1-%2").arg(tag).arg(i);
        QString media = base + (redirect ? QStringLiteral("/redirect") : QString()) +
                        QStringLiteral("/media/blob/%1.mp4?bytes=%2").arg(name).arg(bytes);
        if (m_withdrawn.contains(name))
            continue;
        if (!rate.isEmpty())
            media += QStringLiteral("&rate=") + rate;
        if (expiring)
            media += QStringLiteral("&token=%1").arg(m_mediaToken);
        if (i <= badScheme)
            media = scheme.isEmpty() ? QStringLiteral("file:///etc/hostname")
                                     : scheme + QStringLiteral("://127.0.0.1/%1.mp4").arg(name);
        const QByteArray announced =
            i <= absurd ? QByteArray("98765432109876543210987") : QByteArray::number(bytes);
        const QString title =
            sameTitle.isEmpty() ? QStringLiteral("%1 %2").arg(tag).arg(i) : sameTitle;
        items += "<item><title>" + escapeXml(title) + "</title><guid>" + escapeXml(name) +
                 "</guid><description>Generated</description>"
                 "<cover>" +
                 escapeXml(base) + "/images/" + name.toUtf8() +
                 "-cover.jpg</cover><media:group><media:content url=\"" + escapeXml(media) +
                 "\" bytes=\"" + announced + "\" type=\"video/mp4\"><media:title>" +
                 escapeXml(title) + "</media:title><media:thumbnail url=\"" + escapeXml(base) +
                 "/images/" + name.toUtf8() + "-thumb.jpg\"/></media:content></media:group></item>";
    }
    return text(wrapChannel(items), "application/rss+xml");
}

HttpResponse DemoSite::media(const HttpRequest &request)
{
    if (m_fault == QLatin1String("down")) {
        HttpResponse gone;
        gone.hangUp = true;
        return gone;
    }
    if (m_fault == QLatin1String("404"))
        return notFound();
    if (m_fault == QLatin1String("500"))
        return text("Server error\n", "text/plain", 500);

    HttpResponse response;
    response.setHeader("Content-Type", "video/mp4");
    qint64 size = 0;
    if (request.path.startsWith(QLatin1String("/media/blob/"))) {
        size = request.query.queryItemValue(QStringLiteral("bytes")).toLongLong();
        if (size <= 0 || size > kMaxSyntheticBytes)
            return notFound();
        const QString token = request.query.queryItemValue(QStringLiteral("token"));
        if (!token.isEmpty() && token.toInt() != m_mediaToken)
            return text("This address has expired\n", "text/plain", 403);
        response.source = HttpResponse::Source::Synthetic;
        response.bytesPerSecond = request.query.queryItemValue(QStringLiteral("rate")).toLongLong();
    } else {
        const QString name = QFileInfo(request.path).fileName();
        const QString file = clipPath(QFileInfo(name).completeBaseName());
        if (name.contains(QLatin1String("..")) || !name.endsWith(QLatin1String(".mp4")) ||
            !QFileInfo::exists(file))
            return notFound();
        size = QFileInfo(file).size();
        response.source = HttpResponse::Source::File;
        response.filePath = file;
    }
    if (m_fault == QLatin1String("slow"))
        response.bytesPerSecond = m_faultValue > 0 ? m_faultValue : 256 * 1024;
    response = ranged(request, response, size);
    if (m_fault == QLatin1String("drop")) {
        response.dropAfter = m_faultValue;
        m_fault.clear(); // one connection only
    } else if (m_fault == QLatin1String("dropevery")) {
        response.dropAfter = m_faultValue; // every connection, until cleared
    } else if (m_fault == QLatin1String("droprandom") && m_faultValue > 0) {
        response.dropAfter = 1 + m_random.bounded(m_faultValue); // every connection, anywhere
    }
    // What went out, to tell bytes sent twice from bytes the client kept.
    response.onSent = [self = QPointer<DemoSite>(this), path = request.path](qint64 sent) {
        if (self && self->m_sentLog.size() < kMaxLoggedRequests)
            self->m_sentLog << QStringLiteral("%1 %2").arg(path).arg(sent);
    };
    return response;
}

HttpResponse DemoSite::ranged(const HttpRequest &request, HttpResponse response, qint64 size)
{
    response.setHeader("Accept-Ranges", "bytes");
    response.offset = 0;
    response.length = size;
    qint64 start = 0;
    qint64 end = -1;
    if (m_fault != QLatin1String("norange") && parseRange(request.header("range"), &start, &end)) {
        if (start >= size) {
            HttpResponse refused = text("", "text/plain", 416);
            refused.setHeader("Content-Range", "bytes */" + QByteArray::number(size));
            return refused;
        }
        if (end < 0 || end >= size)
            end = size - 1;
        response.status = 206;
        response.offset = start;
        response.length = end - start + 1;
        response.setHeader("Content-Range", "bytes " + QByteArray::number(start) + '-' +
                                                QByteArray::number(end) + '/' +
                                                QByteArray::number(size));
    }
    if (response.source == HttpResponse::Source::Memory) {
        response.body = response.body.mid(response.offset, response.length);
    }
    return response;
}

HttpResponse DemoSite::sidebar(const HttpRequest &request, const QString &base) const
{
    const QString user = request.query.queryItemValue(QStringLiteral("username"));
    const QByteArray hash =
        QCryptographicHash::hash(m_options.password.toUtf8(), QCryptographicHash::Sha1).toHex();
    if (user != m_options.user ||
        request.query.queryItemValue(QStringLiteral("password")).toLatin1() != hash)
        return text("<channels/>\n", "text/xml");
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<channels>";
    for (const MemberPages::Channel &c : MemberPages::channels()) {
        const QPair<QString, QString> channel(c.name, c.id);
        const QByteArray b = escapeXml(base);
        const QByteArray id = channel.second.toUtf8();
        xml += "<channel><name>" + escapeXml(channel.first) + "</name><url>" + b +
               "/members/channel.php?c=" + id + "</url><image>" + b + "/images/channel-" + id +
               ".png</image><image_selected>" + b + "/images/channel-" + id +
               "-selected.png</image_selected><search>" + b + "/members/search.php?c=" + id +
               "&amp;q=</search><search_disabled></search_disabled><search_text>Search " +
               escapeXml(channel.first) + "...</search_text><expand>false</expand></channel>";
    }
    xml += "</channels>\n";
    return text(xml, "text/xml");
}

HttpResponse DemoSite::updateFeed(const QString &base) const
{
    QFile file(QDir(m_options.dataDir).absoluteFilePath(QStringLiteral("update.xml")));
    if (file.open(QIODevice::ReadOnly))
        return text(file.read(1024 * 1024), "text/xml");
    // By default no installer is offered to the running version.
    const QByteArray link = escapeXml(base) + "/files/CorvanaZELTAUpdate-3.2.0.sh";
    return text("<?xml version=\"1.0\"?>\n<zelta><suggestionsVersion>2</suggestionsVersion>"
                "<windows><entry><targetVersion>3.0.9-2.0.0</targetVersion><link>" +
                    link +
                    "</link></entry></windows><linux><entry><targetVersion>3.0.9-2.0.0"
                    "</targetVersion><link>" +
                    link + "</link></entry></linux></zelta>\n",
                "text/xml");
}

HttpResponse DemoSite::suggestions() const
{
    QFile file(QDir(m_options.dataDir).absoluteFilePath(QStringLiteral("suggestions.xml")));
    if (file.open(QIODevice::ReadOnly))
        return text(file.read(1024 * 1024), "text/xml");
    QByteArray xml = "<?xml version=\"1.0\"?>\n<suggestions><version>2</version>";
    for (const Clip &clip : m_clips)
        xml += "<suggestion>" + escapeXml(clip.title) + "</suggestion>";
    xml += "</suggestions>\n";
    return text(xml, "text/xml");
}

HttpResponse DemoSite::storeReport(const HttpRequest &request, const QString &kind)
{
    if (request.method != "POST")
        return text("POST only\n", "text/plain", 400);
    const QString name = QStringLiteral("%1/reports/%2-%3")
                             .arg(m_options.dataDir, kind)
                             .arg(QDateTime::currentMSecsSinceEpoch());
    QFile file(name + QStringLiteral(".txt"));
    if (file.open(QIODevice::WriteOnly))
        file.write(request.body);
    // The query's items beside it, decoded, one "key=value" a line.
    QFile query(name + QStringLiteral(".query"));
    if (!request.query.isEmpty() && query.open(QIODevice::WriteOnly)) {
        for (const auto &item : request.query.queryItems(QUrl::FullyDecoded))
            query.write((item.first + QLatin1Char('=') + item.second).toUtf8() + '\n');
    }
    return text("OK\n", "text/plain");
}

HttpResponse DemoSite::image(const QString &name) const
{
    const bool png = name.endsWith(QLatin1String(".png"));
    if (!png && !name.endsWith(QLatin1String(".jpg")))
        return notFound();
    const bool icon = name.startsWith(QLatin1String("channel-"));
    QImage picture(icon ? QSize(24, 24) : QSize(160, 120), QImage::Format_RGB32);
    const uint seed = qHash(name);
    const QColor color =
        QColor::fromHsv(int(seed % 360), name.contains(QLatin1String("selected")) ? 255 : 160, 220);
    picture.fill(color);
    for (int y = 0; y < picture.height(); y += 8) {
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixelColor(x, y, color.darker(130));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, png ? "PNG" : "JPG")) {
        buffer.seek(0);
        picture.save(&buffer, "PNG");
    }
    return text(bytes, png ? "image/png" : "image/jpeg");
}
