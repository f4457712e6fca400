#include "DemoSiteProcess.h"

#include "core/SiteConfig.h"

#include "SyntheticBlob.h"
#include "TestSupport.h"

#include <QCryptographicHash>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSettings>

#include <sys/prctl.h>

#include <csignal>

DemoSiteProcess::DemoSiteProcess(const QStringList &extraArgs)
{
    const QString program = TestSupport::builtProgram(QStringLiteral("zelta-demosite"));
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // The site goes with the test, even when the test crashes.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_process.start(program, QStringList{QStringLiteral("--port"), QStringLiteral("0"),
                                         QStringLiteral("--data"), m_data.path()} +
                                 extraArgs);
    if (!m_process.waitForStarted(10000))
        return;
    const bool tls = extraArgs.contains(QStringLiteral("--tls-cert"));
    QStringList lines;
    while (lines.size() < (tls ? 2 : 1) && m_process.waitForReadyRead(120000)) {
        while (m_process.canReadLine())
            lines << QString::fromLatin1(m_process.readLine()).trimmed();
    }
    if (lines.size() >= 1)
        m_url = QUrl(lines.at(0));
    if (tls && lines.size() >= 2)
        m_tlsUrl = QUrl(lines.at(1));
    if (isRunning())
        becomeTheMembersSite();
}

void DemoSiteProcess::becomeTheMembersSite() const
{
    const QUrl secure = m_tlsUrl.isValid() ? m_tlsUrl : m_url;
    // This process's own, and the program's for the programs a test starts.
    SiteConfig::setValue(QStringLiteral("membersUrl"), m_url);
    SiteConfig::setValue(QStringLiteral("secureMembersUrl"), secure);
    QSettings program(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("CorvanaZELTA"),
                      QStringLiteral("CorvanaZELTA"));
    program.beginGroup(QStringLiteral("site"));
    program.setValue(QStringLiteral("membersUrl"), m_url.toString());
    program.setValue(QStringLiteral("secureMembersUrl"), secure.toString());
    program.endGroup();
    program.sync();
}

DemoSiteProcess::~DemoSiteProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QUrl DemoSiteProcess::url(const QString &pathAndQuery) const
{
    return QUrl(m_url.toString() + pathAndQuery);
}

QUrl DemoSiteProcess::tlsUrl(const QString &pathAndQuery) const
{
    return QUrl(m_tlsUrl.toString() + pathAndQuery);
}

QUrl DemoSiteProcess::syntheticDescriptor(const QString &tag, int count, qint64 bytes, qint64 rate,
                                          bool redirect) const
{
    QString query = QStringLiteral("/members/synthetic.corvana?count=%1&bytes=%2&tag=%3")
                        .arg(count)
                        .arg(bytes)
                        .arg(tag);
    if (rate > 0)
        query += QStringLiteral("&rate=%1").arg(rate);
    if (redirect)
        query += QStringLiteral("&redirect=1");
    return url(query);
}

QByteArray DemoSiteProcess::control(const QString &pathAndQuery) const
{
    QNetworkAccessManager manager;
    QNetworkReply *reply = manager.get(QNetworkRequest(url(pathAndQuery)));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    const QByteArray body = reply->readAll();
    delete reply;
    return body;
}

QStringList DemoSiteProcess::requests() const
{
    return QString::fromUtf8(control(QStringLiteral("/control/requests")))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QByteArray DemoSiteProcess::blob(qint64 size)
{
    QByteArray data(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        data[i] = char(SyntheticBlob::byteAt(i));
    return data;
}

QByteArray DemoSiteProcess::sha256(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex();
}

QByteArray DemoSiteProcess::fileSha256(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result().toHex();
}
