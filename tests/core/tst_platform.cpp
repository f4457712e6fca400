#include "core/Platform.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestPlatform : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void toolsFromTheDistribution_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("program");
        QTest::newRow("encoder") << "encoder.exe" << "ffmpeg";
        QTest::newRow("ffmpeg") << "ffmpeg" << "ffmpeg";
        QTest::newRow("mencoder") << "mencoder" << "mencoder";
        QTest::newRow("jpegconverter") << "jpegconverter" << "jpegtopnm";
        QTest::newRow("ppmconverter") << "ppmconverter" << "ppmtoy4m";
        QTest::newRow("mpegencoder") << "mpegencoder" << "mpeg2enc";
        QTest::newRow("multiplexer") << "multiplexer" << "mplex";
        QTest::newRow("subtitler") << "subtitler" << "spumux";
        QTest::newRow("authortool") << "authortool" << "dvdauthor";
        QTest::newRow("vcdgenerator") << "vcdgenerator" << "vcdxgen";
        QTest::newRow("vcdbuilder") << "vcdbuilder" << "vcdxbuild";
        QTest::newRow("cdrtool") << "cdrtool" << "cdrdao";
    }

    void toolsFromTheDistribution()
    {
        QFETCH(QString, tool);
        QFETCH(QString, program);
        const QString path = Platform::binaryPath(tool);
        QVERIFY2(!path.isEmpty(), qPrintable(tool));
        QCOMPARE(QFileInfo(path).fileName(), program);
        QVERIFY(QFileInfo(path).isExecutable());
    }

    void isoCreatorFallsBackToAnyAvailableProgram()
    {
        const QString path = Platform::binaryPath(QStringLiteral("cdcreator"));
        QVERIFY(!path.isEmpty());
        QVERIFY(QStringList({"mkisofs", "genisoimage", "xorrisofs"})
                    .contains(QFileInfo(path).fileName()));
    }

    void bundledToolWinsOverPath()
    {
        const QDir binaries(Platform::binaryDirectory());
        QVERIFY(QDir().mkpath(binaries.path()));
        const QString fake = binaries.filePath(QStringLiteral("encoder"));
        QFile file(fake);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\nexit 0\n");
        file.close();
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
        const QString found = Platform::binaryPath(QStringLiteral("encoder"));
        QFile::remove(fake);
        QDir().rmdir(binaries.path());
        QCOMPARE(found, QFileInfo(fake).absoluteFilePath());
    }

    void missingToolIsLoggedWithTheCallersMessage()
    {
        QTest::ignoreMessage(QtWarningMsg, "VideoImporter: tool not found no-such-tool-here");
        QVERIFY(Platform::binaryPath(QStringLiteral("no-such-tool-here"),
                                     QStringLiteral("VideoImporter: tool not found"))
                    .isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
