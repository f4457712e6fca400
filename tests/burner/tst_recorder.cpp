#include "TestSupport.h"
#include "burner/LibburnDeviceController.h"
#include "burner/Project.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStandardItem>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// Recorder control on libburn pseudo-drives ("stdio:" files).
class TestRecorder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void listing_data();
    void listing();
    void mediaChecks();
    void writeImage_data();
    void writeImage();
    void refusedImages_data();
    void refusedImages();
    void missingRecorder_data();
    void missingRecorder();
    void writeCueSheetToFile();
    void setupWithoutDialog();
    void controllerGoesDuringAWrite();

private:
    QString makeFile(const QString &name, qint64 size);
    QTemporaryDir m_dir;
    std::unique_ptr<Project> m_project; // made once the temporary folder is set
};

namespace {

const QStringList kActionTexts = {
    QStringLiteral("Validating media..."),       QStringLiteral("Formatting media..."),
    QStringLiteral("Initializing hardware... "), QStringLiteral("Calibrating power..."),
    QStringLiteral("Writing Disc..."),           QStringLiteral("Finishing writing operation..."),
};

bool waitForOutcome(QSignalSpy &complete, QSignalSpy &failed)
{
    return QTest::qWaitFor([&] { return complete.count() + failed.count() > 0; }, 60000);
}

} // namespace

void TestRecorder::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("TMPDIR", QFile::encodeName(m_dir.path()));
    m_project = std::make_unique<Project>();
}

void TestRecorder::init()
{
    m_project.get()->setDiscType(DiscType::Dvd);
}

QString TestRecorder::makeFile(const QString &name, qint64 size)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(data.data()),
                                          static_cast<qsizetype>(size / 4));
    file.write(data);
    return path;
}

void TestRecorder::listing_data()
{
    QTest::addColumn<int>("type");
    QTest::newRow("dvd") << static_cast<int>(DiscType::Dvd);
    QTest::newRow("dual layer") << static_cast<int>(DiscType::DualLayerDvd);
    QTest::newRow("vcd") << static_cast<int>(DiscType::Vcd);
    QTest::newRow("svcd") << static_cast<int>(DiscType::Svcd);
}

void TestRecorder::listing()
{
    QFETCH(int, type);
    m_project.get()->setDiscType(static_cast<DiscType>(type));
    LibburnDeviceController controller(m_project.get());
    controller.setHardwareScan(false);
    const QString first = QStringLiteral("stdio:") + m_dir.filePath(QStringLiteral("one.iso"));
    controller.addPseudoDrive(first);
    controller.addPseudoDrive(m_dir.filePath(QStringLiteral("two.iso")));
    controller.addPseudoDrive(QStringLiteral("stdio:") +
                              m_dir.filePath(QStringLiteral("no/such/x.iso")));
    const QStringList expected{first, QStringLiteral("stdio:") +
                                          m_dir.filePath(QStringLiteral("two.iso"))};
    QCOMPARE(controller.devices(), expected);
    QVERIFY(!controller.writeSpeeds(first).isEmpty());
}

void TestRecorder::mediaChecks()
{
    LibburnDeviceController controller(m_project.get());
    controller.setHardwareScan(false);
    const QString fresh = QStringLiteral("stdio:") + m_dir.filePath(QStringLiteral("fresh.iso"));
    QVERIFY(controller.isCurrentMediaValid(fresh));
    QVERIFY(controller.isCurrentMediaWritable(fresh));
    QVERIFY(
        !QFileInfo::exists(m_dir.filePath(QStringLiteral("fresh.iso")))); // looking writes nothing
    const QString nowhere = QStringLiteral("stdio:") + m_dir.filePath(QStringLiteral("none/x.iso"));
    QVERIFY(!controller.isCurrentMediaValid(nowhere));
    QVERIFY(!controller.isCurrentMediaWritable(nowhere));
}

void TestRecorder::writeImage_data()
{
    QTest::addColumn<qint64>("existing");
    QTest::newRow("new file") << qint64(-1);
    QTest::newRow("over a longer file") << qint64(6 * 1024 * 1024 + 77);
    QTest::newRow("over a shorter file") << qint64(4096);
}

