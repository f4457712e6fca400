#include "TestSupport.h"
#include "core/AppIdentity.h"
#include "core/Formatters.h"
#include "web/Suggestions.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStringListModel>
#include <QTest>

#include <limits>

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

    // Decimal units (1 kB = 1000 bytes) in the default locale's notation.
    void byteSize_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        const QLocale c = QLocale::c();
        const QLocale de(QLocale::German, QLocale::Germany);
        const QLocale fr(QLocale::French, QLocale::France);
        QTest::newRow("zero") << c << qint64(0) << "0 bytes";
        QTest::newRow("negative") << c << qint64(-5) << "-5 bytes";
        QTest::newRow("512") << c << qint64(512) << "512 bytes";
        QTest::newRow("999") << c << qint64(999) << "999 bytes";
        QTest::newRow("1000") << c << qint64(1000) << "1.0 kB";
        QTest::newRow("1024") << c << qint64(1024) << "1.0 kB";
        QTest::newRow("1.5 kB") << c << qint64(1536) << "1.5 kB";
        QTest::newRow("rounds up to the next unit") << c << qint64(999999) << "1.0 MB";
        QTest::newRow("just below") << c << qint64(999949) << "999.9 kB";
        QTest::newRow("1.9 MB") << c << qint64(1900000) << "1.9 MB";
        QTest::newRow("1 GB") << c << qint64(1000000000) << "1.0 GB";
        QTest::newRow("DVD") << c << qint64(4700000000) << "4.7 GB";
        QTest::newRow("beyond GB") << c << qint64(5000) * 1000000000 << "5000.0 GB";
        QTest::newRow("US grouping") << QLocale(QLocale::English, QLocale::UnitedStates)
                                     << qint64(5000) * 1000000000 << "5,000.0 GB";
        QTest::newRow("German comma") << de << qint64(1900000) << "1,9 MB";
        QTest::newRow("German bytes") << de << qint64(12) << "12 bytes";
        QTest::newRow("French comma") << fr << qint64(1536) << "1,5 kB";
        QTest::newRow("German negative") << de << qint64(-1536) << "-1,5 kB";
    }

    void byteSize()
    {
        QFETCH(QLocale, locale);
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QLocale::setDefault(locale);
        QCOMPARE(Formatters::byteSize(bytes), text);
        QLocale::setDefault(QLocale::c());
    }

    // The locale's own short date: the day first where the locale writes it first.
    void shortDate_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::newRow("US") << QLocale(QLocale::English, QLocale::UnitedStates) << "12/7/26";
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << "07.12.26";
        QTest::newRow("French") << QLocale(QLocale::French, QLocale::France) << "07/12/2026";
        QTest::newRow("Spanish") << QLocale(QLocale::Spanish, QLocale::Spain) << "7/12/26";
        QTest::newRow("British") << QLocale(QLocale::English, QLocale::UnitedKingdom)
                                 << "07/12/2026";
    }

    void shortDate()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QLocale::setDefault(locale);
        // Late in the evening: the local date, not the UTC one, is shown.
        const QDateTime evening(QDate(2026, 12, 7), QTime(23, 30));
        QCOMPARE(Formatters::shortDate(evening), text);
        QLocale::setDefault(QLocale::c());
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
    void durationText_data()
    {
        QTest::addColumn<qint64>("milliseconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << "0:00:00.000";
        QTest::newRow("one hour one minute") << qint64(3661001) << "1:01:01.001";
        QTest::newRow("just below a day") << qint64(86399999) << "23:59:59.999";
        QTest::newRow("past a day") << qint64(90061000) << "25:01:01.000";
        QTest::newRow("beyond 32 bits") << qint64(3) * 1000 * 3600 * 1000 << "3000:00:00.000";
        QTest::newRow("negative") << qint64(-1) << "";
    }

    void durationText()
    {
        QFETCH(qint64, milliseconds);
        QFETCH(QString, text);
        QCOMPARE(Formatters::durationText(milliseconds), text);
    }

    void durationFromSeconds_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<qint64>("milliseconds");
        QTest::newRow("zero") << 0.0 << true << qint64(0);
        QTest::newRow("fraction") << 1.2345 << true << qint64(1235);
        QTest::newRow("past a day") << 90061.0 << true << qint64(90061000);
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << false << qint64(0);
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << false << qint64(0);
        QTest::newRow("1e300") << 1e300 << false << qint64(0);
        QTest::newRow("negative") << -1.0 << false << qint64(0);
    }

    void durationFromSeconds()
    {
        QFETCH(double, seconds);
        QFETCH(bool, valid);
        QFETCH(qint64, milliseconds);
        qint64 result = 0;
        QCOMPARE(Formatters::durationMilliseconds(seconds, &result), valid);
        if (valid)
            QCOMPARE(result, milliseconds);
    }

    void suggestionsMissingFile()
    {
        QFile::remove(Suggestions::filePath());
        QTest::ignoreMessage(QtDebugMsg,
                             "Application: Failed to open suggestions file for reading");
        Suggestions::load();
        QCOMPARE(Suggestions::version(), -1);
        QCOMPARE(Suggestions::model()->rowCount(), 0);
    }

    void suggestionsRead()
    {
        RUN_CHECKED(writeSuggestions(
            "<suggestions><version>7</version><suggestion>blonde</suggestion>"
            "<suggestion>Ünïcode &amp; more</suggestion><suggestion>third</suggestion>"
            "</suggestions>"));
        Suggestions::load();
        QCOMPARE(Suggestions::version(), 7);
        QCOMPARE(Suggestions::model()->stringList(),
                 QStringList({"blonde", QString::fromUtf8("Ünïcode & more"), "third"}));
    }

    void suggestionsNonNumericVersionAndNoEntries()
    {
        RUN_CHECKED(writeSuggestions("<anyName><version>seven</version></anyName>"));
        Suggestions::load();
        QCOMPARE(Suggestions::version(), 0);
        QCOMPARE(Suggestions::model()->rowCount(), 0);
    }

    void suggestionsMissingVersion()
    {
        RUN_CHECKED(writeSuggestions("<list><suggestion>a</suggestion></list>"));
        Suggestions::load();
        QCOMPARE(Suggestions::version(), 0);
        QCOMPARE(Suggestions::model()->stringList(), QStringList({"a"}));
    }

    void suggestionsBrokenXmlKeepsWhatWasLoaded()
    {
        RUN_CHECKED(writeSuggestions("<list><suggestion>b</suggestion></list>"));
        Suggestions::load();
        RUN_CHECKED(writeSuggestions("<list><suggestion>unclosed"));
        QTest::ignoreMessage(QtDebugMsg,
                             "Application: Failed to read contents of suggestions file");
        Suggestions::load();
        QCOMPARE(Suggestions::model()->stringList(), QStringList({"b"}));
    }
};

QTEST_GUILESS_MAIN(TestFormatters)
#include "tst_formatters.moc"
