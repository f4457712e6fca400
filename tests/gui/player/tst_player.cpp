// The player page on real clips made with ffmpeg: transport, time labels,
// errors, full screen and the fading bar.
#include "PlayerPageFixture.h"
#include "Screenshots.h"
#include "ScriptedPrompt.h"
#include "TestSupport.h"
#include "app/MprisService.h"
#include "gui/player/CorvPlayerWidget.h"
#include "gui/player/MediaVideoWidget.h"
#include "gui/player/PlayerTransport.h"
#include "gui/player/SeekSlider.h"
#include "gui/player/Toolbar.h"
#include "gui/player/VideoOverlay.h"
#include "gui/player/VolumeSlider.h"

#include "gui/player/MpvAudioOutput.h"
#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

namespace {

// An hour of a still picture at one frame every ten seconds: an exact
// 1:00:00 without encoding an hour of video.
QString hourClip()
{
    const QString path = TestSupport::buildDir() + QStringLiteral("/test-media/player-hour.mp4");
    if (QFileInfo(path).size() > 0)
        return path;
    const QString tmp = path + QStringLiteral(".part.mp4");
    const int rc = TestSupport::run(
        QStringLiteral("ffmpeg"),
        {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
         QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
         QStringLiteral("color=c=blue:size=160x120:rate=1/10:duration=3600"),
         QStringLiteral("-c:v"), QStringLiteral("mpeg4"), tmp});
    if (rc != 0 || !QFile::rename(tmp, path))
        return QString();
    return path;
}

} // namespace

class TestPlayer : public QObject
{
    Q_OBJECT

private:
    static std::unique_ptr<PlayerPageFixture> makePage()
    {
        return std::make_unique<PlayerPageFixture>();
    }

    QString m_clip;
    QString m_longClip;

private Q_SLOTS:
    void initTestCase()
    {
        m_clip = TestSupport::sampleClip(QStringLiteral("player-5s.mp4"), 5);
        m_longClip = TestSupport::sampleClip(QStringLiteral("player-40s.mp4"), 40,
                                             {QStringLiteral("-r"), QStringLiteral("5")});
        QVERIFY(!m_clip.isEmpty());
        QVERIFY(!m_longClip.isEmpty());
    }

    void playPauseStopAndLooks()
    {
        auto page = makePage();
        Toolbar *toolbar = page->player->toolbar();
        MpvPlayer *player = page->transport->mediaPlayer();
        QVERIFY(!toolbar->playButton()->isEnabled());
        // The bar's style sheet is in force: white times over the dark bar.
        QCOMPARE(toolbar->currentTimeLabel()->palette().color(QPalette::WindowText),
                 QColor(Qt::white));

        page->transport->openFile(m_clip);
        QVERIFY(page->waitState(QMediaPlayer::PlayingState));
        QTRY_COMPARE_WITH_TIMEOUT(toolbar->totalTimeLabel()->text(), QStringLiteral("0:05"), 10000);
        QVERIFY(toolbar->playButton()->isEnabled());
        QVERIFY(toolbar->hasPauseLook());

        QTest::mouseClick(toolbar->playButton(), Qt::LeftButton);
        QVERIFY(page->waitState(QMediaPlayer::PausedState));
        QVERIFY(!toolbar->hasPauseLook());
        QVERIFY(toolbar->playButton()->isEnabled());

        QTest::keyClick(page->player->videoWidget(), Qt::Key_Space);
        QVERIFY(page->waitState(QMediaPlayer::PlayingState));

        page->transport->playCommand(1);
        QVERIFY(page->waitState(QMediaPlayer::StoppedState));
        QCOMPARE(player->position(), 0);
        QCOMPARE(toolbar->currentTimeLabel()->text(), QStringLiteral("0:00"));
        QCOMPARE(toolbar->totalTimeLabel()->text(), QStringLiteral("0:05"));
        QVERIFY(toolbar->playButton()->isEnabled());

        page->transport->setVolume(40);
        QCOMPARE(toolbar->volumeSlider()->value(), 40);
        page->transport->audioOutput()->setVolume(0.7f);
        QCOMPARE(toolbar->volumeSlider()->value(), 70);
    }

