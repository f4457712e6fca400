#include "TestSupport.h"
#include "library/FileCopier.h"

#include <QFile>
#include <QMutex>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

class TestFileCopier : public QObject
{
    Q_OBJECT

private:
    static void writeFile(const QString &path, const QByteArray &data)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(data);
    }

private Q_SLOTS:
    void copiesInBlocks()
    {
        QTemporaryDir dir;
        QByteArray data(10000, Qt::Uninitialized);
        for (int i = 0; i < data.size(); ++i)
            data[i] = char(i * 7);
        RUN_CHECKED(writeFile(dir.filePath("source.bin"), data));

        FileCopier copier;
        QMutex mutex;
        QList<qint64> blocks;
        connect(
            &copier, &FileCopier::blockCopied, this,
            [&](int, qint64 bytes) {
                QMutexLocker locker(&mutex);
                blocks << bytes;
            },
            Qt::DirectConnection);
        QSignalSpy finished(&copier, &FileCopier::finished);
        QSignalSpy done(&copier, &FileCopier::done);
        const int id = copier.copy(dir.filePath("source.bin"), dir.filePath("copy.bin"));
        QVERIFY(id >= 0);
        QVERIFY(done.wait(10000));

        QCOMPARE(blocks, (QList<qint64>{4096, 4096, 1808}));
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().at(0).toInt(), id);
        QCOMPARE(finished.first().at(1).toBool(), false);
        QCOMPARE(done.first().at(0).toBool(), false);
        QFile copy(dir.filePath("copy.bin"));
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), data);
    }

    void existingDestination_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("expectedError");
        QTest::addColumn<QByteArray>("expectedContent");
        QTest::newRow("no overwrite")
            << int(CopyRequest::NoFlags) << int(FileCopier::DestinationExists)
            << QByteArray("old destination");
        QTest::newRow("overwrite")
            << int(CopyRequest::Overwrite) << int(FileCopier::NoError) << QByteArray("new source");
    }

    void existingDestination()
    {
        QFETCH(int, flags);
        QFETCH(int, expectedError);
        QFETCH(QByteArray, expectedContent);
        QTemporaryDir dir;
        RUN_CHECKED(writeFile(dir.filePath("source"), "new source"));
        RUN_CHECKED(writeFile(dir.filePath("destination"), "old destination"));

        FileCopier copier;
        QSignalSpy errors(&copier, &FileCopier::error);
        QSignalSpy finished(&copier, &FileCopier::finished);
        QSignalSpy done(&copier, &FileCopier::done);
        const int id = copier.copy(dir.filePath("source"), dir.filePath("destination"),
                                   CopyRequest::Flags(flags));
        QVERIFY(done.wait(10000));
        if (expectedError == FileCopier::NoError) {
            QCOMPARE(errors.size(), 0);
        } else {
            QCOMPARE(errors.size(), 1);
            QCOMPARE(errors.first().at(0).toInt(), id);
            QCOMPARE(errors.first().at(1).value<FileCopier::Error>(),
                     FileCopier::Error(expectedError));
        }
        QCOMPARE(finished.first().at(1).toBool(), expectedError != FileCopier::NoError);
        QFile destination(dir.filePath("destination"));
        QVERIFY(destination.open(QIODevice::ReadOnly));
        QCOMPARE(destination.readAll(), expectedContent);
    }

    void overwriteAnswerResolvesAWaitingCopy()
    {
        QTemporaryDir dir;
        RUN_CHECKED(writeFile(dir.filePath("source"), "new"));
        RUN_CHECKED(writeFile(dir.filePath("destination"), "old"));
        FileCopier copier;
        copier.setAskOnError(true);
        QSignalSpy done(&copier, &FileCopier::done);
        connect(&copier, &FileCopier::error, &copier,
                [&](int, FileCopier::Error error, bool stopped) {
                    QCOMPARE(error, FileCopier::DestinationExists);
                    QVERIFY(stopped);
                    copier.overwrite();
                });
        copier.copy(dir.filePath("source"), dir.filePath("destination"));
        QVERIFY(done.wait(10000));
        QCOMPARE(done.first().at(0).toBool(), false);
        QFile destination(dir.filePath("destination"));
        QVERIFY(destination.open(QIODevice::ReadOnly));
        QCOMPARE(destination.readAll(), QByteArray("new"));
    }

    // The copy is canceled from within its first block, so it is caught for
    // certain midway.
    void cancelRemovesPartialCopy()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath("source.bin");
        {
            QFile file(source);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.resize(4 * 1024 * 1024));
        }
        FileCopier copier;
        QSignalSpy errors(&copier, &FileCopier::error);
        QSignalSpy finished(&copier, &FileCopier::finished);
        QAtomicInt temporaries = -1;
        const QString folder = dir.path();
        connect(
            &copier, &FileCopier::blockCopied, this,
            [&](int id, qint64) {
                if (temporaries.loadRelaxed() >= 0)
                    return;
                // Until it is whole, the copy is only under a hidden temporary name.
                const bool hidden = !QFile::exists(QDir(folder).filePath("copy.bin"));
                temporaries.storeRelaxed(
                    hidden ? int(QDir(folder)
                                     .entryList({"*.zelta-copy"}, QDir::Files | QDir::Hidden)
                                     .size())
                           : 0);
                copier.cancel(id);
            },
            Qt::DirectConnection);
        const int id = copier.copy(source, dir.filePath("copy.bin"));
        QVERIFY(id >= 0);

        QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), 10000);
        QCOMPARE(temporaries.loadRelaxed(), 1);
        QCOMPARE(finished.first().at(1).toBool(), true);
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors.first().at(1).value<FileCopier::Error>(), FileCopier::Canceled);
        QVERIFY(!QFile::exists(dir.filePath("copy.bin")));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList{"source.bin"});
    }

    void folderSourceIsRefused()
    {
        QTemporaryDir dir;
        FileCopier copier;
        QSignalSpy started(&copier, &FileCopier::started);
        QCOMPARE(copier.copy(dir.path(), dir.filePath("elsewhere")), -1);
        // A file copied after it is the first and only copy the worker starts.
        QFile file(dir.filePath("file"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("data") == 4);
        file.close();
        QSignalSpy done(&copier, &FileCopier::done);
        const int id = copier.copy(file.fileName(), dir.filePath("copy"));
        QVERIFY(id >= 0);
        QVERIFY(done.wait(10000));
        QCOMPARE(started.size(), 1);
        QCOMPARE(started.first().first().toInt(), id);
        QVERIFY(!QFile::exists(dir.filePath("elsewhere")));
    }

    void missingSourceAndMove_data()
    {
        QTest::addColumn<bool>("sourceExists");
        QTest::addColumn<int>("expectedError");
        QTest::newRow("missing source") << false << int(FileCopier::SourceNotExists);
        QTest::newRow("move") << true << int(FileCopier::NoError);
    }

    void missingSourceAndMove()
    {
        QFETCH(bool, sourceExists);
        QFETCH(int, expectedError);
        QTemporaryDir dir;
        if (sourceExists)
            RUN_CHECKED(writeFile(dir.filePath("source"), "moved"));
        FileCopier copier;
        QSignalSpy errors(&copier, &FileCopier::error);
        QSignalSpy done(&copier, &FileCopier::done);
        copier.copy(dir.filePath("source"), dir.filePath("target"), CopyRequest::Move);
        QVERIFY(done.wait(10000));
        QCOMPARE(done.first().at(0).toBool(), expectedError != FileCopier::NoError);
        if (expectedError != FileCopier::NoError) {
            QCOMPARE(errors.first().at(1).value<FileCopier::Error>(),
                     FileCopier::Error(expectedError));
        } else {
            QVERIFY(!QFile::exists(dir.filePath("source")));
            QVERIFY(QFile::exists(dir.filePath("target")));
        }
    }
};

QTEST_GUILESS_MAIN(TestFileCopier)
#include "tst_filecopier.moc"
