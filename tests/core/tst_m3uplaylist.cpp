// The playlist file the library exports to: entries already there survive a
// rewrite byte for byte, whatever their encoding and line ends.
#include "core/M3uPlaylist.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestM3uPlaylist : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString write(const QString &name, const QByteArray &content)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QString();
        file.write(content);
        return path;
    }

    static QByteArray read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    void existingLinesAreKept_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("files");

        // "/media/Caf\xe9.mp4" is Latin-1, not UTF-8: it must come back unchanged.
        QTest::newRow("LF with a Latin-1 entry")
            << QByteArray("#EXTM3U\n#EXTINF:10,Old\n/media/Caf\xe9.mp4\n")
            << QStringList{QString::fromUtf8("/media/Caf\xef\xbf\xbd.mp4")};
        QTest::newRow("CR only") << QByteArray(
                                        "#EXTM3U\r#EXTINF:10,A\r/media/a.mp4\r/media/b.mp4\r")
                                 << QStringList{"/media/a.mp4", "/media/b.mp4"};
        QTest::newRow("CRLF") << QByteArray("#EXTM3U\r\n#EXTINF:10,A\r\n/media/a.mp4\r\n")
                              << QStringList{"/media/a.mp4"};
    }

    void existingLinesAreKept()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, files);
        const QString path = write(QStringLiteral("list.m3u"), content);
        QVERIFY(!path.isEmpty());
        M3uPlaylist playlist(path);
        QCOMPARE(playlist.files(), files);

        const QString added = m_dir.filePath(QStringLiteral("new.mp4"));
        QString error;
        QCOMPARE(playlist.addFile(added, QStringLiteral("New"), 5, &error), M3uPlaylist::Added);
        // Every old line is there as it was, one per line, then the new entry.
        QByteArray expected = content;
        expected.replace("\r\n", "\n").replace('\r', '\n');
        expected += "#EXTINF:5,New\n" + added.toUtf8() + '\n';
        QCOMPARE(read(path), expected);
        QCOMPARE(playlist.files(), files + QStringList{added});
        QCOMPARE(playlist.addFile(added, QStringLiteral("New"), 5), M3uPlaylist::AlreadyListed);
    }
};

QTEST_GUILESS_MAIN(TestM3uPlaylist)
#include "tst_m3uplaylist.moc"
