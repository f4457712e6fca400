#include "core/AppIdentity.h"
#include "core/Formatters.h"
#include "web/Suggestions.h"

#include <QDir>
#include <QFile>
#include <QStringListModel>
#include <QTest>

class TestFormatters : public QObject
{
    Q_OBJECT

private:
    static void writeSuggestions(const QByteArray &content)
    {
        QDir().mkpath(QFileInfo(Suggestions::filePath()).path());
        QFile file(Suggestions::filePath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

private Q_SLOTS:
    void initTestCase() { AppIdentity::apply(); }

    void byteSize_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << "0.0 bytes";
        QTest::newRow("negative") << qint64(-5) << "-5.0 bytes";
        QTest::newRow("512") << qint64(512) << "512.0 bytes";
        QTest::newRow("1023") << qint64(1023) << "1023.0 bytes";
        QTest::newRow("1024") << qint64(1024) << "1.0 kB";
        QTest::newRow("1.5 kB") << qint64(1536) << "1.5 kB";
        QTest::newRow("just below 1 MB") << qint64(1048575) << "1024.0 kB";
        QTest::newRow("1.5 MB") << qint64(1572864) << "1.5 MB";
        QTest::newRow("1 GB") << qint64(1073741824) << "1.0 GB";
        QTest::newRow("5 GB") << qint64(5) * 1073741824 << "5.0 GB";
    }

    void byteSize()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(Formatters::byteSize(bytes), text);
    }

    void timeRemaining_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << "";
        QTest::newRow("negative") << qint64(-3) << "";
        QTest::newRow("1") << qint64(1) << "1 second remaining";
        QTest::newRow("2") << qint64(2) << "2 seconds remaining";
        QTest::newRow("60") << qint64(60) << "60 seconds remaining";
        QTest::newRow("61") << qint64(61) << "1 minute remaining";
        QTest::newRow("119") << qint64(119) << "1 minute remaining";
        QTest::newRow("120") << qint64(120) << "2 minutes remaining";
        QTest::newRow("3600") << qint64(3600) << "60 minutes remaining";
    }

    void timeRemaining()
    {
        QFETCH(qint64, seconds);
        QFETCH(QString, text);
        QCOMPARE(Formatters::timeRemaining(seconds), text);
    }

    // Runs in order: the version and the model carry over between loads.
    void suggestionsMissingFile()
    {
        QFile::remove(Suggestions::filePath());
        QTest::ignoreMessage(QtDebugMsg, "Application: Failed to open suggestions file for reading");
        Suggestions::load();
        QCOMPARE(Suggestions::version(), -1);
        QCOMPARE(Suggestions::model()->rowCount(), 0);
    }

    void suggestionsRead()
    {
        writeSuggestions("<suggestions><version>7</version><suggestion>blonde</suggestion>"
                         "<suggestion>Ünïcode &amp; more</suggestion><suggestion>third</suggestion>"
                         "</suggestions>");
        Suggestions::load();
        QCOMPARE(Suggestions::version(), 7);
        QCOMPARE(Suggestions::model()->stringList(),
                 QStringList({"blonde", QString::fromUtf8("Ünïcode & more"), "third"}));
    }

    void suggestionsNonNumericVersionAndNoEntries()
    {
        writeSuggestions("<anyName><version>seven</version></anyName>");
        Suggestions::load();
        QCOMPARE(Suggestions::version(), 0);
        QCOMPARE(Suggestions::model()->rowCount(), 0);
    }

    void suggestionsMissingVersion()
    {
        writeSuggestions("<list><suggestion>a</suggestion></list>");
        Suggestions::load();
        QCOMPARE(Suggestions::version(), 0);
        QCOMPARE(Suggestions::model()->stringList(), QStringList({"a"}));
    }

    void suggestionsBrokenXmlKeepsWhatWasLoaded()
    {
        writeSuggestions("<list><suggestion>b</suggestion></list>");
        Suggestions::load();
        writeSuggestions("<list><suggestion>unclosed");
        QTest::ignoreMessage(QtDebugMsg, "Application: Failed to read contents of suggestions file");
        Suggestions::load();
        QCOMPARE(Suggestions::model()->stringList(), QStringList({"b"}));
    }
};

QTEST_GUILESS_MAIN(TestFormatters)
#include "tst_formatters.moc"