void TestRecorder::writeImage()
{
    QFETCH(qint64, existing);
    const QString image = makeFile(QStringLiteral("image.iso"), 2048 * 1500);
    const QString target = m_dir.filePath(QStringLiteral("written.iso"));
    QFile::remove(target);
    if (existing >= 0)
        QCOMPARE(QFileInfo(makeFile(QStringLiteral("written.iso"), existing)).size(), existing);

    LibburnDeviceController controller(m_project.get());
    controller.setHardwareScan(false);
    controller.setRecorder(QStringLiteral("stdio:") + target, QStringLiteral("0"));
    QStandardItem item(QStringLiteral("task"));
    controller.setUpdateItem(&item);
    QSignalSpy complete(&controller, &DeviceController::complete);
    QSignalSpy failed(&controller, &DeviceController::failed);
    QSignalSpy statuses(&controller, &DeviceController::statusChanged);
    QSignalSpy progress(&controller, &DeviceController::progressChanged);
    controller.burnDVD(image);
    // The write goes on behind the caller's back; its outcome comes later.
    QVERIFY(controller.isWriting());
    QCOMPARE(complete.count() + failed.count(), 0);
    QVERIFY(waitForOutcome(complete, failed));
    QVERIFY(!controller.isWriting());
    QVERIFY2(failed.isEmpty(), failed.isEmpty() ? "" : qPrintable(failed.first().at(1).toString()));
    QCOMPARE(complete.count(), 1);

    QCOMPARE(TestSupport::readFile(target), TestSupport::readFile(image));

    // Every step shown is one of the write steps, in their order.
    int lastStep = -1;
    for (const QList<QVariant> &status : statuses) {
        const int step = static_cast<int>(kActionTexts.indexOf(status.at(0).toString()));
        QVERIFY2(step >= 0, qPrintable(status.at(0).toString()));
        QVERIFY(step >= lastStep);
        lastStep = step;
    }
    QCOMPARE(statuses.first().at(0).toString(), kActionTexts.first());
    qreal lastFraction = 0;
    for (const QList<QVariant> &report : progress) {
        QVERIFY(report.at(0).toReal() >= lastFraction);
        lastFraction = report.at(0).toReal();
    }
    QCOMPARE(lastFraction, 1.0);
    QCOMPARE(item.data(DeviceController::ProgressRole).toDouble(), 1.0);
    QVERIFY(item.data(DeviceController::TimeRole).toDouble() >= 0);
    QVERIFY(!item.data(DeviceController::StatusRole).toString().isEmpty());
}

void TestRecorder::refusedImages_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("detail");
    QTest::newRow("not whole sectors")
        << qint64(2048 * 10 + 1)
        << "File is not multiple of 2048 bytes.  File size is 20481 (5001)";
    QTest::newRow("empty") << qint64(0)
                           << "File is not multiple of 2048 bytes.  File size is 0 (0)";
    QTest::newRow("missing") << qint64(-1) << "cannot be read";
}

void TestRecorder::refusedImages()
{
    QFETCH(qint64, size);
    QFETCH(QString, detail);
    const QString image = size >= 0 ? makeFile(QStringLiteral("odd.iso"), size)
                                    : m_dir.filePath(QStringLiteral("absent.iso"));
    const QString target = m_dir.filePath(QStringLiteral("refused.iso"));
    LibburnDeviceController controller(m_project.get());
    controller.setHardwareScan(false);
    controller.setRecorder(QStringLiteral("stdio:") + target, QStringLiteral("0"));
    QSignalSpy complete(&controller, &DeviceController::complete);
    QSignalSpy failed(&controller, &DeviceController::failed);
    controller.burnDVD(image);
    QVERIFY(waitForOutcome(complete, failed));
    QCOMPARE(complete.count(), 0);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.first().at(0).toString(), QStringLiteral("Discaveo encountered an error"));
    QVERIFY2(failed.first().at(1).toString().contains(detail),
             qPrintable(failed.first().at(1).toString()));
    QVERIFY(!QFileInfo::exists(target)); // refused before anything was written
}

void TestRecorder::missingRecorder_data()
{
    QTest::addColumn<QString>("recorder");
    QTest::addColumn<bool>("cueSheet");
    const QString nowhere = QStringLiteral("stdio:") + m_dir.filePath(QStringLiteral("gone/x.iso"));
    QTest::newRow("image, no parent folder") << nowhere << false;
    QTest::newRow("image, unknown recorder") << QStringLiteral("No Such Recorder") << false;
    QTest::newRow("cue sheet, no parent folder") << nowhere << true;
    QTest::newRow("cue sheet, unknown recorder") << QStringLiteral("No Such Recorder") << true;
}

void TestRecorder::missingRecorder()
{
    QFETCH(QString, recorder);
    QFETCH(bool, cueSheet);
    const QString image = makeFile(QStringLiteral("small.iso"), 2048 * 4);
    const QString toc = m_dir.filePath(QStringLiteral("small.toc"));
    QFile sheet(toc);
    QVERIFY(sheet.open(QIODevice::WriteOnly));
    sheet.write("CD_ROM_XA\nTRACK MODE2_RAW\n DATAFILE \"small.iso\"\n");
    sheet.close();
    LibburnDeviceController controller(m_project.get());
    controller.setHardwareScan(false);
    controller.setRecorder(recorder, QStringLiteral("0"));
    QSignalSpy complete(&controller, &DeviceController::complete);
    QSignalSpy failed(&controller, &DeviceController::failed);
    if (cueSheet)
        controller.burnVCD(toc);
    else
        controller.burnDVD(image);
    QVERIFY(waitForOutcome(complete, failed));
    QCOMPARE(complete.count(), 0);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.first().at(0).toString(), QStringLiteral("Discaveo encountered an error"));
    QVERIFY(!failed.first().at(1).toString().isEmpty());
}

