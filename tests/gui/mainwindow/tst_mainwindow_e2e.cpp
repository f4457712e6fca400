// The desktop program as a user starts it, on a virtual X display: the main
// window comes back where and as large as it was left, and stays on screen.
#include "TestSupport.h"
#include "X11Windows.h"
#include "core/Version.h"

#include <QProcess>
#include <QSettings>
#include <QTest>

class TestMainWindowE2e : public QObject
{
    Q_OBJECT

private:
    QString m_program;
    X11Windows m_x;
    const QString m_title = QStringLiteral("Corvana Zelta " ZELTA_VERSION);

    // Starts the program, waits for its window and closes it like a window manager.
    void runOnce()
    {
        QProcess program;
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(m_program, {});
        QVERIFY(program.waitForStarted());
        const X11Windows::WindowId window = m_x.waitFor(m_title, 60000);
        QVERIFY(window);
        m_x.requestClose(window);
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    }

    static QSettings settings()
    {
        return QSettings(QStringLiteral("CorvanaZELTA"), QStringLiteral("CorvanaZELTA"));
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_program = TestSupport::builtProgram(QStringLiteral("corvana-zelta"));
        QVERIFY(!m_program.isEmpty());
        QVERIFY2(m_x.isOpen(), "needs an X display (run under xvfb-run)");
        // No site is needed to open the window; keep every address on loopback.
        QSettings store = settings();
        for (const char *key : {"membersUrl", "secureMembersUrl", "channelServerUrl", "updateUrl",
                                "updatePlainUrl", "errorReportUrl", "productSiteUrl", "helpUrl"})
            store.setValue(QStringLiteral("site/") + QLatin1String(key),
                           QStringLiteral("http://127.0.0.1:9"));
    }

    void windowComesBackAsLeft_data()
    {
        QTest::addColumn<QPoint>("savedPosition");
        QTest::addColumn<QSize>("savedSize");
        QTest::addColumn<QRect>("expected");
        // The display is 1600 x 1200 with no window manager.
        QTest::newRow("first start") << QPoint() << QSize() << QRect(0, 0, 1149, 614);
        QTest::newRow("moved and resized")
            << QPoint(60, 50) << QSize(900, 560) << QRect(60, 50, 900, 560);
        QTest::newRow("left on a screen now gone")
            << QPoint(4000, 3000) << QSize(900, 560) << QRect(349, 319, 900, 560);
        QTest::newRow("larger than the screen")
            << QPoint(0, 0) << QSize(2400, 1500) << QRect(0, 0, 1600, 1200);
    }

    void windowComesBackAsLeft()
    {
        QFETCH(QPoint, savedPosition);
        QFETCH(QSize, savedSize);
        QFETCH(QRect, expected);
        {
            QSettings store = settings();
            store.remove(QStringLiteral("WindowPosition"));
            store.remove(QStringLiteral("WindowSize"));
            if (savedSize.isValid()) {
                store.setValue(QStringLiteral("WindowPosition"), savedPosition);
                store.setValue(QStringLiteral("WindowSize"), savedSize);
            }
        }
        RUN_CHECKED(runOnce());
        QSettings store = settings();
        QCOMPARE(store.value(QStringLiteral("WindowSize")).toSize(), expected.size());
        if (savedSize.isValid())
            QCOMPARE(store.value(QStringLiteral("WindowPosition")).toPoint(), expected.topLeft());

        // What one run wrote, the next one restores unchanged.
        const QPoint position = store.value(QStringLiteral("WindowPosition")).toPoint();
        RUN_CHECKED(runOnce());
        store.sync();
        QCOMPARE(store.value(QStringLiteral("WindowSize")).toSize(), expected.size());
        QCOMPARE(store.value(QStringLiteral("WindowPosition")).toPoint(), position);
    }
};

QTEST_GUILESS_MAIN(TestMainWindowE2e)
#include "tst_mainwindow_e2e.moc"
