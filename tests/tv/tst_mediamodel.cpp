// The media tree over a folder: what is listed, object ids, root aliases,
// and the encoder probe that fills duration, format and thumbnail.
#include "TestSupport.h"
#include "tv/MediaModel.h"
#include "tv/MetaDataGatherer.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {

bool copyClip(const QString &clip, const QString &target)
{
    QDir().mkpath(QFileInfo(target).absolutePath());
    return !clip.isEmpty() && QFile::copy(clip, target);
}

void touch(const QString &path, const QByteArray &data = "not media")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(data);
}

QList<MediaNodeInfo> childrenOf(MediaModel &model, const QString &id = QStringLiteral("0"))
{
    QList<MediaNodeInfo> children;
    model.childInfos(id, &children);
    return children;
}

// The child's copy as it is now (invalid when there is none of that name).
MediaNodeInfo childNamed(MediaModel &model, const QString &name,
                         const QString &parentId = QStringLiteral("0"))
{
    for (const MediaNodeInfo &child : childrenOf(model, parentId)) {
        if (child.name == name)
            return child;
    }
    return MediaNodeInfo();
}

bool gathererIdle(MediaModel &model)
{
    return !model.gatherer()->isBusy() && model.gatherer()->queued() == 0;
}

} // namespace

class TestMediaModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listsMediaOnly()
    {
        QTemporaryDir dir;
        touch(dir.filePath(QStringLiteral("visible.mp4")));
        touch(dir.filePath(QStringLiteral(".hidden.mp4")));
        touch(dir.filePath(QStringLiteral("readme.txt")));
        touch(dir.filePath(QStringLiteral(".secret/inside.mp4")));
        touch(dir.filePath(QStringLiteral("sub/song.MP3")));
        MediaModel model;
        model.setRoot(dir.path());
        QStringList names;
        for (const MediaNodeInfo &child : childrenOf(model))
            names << child.name;
        QCOMPARE(names, QStringList({QStringLiteral("sub"), QStringLiteral("visible.mp4")}));
        QCOMPARE(model.nodeInfo(QStringLiteral("0")).childCount, 2);
        // Sub-folders are listed when asked for.
        const MediaNodeInfo sub = childNamed(model, QStringLiteral("sub"));
        QVERIFY(sub.isFolder);
        QCOMPARE(sub.childCount, -1);
        const QList<MediaNodeInfo> children = childrenOf(model, sub.objectId);
        QCOMPARE(children.size(), 1);
        QCOMPARE(children.first().name, QStringLiteral("song.MP3"));
        QCOMPARE(children.first().parentId, sub.objectId);
        QCOMPARE(model.nodeInfo(sub.objectId).childCount, 1);
    }

    // Listings run in the threads that ask, never in the one that made the
    // tree (blocked here): several first listings of one folder at once all
    // see the whole of it.
    void concurrentFirstListingsSeeTheWholeFolder()
    {
        constexpr int files = 400;
        QTemporaryDir dir;
        for (int i = 0; i < files; ++i)
            touch(dir.filePath(QStringLiteral("big/f-%1.jpg").arg(i, 3, 10, QLatin1Char('0'))));
        MediaModel model;
        model.setRoot(dir.path());
        const QString id = childNamed(model, QStringLiteral("big")).objectId;
        QVERIFY(!id.isEmpty());
        struct Page
        {
            qsizetype total = -1;
            QStringList names;
        };
        QList<Page> pages(6);
        std::vector<std::unique_ptr<QThread>> threads;
        for (int t = 0; t < pages.size(); ++t) {
            threads.emplace_back(QThread::create([&model, &pages, id, t] {
                QList<MediaNodeInfo> page;
                model.childPage(id, t * 50, 10, &page, &pages[t].total);
                for (const MediaNodeInfo &node : std::as_const(page))
                    pages[t].names << node.name;
            }));
        }
        for (auto &thread : threads)
            thread->start();
        for (auto &thread : threads)
            QVERIFY(thread->wait(60000));
        for (int t = 0; t < pages.size(); ++t) {
            QCOMPARE(pages.at(t).total, files);
            QCOMPARE(pages.at(t).names.size(), 10);
            QCOMPARE(pages.at(t).names.first(),
                     QStringLiteral("f-%1.jpg").arg(t * 50, 3, 10, QLatin1Char('0')));
        }
        QCOMPARE(model.nodeInfo(id).childCount, files);
    }

    // Probes in the background leave a core to the program's own threads;
    // a probe that an answer waits for starts beside them.
    void backgroundProbesLeaveACore()
    {
        QTemporaryDir tools;
        const QString started = tools.filePath(QStringLiteral("started"));
        const QString release = tools.filePath(QStringLiteral("release"));
        // A stand-in encoder that tells it started and holds until released.
        QFile encoder(tools.filePath(QStringLiteral("ffmpeg")));
        QVERIFY(encoder.open(QIODevice::WriteOnly));
        encoder.write(QStringLiteral("#!/bin/sh\necho x >> '%1'\n"
                                     "while [ ! -e '%2' ]; do sleep 0.02; done\nexit 1\n")
                          .arg(started, release)
                          .toLocal8Bit());
        encoder.close();
        QVERIFY(encoder.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", tools.path().toLocal8Bit() + ':' + path);
        const auto restorePath = qScopeGuard([&] { qputenv("PATH", path); });
        const auto startedCount = [&] {
            QFile file(started);
            return file.open(QIODevice::ReadOnly) ? int(file.readAll().count('\n')) : 0;
        };

        const int background = qMax(1, QThread::idealThreadCount() - 1);
        const int files = background + 3;
        QTemporaryDir dir;
        for (int i = 0; i < files; ++i)
            touch(dir.filePath(QStringLiteral("clip-%1.mp4").arg(i, 2, 10, QLatin1Char('0'))));
        MediaModel model;
        // However the test ends, the probes end before the model does.
        const auto releaseProbes = qScopeGuard([&] { touch(release); });
        model.setRoot(dir.path());
        const QList<MediaNodeInfo> children = childrenOf(model); // queues their probes
        QCOMPARE(children.size(), files);
        QTRY_COMPARE_WITH_TIMEOUT(startedCount(), background, TestSupport::SlowWaitMs);
        QCOMPARE(model.gatherer()->queued(), files - background);

        const QString last = children.constLast().objectId;
        model.waitForMetaData({last}, {last}, QDeadlineTimer(0));
        QTRY_COMPARE_WITH_TIMEOUT(startedCount(), background + 1, TestSupport::SlowWaitMs);
        QCOMPARE(model.gatherer()->queued(), files - background - 1);

        touch(release);
        QTRY_VERIFY_WITH_TIMEOUT(gathererIdle(model), TestSupport::SlowWaitMs);
    }

    // A file rewritten while its probe runs: the tree refuses the old
    // result, the new content is probed once, and its result is the one
    // kept (the stand-in encoder tells a play length of one second per byte).
    void fileRewrittenDuringItsProbeIsProbedOnceMore()
    {
        QTemporaryDir tools;
        const QString started = tools.filePath(QStringLiteral("started"));
        const QString release = tools.filePath(QStringLiteral("release"));
        QFile encoder(tools.filePath(QStringLiteral("ffmpeg")));
        QVERIFY(encoder.open(QIODevice::WriteOnly));
        encoder.write(QStringLiteral(
                          "#!/bin/sh\nin=; prev=\n"
                          "for a in \"$@\"; do [ \"$prev\" = -i ] && in=\"$a\"; prev=\"$a\"; done\n"
                          "size=$(wc -c < \"$in\")\necho $size >> '%1'\n"
                          "while [ ! -e '%2' ]; do sleep 0.02; done\n")
                          .arg(started, release)
                          .toLocal8Bit() +
                      "printf 'Input #0, mov,mp4,m4a,3gp,3g2,mj2, from x:\\n"
                      "  Duration: 00:00:%02d.00, start: 0.000000, bitrate: 1 kb/s\\n' "
                      "$size >&2\nexit 1\n");
        encoder.close();
        QVERIFY(encoder.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", tools.path().toLocal8Bit() + ':' + path);
        const auto restorePath = qScopeGuard([&] { qputenv("PATH", path); });
        const auto starts = [&] {
            QFile file(started);
            return file.open(QIODevice::ReadOnly)
                       ? QString::fromLatin1(file.readAll())
                             .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                       : QStringList();
        };

        QTemporaryDir dir;
        const QString clip = dir.filePath(QStringLiteral("clip.mp4"));
        touch(clip, "12345");
        MediaModel model;
        const auto releaseProbes = qScopeGuard([&] { touch(release); });
        model.setRoot(dir.path());
        QCOMPARE(childrenOf(model).size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(starts(), QStringList({QStringLiteral("5")}),
                                  TestSupport::SlowWaitMs);
        touch(clip, "1234567");
        // The next Browse sees the change (a listing of the folder may too).
        const MediaNodeInfo changed = childNamed(model, QStringLiteral("clip.mp4"));
        QCOMPARE(changed.size, qint64(7));
        QVERIFY(!changed.probed);
        touch(release);
        QTRY_VERIFY_WITH_TIMEOUT(gathererIdle(model) &&
                                     childNamed(model, QStringLiteral("clip.mp4")).probed,
                                 TestSupport::SlowWaitMs);
        const MediaNodeInfo probed = childNamed(model, QStringLiteral("clip.mp4"));
        QCOMPARE(probed.durationMs, qint64(7000));
        QCOMPARE(starts(), QStringList({QStringLiteral("5"), QStringLiteral("7")}));
    }

    void rootAliases_data()
    {
        QTest::addColumn<QString>("id");
        for (const char *id : {"0", "15", "16", "13", "4"})
            QTest::newRow(id) << QString::fromLatin1(id);
    }

    void rootAliases()
    {
        QFETCH(QString, id);
        QTemporaryDir dir;
        MediaModel model;
        model.setRoot(dir.path());
        QVERIFY(model.nodeInfo(id).isRoot);
        QCOMPARE(model.nodeInfo(id).path, QFileInfo(dir.path()).absoluteFilePath());
        for (const char *unknown : {"not-a-number", "12345", "-1", ""})
            QVERIFY(!model.nodeInfo(QString::fromLatin1(unknown)).valid);
    }

    void sameNameInTwoFoldersBothReachable()
    {
        QTemporaryDir dir;
        touch(dir.filePath(QStringLiteral("one/clip.mp4")), "first");
        touch(dir.filePath(QStringLiteral("two/clip.mp4")), "second");
        MediaModel model;
        model.setRoot(dir.path());
        QStringList ids;
        QStringList paths;
        for (const QString &folder : {QStringLiteral("one"), QStringLiteral("two")}) {
            QList<MediaNodeInfo> children;
            QVERIFY(model.childInfos(childNamed(model, folder).objectId, &children));
            QCOMPARE(children.size(), 1);
            ids << children.first().objectId;
            paths << model.nodeInfo(children.first().objectId).path;
        }
        QVERIFY(ids.at(0) != ids.at(1));
        QCOMPARE(paths, QStringList({dir.filePath(QStringLiteral("one/clip.mp4")),
                                     dir.filePath(QStringLiteral("two/clip.mp4"))}));
        bool numeric = false;
        ids.first().toULongLong(&numeric);
        QVERIFY(numeric);
        // Ids follow the path, so they stay the same in the next run.
        MediaModel again;
        again.setRoot(dir.path());
        const MediaNodeInfo one = childNamed(again, QStringLiteral("one"));
        QCOMPARE(childrenOf(again, one.objectId).first().objectId, ids.first());
    }

    void upperCaseFlvIsTranscodedBeforeAndAfterProbe()
    {
        QTemporaryDir dir;
        QVERIFY(copyClip(TestSupport::sampleClip(QStringLiteral("tv-model.flv"), 2),
                         dir.filePath(QStringLiteral("CLIP.FLV"))));
        touch(dir.filePath(QStringLiteral("notes.txt")));
        MediaModel model;
        model.setRoot(dir.path());
        const QList<MediaNodeInfo> children = childrenOf(model);
        QCOMPARE(children.size(), 1);
        const QString id = children.first().objectId;
        QVERIFY(children.first().format.isEmpty() || children.first().probed);
        QVERIFY(children.first().needsTranscoding); // by its suffix
        QTRY_VERIFY_WITH_TIMEOUT(gathererIdle(model) && !model.nodeInfo(id).format.isEmpty(),
                                 60000);
        const MediaNodeInfo node = model.nodeInfo(id);
        QCOMPARE(node.format, QStringLiteral("flv"));
        QVERIFY(node.needsTranscoding); // by its format
        QCOMPARE(node.durationMs / 1000, 2);
        QVERIFY(!node.thumbnail.isEmpty()); // shorter than 10 s: its middle frame
    }

    void probeFindsThumbnailAndFailureKeepsNode()
    {
        QTemporaryDir dir;
        QVERIFY(copyClip(TestSupport::sampleClip(QStringLiteral("tv-thumb.mp4"), 11),
                         dir.filePath(QStringLiteral("long.mp4"))));
        touch(dir.filePath(QStringLiteral("broken.mp4")), QByteArray(4096, '\x07'));
        touch(dir.filePath(QStringLiteral("fake.flv")), QByteArray(4096, '\x07'));
        MediaModel model;
        model.setRoot(dir.path());
        QCOMPARE(childrenOf(model).size(), 3);
        QTRY_VERIFY_WITH_TIMEOUT(
            gathererIdle(model) &&
                !childNamed(model, QStringLiteral("long.mp4")).thumbnail.isEmpty(),
            60000);
        const MediaNodeInfo good = childNamed(model, QStringLiteral("long.mp4"));
        QCOMPARE(good.thumbnailSize, QSize(160, 120));
        QCOMPARE(QImage::fromData(good.thumbnail, "JPEG").size(), QSize(160, 120));
        QCOMPARE(good.media.frameSize, QSize(320, 240));
        QCOMPARE(good.durationMs / 1000, 11);
        QVERIFY(!good.needsTranscoding);
        const MediaNodeInfo broken = childNamed(model, QStringLiteral("broken.mp4"));
        QVERIFY(broken.durationMs < 0);
        QVERIFY(broken.thumbnail.isEmpty());
        QVERIFY(!broken.needsTranscoding);
        // An unreadable FLV still falls back to its suffix.
        QVERIFY(childNamed(model, QStringLiteral("fake.flv")).needsTranscoding);
    }

    // A restart does not probe again: results come back from the probe cache
    // while the file keeps its size and time; a changed file is probed anew.
    void probeResultsSurviveRestart()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("kept.mp4"));
        QVERIFY(copyClip(TestSupport::sampleClip(QStringLiteral("tv-thumb.mp4"), 11), path));
        {
            MediaModel first;
            first.setRoot(dir.path());
            QTRY_VERIFY_WITH_TIMEOUT(gathererIdle(first) && childrenOf(first).first().probed,
                                     60000);
        }
        MediaModel second;
        second.setRoot(dir.path());
        const MediaNodeInfo node = childrenOf(second).first();
        QVERIFY(node.probed);
        QVERIFY(gathererIdle(second));
        QCOMPARE(node.durationMs / 1000, 11);
        QCOMPARE(node.thumbnailSize, QSize(160, 120));
        QCOMPARE(node.media.frameSize, QSize(320, 240));

        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        file.write("changed");
        file.close();
        MediaModel third;
        third.setRoot(dir.path());
        QVERIFY(!childrenOf(third).first().probed);
    }

    void firstListingShowsCachedResults_data()
    {
        QTest::addColumn<int>("files");
        QTest::newRow("a few") << 5;
        QTest::newRow("more than one pass under the tree lock") << 700;
    }

    // A restart's first listing shows each file's own cached result at once;
    // a file that changed since it was cached is probed anew and never shows
    // the old result.
    void firstListingShowsCachedResults()
    {
        QFETCH(int, files);
        QTemporaryDir dir;
        const QSet<int> changed = {1, files / 2, files - 1};
        {
            ProbeCache cache;
            cache.open(QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                       QStringLiteral("/tv-probes.cache"));
            for (int i = 0; i < files; ++i) {
                const QString path =
                    dir.filePath(QStringLiteral("clip-%1.mp4").arg(i, 4, 10, QLatin1Char('0')));
                touch(path, "not media " + QByteArray::number(i));
                const QFileInfo info(path);
                ProbeCache::Entry entry;
                entry.size = info.size() + (changed.contains(i) ? 1 : 0);
                entry.modified = info.lastModified().toMSecsSinceEpoch();
                entry.media.duration = i + 1;
                cache.insert(path, entry);
            }
            QVERIFY(cache.save());
        }
        MediaModel model;
        model.setRoot(dir.path());
        const QList<MediaNodeInfo> children = childrenOf(model);
        QCOMPARE(children.size(), files);
        for (int i = 0; i < files; ++i) {
            const MediaNodeInfo &node = children.at(i);
            if (changed.contains(i)) {
                QVERIFY2(node.durationMs < 0, qPrintable(node.name));
                continue;
            }
            QVERIFY2(node.probed, qPrintable(node.name));
            QCOMPARE(node.durationMs, (i + 1) * 1000);
        }
        auto changedProbed = [&] {
            const QList<MediaNodeInfo> now = childrenOf(model);
            return std::all_of(changed.cbegin(), changed.cend(),
                               [&now](int i) { return now.at(i).probed; });
        };
        QTRY_VERIFY_WITH_TIMEOUT(gathererIdle(model) && changedProbed(), 120000);
        for (int i : changed)
            QVERIFY(model.nodeInfo(children.at(i).objectId).durationMs < 0); // not media
    }

    // Each result is on disk as soon as it is known, before the gatherer is
    // done: a kill keeps what was probed.
    void probesAreOnDiskAsTheyCome()
    {
        QTemporaryDir dir;
        const QString clip = TestSupport::sampleClip(QStringLiteral("tv-model.mp4"), 1);
        QStringList paths;
        for (int i = 0; i < 8; ++i) {
            paths << dir.filePath(QStringLiteral("clip-%1.mp4").arg(i));
            QVERIFY(copyClip(clip, paths.last()));
        }
        MediaModel model;
        QSignalSpy probed(model.gatherer(), &MetaDataGatherer::gathered);
        model.setRoot(dir.path());
        QVERIFY(probed.wait(60000));
        ProbeCache onDisk;
        onDisk.open(QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                    QStringLiteral("/tv-probes.cache"));
        int kept = 0;
        for (const QString &path : std::as_const(paths)) {
            const QFileInfo info(path);
            ProbeCache::Entry entry;
            kept +=
                onDisk.lookUp(path, info.size(), info.lastModified().toMSecsSinceEpoch(), &entry)
                    ? 1
                    : 0;
        }
        QVERIFY(kept >= 1);
        QVERIFY(kept < paths.size()); // the gatherer was not done yet
    }

    void cutCacheFileKeepsWholeRecords_data()
    {
        QTest::addColumn<int>("cut"); // bytes cut from the end
        QTest::addColumn<int>("kept");
        QTest::newRow("whole") << 0 << 3;
        QTest::newRow("last record cut short") << 5 << 2;
        QTest::newRow("only the header left") << -8 << 0;
    }

    // A kill while appending leaves a cut last record: the records before it
    // stay, and the next result is still readable after it.
    void cutCacheFileKeepsWholeRecords()
    {
        QFETCH(int, cut);
        QFETCH(int, kept);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("probes.cache"));
        ProbeCache::Entry entry;
        entry.size = 1000;
        entry.modified = 2000;
        entry.media.duration = 12.5;
        entry.thumbnail = QByteArray(300, 'j');
        {
            ProbeCache written; // never saved: as a kill leaves it
            written.open(path);
            for (const char *name : {"/a.mp4", "/b.mp4", "/c.mp4"})
                written.insert(QString::fromLatin1(name), entry);
        }
        QFile file(path);
        QVERIFY(file.resize(cut >= 0 ? file.size() - cut : -cut));
        ProbeCache reopened;
        reopened.open(path);
        QCOMPARE(reopened.count(), kept);
        reopened.insert(QStringLiteral("/d.mp4"), entry);
        ProbeCache again;
        again.open(path);
        QCOMPARE(again.count(), kept + 1);
        ProbeCache::Entry read;
        QVERIFY(again.lookUp(QStringLiteral("/d.mp4"), 1000, 2000, &read));
        QCOMPARE(read.media.duration, 12.5);
        QCOMPARE(read.thumbnail, entry.thumbnail);
    }
};

QTEST_GUILESS_MAIN(TestMediaModel)
#include "tst_mediamodel.moc"