void TestRecorder::writeCueSheetToFile()
{
    // A pseudo-drive takes the cue sheet's raw track files one after another.
    const QString one = makeFile(QStringLiteral("cd_01.img"), 2352 * 20);
    const QString pregap = makeFile(QStringLiteral("cd_02_pregap.img"), 2352 * 3);
    const QString two = makeFile(QStringLiteral("cd_02.img"), 2352 * 7);
    const QString toc = m_dir.filePath(QStringLiteral("cd.toc"));
    QFile sheet(toc);
    QVERIFY(sheet.open(QIODevice::WriteOnly));
    sheet.write("CD_ROM_XA\n\n// Track 1\nTRACK MODE2_RAW\n COPY\n DATAFILE \"cd_01.img\"\n\n"
                "// Track 2\nTRACK MODE2_RAW\n COPY\n DATAFILE \"cd_02_pregap.img\"\n START\n"
                " DATAFILE \"cd_02.img\"\n");
    sheet.close();
    const QString target = m_dir.filePath(QStringLiteral("cd.bin"));
    LibburnDeviceController controller(m_project.get());
    controller.setHardwareScan(false);
    controller.setRecorder(QStringLiteral("stdio:") + target, QStringLiteral("0"));
    QSignalSpy complete(&controller, &DeviceController::complete);
    QSignalSpy failed(&controller, &DeviceController::failed);
    controller.burnVCD(toc);
    QVERIFY(waitForOutcome(complete, failed));
    QVERIFY2(failed.isEmpty(), failed.isEmpty() ? "" : qPrintable(failed.first().at(1).toString()));
    QByteArray expected =
        TestSupport::readFile(one) + TestSupport::readFile(pregap) + TestSupport::readFile(two);
    expected.append(QByteArray((2048 - expected.size() % 2048) % 2048, '\0'));
    QCOMPARE(TestSupport::readFile(target), expected);
}

void TestRecorder::setupWithoutDialog()
{
    LibburnDeviceController controller(m_project.get());
    controller.setHardwareScan(false);
    controller.addPseudoDrive(m_dir.filePath(QStringLiteral("no/such/disc.iso")));
    controller.addPseudoDrive(m_dir.filePath(QStringLiteral("picked.iso")));
    QVERIFY(controller.setupDisc());
    QCOMPARE(controller.recorderName(),
             QStringLiteral("stdio:") + m_dir.filePath(QStringLiteral("picked.iso")));

    bool asked = false;
    controller.setDiscSetup([&asked](DeviceController &) {
        asked = true;
        return false; // the user cancelled
    });
    QVERIFY(!controller.setupDisc());
    QVERIFY(asked);
}

void TestRecorder::controllerGoesDuringAWrite()
{
    const QString image = makeFile(QStringLiteral("large.iso"), 2048 * 16384);
    const QString target = m_dir.filePath(QStringLiteral("interrupted.iso"));
    auto controller = std::make_unique<LibburnDeviceController>(m_project.get());
    controller->setHardwareScan(false);
    controller->setRecorder(QStringLiteral("stdio:") + target, QStringLiteral("0"));
    QSignalSpy complete(controller.get(), &DeviceController::complete);
    controller->burnDVD(image);
    QVERIFY(controller->isWriting());
    controller.reset();                // stops the write and waits for it
    QCoreApplication::processEvents(); // its outcome goes nowhere
    QCOMPARE(complete.count(), 0);

    // The next write right after it: libburn may still be draining the
    // cancelled one into the same file, so this one may fail, but it never
    // reports a disc it did not write.
    const QString small = makeFile(QStringLiteral("small-again.iso"), 2048 * 8);
    LibburnDeviceController next(m_project.get());
    next.setHardwareScan(false);
    next.setRecorder(QStringLiteral("stdio:") + target, QStringLiteral("0"));
    QSignalSpy nextComplete(&next, &DeviceController::complete);
    QSignalSpy nextFailed(&next, &DeviceController::failed);
    next.burnDVD(small);
    QVERIFY(waitForOutcome(nextComplete, nextFailed));
    if (nextComplete.count() == 1)
        QCOMPARE(TestSupport::readFile(target), TestSupport::readFile(small));
    else
        QVERIFY(!nextFailed.constFirst().at(1).toString().isEmpty());
}

QTEST_MAIN(TestRecorder)
#include "tst_recorder.moc"
