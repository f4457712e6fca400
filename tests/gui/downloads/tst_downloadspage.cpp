// The downloads page over a real download manager fetching from the demo
// site on 127.0.0.1: cards, their buttons and the page's bar.
#include "DownloadSiteFixture.h"
#include "TestSupport.h"
#include "downloads/Download.h"
#include "downloads/DownloadFailure.h"
#include "downloads/DownloadManager.h"
#include "downloads/DownloadRecords.h"
#include "gui/downloads/DownloadItem.h"
#include "gui/downloads/DownloadView.h"
#include "gui/downloads/DownloadWidget.h"
#include "library/Library.h"
#include "web/NetworkManager.h"
#include "web/SignInState.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>
#include <QtTest>

#include <memory>

class TestDownloadsPage : public QObject
{
    Q_OBJECT

private:
    QUrl synthetic(const QString &tag, int count, qint64 bytes, qint64 rate) const
    {
        return m_site->syntheticDescriptor(tag, count, bytes, rate);
    }

    struct Page
    {
        NetworkManager network;
        DownloadManager manager;
        // The page's rows are checked while downloads come and go.
        QAbstractItemModelTester tester{&manager,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest};
        DownloadWidget widget;
        Page(DownloadRecords *records, UserPrompt *prompt)
            : network(prompt), manager(&network, records, prompt), widget(&manager, prompt)
        {
            widget.resize(900, 700);
            widget.show();
        }
        DownloadItem *card(int row) const { return widget.view()->card(row); }
    };

    static QString rgbOf(const QPixmap &pixmap)
    {
        return pixmap.toImage().pixelColor(65, 50).name();
    }

