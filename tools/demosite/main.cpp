// zelta-demosite: the bundled demo members site, on 127.0.0.1 only.
#include "DemoSite.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QTextStream>
#include <QUrl>

namespace {

void writeSettings(const QString &http, const QString &https)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                       QStringLiteral("CorvanaZELTA"), QStringLiteral("CorvanaZELTA"));
    settings.beginGroup(QStringLiteral("site"));
    settings.setValue(QStringLiteral("membersUrl"), http);
    settings.setValue(QStringLiteral("secureMembersUrl"), https);
    settings.setValue(QStringLiteral("channelServerUrl"), http);
    settings.setValue(QStringLiteral("updateUrl"), https);
    settings.setValue(QStringLiteral("updatePlainUrl"), http);
    settings.setValue(QStringLiteral("errorReportUrl"), https);
    settings.setValue(QStringLiteral("productSiteUrl"), http);
    settings.setValue(QStringLiteral("helpUrl"), http + QStringLiteral("/start/index.php"));
    settings.sync();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zelta-demosite"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Demo Corvana members site for CorvanaZELTA, on 127.0.0.1 only."));
    parser.addHelpOption();
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("HTTP port (0 = any free port)."),
                                  QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption tlsPort(QStringLiteral("tls-port"),
                                     QStringLiteral("HTTPS port (0 = any free port)."),
                                     QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption cert(QStringLiteral("tls-cert"),
                                  QStringLiteral("PEM certificate: also serve HTTPS."),
                                  QStringLiteral("file"));
    const QCommandLineOption key(QStringLiteral("tls-key"), QStringLiteral("PEM RSA key."),
                                 QStringLiteral("file"));
    const QCommandLineOption data(QStringLiteral("data"),
                                  QStringLiteral("Data folder (sample media, reports)."),
                                  QStringLiteral("dir"), QStringLiteral("demosite-data"));
    const QCommandLineOption user(QStringLiteral("user"), QStringLiteral("Member user name."),
                                  QStringLiteral("name"), QStringLiteral("demo"));
    const QCommandLineOption password(QStringLiteral("password"),
                                      QStringLiteral("Member password."), QStringLiteral("text"),
                                      QStringLiteral("demo"));
    const QCommandLineOption noMedia(QStringLiteral("no-media"),
                                     QStringLiteral("Do not generate the sample videos."));
    const QCommandLineOption fault(
        QStringLiteral("fault"),
        QStringLiteral("Start with a fault: slow[=bytes/s], drop=N, dropevery=N, "
                       "droprandom=N, down, 404, 500, norange."),
        QStringLiteral("name[=value]"));
    const QCommandLineOption settings(
        QStringLiteral("write-settings"),
        QStringLiteral("Point CorvanaZELTA's site settings at this server."));
    parser.addOptions({port, tlsPort, cert, key, data, user, password, noMedia, fault, settings});
    parser.process(app);

    DemoSite::Options options;
    options.dataDir = QDir(parser.value(data)).absolutePath();
    options.user = parser.value(user);
    options.password = parser.value(password);
    options.generateMedia = !parser.isSet(noMedia);
    options.tlsCert = parser.value(cert);
    options.tlsKey = parser.value(key);
    DemoSite site(options);

    QTextStream err(stderr);
    QString error;
    if (!site.prepare(&error) || !site.listen(quint16(parser.value(port).toUInt()),
                                              quint16(parser.value(tlsPort).toUInt()), &error)) {
        err << "zelta-demosite: " << error << '\n';
        return 1;
    }
    if (parser.isSet(fault)) {
        const QStringList parts = parser.value(fault).split(QLatin1Char('='));
        if (!site.setFault(parts.value(0), parts.value(1).toLongLong())) {
            err << "zelta-demosite: unknown fault " << parts.value(0) << '\n';
            return 2;
        }
    }
    const QString http = QStringLiteral("http://127.0.0.1:%1").arg(site.port());
    const QString https =
        site.tlsPort() ? QStringLiteral("https://127.0.0.1:%1").arg(site.tlsPort()) : http;
    if (parser.isSet(settings))
        writeSettings(http, https);
    QTextStream out(stdout);
    out << http << '\n';
    if (site.tlsPort())
        out << https << '\n';
    out.flush();
    return app.exec();
}
