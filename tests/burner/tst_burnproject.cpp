#include "burner/Project.h"
#include "burner/VideoClipModel.h"
#include "burner/VideoStandard.h"

#include <QAbstractItemModelTester>
#include <QMimeData>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QTemporaryDir>

#include <QtTest>
#include <memory>

class TestBurnProject : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void uniqueNames();
    void estimatedSize_data();
    void estimatedSize();
    void totalTimeAndLimits_data();
    void totalTimeAndLimits();
    void moveBounds_data();
    void moveBounds();
    void modelAndDrops();
    void encoderArguments_data();
    void encoderArguments();
    void freshTempFolders();
    void videoStandardFollowsTheCountry_data();
    void videoStandardFollowsTheCountry();

private:
    VideoClip clipOf(const QString &name, double seconds = 10, int bitrate = 0);
    QTemporaryDir m_dir;
    std::unique_ptr<Project> m_project; // made once the temporary folder is set
};

void TestBurnProject::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("TMPDIR", QFile::encodeName(m_dir.path()));
    QLocale::setDefault(QLocale::c());
    m_project = std::make_unique<Project>();
}

void TestBurnProject::init()
{
    Project *project = m_project.get();
    project->reset();
    project->setDiscType(DiscType::Dvd);
    project->setVideoBitrate(2000);
    project->setAudioBitrate(128);
}

VideoClip TestBurnProject::clipOf(const QString &name, double seconds, int bitrate)
{
    return VideoClip(m_dir.filePath(name), seconds, bitrate, 320, 240);
}

void TestBurnProject::uniqueNames()
{
    Project *project = m_project.get();
    QDir(m_dir.path()).mkpath(QStringLiteral("a"));
    QDir(m_dir.path()).mkpath(QStringLiteral("b"));
    project->addClip(clipOf(QStringLiteral("a/clip.avi")));
    project->addClip(clipOf(QStringLiteral("b/clip.avi")));
    project->addClip(clipOf(QStringLiteral("b/clip.avi")));
    const QList<VideoClip> clips = project->clips();
    QCOMPARE(clips.size(), 3);
    QCOMPARE(clips.at(0).name, QStringLiteral("clip.avi"));
    const QRegularExpression renamed(QStringLiteral("^clip_[0-9A-Za-z]{6}\\.avi$"));
    QVERIFY2(renamed.match(clips.at(1).name).hasMatch(), qPrintable(clips.at(1).name));
    QVERIFY2(renamed.match(clips.at(2).name).hasMatch(), qPrintable(clips.at(2).name));
    QVERIFY(clips.at(1).name != clips.at(2).name);
    VideoClipModel model(m_project.get());
    for (int row = 0; row < 3; ++row) {
        QCOMPARE(clips.at(row).fileName, QStringLiteral("clip.avi"));
        QCOMPARE(model.index(row, 1).data().toString(), QStringLiteral("clip.avi"));
    }
    // Removing by value takes only the clip with that name.
    QCOMPARE(project->removeClip(clips.at(1)), 1);
    QCOMPARE(project->clips().size(), 2);
}

void TestBurnProject::estimatedSize_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<int>("bitrate");
    QTest::addColumn<QString>("expected");
    // Project rate is 2000 + 128 = 2128 kbit/s.
    QTest::newRow("no scanned bitrate") << 60.0 << 0 << QStringLiteral("16.0 MB");
    QTest::newRow("lower scanned bitrate") << 60.0 << 1000 << QStringLiteral("7.5 MB");
    QTest::newRow("higher scanned bitrate") << 60.0 << 5000 << QStringLiteral("16.0 MB");
    QTest::newRow("kilobytes") << 1.0 << 100 << QStringLiteral("12.5 kB");
    QTest::newRow("gigabytes") << 3.0 * 3600 << 0 << QStringLiteral("2.9 GB");
}

void TestBurnProject::estimatedSize()
{
    QFETCH(double, seconds);
    QFETCH(int, bitrate);
    QFETCH(QString, expected);
    m_project->addClip(clipOf(QStringLiteral("x.mp4"), seconds, bitrate));
    QCOMPARE(m_project->estimatedSize(0), expected);
    VideoClipModel model(m_project.get());
    QCOMPARE(model.index(0, 3).data().toString(), expected);
}

