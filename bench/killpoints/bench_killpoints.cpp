// Kills zelta-cli with SIGKILL at seeded random moments of an import, a
// descriptor download, a direct download, a resume and a database migration,
// and has the server drop the connection at random points of a download
// (several times per file), and checks after each that nothing of the user's was lost or damaged:
// the database is sound, every row's files are there and whole, every file in
// the library folder belongs to a row (or to a stored download, or is a
// temporary copy), and nothing outside the library changed. At the end a
// resume must complete every stored download byte for byte, and a download
// through dropped connections must end byte-exact with at most 5 % of its
// bytes sent twice.
//
//   bench_killpoints [--points N] [--seed S] [--quick]   (default 200 points;
//                                                       --quick: 12)
#include "BenchRun.h"
#include "DemoSiteProcess.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QUrl>

#include <algorithm>
#include <map>
#include <memory>

namespace {

constexpr qint64 kDescriptorBytes = 400000;
constexpr qint64 kDirectBytes = 300000;
constexpr qint64 kDropBytes = 600000;
// The server breaks every answer off after 1 to this many bytes.
constexpr qint64 kDropAtMost = kDropBytes / 3;
constexpr double kMaxExtraShare = 0.05;
constexpr int kMigrationRows = 4000;

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QByteArray fileHash(const QString &path)
{
    return DemoSiteProcess::fileSha256(path);
}

bool isSound(const QSqlDatabase &db)
{
    QSqlQuery check(db);
    return check.exec(QStringLiteral("PRAGMA integrity_check")) && check.next() &&
           check.value(0).toString() == QLatin1String("ok");
}

QString decode(const QVariant &value)
{
    return QUrl::fromPercentEncoding(value.toString().toUtf8());
}

// One home folder: the library, settings and log of one simulated user.
struct Home
{
    QString path;
    QString library() const { return path + QStringLiteral("/My Library"); }
    QStringList environment() const
    {
        QStringList env = QProcess::systemEnvironment();
        env.erase(std::remove_if(env.begin(), env.end(),
                                 [](const QString &v) {
                                     return v.startsWith(QLatin1String("HOME=")) ||
                                            v.startsWith(QLatin1String("XDG_"));
                                 }),
                  env.end());
        env << QStringLiteral("HOME=") + path
            << QStringLiteral("XDG_CONFIG_HOME=") + path + QStringLiteral("/.config")
            << QStringLiteral("XDG_DATA_HOME=") + path + QStringLiteral("/.local/share")
            << QStringLiteral("XDG_CACHE_HOME=") + path + QStringLiteral("/.cache-xdg")
            // The single-instance guard lives here: of this user only.
            << QStringLiteral("XDG_RUNTIME_DIR=") + path + QStringLiteral("/.runtime");
        if (!env.filter(QStringLiteral("QT_QPA_PLATFORM=")).size())
            env << QStringLiteral("QT_QPA_PLATFORM=offscreen");
        return env;
    }
};

class KillPoints
{
public:
    KillPoints(BenchRun &run, int points, quint32 seed)
        : m_run(run), m_points(points), m_seed(seed), m_random(seed)
    {
    }

    int run();

private:
    enum Scenario
    {
        Import,
        Descriptor,
        Direct,
        Resume,
        Migration,
        Drops,
        ScenarioCount
    };
    static QString name(int scenario)
    {
        static const char *const names[] = {"import", "descriptor download", "direct download",
                                            "resume", "migration",           "server drops"};
        return QString::fromLatin1(names[scenario]);
    }

    bool prepare();
    Home makeHome(const QString &name);
    int cli(const Home &home, const QStringList &args, QByteArray *output = nullptr);
    void killDuring(const Home &home, const QStringList &args, int maxDelayMs);
    void fault(int scenario, const QString &what);

    QStringList scenarioArgs(int scenario, int point);
    void checkAfterKill(int scenario, const Home &home);
    void checkRows(int scenario, const Home &home);
    void checkFolder(int scenario, const Home &home);
    void checkSentinels(int scenario);
    void noteStoredDownloads(const Home &home);
    void migrationPoint();
    void dropsPoint(int point);
    qint64 bytesSent(const QString &path) const;
    void writeOldDatabase(const Home &home);
    void finalResume();
    // Expected content of a library file, by the kind of thing it is.
    QByteArray expectedHash(const QString &videoPath, qint64 *size) const;

