// The blocking ring-buffer stream between the encoder's writer and the HTTP
// reader: exact bytes across wrap-around, flow control, end and abort.
#include "tv/TranscodeStream.h"
#include "tv/upnp/RingBufferStream.h"

#include <QRandomGenerator>
#include <QThread>
#include <QtTest>

#include <atomic>

class TestRingBuffer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bytesSurviveWrapAround_data()
    {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("writeChunk");
        QTest::addColumn<int>("readChunk");
        QTest::newRow("byte by byte") << 7 << 1 << 1;
        QTest::newRow("odd sizes") << 1000 << 7 << 333;
        QTest::newRow("writes larger than the ring") << 1000 << 4096 << 999;
        QTest::newRow("reads larger than the ring") << 1000 << 1000 << 5000;
    }

    void bytesSurviveWrapAround()
    {
        QFETCH(int, capacity);
        QFETCH(int, writeChunk);
        QFETCH(int, readChunk);
        QByteArray source(100000, Qt::Uninitialized);
        QRandomGenerator generator(42);
        for (char &byte : source)
            byte = char(generator.bounded(256));
        RingBufferStream stream(QSharedPointer<RingBuffer>::create(capacity));
        std::unique_ptr<QThread> writer(QThread::create([&] {
            for (qsizetype at = 0; at < source.size(); at += writeChunk)
                stream.write(source.constData() + at,
                             qMin<qsizetype>(writeChunk, source.size() - at));
            stream.setEnded();
        }));
        writer->start();
        QByteArray received;
        QByteArray chunk(readChunk, Qt::Uninitialized);
        qint64 count;
        while ((count = stream.read(chunk.data(), readChunk)) > 0)
            received.append(chunk.constData(), count);
        QVERIFY(writer->wait(30000));
        QCOMPARE(count, qint64(0));
        QCOMPARE(received.size(), source.size());
        QVERIFY(received == source);
        QCOMPARE(stream.tell(), qint64(source.size()));
        QVERIFY(!stream.seek(0));
    }

    void writerBlocksAtFiftyMebibytes()
    {
        RingBufferStream stream(QSharedPointer<RingBuffer>::create(TranscodeStream::bufferSize));
        const QByteArray block(1 << 20, 'z');
        std::atomic<qint64> written{0};
        std::atomic<qint64> lastResult{0};
        std::unique_ptr<QThread> writer(QThread::create([&] {
            for (int i = 0; i < 60; ++i) {
                const qint64 result = stream.write(block.constData(), block.size());
                lastResult = result;
                if (result < 0)
                    return;
                written += result;
            }
        }));
        writer->start();
        // The reader does not read: the writer stops with the ring full.
        QTRY_VERIFY_WITH_TIMEOUT(stream.isWriterBlocked(), 20000);
        QCOMPARE(stream.available(), TranscodeStream::bufferSize);
        QVERIFY(!writer->isFinished());

        // Reading makes room, and the writer goes on until it is full again.
        QByteArray sink(4 << 20, Qt::Uninitialized);
        QCOMPARE(stream.read(sink.data(), sink.size()), qint64(sink.size()));
        QTRY_VERIFY_WITH_TIMEOUT(
            stream.isWriterBlocked() && stream.available() == TranscodeStream::bufferSize, 20000);

        // A reader that goes away releases the writer for good.
        stream.abort();
        QVERIFY(writer->wait(10000));
        QCOMPARE(lastResult.load(), qint64(-1));
        QCOMPARE(stream.write("x", 1), qint64(-1));
    }

    void abortReleasesWaitingReader()
    {
        RingBufferStream stream(QSharedPointer<RingBuffer>::create(16));
        std::atomic<qint64> result{1};
        std::unique_ptr<QThread> reader(QThread::create([&] {
            char buffer[8];
            result = stream.read(buffer, sizeof buffer);
        }));
        reader->start();
        QTRY_VERIFY_WITH_TIMEOUT(stream.isReaderBlocked(), 20000);
        QVERIFY(!reader->isFinished());
        stream.abort();
        QVERIFY(reader->wait(10000));
        QCOMPARE(result.load(), qint64(-1));
    }

    void endComesAfterRemainingBytes()
    {
        RingBufferStream stream(QSharedPointer<RingBuffer>::create(16));
        QCOMPARE(stream.write("0123456789", 10), qint64(10));
        stream.setEnded();
        char buffer[32];
        QCOMPARE(stream.read(buffer, 4), qint64(4));
        QCOMPARE(stream.read(buffer, sizeof buffer), qint64(6));
        QCOMPARE(QByteArray(buffer, 6), QByteArray("456789"));
        QCOMPARE(stream.read(buffer, sizeof buffer), qint64(0));
        QVERIFY(stream.isEnded());
    }
};

QTEST_GUILESS_MAIN(TestRingBuffer)
#include "tst_ringbuffer.moc"