void TestBurnProject::totalTimeAndLimits_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QList<int>>("durations");
    QTest::addColumn<QString>("total");
    QTest::addColumn<bool>("tooLong");
    const int dvd = static_cast<int>(DiscType::Dvd);
    const int vcd = static_cast<int>(DiscType::Vcd);
    const int svcd = static_cast<int>(DiscType::Svcd);
    QTest::newRow("empty") << dvd << QList<int>{} << QStringLiteral("00:00:00") << false;
    QTest::newRow("dvd 3:03:00") << dvd << QList<int>{3600, 3600, 3780}
                                 << QStringLiteral("03:03:00") << false;
    QTest::newRow("dvd 3:03:01") << dvd << QList<int>{3600, 3600, 3781}
                                 << QStringLiteral("03:03:01") << true;
    QTest::newRow("vcd 45:00") << vcd << QList<int>{2700} << QStringLiteral("00:45:00") << false;
    QTest::newRow("vcd 45:01") << vcd << QList<int>{2000, 701} << QStringLiteral("00:45:01")
                               << true;
    QTest::newRow("svcd 30:01") << svcd << QList<int>{1801} << QStringLiteral("00:30:01") << true;
}

void TestBurnProject::totalTimeAndLimits()
{
    QFETCH(int, type);
    QFETCH(QList<int>, durations);
    QFETCH(QString, total);
    QFETCH(bool, tooLong);
    Project *project = m_project.get();
    project->setDiscType(static_cast<DiscType>(type));
    for (int seconds : durations)
        project->addClip(clipOf(QStringLiteral("t.mp4"), seconds + 0.7)); // fractions drop
    QCOMPARE(project->totalTime().toString(QStringLiteral("HH:mm:ss")), total);
    QString reason;
    const bool fits = project->fits(&reason);
    const QString limit = QTime(0, 0)
                              .addSecs(Project::longestPlayTime(project->discType()))
                              .toString(QStringLiteral("HH:mm:ss"));
    if (tooLong) {
        QVERIFY(!fits);
        QCOMPARE(reason, QStringLiteral("Media only supports %1").arg(limit));
    } else {
        // Only the free space may still stand in the way (DVDs need 10 GiB).
        QVERIFY(fits || reason == QStringLiteral("Not enough space on drive"));
        if (Project::requiredFreeSpace(project->discType()) == 0)
            QVERIFY(fits);
    }
}

void TestBurnProject::moveBounds_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("order");
    QTest::newRow("up first") << "up" << 0 << "abc";
    QTest::newRow("up middle") << "up" << 1 << "bac";
    QTest::newRow("up last") << "up" << 2 << "acb";
    QTest::newRow("up past end") << "up" << 3 << "abc";
    QTest::newRow("down first") << "down" << 0 << "bac";
    QTest::newRow("down last") << "down" << 2 << "abc";
    QTest::newRow("down negative") << "down" << -1 << "abc";
    QTest::newRow("remove middle") << "remove" << 1 << "ac";
    QTest::newRow("remove past end") << "remove" << 3 << "abc";
}

void TestBurnProject::moveBounds()
{
    QFETCH(QString, operation);
    QFETCH(int, row);
    QFETCH(QString, order);
    Project *project = m_project.get();
    for (const char *name : {"a.mp4", "b.mp4", "c.mp4"})
        project->addClip(clipOf(QString::fromLatin1(name)));
    if (operation == QLatin1String("up"))
        project->moveClipUp(row);
    else if (operation == QLatin1String("down"))
        project->moveClipDown(row);
    else
        project->removeClipAt(row);
    QString result;
    for (const VideoClip &clip : project->clips())
        result += clip.name.left(1);
    QCOMPARE(result, order);
}

void TestBurnProject::modelAndDrops()
{
    VideoClipModel model(m_project.get());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    // A proxy keeps its own row mapping: it sees only changes the model announces.
    QSortFilterProxyModel proxy;
    proxy.setSourceModel(&model);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(m_project->totalTime(), QTime(0, 0));
    // The empty area takes drops and nothing else.
    QCOMPARE(model.flags(QModelIndex()), Qt::ItemFlags(Qt::ItemIsDropEnabled));
    QCOMPARE(model.mimeTypes(), QStringList{QStringLiteral("text/uri-list")});

    QSignalSpy dropped(&model, &VideoClipModel::filesDropped);
    QMimeData data;
    const QList<QUrl> urls{QUrl::fromLocalFile(QStringLiteral("/videos/A.AVI"))};
    data.setUrls(urls);
    QVERIFY(model.dropMimeData(&data, Qt::IgnoreAction, -1, -1, QModelIndex()));
    QCOMPARE(dropped.count(), 0);
    QVERIFY(model.dropMimeData(&data, Qt::CopyAction, -1, -1, QModelIndex()));
    QCOMPARE(dropped.count(), 1);
    QCOMPARE(dropped.at(0).at(0).value<QList<QUrl>>(), urls);
    QCOMPARE(model.rowCount(), 0); // the model never inserts rows itself

    m_project->addClip(clipOf(QStringLiteral("long.mp4"), 3725.5));
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(proxy.rowCount(), 1);
    QCOMPARE(model.index(0, 0).data().toInt(), 1);
    QCOMPARE(model.index(0, 2).data().toString(), QStringLiteral("01:02:05"));
    QCOMPARE(model.headerData(3, Qt::Horizontal).toString(), QStringLiteral("Size"));
    QVERIFY(model.flags(model.index(0, 0)).testFlag(Qt::ItemIsDragEnabled));

    // Every change of the clip list reaches the views, in the project's order.
    m_project->addClip(clipOf(QStringLiteral("short.mp4"), 5));
    m_project->moveClipUp(1);
    QCOMPARE(proxy.index(0, 1).data().toString(), QStringLiteral("short.mp4"));
    m_project->removeClipAt(0);
    QCOMPARE(proxy.rowCount(), 1);
    QCOMPARE(proxy.index(0, 1).data().toString(), QStringLiteral("long.mp4"));
    m_project->reset();
    QCOMPARE(proxy.rowCount(), 0);
}

