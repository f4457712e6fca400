// Subtitles in the player on a real clip: the files beside it listed by
// language, a cue's text drawn over the picture while it is due and gone
// after, "Off" hiding it, and the choice remembered for the video.
#include "PlayerPageFixture.h"
#include "Screenshots.h"
#include "TestSupport.h"
#include "gui/player/CorvPlayerWidget.h"
#include "gui/player/MediaVideoWidget.h"
#include "gui/player/PlayerTransport.h"
#include "gui/player/SubtitleChooser.h"
#include "gui/player/SubtitleOverlay.h"
#include "gui/player/Toolbar.h"

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

namespace {

const QByteArray kEnglish = "1\r\n00:00:01,000 --> 00:00:03,000\r\nFirst\r\n\r\n"
                            "2\r\n00:00:04,000 --> 00:00:07,000\r\nSecond <i>cue</i>\r\n"
                            "on two lines\r\n\r\n"
                            "3\r\n00:00:09,000 --> 00:00:10,000\r\nThird\r\n";
const QByteArray kGerman = "WEBVTT\n\n00:04.000 --> 00:07.000\nZweiter Hinweis\n";

// Pixels of the overlay's own drawing that are nearly white (the letters).
int whitePixels(SubtitleOverlay *overlay)
{
    const QImage image = overlay->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += c.alpha() > 200 && c.red() > 230 && c.green() > 230 && c.blue() > 230;
        }
    }
    return count;
}

} // namespace

class TestSubtitlePlayer : public QObject
{
    Q_OBJECT

    static std::unique_ptr<PlayerPageFixture> makePage()
    {
        return std::make_unique<PlayerPageFixture>();
    }

    // Opens the clip, waits for its subtitle files, holds it paused at `ms`.
    static bool openPausedAt(PlayerPageFixture &page, const QString &path, qint64 ms)
    {
        QSignalSpy listed(page.transport->subtitles(), &SubtitleChooser::tracksChanged);
        return page.openPausedAt(path, ms, 300) && (!listed.isEmpty() || listed.wait(10000));
    }

    QTemporaryDir m_folder;
    QString m_video;

private Q_SLOTS:
    void initTestCase()
    {
        const QString clip = TestSupport::sampleClip(QStringLiteral("player-subtitles-12s.mp4"), 12,
                                                     {QStringLiteral("-r"), QStringLiteral("5")});
        QVERIFY(!clip.isEmpty());
        m_video = m_folder.filePath(QStringLiteral("Clip.mp4"));
        QVERIFY(QFile::copy(clip, m_video));
        for (const auto &[name, bytes] :
             {std::pair{"Clip.en.srt", kEnglish}, {"Clip.de.vtt", kGerman}}) {
            QFile file(m_folder.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
    }

    void cueShownWhileDueAndOffHidesIt()
    {
        auto page = makePage();
        SubtitleChooser *subtitles = page->transport->subtitles();
        SubtitleOverlay *overlay = subtitles->overlay();
        QVERIFY(openPausedAt(*page, m_video, 5000));

        QStringList labels;
        for (const SubtitleChooser::Track &track : subtitles->tracks())
            labels << track.label;
        QCOMPARE(labels, (QStringList{"Deutsch", "English"}));
        QVERIFY(subtitles->button()->isEnabled());
        QStringList entries;
        for (QAction *action : subtitles->button()->menu()->actions()) {
            if (!action->isSeparator())
                entries << action->text();
        }
        QCOMPARE(entries, (QStringList{"Off", "Deutsch", "English"}));

        subtitles->choose(QStringLiteral("file:Clip.en.srt"));
        QTRY_COMPARE_WITH_TIMEOUT(overlay->text(), QStringLiteral("Second cue\non two lines"),
                                  TestSupport::SlowWaitMs);
        QVERIFY(overlay->isVisible());
        QVERIFY(whitePixels(overlay) > 200);
        // Over the lower part of the picture, inside it.
        const QRect picture(page->player->videoWidget()->mapToGlobal(QPoint(0, 0)),
                            page->player->videoWidget()->size());
        QVERIFY(picture.contains(overlay->geometry()));
        QVERIFY(overlay->geometry().center().y() > picture.center().y());
        const int windowHeight = overlay->height();

        // As a person sees it: the letters are a window of their own.
        Screenshots::keepScreen(QStringLiteral("subtitles-window"), page->window.screen());
        // Scaled with the picture: full screen makes the letters larger.
        page->player->toggleFullScreen();
        QTRY_VERIFY_WITH_TIMEOUT(overlay->height() > windowHeight, TestSupport::SlowWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(overlay->isVisible(), TestSupport::SlowWaitMs);
        Screenshots::keepScreen(QStringLiteral("subtitles-fullscreen"), page->player->screen());
        page->player->exitFullScreen();

        QVERIFY(page->seek(8000, 300));
        QTRY_VERIFY_WITH_TIMEOUT(overlay->text().isEmpty(), TestSupport::SlowWaitMs);
        QVERIFY(!overlay->isVisible());

        QVERIFY(page->seek(5000, 300));
        QTRY_VERIFY_WITH_TIMEOUT(overlay->isVisible(), TestSupport::SlowWaitMs);
        subtitles->choose(QString());
        QVERIFY(overlay->text().isEmpty());
        QVERIFY(!overlay->isVisible());

        subtitles->choose(QStringLiteral("file:Clip.de.vtt"));
        QTRY_COMPARE_WITH_TIMEOUT(overlay->text(), QStringLiteral("Zweiter Hinweis"),
                                  TestSupport::SlowWaitMs);
    }

    // The choice is the video's: opened again, it comes back; Off too.
    void choiceRememberedPerVideo()
    {
        {
            auto page = makePage();
            QVERIFY(openPausedAt(*page, m_video, 5000));
            page->transport->subtitles()->choose(QStringLiteral("file:Clip.de.vtt"));
            page->transport->stop();
        }
        auto page = makePage();
        SubtitleChooser *subtitles = page->transport->subtitles();
        QVERIFY(openPausedAt(*page, m_video, 5000));
        QCOMPARE(subtitles->currentKey(), QStringLiteral("file:Clip.de.vtt"));
        subtitles->choose(QString());
        page->transport->stop();

        auto again = makePage();
        QVERIFY(openPausedAt(*again, m_video, 5000));
        QCOMPARE(again->transport->subtitles()->currentKey(), QString());
        QVERIFY(again->transport->subtitles()->overlay()->text().isEmpty());
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("CorvanaZELTA"));
    QApplication::setApplicationName(QStringLiteral("CorvanaZELTA"));
    TestSubtitlePlayer test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_subtitleplayer.moc"
