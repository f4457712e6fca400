// The downloads page over a real download manager fetching from the demo
// site on 127.0.0.1: what each card's row tells, its drawn buttons under the
// mouse, the keyboard and a screen reader, and the page's bar.
#include "DownloadSiteFixture.h"
#include "Screenshots.h"
#include "TestSupport.h"
#include "downloads/Download.h"
#include "downloads/DownloadFailure.h"
#include "downloads/DownloadManager.h"
#include "downloads/DownloadRecords.h"
#include "gui/common/ItemChangeNotices.h"
#include "gui/downloads/DownloadListModel.h"
#include "gui/downloads/DownloadView.h"
#include "gui/downloads/DownloadWidget.h"
#include "library/Library.h"
#include "web/Account.h"
#include "web/NetworkManager.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QtTest>

#include <memory>

using Role = DownloadListModel::Role;
using Action = DownloadCard::Action;

// What a screen reader hears of the painted cards while it listens: the
// notices of a changed name, description or set of buttons, with what the
// card said when each came. (The framework hands notices to its own update
// handler only while a platform screen reader is active, which the
// offscreen platform never is, so the cards' notices are heard directly.)
class HeardNotices
{
public:
    struct Notice
    {
        QAccessible::Event type;
        QAccessible::Id item;
        QString name;
        QString description;
        qint64 at; // ms since listening began
    };

    HeardNotices()
    {
        m_clock.start();
        ItemChangeNotices::setListener([this](QAccessibleEvent *event) { hear(event); });
    }
    ~HeardNotices() { ItemChangeNotices::setListener({}); }
    HeardNotices(const HeardNotices &) = delete;
    HeardNotices &operator=(const HeardNotices &) = delete;

    qint64 now() const { return m_clock.elapsed(); }
    QList<Notice> of(QAccessibleInterface *item, QAccessible::Event type, qint64 since = 0) const
    {
        QList<Notice> found;
        for (const Notice &notice : m_heard) {
            if (notice.item == QAccessible::uniqueId(item) && notice.type == type &&
                notice.at >= since)
                found << notice;
        }
        return found;
    }

private:
    void hear(QAccessibleEvent *event)
    {
        QAccessibleInterface *item = event->accessibleInterface();
        QVERIFY(item);
        m_heard << Notice{event->type(), QAccessible::uniqueId(item), item->text(QAccessible::Name),
                          item->text(QAccessible::Description), m_clock.elapsed()};
    }

