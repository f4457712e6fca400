#include "BurnerTestUtil.h"
#include "burner/ConvertTask.h"
#include "burner/Project.h"
#include "burner/ScanTask.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <QtTest>
#include <memory>

// Scanning and converting with the real encoder.
class TestBurnTasks : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void scan_data();
    void scan();
    void conversionProgress();
    void conversionFailures_data();
    void conversionFailures();
    void cancelRemovesPartialFile();

private:
    ConvertTask *makeConversion(const QString &source, const QString &pre, const QString &post);
    QTemporaryDir m_dir;
    std::unique_ptr<Project> m_project; // made once the temporary folder is set
};

void TestBurnTasks::initTestCase()
{
    QVERIFY(m_dir.isValid());
    BurnerTest::useOwnTempLocation(m_dir);
    m_project = std::make_unique<Project>();
}

void TestBurnTasks::init()
{
    m_project.get()->reset();
    m_project.get()->setDiscType(DiscType::Vcd);
}

void TestBurnTasks::scan_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<bool>("readable");
    QTest::newRow("mp4") << TestSupport::sampleClip(QStringLiteral("scan-3s.mp4"), 3) << 3 << true;
    QTest::newRow("flv") << TestSupport::sampleClip(QStringLiteral("scan-3s.flv"), 3) << 3 << true;
    QTest::newRow("avi") << TestSupport::sampleClip(QStringLiteral("scan-2s.avi"), 2) << 2 << true;
    const QString junk = m_dir.filePath(QStringLiteral("junk.avi"));
    QFile file(junk);
    if (file.open(QIODevice::WriteOnly))
        file.write("this is not a video at all");
    file.close();
    QTest::newRow("unreadable") << junk << 0 << false;
}

void TestBurnTasks::scan()
{
    QFETCH(QString, path);
    QFETCH(int, seconds);
    QFETCH(bool, readable);
    QVERIFY(!path.isEmpty());
    ScanTask task(m_project.get());
    task.setSource(path);
    QSignalSpy complete(&task, &Task::complete);
    QSignalSpy failed(&task, &Task::failed);
    task.exec();
    QVERIFY(complete.wait(30000));
    QCOMPARE(failed.count(), 0);
    const QList<VideoClip> clips = m_project.get()->clips();
    // A file the encoder finds no video in is refused, not added with zeros.
    QCOMPARE(task.isRefused(), !readable);
    QCOMPARE(clips.size(), readable ? 1 : 0);
    if (!readable)
        return;
    const VideoClip &clip = clips.first();
    QVERIFY(clip.valid);
    QCOMPARE(clip.path, path);
    QCOMPARE(qRound(clip.seconds), seconds);
    QCOMPARE(clip.duration, QTime(0, 0).addSecs(seconds));
    QCOMPARE(clip.size, static_cast<double>(QFileInfo(path).size()));
    QCOMPARE(clip.width, 320);
    QCOMPARE(clip.height, 240);
    QVERIFY(clip.bitrate > 0);
}

ConvertTask *TestBurnTasks::makeConversion(const QString &source, const QString &pre,
                                           const QString &post)
{
    auto *task = new ConvertTask(this);
    task->setSource(source);
    task->setDestination(m_project.get()->convertedFilePath(QStringLiteral("file_0")));
    task->setArguments(pre, post);
    return task;
}

void TestBurnTasks::conversionProgress()
{
    const QString source = TestSupport::sampleClip(QStringLiteral("convert-3s.mp4"), 3);
    // Reading at the clip's own pace gives several progress reports.
    std::unique_ptr<ConvertTask> task(makeConversion(
        source, QStringLiteral("-re"),
        QStringLiteral("-threads 2 ") + m_project.get()->encoderArguments(VideoClip())));
    QSignalSpy progress(task.get(), &Task::progress);
    QSignalSpy complete(task.get(), &Task::complete);
    QSignalSpy failed(task.get(), &Task::failed);
    task->exec();
    QVERIFY(BurnerTest::waitForEnd(task.get(), complete, failed));
    QCOMPARE(failed.count(), 0);
    QCOMPARE(complete.count(), 1);
    QVERIFY2(progress.count() >= 3, qPrintable(QString::number(progress.count())));
    qreal last = 0;
    qreal lastTime = -1;
    for (const QList<QVariant> &report : progress) {
        const qreal fraction = report.at(0).toReal();
        QVERIFY2(fraction >= last && fraction <= 1.0, qPrintable(QString::number(fraction)));
        QVERIFY(report.at(1).toReal() >= lastTime);
        last = fraction;
        lastTime = report.at(1).toReal();
    }
    QVERIFY(progress.first().at(0).toReal() < 0.9);
    QCOMPARE(last, 1.0);
    QVERIFY(QFileInfo(task->destination()).size() > 0);
}

void TestBurnTasks::conversionFailures_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("post");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("description");
    const QString clip = TestSupport::sampleClip(QStringLiteral("convert-2s.mp4"), 2);
    // A DVD stream may not carry the source's AAC audio as it is.
    QTest::newRow("unsupported track")
        << clip << QStringLiteral("-target ntsc-dvd -c:a copy")
        << QStringLiteral("Unsupported format")
        << QStringLiteral("The file %1 contains a track with an unsupported format").arg(clip);
    const QString missing = m_dir.filePath(QStringLiteral("missing.mp4"));
    QTest::newRow("unreadable source")
        << missing << QStringLiteral("-target ntsc-vcd") << QStringLiteral("Conversion Error")
        << QStringLiteral("The file %1 has failed conversion.").arg(missing);
}

void TestBurnTasks::conversionFailures()
{
    QFETCH(QString, source);
    QFETCH(QString, post);
    QFETCH(QString, title);
    QFETCH(QString, description);
    std::unique_ptr<ConvertTask> task(makeConversion(source, QString(), post));
    QSignalSpy complete(task.get(), &Task::complete);
    QSignalSpy failed(task.get(), &Task::failed);
    task->exec();
    QVERIFY(BurnerTest::waitForEnd(task.get(), complete, failed));
    QCOMPARE(complete.count(), 0);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.first().at(0).toString(), title);
    QCOMPARE(failed.first().at(1).toString(), description);
}

void TestBurnTasks::cancelRemovesPartialFile()
{
    const QString source = TestSupport::sampleClip(QStringLiteral("convert-4s.mp4"), 4);
    std::unique_ptr<ConvertTask> task(
        makeConversion(source, QStringLiteral("-re"), QStringLiteral("-target ntsc-vcd")));
    QSignalSpy progress(task.get(), &Task::progress);
    QSignalSpy complete(task.get(), &Task::complete);
    QSignalSpy failed(task.get(), &Task::failed);
    task->exec();
    QVERIFY(progress.wait(20000));
    QVERIFY(QFileInfo::exists(task->destination()));
    task->cancel();
    QVERIFY(!QFileInfo::exists(task->destination()));
    QCOMPARE(task->state(), QProcess::NotRunning);
    QCoreApplication::processEvents(); // what the ending posted
    QCOMPARE(complete.count(), 0);
    QCOMPARE(failed.count(), 0);
}

QTEST_MAIN(TestBurnTasks)
#include "tst_burntasks.moc"
