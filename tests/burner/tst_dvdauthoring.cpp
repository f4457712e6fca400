#include "BurnerTestUtil.h"
#include "Screenshots.h"
#include "burner/CreateDVDTask.h"
#include "burner/DvdMenu.h"
#include "burner/Project.h"

#include <QFontInfo>

#include <QDomDocument>
#include <QFontMetrics>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <QtTest>
#include <memory>

// Authoring a DVD-Video with its menu, with the real tool chain.
class TestDvdAuthoring : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void description_data();
    void description();
    void menuLayout();
    void menuIgnoresMachineFonts_data();
    void menuIgnoresMachineFonts();
    void menuPictures();
    void tooManyClipsForMenu();
    void chain_data();
    void chain();
    void subtitles_data();
    void subtitles();
    void subtitleMenu_data();
    void subtitleMenu();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Project> m_project; // made once the temporary folder is set
};

void TestDvdAuthoring::initTestCase()
{
    QVERIFY(m_dir.isValid());
    BurnerTest::useOwnTempLocation(m_dir);
    m_project = std::make_unique<Project>();
}

void TestDvdAuthoring::description_data()
{
    QTest::addColumn<int>("clips");
    QTest::addColumn<bool>("ntsc");
    QTest::addColumn<QString>("resolution");
    QTest::newRow("one clip ntsc") << 1 << true << "720x480";
    QTest::newRow("three clips pal") << 3 << false << "720x576";
}