    void playAfterEndRestartsAtZero()
    {
        auto page = makePage();
        MpvPlayer *player = page->transport->mediaPlayer();
        QVERIFY(page->openPausedAt(m_clip, 4500));
        page->transport->play();
        QTRY_COMPARE_WITH_TIMEOUT(player->mediaStatus(), QMediaPlayer::EndOfMedia, 10000);
        QVERIFY(page->waitState(QMediaPlayer::StoppedState));
        QVERIFY(!page->player->toolbar()->hasPauseLook());

        QTest::mouseClick(page->player->toolbar()->playButton(), Qt::LeftButton);
        QVERIFY(page->waitState(QMediaPlayer::PlayingState));
        QVERIFY2(player->position() < 2000, qPrintable(QString::number(player->position())));
        page->transport->stop();
    }

    void seekByTenSeconds_data()
    {
        QTest::addColumn<qint64>("start");
        QTest::addColumn<int>("command"); // a play command, or -1 for the Left key, -2 Right
        QTest::addColumn<qint64>("expected");
        QTest::newRow("back") << qint64(25000) << 2 << qint64(15000);
        QTest::newRow("forward") << qint64(5000) << 3 << qint64(15000);
        QTest::newRow("back before the start") << qint64(4000) << 2 << qint64(0);
        QTest::newRow("left key") << qint64(20000) << -1 << qint64(10000);
        QTest::newRow("right key") << qint64(20000) << -2 << qint64(30000);
    }