    QElapsedTimer m_clock;
    QList<Notice> m_heard;
};

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
        Account account;
        NetworkManager network;
        DownloadManager manager;
        DownloadWidget widget;
        // The page's rows are checked while downloads come and go.
        QAbstractItemModelTester tester{widget.view()->listModel(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest};
        Page(DownloadRecords *records, UserPrompt *prompt)
            : network(&account, prompt), manager(&network, records, prompt),
              widget(&manager, prompt)
        {
            account.login(QStringLiteral("demo"), QStringLiteral("demo"));
            widget.resize(900, 700);
            widget.show();
        }
        DownloadView *view() const { return widget.view(); }
        DownloadListModel *model() const { return widget.view()->listModel(); }
        QModelIndex row(int r) const { return model()->index(r, 0); }
        QVariant value(int r, Role role) const { return row(r).data(role); }
        Download *download(int r) const { return model()->download(row(r)); }
        DownloadCard::Actions actions(int r) const { return view()->actions(row(r)); }
        // Clicks where the card draws the button; false when it draws none
        // there, or it is not on screen.
        bool click(int r, Action action) const
        {
            view()->scrollTo(row(r));
            const QRect button = view()->buttonRect(row(r), action);
            if (button.isEmpty() || !view()->viewport()->rect().contains(button))
                return false;
            QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, button.center());
            return true;
        }
    };

    // The colour in the middle of the picture a row's card draws.
    static QString pictureColour(Page &page, int row)
    {
        const QPoint at =
            page.view()->visualRect(page.row(row)).topLeft() + QPoint(14 + 20, 12 + 20);
        return page.view()->viewport()->grab().toImage().pixelColor(at).name();
    }

    DownloadSiteFixture m_fixture;
    DemoSiteProcess *m_site = nullptr;
    ScriptedPrompt &m_prompt = m_fixture.prompt;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_fixture.start());
        m_site = m_fixture.site();
        DownloadListModel::setUpdateInterval(50);
    }

    void init() { QVERIFY(m_fixture.freshHome()); }

    // A download restored at start knows only its descriptor: its card says
    // so, with the default picture, until resuming fetches the descriptor;
    // then it tells title, description, progress, speed and time left.
    void restoredCardLoadsOnResume()
    {
        const QUrl descriptor = synthetic(QStringLiteral("kept"), 1, 2000000, 100000);
        const QUrl media =
            m_site->url(QStringLiteral("/media/blob/kept-1.mp4?bytes=2000000&rate=100000"));
        QVERIFY(m_fixture.records()->insert(descriptor, media, QString()));
        Page page(m_fixture.records(), &m_prompt);
        QCOMPARE(page.model()->rowCount(), 1);
        Download *download = page.download(0);
        QVERIFY(download);
        QCOMPARE(download->state(), Download::Paused);
        QCOMPARE(page.value(0, Role::TitleRole).toString(), QStringLiteral("Loading download..."));
        QCOMPARE(page.value(0, Role::StatusRole).toString(), QStringLiteral("Paused"));
        QCOMPARE(page.value(0, Role::StatusColorRole).value<QColor>().name(),
                 QStringLiteral("#b94517"));
        QCOMPARE(page.actions(0),
                 (DownloadCard::Actions{Action::Play, Action::Resume, Action::Cancel}));
        QCOMPARE(page.value(0, Role::ProgressRole).toDouble(), 0.0);
        QCOMPARE(page.value(0, Role::SpeedRole).toDouble(), -1.0);
        const QPixmap defaultPicture = page.value(0, Role::PictureRole).value<QPixmap>();
        const QString defaultColour = pictureColour(page, 0);
        QVERIFY(page.view()->visualRect(page.row(0)).height() >= DownloadCard::Height);
        // The page's style sheet is in force.
        auto *title = page.widget.findChild<QLabel *>(QStringLiteral("downloadsTitle"));
        QVERIFY(title && title->font().bold());

        QVERIFY(page.click(0, Action::Resume));
        QCOMPARE(page.actions(0).at(1), Action::Pause);
        QTRY_COMPARE_WITH_TIMEOUT(page.value(0, Role::TitleRole).toString(),
                                  QStringLiteral("kept 1"), 10000);
        QCOMPARE(download->state(), Download::Downloading);
        QCOMPARE(page.value(0, Role::StateRole).toInt(), int(Download::Downloading));
        QCOMPARE(page.value(0, Role::StatusColorRole).value<QColor>().name(),
                 QStringLiteral("#4677a3"));
        QVERIFY(
            page.value(0, Role::DescriptionRole).toString().contains(QLatin1String("Generated")));
        QTRY_VERIFY_WITH_TIMEOUT(page.value(0, Role::ProgressTextRole)
                                     .toString()
                                     .contains(QLatin1String(" of 2.0 MB (")),
                                 10000);
        QTRY_VERIFY_WITH_TIMEOUT(page.value(0, Role::ProgressRole).toDouble() > 0, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(page.value(0, Role::SpeedRole).toDouble() > 0, 10000);
        QVERIFY(page.value(0, Role::TimeLeftRole).toDouble() > 0);
        QTRY_VERIFY_WITH_TIMEOUT(page.value(0, Role::PictureRole).value<QPixmap>().toImage() !=
                                     defaultPicture.toImage(),
                                 10000);
        // ... and the card draws it.
        QTRY_VERIFY_WITH_TIMEOUT(pictureColour(page, 0) != defaultColour, 10000);

        QVERIFY(page.click(0, Action::Pause));
        QCOMPARE(download->state(), Download::Paused);
        QCOMPARE(page.actions(0).at(1), Action::Resume);
        QVERIFY(page.value(0, Role::ProgressTextRole).toString().isEmpty());
        QCOMPARE(page.value(0, Role::TimeLeftRole).toDouble(), -1.0);
        QVERIFY(QFileInfo::exists(download->mediaPath()));
        download->cancel();
    }

    // A stored whole item shows its title and progress at once; one the site
    // no longer offers says so, with Retry and Remove, also to a screen
    // reader; Remove deletes the partial file and the record.
    void withdrawnCardShowsReasonAndRemove()
    {
        const QString path =
            QDir(m_fixture.libraryFolder()).absoluteFilePath(QStringLiteral("Old one/Old one.mp4"));
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
        row.item.setStars(QStringLiteral("Ann Lee"));
        row.failureKind = DownloadFailure::Withdrawn;
        row.failureText = DownloadFailure::withdrawn().message();
        QVERIFY(m_fixture.records()->insert(row));

        Page page(m_fixture.records(), &m_prompt);
        QCOMPARE(page.model()->rowCount(), 1);
        QCOMPARE(page.value(0, Role::TitleRole).toString(), QStringLiteral("Old one"));
        QCOMPARE(page.value(0, Role::StarringRole).toString(), QStringLiteral("Starring: Ann Lee"));
        QVERIFY(page.value(0, Role::TagsRole).toString().isEmpty());
        QCOMPARE(qRound(page.value(0, Role::ProgressRole).toDouble() * 100), 40);
        QCOMPARE(page.value(0, Role::StatusRole).toString(), QStringLiteral("Failed"));
        QCOMPARE(page.value(0, Role::ReasonRole).toString(),
                 QStringLiteral("The site no longer offers this video"));
        QCOMPARE(page.value(0, Role::FailureKindRole).toInt(), int(DownloadFailure::Withdrawn));
        QCOMPARE(page.actions(0),
                 (DownloadCard::Actions{Action::Play, Action::Resume, Action::Cancel, Action::Retry,
                                        Action::Remove}));
        // Retry and Remove sit on the line below the bar, side by side.
        const QRect retry = page.view()->buttonRect(page.row(0), Action::Retry);
        const QRect remove = page.view()->buttonRect(page.row(0), Action::Remove);
        QVERIFY(retry.right() < remove.left());
        QCOMPARE(retry.top(), remove.top());
        QVERIFY(page.view()->viewport()->rect().contains(remove));

        // A screen reader finds the card by its title, why it stopped, and
        // its buttons by name.
        QAccessibleInterface *list = QAccessible::queryAccessibleInterface(page.view());
        QVERIFY(list);
        QCOMPARE(list->role(), QAccessible::List);
        QCOMPARE(list->text(QAccessible::Name), QStringLiteral("Downloads"));
        QCOMPARE(list->childCount(), 1);
        QAccessibleInterface *card = list->child(0);
        QCOMPARE(card->role(), QAccessible::ListItem);
        QCOMPARE(card->text(QAccessible::Name), QStringLiteral("Old one"));
        QVERIFY2(card->text(QAccessible::Description)
                     .contains(QLatin1String("The site no longer offers this video")),
                 qPrintable(card->text(QAccessible::Description)));
        QStringList names;
        for (int i = 0; i < card->childCount(); ++i) {
            QAccessibleInterface *button = card->child(i);
            QCOMPARE(button->role(), QAccessible::Button);
            QCOMPARE(button->parent(), card);
            QCOMPARE(card->indexOfChild(button), i);
            QVERIFY(!button->rect().isEmpty());
            names << button->text(QAccessible::Name);
        }
        QCOMPARE(names, (QStringList{"Play", "Resume", "Cancel", "Retry", "Remove"}));
        Screenshots::keep(&page.widget, QStringLiteral("download-withdrawn.png"));

        m_prompt.answers = {UserPrompt::Yes};
        QVERIFY(page.click(0, Action::Remove));
        QCOMPARE(m_prompt.messages.size(), 1);
        QCOMPARE(page.manager.rowCount(), 0);
        QVERIFY(!QFileInfo::exists(path));
        QTRY_VERIFY_WITH_TIMEOUT(m_fixture.records()->allRows().isEmpty(), 10000);
    }

    // Restored downloads whose thumbnails came before the media: each card
    // draws its own thumbnail (read off the window's thread), one that
    // cannot be read keeps the default picture, and a thumbnail fetched
    // anew replaces the one drawn.
    void restoredCardsDrawTheirThumbnails()
    {
        struct Kept
        {
            QString title;
            QColor colour; // invalid: the thumbnail file is not a picture
        };
        const QList<Kept> kept{{QStringLiteral("Red barn"), QColor(200, 20, 20)},
                               {QStringLiteral("Broken picture"), QColor()},
                               {QStringLiteral("Green field"), QColor(20, 180, 40)}};
        for (const Kept &one : kept) {
            const QString path = QDir(m_fixture.libraryFolder())
                                     .absoluteFilePath(one.title + '/' + one.title + ".mp4");
            QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
            DownloadRecords::Row row;
            row.corvanaUrl = synthetic(one.title.section(' ', 0, 0), 1, 100000, 0);
            row.mediaUrl = m_site->url(QStringLiteral("/media/blob/kept.mp4?bytes=100000"));
            row.downloadPath = path;
            CorvanaMedia media;
            media.url = row.mediaUrl;
            media.title = one.title;
            media.size = 100000;
            media.fileType = QStringLiteral("mp4");
            row.item.setMedia(media);
            row.item.setGuid(one.title);
            row.item.setTitle(one.title);
            QVERIFY(m_fixture.records()->insert(row));
            Download where(nullptr, nullptr, m_fixture.location(), row.corvanaUrl, false);
            where.setItem(row.item);
            where.setMediaPath(path);
            QFile thumbnail(where.thumbnailPath());
            QVERIFY(thumbnail.open(QIODevice::WriteOnly));
            if (one.colour.isValid()) {
                QImage picture(640, 360, QImage::Format_RGB32);
                picture.fill(one.colour);
                QVERIFY(picture.save(&thumbnail, "JPG"));
            } else {
                thumbnail.write("not a picture at all");
            }
        }

        Page page(m_fixture.records(), &m_prompt);
        QCOMPARE(page.model()->rowCount(), kept.size());
        const auto near = [](const QString &drawn, const QColor &wanted) {
            const QColor colour(drawn);
            return qAbs(colour.red() - wanted.red()) < 24 &&
                   qAbs(colour.green() - wanted.green()) < 24 &&
                   qAbs(colour.blue() - wanted.blue()) < 24;
        };
        int broken = -1;
        for (int r = 0; r < kept.size(); ++r) {
            const auto one = std::find_if(kept.begin(), kept.end(), [&](const Kept &k) {
                return k.title == page.value(r, Role::TitleRole).toString();
            });
            QVERIFY(one != kept.end());
            if (!one->colour.isValid()) {
                broken = r;
                continue;
            }
            QTRY_VERIFY2_WITH_TIMEOUT(near(pictureColour(page, r), one->colour),
                                      qPrintable(one->title + ": " + pictureColour(page, r)),
                                      10000);
        }
        // The unreadable one shows the default picture once its read failed.
        QVERIFY(broken >= 0);
        const QSize box(DownloadCard::PictureWidth, DownloadCard::PictureHeight);
        const QImage defaultPicture =
            QPixmap(QStringLiteral(":/images/thumbnail.jpg"))
                .scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                .toImage();
        QVERIFY(!defaultPicture.isNull());
        QCOMPARE(page.value(broken, Role::PictureRole).value<QPixmap>().toImage(), defaultPicture);

        // A thumbnail fetched anew (a renewed item) is read again.
        const int first = broken == 0 ? 1 : 0;
        Download *download = page.download(first);
        QImage blue(640, 360, QImage::Format_RGB32);
        blue.fill(QColor(20, 40, 210));
        QVERIFY(blue.save(download->thumbnailPath(), "JPG"));
        Q_EMIT download->updateThumbnail();
        QTRY_VERIFY2_WITH_TIMEOUT(near(pictureColour(page, first), QColor(20, 40, 210)),
                                  qPrintable(pictureColour(page, first)), 10000);
        Screenshots::keep(&page.widget, QStringLiteral("download-thumbnails.png"));
    }

    // Reports come faster than the rows tell them: each tells its own row
    // alone, no more often than the interval allows, and the row ends on the
    // download's last state.
    void progressTellsItsRowOnly()
    {
        Page page(m_fixture.records(), &m_prompt);
        page.manager.initializeDownload(synthetic(QStringLiteral("last"), 2, 3000000, 400000));
        QTRY_COMPARE_WITH_TIMEOUT(page.model()->rowCount(), 2, 10000);
        Download *download = page.download(0);
        QTRY_COMPARE_WITH_TIMEOUT(page.download(1)->state(), Download::Downloading, 10000);

        QHash<int, int> progressTold;
        int wide = 0;
        QElapsedTimer clock;
        clock.start();
        connect(page.model(), &QAbstractItemModel::dataChanged, this,
                [&](const QModelIndex &from, const QModelIndex &to, const QList<int> &roles) {
                    if (from != to)
                        ++wide;
                    if (roles.contains(Role::ProgressRole))
                        ++progressTold[from.row()];
                });
        QSignalSpy relaid(page.model(), &QAbstractItemModel::layoutChanged);
        QSignalSpy reset(page.model(), &QAbstractItemModel::modelReset);
        QTRY_VERIFY_WITH_TIMEOUT(download->bytesWritten() > 1000000, 15000);
        const qint64 elapsed = clock.elapsed();
        download->pause();
        page.download(1)->pause();
        QVERIFY(progressTold.value(0) > 0);
        QCOMPARE(wide, 0);
        QCOMPARE(relaid.size(), 0);
        QCOMPARE(reset.size(), 0);
        // A report at most once per interval, per row.
        const qint64 most = elapsed / DownloadListModel::updateInterval() + 2;
        QVERIFY2(progressTold.value(0) <= most,
                 qPrintable(QStringLiteral("%1 in %2 ms").arg(progressTold.value(0)).arg(elapsed)));

        const DownloadProgress::Bar bar = download->progressBar();
        QVERIFY(bar.value > 0);
        QTRY_COMPARE_WITH_TIMEOUT(page.value(0, Role::ProgressRole).toDouble(),
                                  double(bar.value) / bar.maximum, TestSupport::SlowWaitMs);
        QVERIFY(page.value(0, Role::ProgressTextRole).toString().isEmpty());
        m_prompt.answers = {UserPrompt::Yes};
        page.manager.removeAll();
    }

    // A size over 2 GiB (announced by the descriptor) fills the bar in
    // proportion, never negative or wrapped.
    void barIsRightAboveTwoGiB()
    {
        const qint64 size = qint64(3) * 1024 * 1024 * 1024;
        Page page(m_fixture.records(), &m_prompt);
        page.manager.initializeDownload(synthetic(QStringLiteral("huge"), 1, size, 4000000));
        QTRY_COMPARE_WITH_TIMEOUT(page.model()->rowCount(), 1, 10000);
        Download *download = page.download(0);
        QTRY_VERIFY_WITH_TIMEOUT(download->bytesWritten() > 2000000, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(page.value(0, Role::ProgressTextRole)
                                     .toString()
                                     .contains(QLatin1String(" of 3.2 GB (")),
                                 5000);
        download->pause();
        const double shown = page.value(0, Role::ProgressRole).toDouble();
        const double actual = double(download->bytesWritten()) / size;
        QVERIFY(shown > 0);
        QVERIFY2(qAbs(shown - actual) < 0.001,
                 qPrintable(QStringLiteral("%1 vs %2").arg(shown).arg(actual)));
        download->cancel();
    }

    void cancelAsksAndRemovesTheRow()
    {
        Page page(m_fixture.records(), &m_prompt);
        page.manager.initializeDownload(synthetic(QStringLiteral("gone"), 1, 2000000, 100000));
        QTRY_COMPARE_WITH_TIMEOUT(page.model()->rowCount(), 1, 10000);
        QPointer<Download> download = page.download(0);
        // The transfer starts once the store has written the download's record.
        QTRY_COMPARE_WITH_TIMEOUT(download->state(), Download::Downloading, 10000);
        QCOMPARE(page.actions(0),
                 (DownloadCard::Actions{Action::Play, Action::Pause, Action::Cancel}));

        m_prompt.answers = {UserPrompt::No};
        QVERIFY(page.click(0, Action::Cancel));
        QCOMPARE(m_prompt.messages.size(), 1);
        QCOMPARE(m_prompt.messages.first().kind, QStringLiteral("question"));
        QCOMPARE(m_prompt.messages.first().title, QStringLiteral("CorvanaZELTA"));
        QCOMPARE(m_prompt.messages.first().text,
                 QStringLiteral("Are you sure you want to remove this download?"));
        QCOMPARE(page.manager.rowCount(), 1);
        QCOMPARE(download->state(), Download::Downloading);

        // A press that leaves the button before the release does nothing.
        const QRect cancel = page.view()->buttonRect(page.row(0), Action::Cancel);
        QTest::mousePress(page.view()->viewport(), Qt::LeftButton, {}, cancel.center());
        QTest::mouseRelease(page.view()->viewport(), Qt::LeftButton, {},
                            page.view()->visualRect(page.row(0)).center());
        QCOMPARE(m_prompt.messages.size(), 1);

        const QString path = download->mediaPath();
        m_prompt.answers = {UserPrompt::Yes};
        QVERIFY(page.click(0, Action::Cancel));
        QCOMPARE(page.manager.rowCount(), 0);
        QCOMPARE(page.model()->rowCount(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(download.isNull(), TestSupport::SlowWaitMs);
        QVERIFY(!QFileInfo::exists(path));
    }

    // A failed download's card says why and offers what mends it: Retry,
    // or Sign In when the site refused the member's password.
    void failedCardShowsReasonAndRetry_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("words");
        QTest::addColumn<int>("button");
        QTest::newRow("site problem") << "500"
                                      << "The site had a problem" << int(Action::Retry);
        QTest::newRow("wrong password") << "password"
                                        << "user name or password" << int(Action::SignIn);
    }
    void failedCardShowsReasonAndRetry()
    {
        QFETCH(QString, fault);
        QFETCH(QString, words);
        QFETCH(int, button);
        const auto mend = Action(button);
        Page page(m_fixture.records(), &m_prompt);
        page.manager.setRetryDelays([](int) { return 60 * 60 * 1000; });
        if (fault == QLatin1String("password"))
            page.account.login(QStringLiteral("demo"), QStringLiteral("not the password"));
        else
            m_site->control(QStringLiteral("/control/fault?name=") + fault);
        page.manager.initializeDirectDownload(
            m_site->url(QStringLiteral("/media/blob/card.mp4?bytes=300000")), true);
        QTRY_COMPARE_WITH_TIMEOUT(page.model()->rowCount(), 1, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!page.value(0, Role::ReasonRole).toString().isEmpty(), 10000);
        QVERIFY2(page.value(0, Role::ReasonRole).toString().contains(words),
                 qPrintable(page.value(0, Role::ReasonRole).toString()));
        QVERIFY(page.actions(0).contains(mend));
        QVERIFY(!page.actions(0).contains(Action::Remove));
        QCOMPARE(DownloadCard::actionName(mend), fault == QLatin1String("password")
                                                     ? QStringLiteral("Sign In")
                                                     : QStringLiteral("Retry"));
        // Enter mends it: the keyboard's button starts on the mending one.
        page.view()->setFocus();
        page.view()->setCurrentIndex(page.row(0));
        QCOMPARE(page.view()->keyboardAction(), mend);
        Screenshots::keep(&page.widget, QStringLiteral("download-failed-%1.png")
                                            .arg(QTest::currentDataTag())
                                            .replace(QLatin1Char(' '), QLatin1Char('-')));

        const QString path = page.download(0)->mediaPath();
        QSignalSpy signIn(&page.widget, &DownloadWidget::signInRequested);
        QSignalSpy finished(&page.manager, &DownloadManager::finished);
        m_site->control(QStringLiteral("/control/fault?name="));
        QVERIFY(page.click(0, mend));
        if (fault == QLatin1String("password")) {
            QCOMPARE(signIn.size(), 1); // the window shows the site's sign-in
            page.account.login(QStringLiteral("demo"), QStringLiteral("demo"));
            page.manager.resumeAll(); // what completing the sign-in does
        }
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 15000);
        QCOMPARE(DemoSiteProcess::fileSha256(path),
                 DemoSiteProcess::sha256(DemoSiteProcess::blob(300000)));
    }

    // Everything the mouse does on a card, the keyboard does: arrows move
    // between cards and buttons, Enter and Space press, Delete removes, the
    // context menu holds the buttons; a screen reader presses them too.
    void keyboardAndScreenReaderPressButtons()
    {
        Page page(m_fixture.records(), &m_prompt);
        page.manager.initializeDownload(synthetic(QStringLiteral("keys"), 2, 4000000, 100000));
        QTRY_COMPARE_WITH_TIMEOUT(page.model()->rowCount(), 2, 10000);
        for (int row = 0; row < 2; ++row)
            QTRY_COMPARE_WITH_TIMEOUT(page.download(row)->state(), Download::Downloading, 10000);
        DownloadView *view = page.view();
        page.widget.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&page.widget));
        view->setFocus();
        QVERIFY(view->hasFocus());
        QTest::keyClick(view, Qt::Key_Home);
        QCOMPARE(view->currentIndex().row(), 0);
        QTest::keyClick(view, Qt::Key_Down);
        QCOMPARE(view->currentIndex().row(), 1);
        QVERIFY(view->selectionModel()->isSelected(page.row(1)));

        // Space pauses and Enter resumes (the default button).
        QCOMPARE(view->keyboardAction(), Action::Pause);
        QTest::keyClick(view, Qt::Key_Space);
        QCOMPARE(page.download(1)->state(), Download::Paused);
        QCOMPARE(view->keyboardAction(), Action::Resume);
        QTest::keyClick(view, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(page.download(1)->state(), Download::Downloading, 10000);
        QCOMPARE(page.download(0)->state(), Download::Downloading);

        // Left reaches Play; Right stops at the last button.
        QSignalSpy play(&page.widget, &DownloadWidget::playRequested);
        QTest::keyClick(view, Qt::Key_Left);
        QCOMPARE(view->keyboardAction(), Action::Play);
        QTest::keyClick(view, Qt::Key_Left);
        QCOMPARE(view->keyboardAction(), Action::Play);
        QTest::keyClick(view, Qt::Key_Enter);
        QCOMPARE(play.size(), 1);
        QCOMPARE(play.first().first().toString(), page.download(1)->mediaPath());
        QTest::keyClick(view, Qt::Key_Right);
        QTest::keyClick(view, Qt::Key_Right);
        QTest::keyClick(view, Qt::Key_Right);
        QCOMPARE(view->keyboardAction(), Action::Cancel);
        m_prompt.answers = {UserPrompt::No};
        QTest::keyClick(view, Qt::Key_Space);
        QCOMPARE(m_prompt.messages.size(), 1);
        QCOMPARE(page.model()->rowCount(), 2);

        // The screen reader's card is the current one, its Pause pauses.
        QAccessibleInterface *list = QAccessible::queryAccessibleInterface(view);
        QCOMPARE(list->focusChild(), list->child(1));
        QAccessibleInterface *card = list->child(1);
        QCOMPARE(card->text(QAccessible::Name), page.download(1)->item().title());
        QVERIFY(card->text(QAccessible::Description).startsWith(QLatin1String("Downloading")));
        QAccessibleInterface *pause = card->child(1);
        QCOMPARE(pause->text(QAccessible::Name), QStringLiteral("Pause"));
        QVERIFY(pause->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::pressAction()));
        pause->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE_WITH_TIMEOUT(page.download(1)->state(), Download::Paused,
                                  TestSupport::SlowWaitMs);
        QCOMPARE(card->child(1)->text(QAccessible::Name), QStringLiteral("Resume"));

        // The context menu of the first card: its buttons; Resume is not there.
        std::unique_ptr<QMenu> menu(view->makeContextMenu(page.row(0)));
        QStringList entries;
        for (QAction *action : menu->actions())
            entries << action->text();
        QCOMPARE(entries, (QStringList{"Play", "Pause", "Cancel"}));
        menu->actions().at(1)->trigger();
        QCOMPARE(page.download(0)->state(), Download::Paused);

        // Delete removes the current download, after asking.
        QTest::keyClick(view, Qt::Key_Up);
        QCOMPARE(view->currentIndex().row(), 0);
        QPointer<Download> first = page.download(0);
        m_prompt.answers = {UserPrompt::Yes};
        QTest::keyClick(view, Qt::Key_Delete);
        QCOMPARE(page.model()->rowCount(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(first.isNull(), TestSupport::SlowWaitMs);
        m_prompt.answers = {UserPrompt::Yes};
        page.manager.removeAll();
    }

    // A screen reader that holds a card hears it change: its buttons at once
    // when pressing Resume turns it into Pause, its title once the
    // descriptor gave it, its transfer line while bytes come (at most once a
    // second, though the row changes twenty times a second), and what the
    // card says last.
    void screenReaderHearsCardChanges()
    {
        const QUrl descriptor = synthetic(QStringLiteral("heard"), 1, 3000000, 250000);
        const QUrl media =
            m_site->url(QStringLiteral("/media/blob/heard-1.mp4?bytes=3000000&rate=250000"));
        QVERIFY(m_fixture.records()->insert(descriptor, media, QString()));
        Page page(m_fixture.records(), &m_prompt);
        QCOMPARE(page.model()->rowCount(), 1);
        Download *download = page.download(0);
        HeardNotices heard;

        QAccessibleInterface *list = QAccessible::queryAccessibleInterface(page.view());
        QVERIFY(list);
        QAccessibleInterface *card = list->child(0);
        QVERIFY(card);
        QCOMPARE(card->text(QAccessible::Name), QStringLiteral("Loading download..."));
        QCOMPARE(card->child(1)->text(QAccessible::Name), QStringLiteral("Resume"));
        card->child(1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_VERIFY_WITH_TIMEOUT(!heard.of(card, QAccessible::ObjectReorder).isEmpty(),
                                 TestSupport::SlowWaitMs);
        QCOMPARE(card->child(1)->text(QAccessible::Name), QStringLiteral("Pause"));
        QTRY_COMPARE_WITH_TIMEOUT(heard.of(card, QAccessible::NameChanged).size(), 1, 10000);
        const HeardNotices::Notice titled = heard.of(card, QAccessible::NameChanged).first();
        QCOMPARE(titled.name, QStringLiteral("heard 1"));
        // The same card all along: the row's changes keep its interface,
        // also when the list hears of them as a screen reader's list does.
        const QAccessible::Id cardId = QAccessible::uniqueId(card);
        QCOMPARE(QAccessible::uniqueId(list->child(0)), cardId);
        QAccessibleTableModelChangeEvent rowChanged(page.view(),
                                                    QAccessibleTableModelChangeEvent::DataChanged);
        rowChanged.setFirstRow(0);
        rowChanged.setLastRow(0);
        list->tableInterface()->modelChange(&rowChanged);
        QCOMPARE(QAccessible::accessibleInterface(cardId), card);
        QCOMPARE(QAccessible::uniqueId(list->child(0)), cardId);

        // The transfer line, heard while bytes come, once a second at most.
        const auto transferLines = [&heard, card] {
            QList<HeardNotices::Notice> lines;
            for (const HeardNotices::Notice &notice :
                 heard.of(card, QAccessible::DescriptionChanged))
                if (notice.description.contains(QLatin1String(" of 3.0 MB (")))
                    lines << notice;
            return lines;
        };
        QTRY_VERIFY_WITH_TIMEOUT(transferLines().size() >= 4, 15000);
        QCOMPARE(download->state(), Download::Downloading);
        const qint64 paused = heard.now();
        download->pause();
        const QList<HeardNotices::Notice> running = transferLines();
        const qint64 first = running.first().at;
        qsizetype heardWhileRunning = 0;
        for (const HeardNotices::Notice &notice : heard.of(card, QAccessible::DescriptionChanged))
            heardWhileRunning += notice.at >= first && notice.at < paused ? 1 : 0;
        // (Two more than the seconds: the first, and a millisecond's rounding.)
        const qint64 most = (paused - first) / 1000 + 2;
        QVERIFY2(
            heardWhileRunning <= most,
            qPrintable(QStringLiteral("%1 in %2 ms").arg(heardWhileRunning).arg(paused - first)));

        // Paused: Resume is back, and the last thing heard is what the card says.
        QTRY_VERIFY_WITH_TIMEOUT(heard.of(card, QAccessible::ObjectReorder, paused).size() == 1,
                                 TestSupport::SlowWaitMs);
        QCOMPARE(card->child(1)->text(QAccessible::Name), QStringLiteral("Resume"));
        QVERIFY2(card->text(QAccessible::Description).startsWith(QLatin1String("Paused")),
                 qPrintable(card->text(QAccessible::Description)));
        QTRY_COMPARE_WITH_TIMEOUT(
            heard.of(card, QAccessible::DescriptionChanged).last().description,
            card->text(QAccessible::Description), TestSupport::SlowWaitMs);
        download->cancel();
    }

    void barButtonsActOnEveryDownload()
    {
        Page page(m_fixture.records(), &m_prompt);
        page.manager.initializeDownload(synthetic(QStringLiteral("all"), 3, 2000000, 100000));
        QTRY_COMPARE_WITH_TIMEOUT(page.manager.rowCount(), 3, 10000);

        QTest::mouseClick(page.widget.pauseAllButton(), Qt::LeftButton);
        for (int row = 0; row < 3; ++row) {
            QCOMPARE(page.download(row)->state(), Download::Paused);
            QCOMPARE(page.actions(row).at(1), Action::Resume);
        }
        QTest::mouseClick(page.widget.resumeAllButton(), Qt::LeftButton);
        for (int row = 0; row < 3; ++row)
            QTRY_COMPARE_WITH_TIMEOUT(page.download(row)->state(), Download::Downloading, 10000);

        // A click on a card selects it (and the previous one no longer);
        // the mouse over a card selects nothing.
        QTest::mouseMove(page.view()->viewport(), page.view()->visualRect(page.row(0)).center());
        QVERIFY(page.view()->selectionModel()->selectedRows().isEmpty());
        QTest::mouseClick(page.view()->viewport(), Qt::LeftButton, {},
                          page.view()->visualRect(page.row(1)).center());
        QVERIFY(page.view()->selectionModel()->isSelected(page.row(1)));
        QTest::mouseClick(page.view()->viewport(), Qt::LeftButton, {},
                          page.view()->visualRect(page.row(2)).center());
        QVERIFY(!page.view()->selectionModel()->isSelected(page.row(1)));
        QVERIFY(page.view()->selectionModel()->isSelected(page.row(2)));

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
        Download *queued = page.download(5);
        QCOMPARE(queued->state(), Download::Queued);
        QCOMPARE(page.value(5, Role::StatusRole).toString(), QStringLiteral("Queued"));
        QCOMPARE(page.actions(5).at(1), Action::Pause);

        QVERIFY(page.click(5, Action::Pause));
        QCOMPARE(queued->state(), Download::Paused);
        QCOMPARE(page.actions(5).at(1), Action::Resume);
        QVERIFY(page.click(5, Action::Resume));
        QCOMPARE(page.actions(5).at(1), Action::Pause);
        QList<Download *> active = page.manager.activeDownloads();
        active.removeAll(queued); // the five it runs beside
        QTRY_COMPARE_WITH_TIMEOUT(queued->state(), Download::Downloading, 10000);
        for (Download *d : active)
            QTRY_COMPARE_WITH_TIMEOUT(d->state(), Download::Downloading, 10000);
        QVERIFY(page.manager.activeDownloads().contains(queued)); // beside the five
        for (Download *d : active)
            QVERIFY(d->transferThread() != queued->transferThread());
        QTRY_VERIFY_WITH_TIMEOUT(!page.value(5, Role::ProgressTextRole).toString().isEmpty(),
                                 10000);
        Screenshots::keep(&page.widget, QStringLiteral("download-queued-resumed.png"));

        QTest::mouseClick(page.widget.pauseAllButton(), Qt::LeftButton);
        QCOMPARE(queued->state(), Download::Paused);
        QCOMPARE(page.actions(5).at(1), Action::Resume);
        m_prompt.answers = {UserPrompt::Yes};
        QTest::mouseClick(page.widget.removeAllButton(), Qt::LeftButton);
        QCOMPARE(page.manager.rowCount(), 0);
    }
};

QTEST_MAIN(TestDownloadsPage)
#include "tst_downloadspage.moc"