    DownloadSiteFixture m_fixture;
    DemoSiteProcess *m_site = nullptr;
    ScriptedPrompt &m_prompt = m_fixture.prompt;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_fixture.start());
        m_site = m_fixture.site();
        DownloadItem::setUpdateInterval(50);
    }

    void init() { QVERIFY(m_fixture.freshHome()); }
    void cleanup() { SignInState::login(QStringLiteral("demo"), QStringLiteral("demo")); }

    // A download restored at start knows only its descriptor: the card says
    // so, with the default picture, until resuming fetches the descriptor.
    void restoredCardLoadsOnResume()
    {
        const QUrl descriptor = synthetic(QStringLiteral("kept"), 1, 2000000, 100000);
        const QUrl media =
            m_site->url(QStringLiteral("/media/blob/kept-1.mp4?bytes=2000000&rate=100000"));
        QVERIFY(m_fixture.records()->insert(descriptor, media, QString()));
        Page page(m_fixture.records(), &m_prompt);
        QCOMPARE(page.manager.rowCount(), 1);
        QPointer<DownloadItem> card = page.card(0);
        QVERIFY(card);
        Download *download = card->download();
        QCOMPARE(download->state(), Download::Paused);
        QCOMPARE(card->titleLabel()->text(), QStringLiteral("Loading download..."));
        QCOMPARE(card->statusLabel()->text(),
                 QStringLiteral("Status: <font color='#b94517'>Paused</font>"));
        QCOMPARE(card->pauseLook(), QStringLiteral("resume"));
        QCOMPARE(card->progressBar()->value(), 0);
        const QString defaultPicture = rgbOf(QPixmap(QStringLiteral(":/images/thumbnail.jpg")));
        QCOMPARE(rgbOf(card->thumbnailLabel()->pixmap()), defaultPicture);
        QCOMPARE(page.widget.view()->rowHeight(0), DownloadView::RowHeight);
        // The page's style sheet is in force.
        auto *title = page.widget.findChild<QLabel *>(QStringLiteral("downloadsTitle"));
        QVERIFY(title && title->font().bold());

        QTest::mouseClick(card->pauseButton(), Qt::LeftButton);
        QCOMPARE(card->pauseLook(), QStringLiteral("pause"));
        QTRY_COMPARE_WITH_TIMEOUT(card->titleLabel()->text(), QStringLiteral("kept 1"), 10000);
        QCOMPARE(download->state(), Download::Downloading);
        QCOMPARE(card->statusLabel()->text(),
                 QStringLiteral("Status: <font color='#4677a3'>Downloading</font>"));
        QVERIFY(card->metaDataLabel()->text().contains(QLatin1String("Generated")));
        QTRY_VERIFY_WITH_TIMEOUT(card->infoLabel()->text().contains(QLatin1String(" of 2.0 MB (")),
                                 10000);
        QTRY_VERIFY_WITH_TIMEOUT(rgbOf(card->thumbnailLabel()->pixmap()) != defaultPicture, 10000);

        QTest::mouseClick(card->pauseButton(), Qt::LeftButton);
        QCOMPARE(download->state(), Download::Paused);
        QCOMPARE(card->pauseLook(), QStringLiteral("resume"));
        QVERIFY(card->infoLabel()->text().isEmpty());
        QVERIFY(QFileInfo::exists(download->mediaPath()));
        download->cancel();
    }

    // A stored whole item shows its title and progress at once; one the site
    // no longer offers says so, with Retry and Remove; Remove deletes the
    // partial file and the record.
    void withdrawnCardShowsReasonAndRemove()
    {
        const QString path =
            QDir(Library::libraryPath()).absoluteFilePath(QStringLiteral("Old one/Old one.mp4"));
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        {
            QFile partial(path);
            QVERIFY(partial.open(QIODevice::WriteOnly));
            partial.write(DemoSiteProcess::blob(40000));
        }
        DownloadRecords::Row row;
        row.corvanaUrl = synthetic(QStringLiteral("old"), 1, 100000, 0);
        row.mediaUrl = m_site->url(QStringLiteral("/media/blob/old-1.mp4?bytes=100000"));
        row.downloadPath = path;
        CorvanaMedia media;
        media.url = row.mediaUrl;
        media.title = QStringLiteral("Old one");
        media.size = 100000;
        media.fileType = QStringLiteral("mp4");
        row.item.setMedia(media);
        row.item.setGuid(QStringLiteral("old-1"));
        row.item.setTitle(QStringLiteral("Old one"));
        row.item.setDescription(QStringLiteral("Kept with its record"));
        row.failureKind = DownloadFailure::Withdrawn;
        row.failureText = DownloadFailure::withdrawn().message();
        QVERIFY(m_fixture.records()->insert(row));

        Page page(m_fixture.records(), &m_prompt);
        QCOMPARE(page.manager.rowCount(), 1);
        DownloadItem *card = page.card(0);
        QVERIFY(card);
        QCOMPARE(card->titleLabel()->text(), QStringLiteral("Old one"));
        QCOMPARE(card->progressBar()->value() * 100 / card->progressBar()->maximum(), 40);
        QVERIFY(card->failureLabel()->isVisible());
        QCOMPARE(card->failureLabel()->text(),
                 QStringLiteral("The site no longer offers this video"));
        QVERIFY(card->retryButton()->isVisible());
        QVERIFY(card->removeButton()->isVisible());
        QCOMPARE(card->removeButton()->accessibleName(), QStringLiteral("Remove"));
        page.widget.grab().save(QStringLiteral("/tmp/download-withdrawn.png"));

        m_prompt.answers = {UserPrompt::Yes};
        QTest::mouseClick(card->removeButton(), Qt::LeftButton);
        QCOMPARE(page.manager.rowCount(), 0);
        QVERIFY(!QFileInfo::exists(path));
        QTRY_VERIFY_WITH_TIMEOUT(m_fixture.records()->allRows().isEmpty(), 10000);
    }

    // Reports come faster than the card shows them; whatever the timing, the
    // card ends on the download's last state.
    void cardEndsOnLastProgress()
    {
        Page page(m_fixture.records(), &m_prompt);
        page.manager.initializeDownload(synthetic(QStringLiteral("last"), 1, 3000000, 400000));
        QTRY_VERIFY_WITH_TIMEOUT(page.card(0), 10000);
        DownloadItem *card = page.card(0);
        Download *download = card->download();
        QTRY_VERIFY_WITH_TIMEOUT(download->bytesWritten() > 500000, 15000);
        page.widget.hide(); // a hidden page shows nothing, and catches up when shown
        QTest::qWait(300);
        download->pause();
        page.widget.show();
        const DownloadProgress::Bar bar = download->progressBar();
        QTRY_COMPARE_WITH_TIMEOUT(card->progressBar()->value(), bar.value, TestSupport::SlowWaitMs);
        QCOMPARE(card->progressBar()->maximum(), bar.maximum);
        QVERIFY(bar.value > 0);
        QVERIFY(card->infoLabel()->text().isEmpty());
        download->cancel();
    }

    // A size over 2 GiB (announced by the descriptor) fills the bar in
    // proportion, never negative or wrapped.
    void barIsRightAboveTwoGiB()
    {
        const qint64 size = qint64(3) * 1024 * 1024 * 1024;
        Page page(m_fixture.records(), &m_prompt);
        page.manager.initializeDownload(synthetic(QStringLiteral("huge"), 1, size, 4000000));
        QTRY_VERIFY_WITH_TIMEOUT(page.card(0), 10000);
        DownloadItem *card = page.card(0);
        Download *download = card->download();
        QTRY_VERIFY_WITH_TIMEOUT(download->bytesWritten() > 2000000, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(card->infoLabel()->text().contains(QLatin1String(" of 3.2 GB (")),
                                 5000);
        download->pause();
        QTRY_COMPARE_WITH_TIMEOUT(card->progressBar()->value(), download->progressBar().value,
                                  TestSupport::SlowWaitMs);
        const QProgressBar *bar = card->progressBar();
        QVERIFY(bar->maximum() > 0);
        QVERIFY(bar->value() > 0);
        const double shown = double(bar->value()) / bar->maximum();
        const double actual = double(download->bytesWritten()) / size;
        QVERIFY2(qAbs(shown - actual) < 0.001,
                 qPrintable(QStringLiteral("%1 vs %2").arg(shown).arg(actual)));
        download->cancel();
    }

    void cancelAsksAndRemovesTheRow()
    {
        Page page(m_fixture.records(), &m_prompt);
        page.manager.initializeDownload(synthetic(QStringLiteral("gone"), 1, 2000000, 100000));
        QTRY_VERIFY_WITH_TIMEOUT(page.card(0), 10000);
        QPointer<DownloadItem> card = page.card(0);
        Download *download = card->download();
        // The transfer starts once the store has written the download's record.
        QTRY_COMPARE_WITH_TIMEOUT(download->state(), Download::Downloading, 10000);

        m_prompt.answers = {UserPrompt::No};
        QTest::mouseClick(card->cancelButton(), Qt::LeftButton);
        QCOMPARE(m_prompt.messages.size(), 1);
        QCOMPARE(m_prompt.messages.first().kind, QStringLiteral("question"));
        QCOMPARE(m_prompt.messages.first().title, QStringLiteral("CorvanaZELTA"));
        QCOMPARE(m_prompt.messages.first().text,
                 QStringLiteral("Are you sure you want to remove this download?"));
        QCOMPARE(page.manager.rowCount(), 1);
        QCOMPARE(download->state(), Download::Downloading);

        const QString path = download->mediaPath();
        m_prompt.answers = {UserPrompt::Yes};
        QTest::mouseClick(card->cancelButton(), Qt::LeftButton);
        QCOMPARE(page.manager.rowCount(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(card.isNull(), TestSupport::SlowWaitMs);
        QVERIFY(!QFileInfo::exists(path));
    }

    // A failed download's card says why and offers what mends it: Retry,
    // or Sign In when the site refused the member's password.
    void failedCardShowsReasonAndRetry_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("words");
        QTest::addColumn<QString>("button");
        QTest::newRow("site problem") << "500"
                                      << "The site had a problem"
                                      << "Retry";
        QTest::newRow("wrong password") << "password"
                                        << "user name or password"
                                        << "Sign In";
    }
    void failedCardShowsReasonAndRetry()
    {
        QFETCH(QString, fault);
        QFETCH(QString, words);
        QFETCH(QString, button);
        Page page(m_fixture.records(), &m_prompt);
        page.manager.setRetryDelays([](int) { return 60 * 60 * 1000; });
        if (fault == QLatin1String("password"))
            SignInState::login(QStringLiteral("demo"), QStringLiteral("not the password"));
        else
            m_site->control(QStringLiteral("/control/fault?name=") + fault);
        page.manager.initializeDirectDownload(
            m_site->url(QStringLiteral("/media/blob/card.mp4?bytes=300000")), true);
        QTRY_VERIFY_WITH_TIMEOUT(page.card(0), 10000);
        DownloadItem *card = page.card(0);
        QTRY_VERIFY_WITH_TIMEOUT(card->failureLabel()->isVisible(), 10000);
        QVERIFY2(card->failureLabel()->text().contains(words),
                 qPrintable(card->failureLabel()->text()));
        QVERIFY(card->retryButton()->isVisible());
        QCOMPARE(card->retryButton()->text(), button);
        QCOMPARE(card->retryButton()->accessibleName(), button);
        const QString folder = qEnvironmentVariable("ZELTA_SCREENSHOTS");
        if (!folder.isEmpty())
            page.widget.grab().save(
                QDir(folder).filePath(QStringLiteral("download-failed-%1.png")
                                          .arg(QTest::currentDataTag())
                                          .replace(QLatin1Char(' '), QLatin1Char('-'))));

        const QString path = card->download()->mediaPath();
        QSignalSpy signIn(&page.widget, &DownloadWidget::signInRequested);
        QSignalSpy finished(&page.manager, &DownloadManager::finished);
        m_site->control(QStringLiteral("/control/fault?name="));
        QTest::mouseClick(card->retryButton(), Qt::LeftButton);
        if (fault == QLatin1String("password")) {
            QCOMPARE(signIn.size(), 1); // the window shows the site's sign-in
            SignInState::login(QStringLiteral("demo"), QStringLiteral("demo"));
            page.manager.resumeAll(); // what completing the sign-in does
        }
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 15000);
        QCOMPARE(DemoSiteProcess::fileSha256(path),
                 DemoSiteProcess::sha256(DemoSiteProcess::blob(300000)));
    }

    void barButtonsActOnEveryDownload()
    {
        Page page(m_fixture.records(), &m_prompt);
        page.manager.initializeDownload(synthetic(QStringLiteral("all"), 3, 2000000, 100000));
        QTRY_COMPARE_WITH_TIMEOUT(page.manager.rowCount(), 3, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(page.card(2), TestSupport::SlowWaitMs);

        QTest::mouseClick(page.widget.pauseAllButton(), Qt::LeftButton);
        for (int row = 0; row < 3; ++row) {
            QCOMPARE(page.card(row)->download()->state(), Download::Paused);
            QCOMPARE(page.card(row)->pauseLook(), QStringLiteral("resume"));
        }
        QTest::mouseClick(page.widget.resumeAllButton(), Qt::LeftButton);
        for (int row = 0; row < 3; ++row)
            QTRY_COMPARE_WITH_TIMEOUT(page.card(row)->download()->state(), Download::Downloading,
                                      10000);

        // Selecting a row paints its card selected, and the previous one plain.
        page.widget.view()->selectRow(1);
        QVERIFY(page.card(1)->isSelected());
        page.widget.view()->selectRow(2);
        QVERIFY(!page.card(1)->isSelected());
        QVERIFY(page.card(2)->isSelected());

        m_prompt.answers = {UserPrompt::Yes};
        QTest::mouseClick(page.widget.removeAllButton(), Qt::LeftButton);
        QCOMPARE(page.manager.rowCount(), 0);
    }

    // The card of a queued download pauses it, then resumes it: it runs at
    // once beside the five active ones, on a transfer thread none of them
    // holds, and stops again with Pause All.
    void queuedCardRunsOnItsOwnThread()
    {
        Page page(m_fixture.records(), &m_prompt);
        page.manager.initializeDownload(synthetic(QStringLiteral("six"), 6, 4000000, 50000));
        QTRY_COMPARE_WITH_TIMEOUT(page.manager.rowCount(), 6, 10000);
        QTRY_VERIFY(page.card(5));
        DownloadItem *card = page.card(5);
        Download *queued = card->download();
        QCOMPARE(queued->state(), Download::Queued);
        QCOMPARE(card->pauseLook(), QStringLiteral("pause"));

        page.widget.view()->scrollTo(page.manager.index(5));
        QTRY_VERIFY(card->pauseButton()->isVisible() &&
                    page.widget.view()->viewport()->rect().contains(
                        card->pauseButton()->mapTo(page.widget.view()->viewport(), QPoint(4, 4))));
        QTest::mouseClick(card->pauseButton(), Qt::LeftButton);
        QCOMPARE(queued->state(), Download::Paused);
        QCOMPARE(card->pauseLook(), QStringLiteral("resume"));
        QTest::mouseClick(card->pauseButton(), Qt::LeftButton);
        QCOMPARE(card->pauseLook(), QStringLiteral("pause"));
        QList<Download *> active = page.manager.activeDownloads();
        active.removeAll(queued); // the five it runs beside
        QTRY_COMPARE_WITH_TIMEOUT(queued->state(), Download::Downloading, 10000);
        for (Download *d : active)
            QTRY_COMPARE_WITH_TIMEOUT(d->state(), Download::Downloading, 10000);
        QVERIFY(page.manager.activeDownloads().contains(queued)); // beside the five
        for (Download *d : active)
            QVERIFY(d->transferThread() != queued->transferThread());
        QTRY_VERIFY_WITH_TIMEOUT(!card->infoLabel()->text().isEmpty(), 10000);
        const QString folder = qEnvironmentVariable("ZELTA_SCREENSHOTS");
        if (!folder.isEmpty())
            page.widget.grab().save(
                QDir(folder).filePath(QStringLiteral("download-queued-resumed.png")));

        QTest::mouseClick(page.widget.pauseAllButton(), Qt::LeftButton);
        QCOMPARE(queued->state(), Download::Paused);
        QCOMPARE(card->pauseLook(), QStringLiteral("resume"));
        m_prompt.answers = {UserPrompt::Yes};
        QTest::mouseClick(page.widget.removeAllButton(), Qt::LeftButton);
        QCOMPARE(page.manager.rowCount(), 0);
    }
};

QTEST_MAIN(TestDownloadsPage)
#include "tst_downloadspage.moc"
