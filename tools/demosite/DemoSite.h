#pragma once

#include "HttpMessage.h"
#include "MemberPages.h"

#include <QByteArray>
#include <QObject>
#include <QRandomGenerator>
#include <QSet>
#include <QString>
#include <QStringList>

class QTcpServer;

// The bundled demo members site: sign-in page, members pages with
// descriptor and media links, descriptors, media with ranges, redirects,
// channel list and icons, update feed, suggestions, edit and error reports,
// HTTP authentication on the members paths, and switchable faults.
class DemoSite : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        QString dataDir;
        QString user = QStringLiteral("demo");
        QString password = QStringLiteral("demo");
        bool generateMedia = true;
        QString tlsCert;
        QString tlsKey;
    };

    explicit DemoSite(const Options &options, QObject *parent = nullptr);

    // Prepares the data folder (sample media on first start). False on failure.
    bool prepare(QString *error);
    // Listens on 127.0.0.1; port 0 picks a free one. The TLS listener needs cert and key.
    bool listen(quint16 port, quint16 tlsPort, QString *error);
    quint16 port() const;
    quint16 tlsPort() const;

    // Sets (or with an empty name clears) a fault: slow, drop, dropevery,
    // droprandom (every media answer breaks off after 1 to N bytes), down
    // (media answers break off and new ones find no one), 404, 500, norange.
    bool setFault(const QString &name, qint64 value);

    HttpResponse handle(const HttpRequest &request, bool secure);

private:
    struct Clip
    {
        QString name;
        QString title;
        QString description;
        QString stars;
        QString categories;
    };

    HttpResponse page(const QString &title, const QString &body) const;
    HttpResponse text(const QByteArray &body, const QByteArray &type, int status = 200) const;
    HttpResponse notFound() const;
    HttpResponse unauthorized() const;
    HttpResponse control(const HttpRequest &request);
    HttpResponse startPage() const;
    HttpResponse membersHome(const QString &base) const;
    HttpResponse memberPage(const HttpRequest &request) const;
    QList<MemberPages::Clip> memberClips() const;
    HttpResponse search(const HttpRequest &request, const QString &base) const;
    HttpResponse descriptor(const HttpRequest &request, const QString &base) const;
    HttpResponse syntheticDescriptor(const HttpRequest &request, const QString &base) const;
    HttpResponse media(const HttpRequest &request);
    HttpResponse ranged(const HttpRequest &request, HttpResponse response, qint64 size);
    HttpResponse sidebar(const HttpRequest &request, const QString &base) const;
    HttpResponse updateFeed(const QString &base) const;
    HttpResponse suggestions() const;
    HttpResponse storeReport(const HttpRequest &request, const QString &kind);
    HttpResponse image(const QString &name) const;
    bool authorized(const HttpRequest &request) const;
    QByteArray itemXml(const Clip &clip, const QString &base) const;
    QString clipPath(const QString &name) const;
    bool generateClip(const Clip &clip, int index, QString *error) const;

    Options m_options;
    QList<Clip> m_clips;
    QTcpServer *m_server = nullptr;
    QTcpServer *m_tlsServer = nullptr;
    QString m_fault;
    qint64 m_faultValue = 0;
    QStringList m_requestLog;
    QStringList m_sentLog;
    QRandomGenerator m_random{20261207};
    // Guids the synthetic descriptors no longer list (/control/withdraw).
    QSet<QString> m_withdrawn;
    // Expiring media addresses carry this token; /control/expire moves it on
    // and the older addresses answer 403.
    int m_mediaToken = 1;
};