    QSqlDatabase open(const Home &home);
    void close();

    BenchRun &m_run;
    int m_points;
    quint32 m_seed;
    QRandomGenerator m_random;
    std::unique_ptr<DemoSiteProcess> m_site;
    QTemporaryDir m_work;
    QString m_cli;
    Home m_importHome;
    Home m_downloadHome;
    // Its own: downloads left stored by the kills would queue the new one.
    Home m_dropsHome;
    QStringList m_sources;
    QHash<QString, QByteArray> m_sourceHashes; // base name -> hash
    QHash<QString, QByteArray> m_sentinels;    // path -> hash
    QSet<QString> m_storedDownloads;           // media paths ever stored
    std::map<int, int> m_kills;
    std::map<int, int> m_faults;
    QStringList m_faultLines;
    int m_connection = 0;
    QString m_lastError;        // the last line a command wrote to stderr
    qint64 m_dropFileBytes = 0; // files fetched through dropped connections
    qint64 m_dropSentBytes = 0; // what the server sent for them
};

bool KillPoints::prepare()
{
    m_cli = TestSupport::builtProgram(QStringLiteral("zelta-cli"));
    m_site = std::make_unique<DemoSiteProcess>();
    if (!m_site->isRunning() || !QFileInfo::exists(m_cli))
        return false;
    const QString sources = m_work.filePath(QStringLiteral("sources"));
    QDir().mkpath(sources);
    for (const QString &clip : {QStringLiteral("kp-holiday.mp4"), QStringLiteral("kp-party.mkv"),
                                QStringLiteral("kp-garden.avi")}) {
        const QString made = TestSupport::sampleClip(clip, 4);
        if (made.isEmpty())
            return false;
        const QString copy = sources + QLatin1Char('/') + clip;
        QFile::copy(made, copy);
        m_sources << copy;
        m_sourceHashes.insert(QFileInfo(clip).completeBaseName(), fileHash(copy));
    }
    m_importHome = makeHome(QStringLiteral("import"));
    m_downloadHome = makeHome(QStringLiteral("downloads"));
    m_dropsHome = makeHome(QStringLiteral("drops"));
    for (const Home &home : {m_importHome, m_downloadHome, m_dropsHome}) {
        if (cli(home, {QStringLiteral("library"), QStringLiteral("init")}) != 0)
            return false;
        // The user's own files beside and inside the library.
        const QStringList sentinels = {home.path + QStringLiteral("/Documents/letter.txt"),
                                       home.library() + QStringLiteral("/Notes/notes.txt")};
        for (const QString &sentinel : sentinels) {
            QDir().mkpath(QFileInfo(sentinel).absolutePath());
            QFile file(sentinel);
            file.open(QIODevice::WriteOnly);
            file.write("mine, not the program's\n");
            file.close();
            m_sentinels.insert(sentinel, fileHash(sentinel));
        }
    }
    for (const QString &source : std::as_const(m_sources))
        m_sentinels.insert(source, fileHash(source));
    return true;
}

Home KillPoints::makeHome(const QString &name)
{
    Home home{m_work.filePath(name)};
    QDir().mkpath(home.path + QStringLiteral("/.runtime"));
    QFile::setPermissions(home.path + QStringLiteral("/.runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // The demo site is this user's members' site.
    QSettings settings(home.path + QStringLiteral("/.config/CorvanaZELTA/CorvanaZELTA.conf"),
                       QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("site"));
    settings.setValue(QStringLiteral("membersUrl"), m_site->url().toString());
    settings.setValue(QStringLiteral("secureMembersUrl"), m_site->url().toString());
    settings.endGroup();
    settings.sync();
    return home;
}

int KillPoints::cli(const Home &home, const QStringList &args, QByteArray *output)
{
    QProcess process;
    process.setEnvironment(home.environment());
    process.start(m_cli, args);
    if (!process.waitForStarted() || !process.waitForFinished(300000))
        return -1;
    if (output)
        *output = process.readAllStandardOutput();
    m_lastError =
        QString::fromUtf8(process.readAllStandardError().trimmed()).section(QLatin1Char('\n'), -1);
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void KillPoints::killDuring(const Home &home, const QStringList &args, int maxDelayMs)
{
    QProcess process;
    process.setEnvironment(home.environment());
    process.start(m_cli, args);
    process.waitForStarted();
    const int delay = int(m_random.bounded(maxDelayMs + 1));
    process.waitForFinished(delay); // ends early when the command is done
    if (process.state() != QProcess::NotRunning) {
        process.kill(); // SIGKILL
        process.waitForFinished();
    }
}

void KillPoints::fault(int scenario, const QString &what)
{
    ++m_faults[scenario];
    m_faultLines << name(scenario) + QStringLiteral(": ") + what;
}

QSqlDatabase KillPoints::open(const Home &home)
{
    close();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                QStringLiteral("killpoints%1").arg(++m_connection));
    db.setDatabaseName(home.library() + QStringLiteral("/library.db"));
    db.open();
    return db;
}

void KillPoints::close()
{
    if (m_connection == 0)
        return;
    const QString name = QStringLiteral("killpoints%1").arg(m_connection);
    QSqlDatabase::database(name, false).close();
    QSqlDatabase::removeDatabase(name);
}

QStringList KillPoints::scenarioArgs(int scenario, int point)
{
    const QStringList credentials = {QStringLiteral("--user"), QStringLiteral("demo"),
                                     QStringLiteral("--password"), QStringLiteral("demo")};
    switch (scenario) {
    case Import:
        return QStringList{QStringLiteral("library"), QStringLiteral("import")} + m_sources;
    case Descriptor:
        return QStringList{QStringLiteral("download"),
                           m_site
                               ->url(QStringLiteral("/members/synthetic.corvana?count=3&bytes=%1&"
                                                    "tag=kp%2&rate=500000")
                                         .arg(kDescriptorBytes)
                                         .arg(point))
                               .toString()} +
               credentials;
    case Direct:
        return QStringList{QStringLiteral("download"),
                           m_site
                               ->url(QStringLiteral("/media/blob/direct%1.mp4?bytes=%2&rate=400000")
                                         .arg(point)
                                         .arg(kDirectBytes))
                               .toString(),
                           QStringLiteral("--direct")} +
               credentials;
    default:
        return QStringList{QStringLiteral("downloads"), QStringLiteral("resume")} + credentials;
    }
}

QByteArray KillPoints::expectedHash(const QString &videoPath, qint64 *size) const
{
    const QString base = QFileInfo(videoPath).completeBaseName();
    if (base.startsWith(QLatin1String("direct"))) {
        *size = kDirectBytes;
        return DemoSiteProcess::sha256(DemoSiteProcess::blob(kDirectBytes));
    }
    if (base.startsWith(QLatin1String("drops"))) {
        *size = kDropBytes;
        return DemoSiteProcess::sha256(DemoSiteProcess::blob(kDropBytes));
    }
    if (base.startsWith(QLatin1String("kp")) && !base.startsWith(QLatin1String("kp-"))) {
        *size = kDescriptorBytes;
        return DemoSiteProcess::sha256(DemoSiteProcess::blob(kDescriptorBytes));
    }
    // An imported copy: "kp-party-2" is a copy of "kp-party".
    QString source = base;
    source.remove(QRegularExpression(QStringLiteral("-\\d+$")));
    *size = -1;
    return m_sourceHashes.value(source);
}

void KillPoints::checkRows(int scenario, const Home &home)
{
    QSqlDatabase db = open(home);
    if (!isSound(db)) {
        fault(scenario, QStringLiteral("integrity_check failed in ") + home.path);
        return;
    }
    QSqlQuery rows(db);
    rows.exec(
        QStringLiteral("SELECT videoPath, sizeInBytes, thumbnailPath, coverPath FROM library"));
    QSet<QString> videos;
    while (rows.next()) {
        const QString video = decode(rows.value(0));
        if (videos.contains(video))
            fault(scenario, QStringLiteral("two rows for ") + video);
        videos.insert(video);
        qint64 size = 0;
        const QByteArray expected = expectedHash(video, &size);
        if (!QFileInfo::exists(video)) {
            fault(scenario, QStringLiteral("row without its file: ") + video);
            continue;
        }
        if (QFileInfo(video).size() != rows.value(1).toLongLong() ||
            (size >= 0 && QFileInfo(video).size() != size) || fileHash(video) != expected)
            fault(scenario, QStringLiteral("row with a damaged file: ") + video);
        for (int column : {2, 3}) {
            const QString image = decode(rows.value(column));
            if (!image.isEmpty() && !QFileInfo::exists(image))
                fault(scenario, QStringLiteral("row without its image: ") + image);
        }
    }
}

void KillPoints::checkFolder(int scenario, const Home &home)
{
    QSqlDatabase db = open(home);
    QSet<QString> owned;
    QSqlQuery rows(db);
    rows.exec(QStringLiteral("SELECT videoPath, thumbnailPath, coverPath FROM library"));
    while (rows.next()) {
        for (int column = 0; column < 3; ++column)
            owned.insert(decode(rows.value(column)));
    }
    // A stored download owns its file and the folder it writes cover and thumbnail into.
    QSet<QString> downloadFolders;
    QSqlQuery downloads(db);
    downloads.exec(QStringLiteral("SELECT downloadPath FROM downloads"));
    while (downloads.next()) {
        const QString path = decode(downloads.value(0));
        owned.insert(path);
        if (QFileInfo(path).absolutePath() != home.library())
            downloadFolders.insert(QFileInfo(path).absolutePath());
    }
    close();
    QDirIterator it(home.library(), QDir::Files | QDir::Hidden | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    const QString cache = home.library() + QStringLiteral("/.cache/");
    while (it.hasNext()) {
        const QString path = it.next();
        const QString fileName = QFileInfo(path).fileName();
        if (owned.contains(path) || path.startsWith(cache) || m_sentinels.contains(path) ||
            fileName.startsWith(QLatin1String("library.db")) ||
            fileName.endsWith(QLatin1String(".zelta-copy")) ||
            downloadFolders.contains(QFileInfo(path).absolutePath()))
            continue;
        fault(scenario, QStringLiteral("file of no row: ") + path);
    }
}

void KillPoints::checkSentinels(int scenario)
{
    for (auto it = m_sentinels.cbegin(); it != m_sentinels.cend(); ++it) {
        if (fileHash(it.key()) != it.value())
            fault(scenario, QStringLiteral("the user's file changed: ") + it.key());
    }
}

void KillPoints::noteStoredDownloads(const Home &home)
{
    QSqlDatabase db = open(home);
    QSqlQuery downloads(db);
    downloads.exec(QStringLiteral("SELECT downloadPath FROM downloads"));
    while (downloads.next())
        m_storedDownloads.insert(decode(downloads.value(0)));
    close();
}

void KillPoints::checkAfterKill(int scenario, const Home &home)
{
    checkRows(scenario, home);
    noteStoredDownloads(home);
    // What the next start does: the integrity check; then everything is in line.
    if (cli(home, {QStringLiteral("library"), QStringLiteral("check")}) != 0)
        fault(scenario, QStringLiteral("library check failed: ") + m_lastError);
    checkRows(scenario, home);
    checkFolder(scenario, home);
    checkSentinels(scenario);
    close();
}

void KillPoints::writeOldDatabase(const Home &home)
{
    QDir().mkpath(home.library());
    QFile::remove(home.library() + QStringLiteral("/library.db"));
    const QString video = home.library() + QStringLiteral("/old clip.mp4");
    QFile::remove(video);
    QFile::copy(m_sources.first(), video);
    QSqlDatabase db = open(home);
    QSqlQuery query(db);
    query.exec(QStringLiteral(
        "CREATE TABLE library (thumbnailPath VARCHAR, title VARCHAR, sizeInBytes INTEGER, "
        "creationDate INTEGER, mediaLengthInSecs INTEGER, description VARCHAR, videoPath VARCHAR, "
        "guid VARCHAR, coverPath VARCHAR, dvdTitle VARCHAR, categories VARCHAR, stars VARCHAR, "
        "duration VARCHAR, downloaded INTEGER)"));
    db.transaction();
    query.prepare(
        QStringLiteral("INSERT INTO library (title, sizeInBytes, creationDate, videoPath, "
                       "guid, description) VALUES (?, ?, 1700000000, ?, ?, ?)"));
    for (int i = 0; i < kMigrationRows; ++i) {
        query.addBindValue(QStringLiteral("Old & 100% %1").arg(i));
        query.addBindValue(QFileInfo(video).size());
        query.addBindValue(video);
        query.addBindValue(QStringLiteral("old-%1").arg(i));
        query.addBindValue(QStringLiteral("It's row %1").arg(i));
        query.exec();
    }
    db.commit();
    close();
}

void KillPoints::migrationPoint()
{
    const Home home = makeHome(QStringLiteral("migration"));
    writeOldDatabase(home);
    killDuring(home, {QStringLiteral("library"), QStringLiteral("init")}, 800);
    if (!isSound(open(home)))
        fault(Migration, QStringLiteral("integrity_check failed after a killed migration"));
    close();
    // The next start finishes (or redoes) the migration with every row intact.
    if (cli(home, {QStringLiteral("library"), QStringLiteral("init")}) != 0)
        fault(Migration,
              QStringLiteral("library init failed after a killed migration: ") + m_lastError);
    int n = 0;
    {
        QSqlQuery rows(open(home));
        rows.exec(QStringLiteral("SELECT title, guid FROM library ORDER BY id"));
        while (rows.next() && decode(rows.value(0)) == QStringLiteral("Old & 100% %1").arg(n) &&
               decode(rows.value(1)) == QStringLiteral("old-%1").arg(n))
            ++n;
    }
    if (n != kMigrationRows)
        fault(Migration,
              QStringLiteral("migration kept %1 of %2 rows whole").arg(n).arg(kMigrationRows));
    close();
}

qint64 KillPoints::bytesSent(const QString &path) const
{
    qint64 sent = 0;
    const QList<QByteArray> lines = m_site->control(QStringLiteral("/control/sent")).split('\n');
    for (const QByteArray &line : lines) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() == 2 && QString::fromUtf8(fields.at(0)) == path)
            sent += fields.at(1).toLongLong();
    }
    return sent;
}

// A whole download while the server breaks every answer off somewhere: it
// must end byte-exact, resuming each time from the bytes on disk.
void KillPoints::dropsPoint(int point)
{
    const QString path = QStringLiteral("/media/blob/drops%1.mp4").arg(point);
    const QStringList args = {
        QStringLiteral("download"),
        m_site->url(path + QStringLiteral("?bytes=%1").arg(kDropBytes)).toString(),
        QStringLiteral("--direct"),
        QStringLiteral("--user"),
        QStringLiteral("demo"),
        QStringLiteral("--password"),
        QStringLiteral("demo")};
    m_site->control(QStringLiteral("/control/fault?name=droprandom&value=%1").arg(kDropAtMost));
    const int code = cli(m_dropsHome, args);
    m_site->control(QStringLiteral("/control/fault?name="));
    if (code != 0)
        fault(Drops, QStringLiteral("download through dropped connections failed: ") + m_lastError);
    const QString file = m_dropsHome.library() + QStringLiteral("/drops%1.mp4").arg(point);
    qint64 size = 0;
    if (!QFileInfo::exists(file) || fileHash(file) != expectedHash(file, &size))
        fault(Drops, QStringLiteral("not byte-exact after dropped connections: ") + file);
    const qint64 sent = bytesSent(path);
    // Each attempt asks for the bytes not on disk yet: little is sent twice.
    if (double(sent) > (1.0 + kMaxExtraShare) * double(kDropBytes))
        fault(Drops, QStringLiteral("%1 bytes sent for a file of %2").arg(sent).arg(kDropBytes));
    m_dropFileBytes += kDropBytes;
    m_dropSentBytes += sent;
}

void KillPoints::finalResume()
{
    // Resume until nothing is stored any more (a run may leave failed ones paused).
    for (int attempt = 0; attempt < 3; ++attempt) {
        QByteArray listed;
        cli(m_downloadHome, {QStringLiteral("downloads"), QStringLiteral("list")}, &listed);
        if (listed.trimmed().isEmpty())
            break;
        cli(m_downloadHome, scenarioArgs(Resume, 0));
    }
    QByteArray listed;
    cli(m_downloadHome, {QStringLiteral("downloads"), QStringLiteral("list")}, &listed);
    if (!listed.trimmed().isEmpty())
        fault(Resume, QStringLiteral("downloads left after the final resume: ") +
                          QString::fromUtf8(listed.trimmed()));
    QSqlDatabase db = open(m_downloadHome);
    QSet<QString> videos;
    QSqlQuery rows(db);
    rows.exec(QStringLiteral("SELECT videoPath FROM library"));
    while (rows.next())
        videos.insert(decode(rows.value(0)));
    close();
    for (const QString &path : std::as_const(m_storedDownloads)) {
        qint64 size = 0;
        if (!videos.contains(path))
            fault(Resume, QStringLiteral("stored download never reached the library: ") + path);
        else if (fileHash(path) != expectedHash(path, &size))
            fault(Resume, QStringLiteral("download not byte-exact: ") + path);
    }
    checkRows(Resume, m_downloadHome);
    checkFolder(Resume, m_downloadHome);
    close();
}

int KillPoints::run()
{
    if (!prepare()) {
        out() << "bench_killpoints: cannot start the demo site, zelta-cli or ffmpeg\n";
        return 2;
    }
    QElapsedTimer timer;
    timer.start();
    // Each scenario's longest run, roughly: kills land anywhere in it.
    const int maxDelay[] = {2500, 1500, 1000, 1500, 0, 0};
    for (int point = 0; point < m_points; ++point) {
        const int scenario = point % ScenarioCount;
        m_run.step(QStringLiteral("point %1 (%2)").arg(point).arg(name(scenario)), 10 * 60);
        ++m_kills[scenario];
        if (scenario == Migration) {
            migrationPoint();
            continue;
        }
        if (scenario == Drops) {
            dropsPoint(point);
            checkAfterKill(Drops, m_dropsHome);
            continue;
        }
        const Home &home = scenario == Import ? m_importHome : m_downloadHome;
        killDuring(home, scenarioArgs(scenario, point), maxDelay[scenario]);
        checkAfterKill(scenario, home);
    }
    m_run.step(QStringLiteral("the final resume"), 10 * 60);
    finalResume();

    out() << "kill points: " << m_points << ", seed " << m_seed << "\n";
    out() << QStringLiteral("%1 %2 %3\n")
                 .arg(QStringLiteral("scenario"), -22)
                 .arg(QStringLiteral("points"), 6)
                 .arg(QStringLiteral("faults"), 7);
    int faults = 0;
    for (int scenario = 0; scenario < ScenarioCount; ++scenario) {
        out() << QStringLiteral("%1 %2 %3\n")
                     .arg(name(scenario), -22)
                     .arg(m_kills[scenario], 6)
                     .arg(m_faults[scenario], 7);
        faults += m_faults[scenario];
    }
    out() << QStringLiteral("%1 %2 %3\n")
                 .arg(QStringLiteral("total"), -22)
                 .arg(m_points, 6)
                 .arg(faults, 7);
    out() << "downloads checked at the final resume: " << m_storedDownloads.size()
          << ", time: " << timer.elapsed() / 1000 << " s\n";
    if (m_dropFileBytes > 0)
        out() << QStringLiteral("through dropped connections: %1 bytes of files, %2 bytes sent "
                                "(%3 % extra, target at most %4 %)\n")
                     .arg(m_dropFileBytes)
                     .arg(m_dropSentBytes)
                     .arg(100.0 * double(m_dropSentBytes - m_dropFileBytes) /
                              double(m_dropFileBytes),
                          0, 'f', 2)
                     .arg(100.0 * kMaxExtraShare, 0, 'f', 0);
    for (const QString &line : std::as_const(m_faultLines))
        out() << "FAULT " << line << "\n";
    out().flush();
    return faults == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    BenchRun run(QStringLiteral("bench_killpoints"), app.arguments());
    int points = run.size(200, 12);
    quint32 seed = 20261206;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--points"))
            points = args.at(++i).toInt();
        else if (args.at(i) == QLatin1String("--seed"))
            seed = args.at(++i).toUInt();
    }
    run.step(QStringLiteral("preparing"), 10 * 60);
    KillPoints harness(run, points, seed);
    const int result = harness.run();
    run.done();
    return result;
}
