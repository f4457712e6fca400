#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

// A zelta-demosite on 127.0.0.1 for one test: started on a free port with
// its own data folder, stopped with the object. It becomes the members'
// site of the test (and of programs the test starts), so the member's
// credentials are given to it.
class DemoSiteProcess
{
public:
    explicit DemoSiteProcess(const QStringList &extraArgs = {QStringLiteral("--no-media")});
    ~DemoSiteProcess();

    bool isRunning() const { return m_url.isValid(); }
    QUrl url(const QString &pathAndQuery = QString()) const;
    QUrl tlsUrl(const QString &pathAndQuery = QString()) const;
    // A generated descriptor of `count` items of `bytes` each, named after
    // `tag`, served at `rate` bytes a second (0: at full speed), optionally
    // through a redirect.
    QUrl syntheticDescriptor(const QString &tag, int count, qint64 bytes, qint64 rate = 0,
                             bool redirect = false) const;
    QString dataDir() const { return m_data.path(); }

    // GET on the control interface (no credentials); the body.
    QByteArray control(const QString &pathAndQuery) const;
    // Request lines seen so far: "METHOD PATH RANGE".
    QStringList requests() const;

    // The synthetic content the site serves for media/blob URLs.
    static QByteArray blob(qint64 size);
    static QByteArray sha256(const QByteArray &data);
    static QByteArray fileSha256(const QString &path);

private:
    void becomeTheMembersSite() const;

    QTemporaryDir m_data;
    QProcess m_process;
    QUrl m_url;
    QUrl m_tlsUrl;
};
