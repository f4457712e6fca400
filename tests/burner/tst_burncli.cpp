#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// zelta-cli burn, from source files to an image or a pseudo-drive.
class TestBurnCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void burn_data();
    void burn();
    void refusals_data();
    void refusals();
    void missingTools_data();
    void missingTools();

private:
    int runCli(const QStringList &args, QByteArray *out, QByteArray *err,
               const QStringList &env = {});
    QString lsdvd(const QString &image);
    QTemporaryDir m_dir;
    QString m_mp4;
    QString m_avi;
};

void TestBurnCli::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(!TestSupport::builtProgram(QStringLiteral("zelta-cli")).isEmpty());
    m_mp4 = TestSupport::sampleClip(QStringLiteral("cli-2s.mp4"), 2);
    m_avi = TestSupport::sampleClip(QStringLiteral("cli-3s.avi"), 3);
    QVERIFY(!m_mp4.isEmpty() && !m_avi.isEmpty());
}

int TestBurnCli::runCli(const QStringList &args, QByteArray *out, QByteArray *err,
                        const QStringList &env)
{
    return TestSupport::run(TestSupport::builtProgram(QStringLiteral("zelta-cli")),
                            QStringList{QStringLiteral("burn")} + args, out, err, 120000,
                            QStringList{QStringLiteral("TMPDIR=") + m_dir.path()} + env);
}

QString TestBurnCli::lsdvd(const QString &image)
{
    QByteArray out;
    TestSupport::run(QStringLiteral("lsdvd"), {QStringLiteral("-v"), image}, &out);
    return QString::fromLocal8Bit(out);
}

void TestBurnCli::burn_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("clips");
    QTest::addColumn<QString>("recorderFile"); // empty: no recorder
    QTest::addColumn<QString>("lsdvdFrame");   // empty: not a DVD
    QTest::newRow("dvd image") << QStringList{"--type", "dvd", "--title", "Cli DVD"} << 2 << ""
                               << "Format: NTSC, Aspect ratio: 4/3, Width: 720, Height: 480";
    QTest::newRow("pal dvd to a pseudo-drive")
        << QStringList{"--type", "dvd", "--pal"} << 1 << "written/pal.iso"
        << "Format: PAL, Aspect ratio: 4/3, Width: 720, Height: 576";
    QTest::newRow("dual layer image") << QStringList{"--type", "dual-layer-dvd"} << 1 << ""
                                      << "Format: NTSC";
    QTest::newRow("vcd to a pseudo-drive")
        << QStringList{"--type", "vcd", "--title", "Cli VCD"} << 2 << "written/vcd.bin"
        << "";
    QTest::newRow("svcd image") << QStringList{"--type", "svcd", "--pal"} << 1 << ""
                                << "";
}

void TestBurnCli::burn()
{
    QFETCH(QStringList, options);
    QFETCH(int, clips);
    QFETCH(QString, recorderFile);
    QFETCH(QString, lsdvdFrame);
    const bool dvd = !lsdvdFrame.isEmpty();
    QStringList args = options;
    QString target;
    if (!recorderFile.isEmpty()) {
        target = m_dir.filePath(recorderFile);
        QDir().mkpath(QFileInfo(target).absolutePath());
        args << QStringLiteral("--recorder") << QStringLiteral("stdio:") + target;
    }
    args << m_mp4;
    if (clips > 1)
        args << m_avi;

    QByteArray out;
    QByteArray err;
    QCOMPARE(runCli(args, &out, &err), 0);
    const QStringList lines =
        QString::fromLocal8Bit(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1);
    const QString image = lines.first();
    QVERIFY(image.startsWith(m_dir.path()));
    QVERIFY(image.endsWith(dvd ? QStringLiteral(".iso") : QStringLiteral(".toc")));

    const QString progress = QString::fromLocal8Bit(err);
    QVERIFY2(progress.contains(QStringLiteral("convert:%1\t1.000").arg(clips)), err.constData());
    QVERIFY(progress.contains(QStringLiteral("author\t")));

    if (target.isEmpty()) {
        // Without a recorder the work stays for the user.
        QVERIFY(QFileInfo(image).size() > 0);
        if (dvd) {
            QCOMPARE(QFileInfo(image).size() % 2048, 0);
            const QString listing = lsdvd(image);
            QCOMPARE(listing.count(QRegularExpression(QStringLiteral("^Title: \\d+"),
                                                      QRegularExpression::MultilineOption)),
                     clips);
            QVERIFY2(listing.contains(lsdvdFrame), qPrintable(listing));
        }
        return;
    }
    QVERIFY(progress.contains(QStringLiteral("burn\t1.000")));
    QVERIFY(!QFileInfo::exists(image)); // a finished burn cleans up
    const qint64 size = QFileInfo(target).size();
    QVERIFY(size > 0);
    QCOMPARE(size % 2048, 0);
    if (dvd) {
        const QString listing = lsdvd(target);
        QVERIFY2(listing.contains(lsdvdFrame), qPrintable(listing));
    }
}

void TestBurnCli::refusals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    const QString junk = m_dir.filePath(QStringLiteral("junk.mp4"));
    QFile file(junk);
    if (file.open(QIODevice::WriteOnly))
        file.write("no video here");
    file.close();
    QTest::newRow("no type") << QStringList{"a.mp4"} << 2 << "--type is required";
    QTest::newRow("bad type") << QStringList{"--type", "bluray", "a.mp4"} << 2
                              << "unknown disc type";
    QTest::newRow("no files") << QStringList{"--type", "dvd"} << 2 << "no files given";
    QTest::newRow("path in title")
        << QStringList{"--type", "dvd", "--title", "../x", "a.mp4"} << 2 << "the title may not";
    QTest::newRow("missing file") << QStringList{"--type", "vcd", m_dir.filePath("absent.mp4")} << 1
                                  << "no such readable file";
    QTest::newRow("not a video") << QStringList{"--type", "vcd", junk} << 1
                                 << "not a video the encoder can read";
}

void TestBurnCli::refusals()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QByteArray out;
    QByteArray err;
    QCOMPARE(runCli(args, &out, &err), exitCode);
    QVERIFY(out.isEmpty());
    QVERIFY2(QString::fromLocal8Bit(err).contains(message), err.constData());
}

void TestBurnCli::missingTools_data()
{
    QTest::addColumn<QStringList>("tools"); // the only programs on PATH
    QTest::addColumn<QString>("message");
    QTest::newRow("no encoder") << QStringList{} << "not a video the encoder can read";
    QTest::newRow("no authoring tools")
        << QStringList{"ffmpeg"} << "Process vcdgenerator failed to start";
}

void TestBurnCli::missingTools()
{
    QFETCH(QStringList, tools);
    QFETCH(QString, message);
    // A tool that is not there at all fails at once: the command reports it
    // instead of waiting for an end that already happened.
    QTemporaryDir bin;
    for (const QString &tool : tools) {
        const QString found = QStandardPaths::findExecutable(tool);
        QVERIFY2(!found.isEmpty(), qPrintable(tool));
        QVERIFY(QFile::link(found, bin.filePath(tool)));
    }
    QByteArray out;
    QByteArray err;
    QCOMPARE(runCli({QStringLiteral("--type"), QStringLiteral("vcd"), m_mp4}, &out, &err,
                    {QStringLiteral("PATH=") + bin.path()}),
             1);
    QVERIFY2(QString::fromLocal8Bit(err).contains(message), err.constData());
}

QTEST_MAIN(TestBurnCli)
#include "tst_burncli.moc"