void TestDvdAuthoring::description()
{
    QFETCH(int, clips);
    QFETCH(bool, ntsc);
    QFETCH(QString, resolution);
    BurnerTest::fillProject(m_project.get(), QString(), clips, DiscType::Dvd, ntsc);
    CreateDVDTask task(m_project.get());
    task.exec(); // writes the descriptions; the chain itself is of no interest here
    task.cancel();
    const QDir temp = m_project.get()->tempDirectory();
    QDomDocument doc;
    QFile file(temp.filePath(QStringLiteral("dvd.xml")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(doc.setContent(&file));
    const QDomElement root = doc.documentElement();
    QCOMPARE(root.tagName(), QStringLiteral("dvdauthor"));
    QCOMPARE(root.attribute(QStringLiteral("dest")),
             temp.absoluteFilePath(QStringLiteral("Test Disc")));

    const QDomNodeList buttons = root.elementsByTagName(QStringLiteral("button"));
    QCOMPARE(buttons.count(), clips + 1);
    QCOMPARE(buttons.at(0).toElement().text(), QStringLiteral("{ g2 = 1; jump title 1; }"));
    QCOMPARE(buttons.at(clips).toElement().text(),
             QStringLiteral("{ g2 = 0; jump title %1; }").arg(clips));

    const QDomNodeList posts = root.elementsByTagName(QStringLiteral("post"));
    QCOMPARE(posts.count(), clips);
    for (int i = 0; i < clips - 1; ++i)
        QCOMPARE(posts.at(i).toElement().text(),
                 QStringLiteral("if(g2 eq 0) { call menu; } jump title %1;").arg(i + 2));
    QCOMPARE(posts.at(clips - 1).toElement().text(), QStringLiteral("call menu;"));

    const QDomElement titleVideo = root.firstChildElement(QStringLiteral("titleset"))
                                       .firstChildElement(QStringLiteral("titles"))
                                       .firstChildElement(QStringLiteral("video"));
    QCOMPARE(titleVideo.attribute(QStringLiteral("resolution")), resolution);
    QCOMPARE(titleVideo.attribute(QStringLiteral("format")),
             ntsc ? QStringLiteral("ntsc") : QStringLiteral("pal"));

    QFile menuFile(temp.filePath(QStringLiteral("menu.xml")));
    QVERIFY(menuFile.open(QIODevice::ReadOnly));
    QDomDocument menu;
    QVERIFY(menu.setContent(&menuFile));
    QCOMPARE(menu.elementsByTagName(QStringLiteral("button")).count(), clips + 1);
    QVERIFY(!menuFile.readAll().startsWith("<?xml"));
}

void TestDvdAuthoring::menuLayout()
{
    QStringList labels;
    for (int i = 1; i <= 16; ++i)
        labels << QStringLiteral("clip %1").arg(i);
    const DvdMenu menu(labels, true);
    const int h = QFontMetrics(DvdMenu::font()).height();
    const QList<QRect> buttons = menu.buttons();
    QCOMPARE(buttons.size(), 17);
    QCOMPARE(buttons.at(0), QRect(QPoint(50, 50), QPoint(349, 49 + h)));
    QCOMPARE(buttons.at(1).topLeft(), QPoint(50, 50 + 2 * h));
    QCOMPARE(buttons.at(2).top(), 50 + 2 * h + h + 5);
    QCOMPARE(buttons.at(15).left(), 50); // clip 15 closes the first column
    QCOMPARE(buttons.at(16).topLeft(), QPoint(350, buttons.at(1).top()));
    QCOMPARE(buttons.at(16).width(), 300);
    for (const QRect &rect : buttons)
        QVERIFY(QRect(0, 0, 720, 480).contains(rect));
}

void TestDvdAuthoring::menuIgnoresMachineFonts_data()
{
    QTest::addColumn<QString>("arial");
    QTest::addColumn<bool>("ntsc");
    QTest::newRow("Arial is a tall font, NTSC") << "DejaVu Math TeX Gyre" << true;
    QTest::newRow("Arial is a tall font, PAL") << "DejaVu Math TeX Gyre" << false;
    QTest::newRow("Arial is a serif font") << "DejaVu Serif" << true;
}

// Whatever "Arial" means on this machine, the menu looks the same and the
// longest list it takes (two full columns) fits the picture.
void TestDvdAuthoring::menuIgnoresMachineFonts()
{
    QFETCH(QString, arial);
    QFETCH(bool, ntsc);
    const QList<QRect> usual = DvdMenu(QStringList(30, QStringLiteral("clip")), ntsc).buttons();
    QFont::insertSubstitution(QStringLiteral("Arial"), arial);
    const DvdMenu menu(QStringList(30, QStringLiteral("clip")), ntsc);
    QFont::removeSubstitutions(QStringLiteral("Arial"));
    QVERIFY(menu.fitsFrame());
    QCOMPARE(menu.buttons(), usual);
    QCOMPARE(QFontInfo(DvdMenu::font()).pixelSize(), 16);
    QVERIFY(QFontInfo(DvdMenu::font()).bold());
}

void TestDvdAuthoring::menuPictures()
{
    // Overlays may hold only transparency and their one colour, or the
    // subpicture multiplexer refuses them.
    const DvdMenu menu({QStringLiteral("A rather long clip name that goes on and on and on "
                                       "and on well past the button")},
                       false);
    QVERIFY(menu.writeImages(m_dir.path()));
    const QImage background(m_dir.filePath(QStringLiteral("menu_background.jpg")));
    QCOMPARE(background.size(), QSize(720, 576));
    for (const auto &[name, colour] : {std::pair{"menu_select.png", QColor(Qt::blue)},
                                       std::pair{"menu_highlight.png", QColor(Qt::red)}}) {
        const QImage overlay(m_dir.filePath(QString::fromLatin1(name)));
        QCOMPARE(overlay.size(), QSize(720, 576));
        QSet<QRgb> colours;
        for (int y = 0; y < overlay.height(); ++y)
            for (int x = 0; x < overlay.width(); ++x)
                colours.insert(overlay.pixel(x, y));
        QCOMPARE(colours.size(), 2);
        QVERIFY(colours.contains(colour.rgb()));
    }
}

void TestDvdAuthoring::tooManyClipsForMenu()
{
    // Buttons past the bottom of the picture would only fail deep in the chain.
    BurnerTest::fillProject(m_project.get(), QString(), 40, DiscType::Dvd, true);
    CreateDVDTask task(m_project.get());
    QSignalSpy complete(&task, &Task::complete);
    QSignalSpy failed(&task, &Task::failed);
    task.exec();
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.first().at(0).toString(), QStringLiteral("Unable to create DVD"));
    QCOMPARE(failed.first().at(1).toString(),
             QStringLiteral("The disc menu has no room for 40 videos."));
    QCOMPARE(complete.count(), 0);
}

void TestDvdAuthoring::chain_data()
{
    QTest::addColumn<bool>("ntsc");
    QTest::addColumn<int>("clips");
    // The title names the image file: a "/" in it must not lead into a folder.
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("image");
    QTest::newRow("ntsc one clip") << true << 1 << "Summer 2024/25"
                                   << "Summer 2024 25.iso";
    QTest::newRow("pal sixteen clips") << false << 16 << "Test Disc"
                                       << "Test Disc.iso";
}

void TestDvdAuthoring::chain()
{
    QFETCH(bool, ntsc);
    QFETCH(int, clips);
    const QString mpg =
        BurnerTest::discClip(ntsc ? QStringLiteral("ntsc-dvd") : QStringLiteral("pal-dvd"));
    QVERIFY(!mpg.isEmpty());
    QFETCH(QString, title);
    QFETCH(QString, image);
    BurnerTest::fillProject(m_project.get(), mpg, clips, DiscType::Dvd, ntsc);
    m_project->setTitle(title);
    CreateDVDTask task(m_project.get());
    QSignalSpy progress(&task, &Task::progress);
    QSignalSpy stages(&task, &CreateDVDTask::stageStarted);
    QSignalSpy complete(&task, &Task::complete);
    QSignalSpy failed(&task, &Task::failed);
    task.exec();
    QVERIFY(BurnerTest::waitForEnd(&task, complete, failed));
    QVERIFY2(failed.isEmpty(), failed.isEmpty() ? "" : qPrintable(failed.first().at(0).toString()));
    QCOMPARE(progress.first().at(0).toReal(), -1.0);
    QCOMPARE(stages.count(), 7);

    const QString iso = task.imagePath();
    QCOMPARE(iso, m_project.get()->tempDirectory().absoluteFilePath(image));
    QVERIFY(!m_project.get()->tempDirectory().exists(QStringLiteral("Summer 2024")));
    const qint64 size = QFileInfo(iso).size();
    QVERIFY(size > 0);
    QCOMPARE(size % 2048, 0);

    QByteArray out;
    QCOMPARE(TestSupport::run(QStringLiteral("lsdvd"), {QStringLiteral("-v"), iso}, &out), 0);
    const QString listing = QString::fromLocal8Bit(out);
    QCOMPARE(listing.count(QRegularExpression(QStringLiteral("^Title: \\d+"),
                                              QRegularExpression::MultilineOption)),
             clips);
    const QString format = ntsc ? QStringLiteral("Format: NTSC") : QStringLiteral("Format: PAL");
    const QString frame = ntsc ? QStringLiteral("Width: 720, Height: 480")
                               : QStringLiteral("Width: 720, Height: 576");
    QCOMPARE(listing.count(format), clips);
    QCOMPARE(listing.count(frame), clips);
}

namespace {

// Subpicture languages per title, as the disc lister reads them from the image.
QList<QStringList> subtitleLanguages(const QString &iso)
{
    QByteArray out;
    if (TestSupport::run(QStringLiteral("lsdvd"), {QStringLiteral("-s"), iso}, &out) != 0)
        return {};
    QList<QStringList> titles;
    static const QRegularExpression language(QStringLiteral("Subtitle: \\d+, Language: (\\w+)"));
    for (const QString &line : QString::fromLocal8Bit(out).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Title: ")))
            titles.append(QStringList());
        const QRegularExpressionMatch match = language.match(line);
        if (match.hasMatch() && !titles.isEmpty())
            titles.last() << match.captured(1);
    }
    return titles;
}

void writeText(const QString &path, const QByteArray &text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

} // namespace

void TestDvdAuthoring::subtitles_data()
{
    // Per clip: subtitle files beside it ("suffix=content"), whether they go on.
    QTest::addColumn<QStringList>("first");
    QTest::addColumn<bool>("firstOn");
    QTest::addColumn<QStringList>("second");
    QTest::addColumn<QList<QStringList>>("expected");
    const QString srt =
        QStringLiteral("en.srt=1\n00:00:00,200 --> 00:00:01,800\nHello <i>there</i>\n");
    const QString vtt = QStringLiteral("de.vtt=WEBVTT\n\n00:00.300 --> 00:01.700 line:80%\n<v "
                                       "Anna>Guten Tag, &amp; Gr\u00fc\u00dfe\n");
    QTest::newRow("SubRip on the first clip only")
        << QStringList{srt} << true << QStringList{} << QList<QStringList>{{"en"}, {}};
    QTest::newRow("two languages, WebVTT too")
        << QStringList{srt, vtt} << true << QStringList{}
        << QList<QStringList>{{"de", "en"}, {}}; // streams in file name order
    QTest::newRow("left off by the user")
        << QStringList{srt} << false << QStringList{vtt} << QList<QStringList>{{}, {"de"}};
    QTest::newRow("a file without cues is left out")
        << QStringList{QStringLiteral("en.srt=no cues here\n")} << true << QStringList{vtt}
        << QList<QStringList>{{}, {"de"}};
}

// Subtitle files beside the videos become subpicture streams with their
// language, on the titles of the clips they belong to.
void TestDvdAuthoring::subtitles()
{
    QFETCH(QStringList, first);
    QFETCH(bool, firstOn);
    QFETCH(QStringList, second);
    QFETCH(QList<QStringList>, expected);
    const QString mpg = BurnerTest::discClip(QStringLiteral("ntsc-dvd"));
    QVERIFY(!mpg.isEmpty());
    Project *project = m_project.get();
    project->reset();
    project->setNtsc(true);
    project->setTitle(QStringLiteral("Subtitled"));
    const QDir temp = project->tempDirectory();
    const QList<QStringList> files{first, second};
    for (int i = 0; i < files.size(); ++i) {
        const QString base = temp.absoluteFilePath(QStringLiteral("Clip%1").arg(i));
        QVERIFY(QFile::copy(mpg, base + QStringLiteral(".mpg")));
        for (const QString &file : files.at(i))
            writeText(base + QLatin1Char('.') + file.section(QLatin1Char('='), 0, 0),
                      file.section(QLatin1Char('='), 1).toUtf8());
        VideoClip clip(base + QStringLiteral(".mpg"), 2, 0, 720, 480);
        clip.subtitles = SubtitleFile::besideVideo(clip.path);
        QCOMPARE(clip.subtitles.size(), files.at(i).size());
        clip.subtitlesOn = i == 0 ? firstOn : true;
        project->addClip(clip);
        QVERIFY(QFile::copy(mpg, project->convertedFilePath(QStringLiteral("file_%1").arg(i))));
    }

    CreateDVDTask task(project);
    QSignalSpy complete(&task, &Task::complete);
    QSignalSpy failed(&task, &Task::failed);
    task.exec();
    QVERIFY(BurnerTest::waitForEnd(&task, complete, failed, 240000));
    QVERIFY2(failed.isEmpty(), failed.isEmpty() ? ""
                                                : qPrintable(failed.first().at(0).toString() +
                                                             failed.first().at(1).toString()));
    QCOMPARE(subtitleLanguages(task.imagePath()), expected);

    // The title's program stream in the image carries the rendered pictures.
    const QString vob = m_dir.filePath(QStringLiteral("VTS_01_1.VOB"));
    QFile::remove(vob);
    QCOMPARE(
        TestSupport::run(QStringLiteral("xorriso"),
                         {QStringLiteral("-osirrox"), QStringLiteral("on"),
                          QStringLiteral("-indev"), task.imagePath(), QStringLiteral("-extract"),
                          QStringLiteral("/VIDEO_TS/VTS_01_1.VOB"), vob}),
        0);
    QByteArray out;
    QCOMPARE(TestSupport::run(QStringLiteral("ffprobe"),
                              {QStringLiteral("-v"), QStringLiteral("error"),
                               QStringLiteral("-count_packets"), QStringLiteral("-select_streams"),
                               QStringLiteral("s"), QStringLiteral("-show_entries"),
                               QStringLiteral("stream=codec_name,nb_read_packets"),
                               QStringLiteral("-of"), QStringLiteral("csv=p=0"), vob},
                              &out),
             0);
    qsizetype streams = 0;
    for (const QStringList &title : expected)
        streams = qMax(streams, title.size());
    const QStringList probed =
        QString::fromUtf8(out).trimmed().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(probed.size(), streams);
    for (const QString &stream : probed) {
        QCOMPARE(stream.section(QLatin1Char(','), 0, 0), QStringLiteral("dvd_subtitle"));
        QVERIFY(stream.section(QLatin1Char(','), 1).toInt() > 0);
    }
    // Of the streams made in between, only the last of each clip is left.
    const auto subtitled = std::count_if(expected.cbegin(), expected.cend(),
                                         [](const QStringList &title) { return !title.isEmpty(); });
    QCOMPARE(temp.entryList({QStringLiteral("file_*-subtitle*.mpg")}).size(), subtitled);
}

namespace {

// The menu pages dvdunauthor reads back from an image: per menu PGC its
// entry and its buttons' commands, each on one line.
struct MenuPage
{
    QString entry;
    QStringList buttons;
    QString pre;
};

QList<MenuPage> menuPages(const QString &iso, const QString &folder)
{
    QProcess unauthor;
    unauthor.setWorkingDirectory(folder);
    unauthor.start(QStringLiteral("dvdunauthor"), {iso});
    if (!unauthor.waitForFinished(120000) || unauthor.exitCode() != 0)
        return {};
    QFile file(QDir(folder).filePath(QStringLiteral("dvdauthor.xml")));
    QDomDocument doc;
    if (!file.open(QIODevice::ReadOnly) || !doc.setContent(&file))
        return {};
    const auto simplified = [](const QDomElement &e) { return e.text().simplified(); };
    QList<MenuPage> pages;
    const QDomElement menus = doc.documentElement()
                                  .firstChildElement(QStringLiteral("titleset"))
                                  .firstChildElement(QStringLiteral("menus"));
    for (QDomElement pgc = menus.firstChildElement(QStringLiteral("pgc")); !pgc.isNull();
         pgc = pgc.nextSiblingElement(QStringLiteral("pgc"))) {
        MenuPage page{pgc.attribute(QStringLiteral("entry")),
                      {},
                      simplified(pgc.firstChildElement(QStringLiteral("pre")))};
        const QDomNodeList buttons = pgc.elementsByTagName(QStringLiteral("button"));
        for (int i = 0; i < buttons.size(); ++i)
            page.buttons << simplified(buttons.at(i).toElement());
        pages << page;
    }
    return pages;
}

} // namespace

void TestDvdAuthoring::subtitleMenu_data()
{
    // Subtitle files beside the first clip; the second has none.
    QTest::addColumn<QStringList>("languages");
    QTest::newRow("two languages on one of two clips") << QStringList{"de", "en"};
    QTest::newRow("no subtitles") << QStringList{};
}

// A disc with subtitles gets a "Subtitles" button leading to a page of its
// languages and "Off", whose buttons set the subtitle stream the titles
// play with; a disc without has neither.
void TestDvdAuthoring::subtitleMenu()
{
    QFETCH(QStringList, languages);
    const QString mpg = BurnerTest::discClip(QStringLiteral("ntsc-dvd"));
    QVERIFY(!mpg.isEmpty());
    Project *project = m_project.get();
    project->reset();
    project->setNtsc(true);
    project->setTitle(QStringLiteral("Subtitle Menu"));
    const QDir temp = project->tempDirectory();
    for (int i = 0; i < 2; ++i) {
        const QString base = temp.absoluteFilePath(QStringLiteral("Clip%1").arg(i));
        QVERIFY(QFile::copy(mpg, base + QStringLiteral(".mpg")));
        if (i == 0) {
            for (const QString &language : std::as_const(languages))
                writeText(base + QLatin1Char('.') + language + QStringLiteral(".srt"),
                          "1\n00:00:00,200 --> 00:00:01,800\nHello " + language.toUtf8() + "\n");
        }
        VideoClip clip(base + QStringLiteral(".mpg"), 2, 0, 720, 480);
        clip.subtitles = SubtitleFile::besideVideo(clip.path);
        clip.subtitlesOn = true;
        project->addClip(clip);
        QVERIFY(QFile::copy(mpg, project->convertedFilePath(QStringLiteral("file_%1").arg(i))));
    }

    CreateDVDTask task(project);
    QSignalSpy complete(&task, &Task::complete);
    QSignalSpy failed(&task, &Task::failed);
    task.exec();
    QVERIFY(BurnerTest::waitForEnd(&task, complete, failed, 240000));
    QVERIFY2(failed.isEmpty(), failed.isEmpty() ? ""
                                                : qPrintable(failed.first().at(0).toString() +
                                                             failed.first().at(1).toString()));
    QCOMPARE(subtitleLanguages(task.imagePath()), (QList<QStringList>{languages, {}}));

    QTemporaryDir unauthored;
    const QList<MenuPage> pages = menuPages(task.imagePath(), unauthored.path());
    QVERIFY(!pages.isEmpty());
    const MenuPage root = pages.first();
    QCOMPARE(root.entry, QStringLiteral("root"));
    // "Play All" and the two clips, then "Subtitles" where the disc has them.
    QCOMPARE(root.buttons.size(), languages.isEmpty() ? 3 : 4);
    const auto subtitlePage = std::find_if(pages.cbegin(), pages.cend(), [](const MenuPage &p) {
        return p.entry == QLatin1String("subtitle");
    });
    if (languages.isEmpty()) {
        QVERIFY(subtitlePage == pages.cend());
        for (const MenuPage &page : pages)
            QVERIFY2(!page.buttons.join(QLatin1Char(' ')).contains(QLatin1String("subtitle")),
                     qPrintable(page.buttons.join(QLatin1Char(' '))));
        return;
    }
    QVERIFY(subtitlePage != pages.cend());
    const int pageNumber = int(subtitlePage - pages.cbegin()) + 1;
    QCOMPARE(root.buttons.last(), QStringLiteral("jump pgc %1;").arg(pageNumber));
    // Shown from the start, in the first language, once.
    QVERIFY2(root.pre.contains(QLatin1String("subtitle = 0x40;")), qPrintable(root.pre));

    // One button per stream (64 + stream: shown), "Off", then "Back".
    QStringList expected;
    for (int stream = 0; stream < languages.size(); ++stream)
        expected << QStringLiteral("subtitle = 0x%1; jump pgc 1;").arg(64 + stream, 0, 16);
    expected << QStringLiteral("subtitle = 0x0; jump pgc 1;") << QStringLiteral("jump pgc 1;");
    QCOMPARE(subtitlePage->buttons, expected);
    // The page opens on the choice in force.
    for (int stream = 0; stream < languages.size(); ++stream)
        QVERIFY2(subtitlePage->pre.contains(QStringLiteral("button = %1k;").arg(stream + 1)),
                 qPrintable(subtitlePage->pre));

    // The page as drawn: the heading, the languages by their own names and
    // "Off" in the first column, "Back" beside the heading.
    const DvdMenu drawn = DvdMenu::subtitlePage(languages, true);
    QCOMPARE(drawn.buttonTexts(), (QStringList{"Deutsch", "English", "Off", "Back"}));
    QCOMPARE(drawn.buttons().size(), expected.size());
    // A language by its own name, not its country's variety.
    QCOMPARE(DvdMenu::subtitlePage({"es", "pt", ""}, true).labels(),
             (QStringList{"Español", "Português", "Unknown language"}));
    QVERIFY(drawn.fitsFrame());
    QCOMPARE(DvdMenu(QStringList{"a", "b"}, true, true).buttonTexts().last(),
             QStringLiteral("Subtitles"));
    if (Screenshots::wanted()) {
        for (const char *vob : {"vob_01m_001.vob", "vob_01m_002.vob"})
            TestSupport::run(QStringLiteral("ffmpeg"),
                             {QStringLiteral("-y"), QStringLiteral("-loglevel"),
                              QStringLiteral("error"), QStringLiteral("-i"),
                              QDir(unauthored.path()).filePath(QLatin1String(vob)),
                              QStringLiteral("-frames:v"), QStringLiteral("1"),
                              Screenshots::path(QLatin1String(vob) + QStringLiteral(".png"))});
    }
}

QTEST_MAIN(TestDvdAuthoring)
#include "tst_dvdauthoring.moc"
