#include "BurnerTestUtil.h"
#include "burner/CreateDVDTask.h"
#include "burner/CreateVCDTask.h"
#include "burner/Project.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <QtTest>
#include <memory>

// The (S)VCD chain, and every authoring stage failing. A tool is replaced by
// a script in the program's own "Binaries" folder, which is looked at first;
// this test runs from a folder of its own so no other test sees the scripts.
class TestAuthoringFailures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void vcdChain_data();
    void vcdChain();
    void dvdStageFailure_data();
    void dvdStageFailure();
    void vcdStageFailure_data();
    void vcdStageFailure();

private:
    void installTool(const QString &name, const QByteArray &script);
    QTemporaryDir m_dir;
    std::unique_ptr<Project> m_project; // made once the temporary folder is set
};

void TestAuthoringFailures::initTestCase()
{
    QVERIFY(m_dir.isValid());
    BurnerTest::useOwnTempLocation(m_dir);
    m_project = std::make_unique<Project>();
}

void TestAuthoringFailures::cleanup()
{
    QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/Binaries")).removeRecursively();
}

void TestAuthoringFailures::installTool(const QString &name, const QByteArray &script)
{
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/Binaries");
    QDir().mkpath(folder);
    QFile file(folder + QLatin1Char('/') + name);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(script);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestAuthoringFailures::vcdChain_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("target");
    QTest::newRow("vcd") << static_cast<int>(DiscType::Vcd) << "ntsc-vcd";
    QTest::newRow("svcd") << static_cast<int>(DiscType::Svcd) << "pal-svcd";
}

void TestAuthoringFailures::vcdChain()
{
    QFETCH(int, type);
    QFETCH(QString, target);
    const QString mpg = BurnerTest::discClip(target);
    QVERIFY(!mpg.isEmpty());
    BurnerTest::fillProject(m_project.get(), mpg, 2, static_cast<DiscType>(type),
                            target.startsWith("ntsc"));
    CreateVCDTask task(m_project.get());
    QSignalSpy complete(&task, &Task::complete);
    QSignalSpy failed(&task, &Task::failed);
    task.exec();
    QVERIFY(BurnerTest::waitForEnd(&task, complete, failed));
    QVERIFY2(failed.isEmpty(), failed.isEmpty() ? "" : qPrintable(failed.first().at(0).toString()));

    // The cue sheet names one data file per track, each of whole raw sectors.
    const QString toc = task.tocPath();
    QCOMPARE(QFileInfo(toc).fileName(), QStringLiteral("Test Disc.toc"));
    const QString sheet = QString::fromLocal8Bit(TestSupport::readFile(toc));
    QCOMPARE(sheet.count(QStringLiteral("TRACK MODE2_RAW")), 3); // the index track + 2 clips
    QRegularExpressionMatchIterator files =
        QRegularExpression(QStringLiteral("DATAFILE \"([^\"]+)\"")).globalMatch(sheet);
    int count = 0;
    while (files.hasNext()) {
        const QFileInfo track(QFileInfo(toc).dir(), files.next().captured(1));
        QVERIFY2(track.size() > 0, qPrintable(track.filePath()));
        QCOMPARE(track.size() % 2352, 0);
        ++count;
    }
    QVERIFY(count >= 3);
    const QString description = QString::fromLocal8Bit(TestSupport::readFile(
        m_project.get()->tempDirectory().filePath(QStringLiteral("menu.xml"))));
    QVERIFY(description.contains(type == static_cast<int>(DiscType::Svcd)
                                     ? QStringLiteral("class=\"svcd\"")
                                     : QStringLiteral("class=\"vcd\"")));
}

void TestAuthoringFailures::dvdStageFailure_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("title");
    const QByteArray fails = "#!/bin/sh\necho broken >&2\nexit 1\n";
    QTest::newRow("jpeg converter") << "jpegconverter" << fails << "Error with ppmconverter";
    QTest::newRow("jpeg converter writes nothing")
        << "jpegconverter" << QByteArray("#!/bin/sh\nexit 0\n") << "Error with ppmconverter";
    QTest::newRow("ppm converter") << "ppmconverter" << fails << "Error with y4mconverter";
    QTest::newRow("mpeg encoder") << "mpegencoder" << fails << "Error with mpgconverter";
    QTest::newRow("multiplexer") << "multiplexer" << fails << "Error with multiplexer";
    QTest::newRow("subtitler") << "subtitler" << fails << "Error with subtitler";
    QTest::newRow("subtitler crashes")
        << "subtitler" << QByteArray("#!/bin/sh\nkill -SEGV $$\n") << "Error with subtitler";
    QTest::newRow("authoring tool") << "authortool" << fails << "Error with cdcreator";
    QTest::newRow("image creator") << "cdcreator" << fails << "Unable to create DVD";
    QTest::newRow("authoring tool cannot start")
        << "authortool" << QByteArray("#!/nonexistent/interpreter\n")
        << "Process authortool failed to start";
}

void TestAuthoringFailures::dvdStageFailure()
{
    QFETCH(QString, tool);
    QFETCH(QByteArray, script);
    QFETCH(QString, title);
    const QString mpg = BurnerTest::discClip(QStringLiteral("ntsc-dvd"));
    QVERIFY(!mpg.isEmpty());
    installTool(tool, script);
    BurnerTest::fillProject(m_project.get(), mpg, 1, DiscType::Dvd, true);
    CreateDVDTask task(m_project.get());
    QSignalSpy complete(&task, &Task::complete);
    QSignalSpy failed(&task, &Task::failed);
    task.exec();
    QVERIFY(BurnerTest::waitForEnd(&task, complete, failed));
    QCOMPARE(complete.count(), 0);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.first().at(0).toString(), title);
    QVERIFY(!QFileInfo::exists(task.imagePath()));
}

void TestAuthoringFailures::vcdStageFailure_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("title");
    const QByteArray fails = "#!/bin/sh\necho broken >&2\nexit 1\n";
    QTest::newRow("xml generator") << "vcdgenerator" << fails << "Error with vcdgenerator";
    QTest::newRow("image builder") << "vcdbuilder" << fails << "Error with vcdbuilder";
    QTest::newRow("image builder writes nothing")
        << "vcdbuilder" << QByteArray("#!/bin/sh\nexit 0\n") << "Error with vcdbuilder";
    QTest::newRow("generator cannot start")
        << "vcdgenerator" << QByteArray("#!/nonexistent/interpreter\n")
        << "Process vcdgenerator failed to start";
}

void TestAuthoringFailures::vcdStageFailure()
{
    QFETCH(QString, tool);
    QFETCH(QByteArray, script);
    QFETCH(QString, title);
    const QString mpg = BurnerTest::discClip(QStringLiteral("ntsc-vcd"));
    QVERIFY(!mpg.isEmpty());
    installTool(tool, script);
    BurnerTest::fillProject(m_project.get(), mpg, 1, DiscType::Vcd, true);
    CreateVCDTask task(m_project.get());
    QSignalSpy complete(&task, &Task::complete);
    QSignalSpy failed(&task, &Task::failed);
    task.exec();
    QVERIFY(BurnerTest::waitForEnd(&task, complete, failed));
    QCOMPARE(complete.count(), 0);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.first().at(0).toString(), title);
}

QTEST_MAIN(TestAuthoringFailures)
#include "tst_authoringfailures.moc"