void TestBurnProject::encoderArguments_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("ntsc");
    QTest::addColumn<QString>("expected");
    QTest::newRow("dvd ntsc") << 0 << true << "-target ntsc-dvd -b:v 2000k -b:a 128k";
    QTest::newRow("dl dvd pal") << 1 << false << "-target pal-dvd -b:v 2000k -b:a 128k";
    QTest::newRow("vcd pal") << 2 << false << "-target pal-vcd";
    QTest::newRow("svcd ntsc") << 3 << true << "-target ntsc-svcd";
}

void TestBurnProject::encoderArguments()
{
    QFETCH(int, type);
    QFETCH(bool, ntsc);
    QFETCH(QString, expected);
    Project *project = m_project.get();
    project->setDiscType(static_cast<DiscType>(type));
    project->setNtsc(ntsc);
    QCOMPARE(project->encoderArguments(VideoClip()), expected);
}

void TestBurnProject::freshTempFolders()
{
    Project *project = m_project.get();
    const QString first = project->tempDirectory().absolutePath();
    QFile marker(project->tempDirectory().filePath(QStringLiteral("keep")));
    QVERIFY(marker.open(QIODevice::WriteOnly));
    marker.close();
    project->reset();
    project->reset(); // within the same millisecond too
    const QString second = project->tempDirectory().absolutePath();
    QVERIFY(first != second);
    QVERIFY(QFileInfo(second).isDir());
    QVERIFY(second.startsWith(m_dir.path()));
    QVERIFY(QFileInfo::exists(first + QStringLiteral("/keep"))); // earlier work stays
    QCOMPARE(project->convertedFilePath(QStringLiteral("file_0")),
             second + QStringLiteral("/file_0.mpg"));
}

// A new disc is made for the televisions of the user's country until the user
// picks a standard, which is kept from then on, whatever the locale.
void TestBurnProject::videoStandardFollowsTheCountry_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<bool>("ntsc");
    QTest::newRow("Germany") << QLocale(QLocale::German, QLocale::Germany) << false;
    QTest::newRow("France") << QLocale(QLocale::French, QLocale::France) << false;
    QTest::newRow("Spain") << QLocale(QLocale::Spanish, QLocale::Spain) << false;
    QTest::newRow("United Kingdom") << QLocale(QLocale::English, QLocale::UnitedKingdom) << false;
    QTest::newRow("Argentina (PAL-N)") << QLocale(QLocale::Spanish, QLocale::Argentina) << false;
    QTest::newRow("United States") << QLocale(QLocale::English, QLocale::UnitedStates) << true;
    QTest::newRow("Mexico") << QLocale(QLocale::Spanish, QLocale::Mexico) << true;
    QTest::newRow("Japan") << QLocale(QLocale::Japanese, QLocale::Japan) << true;
    QTest::newRow("Brazil (NTSC discs)") << QLocale(QLocale::Portuguese, QLocale::Brazil) << true;
    QTest::newRow("no country") << QLocale::c() << true;
}

void TestBurnProject::videoStandardFollowsTheCountry()
{
    QFETCH(QLocale, locale);
    QFETCH(bool, ntsc);
    QSettings().remove(QStringLiteral("BurnerVideoStandard"));
    QCOMPARE(VideoStandard::preferNtsc(locale), ntsc);
    VideoStandard::remember(!ntsc);
    QCOMPARE(VideoStandard::preferNtsc(locale), !ntsc);
    VideoStandard::remember(ntsc);
    QCOMPARE(VideoStandard::preferNtsc(locale), ntsc);
    QSettings().remove(QStringLiteral("BurnerVideoStandard"));
}

QTEST_MAIN(TestBurnProject)
#include "tst_burnproject.moc"