    void seekByTenSeconds()
    {
        QFETCH(qint64, start);
        QFETCH(int, command);
        QFETCH(qint64, expected);
        auto page = makePage();
        MpvPlayer *player = page->transport->mediaPlayer();
        QVERIFY(page->openPausedAt(m_longClip, start));
        if (command == -1)
            QTest::keyClick(page->player->videoWidget(), Qt::Key_Left);
        else if (command == -2)
            QTest::keyClick(page->player->videoWidget(), Qt::Key_Right);
        else
            page->transport->playCommand(command);
        QTRY_VERIFY2_WITH_TIMEOUT(qAbs(player->position() - expected) < 600,
                                  qPrintable(QString::number(player->position())), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(
            qAbs(page->player->toolbar()->seekSlider()->value() - expected) < 600, 5000);
    }

    void timeLabels_data()
    {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<qint64>("at");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("total");
        QTest::newRow("under an hour") << QStringLiteral("long") << qint64(23000)
                                       << QStringLiteral("0:23") << QStringLiteral("0:40");
        QTest::newRow("exactly an hour") << QStringLiteral("hour") << qint64(3500000)
                                         << QStringLiteral("0:58:20") << QStringLiteral("1:00:00");
    }

    void timeLabels()
    {
        QFETCH(QString, clip);
        QFETCH(qint64, at);
        QFETCH(QString, current);
        QFETCH(QString, total);
        const QString path = clip == QLatin1String("hour") ? hourClip() : m_longClip;
        QVERIFY(!path.isEmpty());
        auto page = makePage();
        QVERIFY(page->openPausedAt(path, at));
        Toolbar *toolbar = page->player->toolbar();
        QTRY_COMPARE_WITH_TIMEOUT(toolbar->currentTimeLabel()->text(), current, 5000);
        QCOMPARE(toolbar->totalTimeLabel()->text(), total);
    }

    void brokenFileShowsErrorAndDisablesPlay()
    {
        const QTemporaryDir folder; // of this run alone: other runs may share /tmp
        QVERIFY(folder.isValid());
        const QString path = folder.filePath(QStringLiteral("zelta-broken.mp4"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(8000, 'x'));
        file.close();
        auto page = makePage();
        page->transport->openFile(path);
        const ScriptedPrompt &prompt = page->prompt;
        QTRY_COMPARE_WITH_TIMEOUT(prompt.messages.size(), 1, 10000);
        QCOMPARE(prompt.messages.first().kind, QStringLiteral("warning"));
        QCOMPARE(prompt.messages.first().title, QStringLiteral("CorvanaZELTA"));
        QVERIFY(!prompt.messages.first().text.isEmpty());
        // Later error reports of the same file add no box.
        MpvPlayer *player = page->transport->mediaPlayer();
        QCOMPARE(player->mediaStatus(), QMediaPlayer::InvalidMedia);
        Q_EMIT player->errorOccurred(QMediaPlayer::FormatError, player->errorString());
        Q_EMIT player->errorOccurred(QMediaPlayer::ResourceError, player->errorString());
        QCOMPARE(prompt.messages.size(), 1);
        QVERIFY(!page->player->toolbar()->playButton()->isEnabled());

        page->transport->openFile(m_clip); // a good file plays again
        QVERIFY(page->waitState(QMediaPlayer::PlayingState));
        QTRY_VERIFY_WITH_TIMEOUT(page->player->toolbar()->playButton()->isEnabled(),
                                 TestSupport::SlowWaitMs);
        page->transport->stop();
    }

    void queuedFileFollows()
    {
        auto page = makePage();
        MpvPlayer *player = page->transport->mediaPlayer();
        QVERIFY(page->openPausedAt(m_clip, 4700));
        page->transport->addFile(m_longClip);
        page->transport->play();
        QTRY_COMPARE_WITH_TIMEOUT(page->transport->currentFile(), m_longClip, 10000);
        QVERIFY(page->waitState(QMediaPlayer::PlayingState));
        QVERIFY(page->transport->queue().isEmpty());
        page->transport->stop();
    }

    void fullScreenEnterAndLeave_data()
    {
        QTest::addColumn<QString>("enter");
        QTest::addColumn<QString>("leave");
        QTest::newRow("button, Escape") << QStringLiteral("button") << QStringLiteral("escape");
        QTest::newRow("double-click twice")
            << QStringLiteral("double-click") << QStringLiteral("double-click");
        QTest::newRow("Alt+Return, picture's Escape")
            << QStringLiteral("action") << QStringLiteral("video-escape");
        QTest::newRow("button twice") << QStringLiteral("button") << QStringLiteral("button");
    }

    void fullScreenEnterAndLeave()
    {
        QFETCH(QString, enter);
        QFETCH(QString, leave);
        auto page = makePage();
        CorvPlayerWidget *player = page->player;
        Toolbar *toolbar = player->toolbar();
        auto act = [&](const QString &how) {
            if (how == QLatin1String("button"))
                QTest::mouseClick(toolbar->fullButton(), Qt::LeftButton);
            else if (how == QLatin1String("double-click"))
                QTest::mouseDClick(player, Qt::LeftButton);
            else if (how == QLatin1String("action"))
                player->videoWidget()->fullScreenAction()->trigger();
            else if (how == QLatin1String("video-escape"))
                Q_EMIT player->videoWidget()->exitFullScreen();
            else
                QTest::keyClick(player->videoWidget(), Qt::Key_Escape);
        };

        act(enter);
        QVERIFY(player->isInFullScreen());
        QVERIFY(player->isWindow());
        QVERIFY(player->windowState() & Qt::WindowFullScreen);
        QVERIFY(toolbar->isWindow());
        QVERIFY(toolbar->isVisible());
        QVERIFY(player->layout()->indexOf(toolbar) < 0);
        QCOMPARE(toolbar->windowOpacity(), 1.0);
        QCOMPARE(toolbar->y(), player->geometry().y() + player->height() / 7 * 6);
        QCOMPARE(toolbar->x(), player->geometry().x() + (player->width() - toolbar->width()) / 2);
        QVERIFY(toolbar->fullButton()->styleSheet().contains(
            QLatin1String("(:/images/toolbar/fullscreen-bt-normal.png)")));
        QVERIFY(player->fadeTimer()->isActive());
        QVERIFY(player->videoWidget()->fullScreenAction()->isChecked());

        act(leave);
        QVERIFY(!player->isInFullScreen());
        QVERIFY(!player->isWindow());
        QVERIFY(!(player->windowState() & Qt::WindowFullScreen));
        QCOMPARE(player->parentWidget(), &page->window);
        QVERIFY(!toolbar->isWindow());
        QCOMPARE(player->layout()->indexOf(toolbar), player->layout()->count() - 1);
        QVERIFY(toolbar->isVisible());
        QVERIFY(player->isVisible());
        QVERIFY(!player->fadeTimer()->isActive());
        QVERIFY(toolbar->fullButton()->styleSheet().contains(
            QLatin1String("IN-fullscreen-bt-normal.png")));
        QVERIFY(!player->videoWidget()->fullScreenAction()->isChecked());
    }

    void playsWithoutSessionBus()
    {
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/zelta-bus");
        auto page = makePage();
        MprisService mpris(page->transport.get());
        QVERIFY(!mpris.registerOnSessionBus());
        page->transport->openFile(m_clip);
        QVERIFY(page->waitState(QMediaPlayer::PlayingState));
        QCOMPARE(mpris.playbackStatus(), QStringLiteral("Playing"));
        page->transport->stop();
    }

    // After the bar faded out, a mouse move anywhere fades it back in and
    // gives it another three seconds; outside full screen moves pass.
    void mouseMoveRestartsFade()
    {
        auto page = makePage();
        CorvPlayerWidget *player = page->player;
        Toolbar *toolbar = player->toolbar();
        QMouseEvent move(QEvent::MouseMove, QPointF(10, 10), QPointF(10, 10), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(player->videoWidget(), &move);
        QVERIFY(!player->fadeTimer()->isActive());

        player->toggleFullScreen();
        player->fadeTimer()->stop();
        toolbar->fadeOut();
        QCOMPARE(toolbar->opacityAnimation()->endValue().toReal(), 0.0);
        toolbar->opacityAnimation()->setCurrentTime(Toolbar::FadeMs);
        QCOMPARE(toolbar->windowOpacity(), 0.0);

        QVERIFY(QCoreApplication::sendEvent(player->videoWidget(), &move)); // consumed
        QVERIFY(player->fadeTimer()->isActive());
        QVERIFY(player->fadeTimer()->remainingTime() > CorvPlayerWidget::FadeDelayMs - 500);
        QCOMPARE(toolbar->opacityAnimation()->state(), QAbstractAnimation::Running);
        QCOMPARE(toolbar->opacityAnimation()->endValue().toReal(), 1.0);
        QCOMPARE(toolbar->opacityAnimation()->duration(), Toolbar::FadeMs);

        // The timer's end fades the bar out again.
        player->fadeTimer()->start(1);
        QTRY_COMPARE_WITH_TIMEOUT(toolbar->opacityAnimation()->endValue().toReal(), 0.0,
                                  TestSupport::SlowWaitMs);
        player->exitFullScreen();
        QCOMPARE(toolbar->windowOpacity(), 1.0);
    }
    // The page's keys: F11 in and out of full screen, Up and Down the volume
    // in steps, M mute; each from the picture and from the bar's buttons.
    void keys_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("picture") << QStringLiteral("video");
        QTest::newRow("bar button") << QStringLiteral("button");
    }

    void keys()
    {
        QFETCH(QString, target);
        auto page = makePage();
        CorvPlayerWidget *player = page->player;
        MpvAudioOutput *audio = page->transport->audioOutput();
        QWidget *receiver = target == QLatin1String("video")
                                ? static_cast<QWidget *>(player->videoWidget())
                                : player->toolbar()->fullButton();
        audio->setVolume(0.5f);
        QTest::keyClick(receiver, Qt::Key_Up);
        QCOMPARE(qRound(audio->volume() * 100), 50 + PlayerTransport::VolumeStepPercent);
        QCOMPARE(player->toolbar()->volumeSlider()->value(),
                 50 + PlayerTransport::VolumeStepPercent);
        QTest::keyClick(receiver, Qt::Key_Down);
        QTest::keyClick(receiver, Qt::Key_Down);
        QCOMPARE(qRound(audio->volume() * 100), 50 - PlayerTransport::VolumeStepPercent);
        audio->setVolume(0.98f);
        QTest::keyClick(receiver, Qt::Key_Up);
        QCOMPARE(qRound(audio->volume() * 100), 100); // never above full

        QVERIFY(!audio->isMuted());
        QTest::keyClick(receiver, Qt::Key_M);
        QVERIFY(audio->isMuted());
        QTest::keyClick(receiver, Qt::Key_M);
        QVERIFY(!audio->isMuted());
        QTest::keyClick(receiver, Qt::Key_M);
        QTest::keyClick(receiver, Qt::Key_Down); // a volume key unmutes
        QVERIFY(!audio->isMuted());

        QTest::keyClick(receiver, Qt::Key_F11);
        QVERIFY(player->isInFullScreen());
        QVERIFY(player->windowState() & Qt::WindowFullScreen);
        // In full screen the keys reach the page from the floating bar too.
        QTest::keyClick(receiver, Qt::Key_Up);
        QCOMPARE(qRound(audio->volume() * 100), 100);
        QTest::keyClick(receiver, Qt::Key_F11);
        QVERIFY(!player->isInFullScreen());
        QVERIFY(!player->isWindow());
        // A modifier leaves the key to others.
        const float before = audio->volume();
        QTest::keyClick(player->videoWidget(), Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(audio->volume(), before);
    }

    // A click on the seek bar goes to the clicked point; the handle can be
    // dragged on from there.
    void clickOnTheSeekBarGoesThere_data()
    {
        QTest::addColumn<double>("clickAt");  // share of the groove's width
        QTest::addColumn<double>("dragTo");   // -1: no drag
        QTest::addColumn<qint64>("expected"); // of 40 s
        QTest::newRow("three quarters") << 0.75 << -1.0 << qint64(30000);
        QTest::newRow("near the start") << 0.1 << -1.0 << qint64(4000);
        QTest::newRow("click, then drag on") << 0.25 << 0.5 << qint64(20000);
    }

    void clickOnTheSeekBarGoesThere()
    {
        QFETCH(double, clickAt);
        QFETCH(double, dragTo);
        QFETCH(qint64, expected);
        auto page = makePage();
        MpvPlayer *player = page->transport->mediaPlayer();
        QVERIFY(page->openPausedAt(m_longClip, 2000));
        SeekSlider *slider = page->player->toolbar()->seekSlider();
        QTRY_VERIFY_WITH_TIMEOUT(slider->isEnabled() && slider->maximum() > 0,
                                 TestSupport::SlowWaitMs);
        // Points along the handle's travel, as the user aims at the groove.
        const auto pointAt = [&](double share) {
            for (int x = 0; x < slider->width(); ++x) {
                const int value = slider->valueAt(QPoint(x, slider->height() / 2));
                if (value >= share * slider->maximum())
                    return QPoint(x, slider->height() / 2);
            }
            return QPoint(slider->width() - 1, slider->height() / 2);
        };
        const QPoint press = pointAt(clickAt);
        QTest::mousePress(slider, Qt::LeftButton, {}, press);
        if (dragTo >= 0) {
            QVERIFY(slider->isSliderDown()); // the handle came to the mouse
            const QPoint to = pointAt(dragTo);
            QMouseEvent move(QEvent::MouseMove, to, slider->mapToGlobal(to), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(slider, &move);
            QTest::mouseRelease(slider, Qt::LeftButton, {}, to);
        } else {
            QTest::mouseRelease(slider, Qt::LeftButton, {}, press);
        }
        QTRY_VERIFY2_WITH_TIMEOUT(qAbs(player->position() - expected) < 1500,
                                  qPrintable(QString::number(player->position())), 10000);
        QVERIFY(!slider->isSliderDown());
    }

    // The floating bar in full screen: bottom centre of the screen the player
    // is on, placed again when the window manager resizes the window later.
    void fullScreenBarOnEachScreen_data()
    {
        QTest::addColumn<int>("screen");
        for (int i = 0; i < QGuiApplication::screens().size(); ++i) {
            const QRect area = QGuiApplication::screens().at(i)->geometry();
            QTest::addRow("%dx%d", area.width(), area.height()) << i;
        }
    }

    void fullScreenBarOnEachScreen()
    {
        QFETCH(int, screen);
        QScreen *target = QGuiApplication::screens().at(screen);
        const QRect area = target->geometry();
        auto page = makePage();
        page->window.move(area.topLeft() + QPoint(40, 40));
        QTRY_COMPARE_WITH_TIMEOUT(page->window.screen(), target, TestSupport::SlowWaitMs);
        CorvPlayerWidget *player = page->player;
        Toolbar *toolbar = player->toolbar();
        player->toggleFullScreen();
        QTRY_COMPARE_WITH_TIMEOUT(player->geometry(), area, TestSupport::SlowWaitMs);
        const auto checkPlace = [&](const QRect &shown) {
            const QRect bar = toolbar->geometry();
            QVERIFY2(qAbs(bar.center().x() - shown.center().x()) <= 1,
                     qPrintable(QStringLiteral("bar %1,%2 %3x%4")
                                    .arg(bar.x())
                                    .arg(bar.y())
                                    .arg(bar.width())
                                    .arg(bar.height())));
            QCOMPARE(bar.y(),
                     shown.y() + qMin(shown.height() / 7 * 6, shown.height() - bar.height()));
            QVERIFY(bar.bottom() <= shown.bottom());
            QVERIFY(bar.y() > shown.center().y()); // in the lower part, never the middle
            QVERIFY(bar.width() >= toolbar->minimumWidth() && bar.width() <= shown.width());
            // The two times sit over the ends of the seek slider, wherever the
            // layout put it.
            const auto slider = [toolbar] {
                return QRect(toolbar->seekSlider()->mapTo(toolbar, QPoint(0, 0)),
                             toolbar->seekSlider()->size());
            };
            QTRY_VERIFY_WITH_TIMEOUT(
                qAbs(toolbar->currentTimeLabel()->geometry().left() - slider().left()) <= 20,
                TestSupport::SlowWaitMs);
            QTRY_VERIFY_WITH_TIMEOUT(
                qAbs(toolbar->totalTimeLabel()->geometry().right() - slider().right()) <= 20,
                TestSupport::SlowWaitMs);
        };
        checkPlace(area);
        if (QTest::currentTestFailed())
            return;
        if (Screenshots::wanted()) {
            // With a video playing, as a person sees it on a real display.
            page->transport->openFile(m_longClip);
            QVERIFY(page->waitState(QMediaPlayer::PlayingState));
            Screenshots::keepScreen(
                QStringLiteral("fullscreen-bar-%1x%2").arg(area.width()).arg(area.height()),
                target);
            page->transport->stop();
        }
        // A window manager that sizes the window after the fact.
        const QRect later(area.topLeft(), area.size() * 3 / 4);
        player->setGeometry(later);
        QTRY_COMPARE_WITH_TIMEOUT(player->geometry(), later, TestSupport::SlowWaitMs);
        checkPlace(later);
        player->exitFullScreen();
        QVERIFY(!toolbar->isWindow());
    }

    // The title over the picture when playback starts (and in the full-screen
    // window's title); at the end the Replay button, which plays again.
    void titleAndReplay()
    {
        auto page = makePage();
        MpvPlayer *player = page->transport->mediaPlayer();
        QSignalSpy nowPlaying(page->transport.get(), &PlayerTransport::nowPlaying);
        QSignalSpy ended(page->transport.get(), &PlayerTransport::ended);
        page->transport->openFile(m_clip);
        QVERIFY(page->waitState(QMediaPlayer::PlayingState));
        QTRY_COMPARE_WITH_TIMEOUT(nowPlaying.size(), 1, TestSupport::SlowWaitMs);
        const QString title = QFileInfo(m_clip).completeBaseName();
        QCOMPARE(nowPlaying.first().first().toString(), title);
        VideoOverlay *caption = page->player->titleOverlay();
        QVERIFY(caption->isCaption());
        QCOMPARE(caption->titleText(), title);
        QCOMPARE(page->player->windowTitle(), title);
        // Over the picture, in its top left part.
        const QRect picture(page->player->videoWidget()->mapToGlobal(QPoint()),
                            page->player->videoWidget()->size());
        QVERIFY(picture.contains(caption->geometry().topLeft()));
        QTRY_VERIFY_WITH_TIMEOUT(!caption->isVisible(), VideoOverlay::CaptionMs + 5000);

        page->transport->pause();
        page->transport->seekTo(4500);
        page->transport->play();
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 15000);
        VideoOverlay *end = page->player->endOverlay();
        QVERIFY(end->isReplay());
        QCOMPARE(end->titleText(), title);
        QVERIFY(end->replayButton()->isVisible());
        QCOMPARE(nowPlaying.size(), 1); // no second announcement for the same file
        QTest::mouseClick(end->replayButton(), Qt::LeftButton);
        QVERIFY(page->waitState(QMediaPlayer::PlayingState));
        QVERIFY(!end->isVisible());
        QVERIFY2(player->position() < 3000, qPrintable(QString::number(player->position())));
        page->transport->stop();
    }

    // With a queue, the next file follows and no Replay shows.
    void queuedFileInsteadOfReplay()
    {
        auto page = makePage();
        QSignalSpy ended(page->transport.get(), &PlayerTransport::ended);
        QVERIFY(page->openPausedAt(m_clip, 4600));
        page->transport->addFile(m_longClip);
        page->transport->play();
        QTRY_COMPARE_WITH_TIMEOUT(page->transport->currentFile(), m_longClip, 10000);
        QVERIFY(!page->player->endOverlay()->isVisible());
        QCOMPARE(ended.size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(page->player->titleOverlay()->titleText(),
                                  QFileInfo(m_longClip).completeBaseName(), 10000);
        page->transport->stop();
    }
};

// Two screens of different sizes side by side, for the full-screen bar.
int main(int argc, char **argv)
{
    QTemporaryFile screens(QDir::temp().filePath(QStringLiteral("zelta-screens-XXXXXX.json")));
    if (!screens.open())
        return 1;
    screens.write(R"({"screens": [
        {"name": "small", "x": 0, "y": 0, "width": 1024, "height": 600,
         "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
        {"name": "large", "x": 1024, "y": 0, "width": 1920, "height": 1080,
         "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    screens.close();
    if (qEnvironmentVariable("QT_QPA_PLATFORM", QStringLiteral("offscreen")) ==
        QLatin1String("offscreen"))
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toLocal8Bit());
    QApplication app(argc, argv);
    TestPlayer test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_player.moc"
