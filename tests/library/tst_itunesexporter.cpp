// The playlist export: what the playlist file holds after exports, a missing
// music folder, and a failed write that must leave the old playlist intact.
#include "TestSupport.h"
#include "core/M3uPlaylist.h"
#include "library/ITunesExporter.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

struct Export
{
    QString file;
    QString title;
    int seconds;
};

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// Files larger than `bytes` cannot be written by this process while it lives.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace

Q_DECLARE_METATYPE(QList<Export>)

class TestITunesExporter : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;
    QString m_music;

    // Exports and waits for finished(), as the library page does.
    static void exportOne(const Export &video)
    {
        ITunesExporter exporter;
        QSignalSpy finished(&exporter, &ITunesExporter::finished);
        exporter.exportFile(video.file, video.title, video.seconds);
        QVERIFY(finished.wait(5000));
        QCOMPARE(finished.size(), 1);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("HOME", m_home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", m_home.filePath(QStringLiteral(".config")).toUtf8());
        m_music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
        QCOMPARE(m_music, m_home.filePath(QStringLiteral("Music")));
    }

    void init()
    {
        QDir(m_music).removeRecursively();
        QVERIFY(QDir().mkpath(m_music));
    }

    void playlistContent_data()
    {
        QTest::addColumn<QList<Export>>("exports");
        QTest::addColumn<QByteArray>("existing");
        QTest::addColumn<QByteArray>("expected");
        const QString a = m_home.filePath(QStringLiteral("My Library/Sunset.mp4"));
        const QString b = m_home.filePath(QStringLiteral("My Library/Über Berg.mov"));
        const QByteArray pa = a.toUtf8(), pb = b.toUtf8();

        QTest::newRow("same video twice, then another")
            << QList<Export>{{a, "Sunset", 185}, {a, "Sunset", 185}, {b, "Über Berg", 62}}
            << QByteArray()
            << "#EXTM3U\n#EXTINF:185,Sunset\n" + pa + "\n#EXTINF:62,Über Berg\n" + pb + "\n";
        QTest::newRow("no title or length") << QList<Export>{{b, QString(), -1}} << QByteArray()
                                            << "#EXTM3U\n#EXTINF:-1,Über Berg\n" + pb + "\n";
        QTest::newRow("title on one line") << QList<Export>{{a, "Sun\nset\r\n", 3}} << QByteArray()
                                           << "#EXTM3U\n#EXTINF:3,Sun set\n" + pa + "\n";
        // A playlist the user edited: kept as it is, its relative entry counts.
        QTest::newRow("user's playlist kept")
            << QList<Export>{{a, "Sunset", 185}, {b, "Über Berg", 62}}
            << QByteArray("#EXTM3U\r\n# mine\r\n../My Library/Sunset.mp4\r\n\r\n")
            << "#EXTM3U\n# mine\n../My Library/Sunset.mp4\n#EXTINF:62,Über Berg\n" + pb + "\n";
        QTest::newRow("header added to a plain list")
            << QList<Export>{{b, "Über Berg", 62}} << pa + "\n"
            << "#EXTM3U\n" + pa + "\n#EXTINF:62,Über Berg\n" + pb + "\n";
    }

    void playlistContent()
    {
        QFETCH(QList<Export>, exports);
        QFETCH(QByteArray, existing);
        QFETCH(QByteArray, expected);
        const QString playlist = ITunesExporter::playlistPath();
        QCOMPARE(playlist, m_music + QStringLiteral("/Corvana ZELTA.m3u8"));
        if (!existing.isEmpty())
            RUN_CHECKED(writeFile(playlist, existing));

        QVERIFY(ITunesExporter::isInstalled());
        for (const Export &video : exports)
            RUN_CHECKED(exportOne(video));
        QCOMPARE(TestSupport::readFile(playlist), expected);
        // Nothing else is left in the music folder (no temporary files).
        QCOMPARE(QDir(m_music).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Corvana ZELTA.m3u8")});
    }

    void missingMusicFolder()
    {
        // Made by the export.
        QVERIFY(QDir(m_music).removeRecursively());
        QVERIFY(ITunesExporter::isInstalled());
        RUN_CHECKED(exportOne({m_home.filePath(QStringLiteral("a.mp4")), QStringLiteral("A"), 1}));
        QVERIFY(QFileInfo::exists(ITunesExporter::playlistPath()));
        QVERIFY(QDir(m_music).removeRecursively());
        RUN_CHECKED(writeFile(m_music, "a file, not a folder"));
        QVERIFY(!ITunesExporter::isInstalled());
        QVERIFY(QFile::remove(m_music));
    }

    void lineBreakInFileNameIsRefused()
    {
        M3uPlaylist playlist(ITunesExporter::playlistPath());
        QString error;
        QCOMPARE(
            playlist.addFile(m_home.filePath(QStringLiteral("a\n#EXTINF:1,x")), "x", 1, &error),
            M3uPlaylist::Failed);
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFile::exists(playlist.path()));
    }

    void failedWriteKeepsOldPlaylist()
    {
        // A long playlist, and a write that cannot get past its first 4 KiB.
        QByteArray old = "#EXTM3U\n";
        for (int i = 0; i < 400; ++i)
            old += "#EXTINF:10,Clip " + QByteArray::number(i) + "\n/videos/clip" +
                   QByteArray::number(i) + ".mp4\n";
        QVERIFY(old.size() > 8192);
        const QString playlist = ITunesExporter::playlistPath();
        RUN_CHECKED(writeFile(playlist, old));

        M3uPlaylist::Result result;
        QString error;
        {
            FileSizeLimit limit(4096);
            result =
                M3uPlaylist(playlist).addFile(QStringLiteral("/videos/new.mp4"), "New", 5, &error);
        }
        QCOMPARE(result, M3uPlaylist::Failed);
        QVERIFY(!error.isEmpty());
        QCOMPARE(TestSupport::readFile(playlist), old);
        QCOMPARE(QDir(m_music).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Corvana ZELTA.m3u8")});

        // The exporter reports the end all the same, so the page's status goes away.
        {
            FileSizeLimit limit(4096);
            RUN_CHECKED(exportOne({QStringLiteral("/videos/new.mp4"), "New", 5}));
        }
        QCOMPARE(TestSupport::readFile(playlist), old);
        RUN_CHECKED(exportOne({QStringLiteral("/videos/new.mp4"), "New", 5}));
        QCOMPARE(M3uPlaylist(playlist).files().size(), 401);
    }
};

QTEST_GUILESS_MAIN(TestITunesExporter)
#include "tst_itunesexporter.moc"
