// The library page of the real program on a virtual X display, signed in on
// the demo site, with a library of a few hundred videos: driven with real
// mouse and keyboard events and read through the accessibility bus, as a
// person with a screen reader would.
#include "AtSpiClient.h"
#include "DemoSiteProcess.h"
#include "TestSupport.h"
#include "X11Input.h"
#include "X11Windows.h"
#include "core/Version.h"
#include "library/LibraryItem.h"

#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

constexpr int videoCount = 300;
constexpr int natureCount = 100; // every third video
const QString windowTitle = QStringLiteral("Corvana Zelta " ZELTA_VERSION);

// Rows straight into the program's database, each with its own name for one clip.
bool fillLibrary(const QString &database, const QString &clip)
{
    const QString folder = QFileInfo(database).absolutePath();
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(database);
        if (!db.open())
            return false;
        db.transaction();
        for (int i = 0; i <= videoCount; ++i) {
            const bool sunset = i == videoCount;
            const QString title = sunset
                                      ? QStringLiteral("Sunset over the lake")
                                      : QStringLiteral("Clip %1").arg(i, 3, 10, QLatin1Char('0'));
            const QString path = QDir(folder).filePath(title + QStringLiteral(".mp4"));
            if (::link(QFile::encodeName(clip).constData(), QFile::encodeName(path).constData()) !=
                0)
                return false;
            LibraryItem item = LibraryItem::fromFile(path);
            item.title(title);
            item.creationDate(1700000000 + quint32(i) * 60);
            item.mediaLengthInSecs(2);
            item.duration(QStringLiteral("0:02"));
            item.sizeInBytes(QFileInfo(path).size());
            item.guid(QStringLiteral("e2e-%1").arg(i));
            item.categories(sunset || i % 3 ? QStringLiteral("City") : QStringLiteral("Nature"));
            const QSqlRecord record = item.toRecord();
            QStringList names, marks;
            for (int f = 0; f < record.count(); ++f) {
                names << record.fieldName(f);
                marks << QStringLiteral("?");
            }
            QSqlQuery insert(db);
            insert.prepare(QStringLiteral("INSERT INTO library (%1) VALUES (%2)")
                               .arg(names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
            for (int f = 0; f < record.count(); ++f)
                insert.addBindValue(record.value(f));
            if (!insert.exec()) {
                qWarning() << insert.lastError().text();
                return false;
            }
        }
        db.commit();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    return true;
}

} // namespace

class TestLibraryPageE2e : public QObject
{
    Q_OBJECT

private:
    using Node = AtSpiClient::Node;

    QProcess m_bus;
    std::unique_ptr<DemoSiteProcess> m_site;
    QProcess m_program;
    AtSpiClient m_atspi;
    X11Input m_input;
    X11Windows m_x;
    Node m_app;
    Node m_window;
    QTemporaryDir m_imports;

    // Polls until a showing widget with that role and name is there.
    Node waitFor(const Node &root, const QString &role, const QString &name, bool prefix = false,
                 int timeoutMs = 30000)
    {
        Node found;
        (void)QTest::qWaitFor(
            [&] { return !(found = m_atspi.find(root, role, name, prefix)).isNull(); }, timeoutMs);
        return found;
    }

    void clickOn(const Node &node)
    {
        const QRect area = m_atspi.extents(node);
        QVERIFY(area.isValid());
        m_input.click(area.center().x(), area.center().y());
    }

    Node list()
    {
        return m_atspi.find(m_window, QStringLiteral("list"), QStringLiteral("My videos"));
    }

    int listRows()
    {
        const Node view = list();
        return view.isNull() ? -1 : m_atspi.rowCount(view);
    }

    // GetAll on the view of that role and name below `root` (showing or
    // not) and on its first items: each answers, and the program lives on.
    void checkGetAll(const Node &root, const QString &role, const QString &name)
    {
        const QStringList collections{QStringLiteral("list"), QStringLiteral("table"),
                                      QStringLiteral("tree")};
        std::function<Node(const Node &)> search = [&](const Node &node) -> Node {
            if (m_atspi.role(node) == role && m_atspi.name(node) == name)
                return node;
            for (int i = 0, count = m_atspi.childCount(node); i < count; ++i) {
                const Node next = m_atspi.child(node, i);
                const bool otherView =
                    collections.contains(m_atspi.role(next)) && m_atspi.name(next) != name;
                if (next.isNull() || otherView)
                    continue;
                const Node found = search(next);
                if (!found.isNull())
                    return found;
            }
            return {};
        };
        const Node view = search(root);
        QVERIFY(!view.isNull());

        const QVariantMap own = m_atspi.allProperties(view);
        QCOMPARE(m_program.state(), QProcess::Running);
        QCOMPARE(own.value(QStringLiteral("Name")).toString(), name);
        const int children = own.value(QStringLiteral("ChildCount")).toInt();
        QCOMPARE(children, m_atspi.childCount(view));
        for (int i = 0; i < qMin(children, 12); ++i) {
            const Node item = m_atspi.child(view, i);
            QVERIFY(!item.isNull());
            const QVariantMap properties = m_atspi.allProperties(item);
            QVERIFY2(!properties.isEmpty(), qPrintable(item.path));
            QCOMPARE(properties.value(QStringLiteral("Name")).toString(), m_atspi.name(item));
            QCOMPARE(properties.value(QStringLiteral("Parent")).value<Node>().path, view.path);
        }
        if (role == QLatin1String("table") || role == QLatin1String("list"))
            QCOMPARE(m_atspi.allProperties(view, QStringLiteral("org.a11y.atspi.Table"))
                         .value(QStringLiteral("NRows"))
                         .toInt(),
                     m_atspi.rowCount(view));
        QCOMPARE(m_program.state(), QProcess::Running);
    }

    // Scrolls to the top and makes the first tile the live one with a click
    // (hovering only lights it up); `row` is its place on the screen.
    void selectFirstTile(QRect *row)
    {
        const Node view = list();
        const QRect area = m_atspi.extents(view);
        m_input.wheel(area.center().x(), area.center().y(), -200);
        const Node first = m_atspi.cell(view, 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_atspi.extents(first).top(), area.top(),
                                  TestSupport::SlowWaitMs);
        *row = m_atspi.extents(first);
        m_input.click(row->left() + 300, row->top() + 30);
        QTRY_VERIFY_WITH_TIMEOUT(m_atspi.isSelected(first), TestSupport::SlowWaitMs);
    }

    // Types a whole path into the name field of a file dialog and accepts
    // it (a second Return in case the first only took the completer's
    // suggestion).
    void answerFileDialog(const Node &dialog, const QString &path)
    {
        const Node field = waitFor(dialog, QStringLiteral("text"), QString(), true);
        QVERIFY(!field.isNull());
        clickOn(field);
        m_input.type(path);
        QTRY_COMPARE_WITH_TIMEOUT(m_atspi.text(field), path, TestSupport::SlowWaitMs);
        m_input.key("Return");
        if (!QTest::qWaitFor([&] { return !m_atspi.isShowing(dialog); }, 3000))
            m_input.key("Return");
        QTRY_VERIFY_WITH_TIMEOUT(!m_atspi.isShowing(dialog), 10000);
    }

    // The burner from the library page's button: the selected video on a
    // DVD, written into `image` chosen with "Image File...", up to the
    // completion message.
    void burnInto(const QString &image)
    {
        const Node burnADisc =
            waitFor(m_window, QStringLiteral("push button"), QStringLiteral("Burn a disc"));
        QVERIFY(!burnADisc.isNull());
        clickOn(burnADisc);
        const Node wizard = waitFor(m_app, QStringLiteral("dialog"), QStringLiteral("Discaveo"));
        QVERIFY(!wizard.isNull());
        const Node files =
            waitFor(wizard, QStringLiteral("table"), QStringLiteral("Files on the disc"));
        QVERIFY(!files.isNull());
        QTRY_COMPARE_WITH_TIMEOUT(m_atspi.rowCount(files), 1, TestSupport::SlowWaitMs);
        const Node burn = waitFor(wizard, QStringLiteral("push button"), QStringLiteral("Burn"));
        QVERIFY(!burn.isNull());
        clickOn(burn);
        // The clip is converted first; then the disc setup asks where to write.
        const Node imageFile = waitFor(m_app, QStringLiteral("push button"),
                                       QStringLiteral("Write to an image file"), false, 300000);
        QVERIFY2(!imageFile.isNull(), "the disc setup did not show");
        clickOn(imageFile);
        const Node save =
            waitFor(m_app, QStringLiteral("dialog"), QStringLiteral("Write to Image File"));
        QVERIFY2(!save.isNull(), "the save dialog did not show");
        RUN_CHECKED(answerFileDialog(save, image));
        const Node burnDisc =
            waitFor(m_app, QStringLiteral("push button"), QStringLiteral("Burn disc"));
        QVERIFY(!burnDisc.isNull());
        QTRY_VERIFY_WITH_TIMEOUT(m_atspi.isEnabled(burnDisc), 30000);
        clickOn(burnDisc);
        const Node done = waitFor(m_app, QStringLiteral("label"),
                                  QStringLiteral("Burning is complete!"), false, 300000);
        QVERIFY2(!done.isNull(), "no completion message");
        const Node ok = waitFor(m_app, QStringLiteral("push button"), QStringLiteral("OK"));
        QVERIFY(!ok.isNull());
        clickOn(ok);
        QTRY_VERIFY_WITH_TIMEOUT(!m_atspi.isShowing(wizard), 30000);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_x.isOpen() && m_input.isOpen(),
                 "needs an X display with XTEST (run under xvfb-run)");
        // A session bus of the test's own; the accessibility bus starts on it.
        m_bus.start(QStringLiteral("dbus-daemon"),
                    {QStringLiteral("--session"), QStringLiteral("--nofork"),
                     QStringLiteral("--print-address=1")});
        QVERIFY(m_bus.waitForStarted(10000) && m_bus.waitForReadyRead(10000));
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.readLine().trimmed());

        m_site = std::make_unique<DemoSiteProcess>();
        QVERIFY(m_site->isRunning());
        {
            QSettings program(QStringLiteral("CorvanaZELTA"), QStringLiteral("CorvanaZELTA"));
            for (const char *key : {"channelServerUrl", "updateUrl", "updatePlainUrl"})
                program.setValue(QStringLiteral("site/") + QLatin1String(key),
                                 m_site->url().toString());
            for (const char *key : {"errorReportUrl", "productSiteUrl", "helpUrl"})
                program.setValue(QStringLiteral("site/") + QLatin1String(key),
                                 QStringLiteral("http://127.0.0.1:9"));
        }

        const QString clip = TestSupport::sampleClip(QStringLiteral("librarye2e-2s.mp4"), 2);
        QVERIFY(!clip.isEmpty());
        // A folder of the user's own, imported through the dialog later.
        QVERIFY(QDir(m_imports.path()).mkpath(QStringLiteral("Holidays/Garden")));
        QVERIFY(QFile::copy(clip, m_imports.filePath(QStringLiteral("Holidays/Beach day.mp4"))));
        QVERIFY(QFile::copy(clip, m_imports.filePath(QStringLiteral("Holidays/Garden/Roses.mp4"))));
        QByteArray out;
        QCOMPARE(TestSupport::run(TestSupport::builtProgram(QStringLiteral("zelta-cli")),
                                  {QStringLiteral("library"), QStringLiteral("init")}, &out),
                 0);
        QVERIFY(fillLibrary(QString::fromUtf8(out).trimmed(), clip));

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
        m_program.setProcessEnvironment(environment);
        m_program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_program.start(TestSupport::builtProgram(QStringLiteral("corvana-zelta")), {});
        QVERIFY(m_program.waitForStarted());
        QVERIFY(m_x.waitFor(windowTitle, 60000));

        QVERIFY(m_atspi.open());
        QVERIFY(QTest::qWaitFor(
            [&] { return !(m_app = m_atspi.application(QStringLiteral("CorvanaZELTA"))).isNull(); },
            30000));
        m_window = waitFor(m_app, QStringLiteral("frame"), windowTitle);
        QVERIFY(!m_window.isNull());
    }

    void cleanupTestCase()
    {
        if (m_program.state() != QProcess::NotRunning) {
            if (const X11Windows::WindowId window = m_x.find(windowTitle))
                m_x.requestClose(window);
            if (!m_program.waitForFinished(30000))
                m_program.kill();
        }
        m_bus.terminate();
        m_bus.waitForFinished(5000);
    }

    void signInOnTheSite()
    {
        const Node sidebar = waitFor(m_window, QStringLiteral("tree"), QStringLiteral("Sidebar"));
        QVERIFY(!sidebar.isNull());
        const Node page = waitFor(m_window, QStringLiteral("web document"), QString(), true);
        QVERIFY(!page.isNull());
        QVERIFY(QTest::qWaitFor(
            [&] {
                return m_site->requests().filter(QStringLiteral("GET /start/index.php")).size() > 0;
            },
            30000));
        // The form's user field: from the top of the page, the first stop of Tab.
        // The page may still be drawing at first, so try again until signed in.
        bool signedIn = false;
        for (int attempt = 0; attempt < 5 && !signedIn; ++attempt) {
            // The page reports its corner only; it reaches the window's right edge.
            const QPoint corner = m_atspi.extents(page).topLeft();
            m_input.click(m_atspi.extents(m_window).right() - 30, corner.y() + 4);
            m_input.key("Tab");
            m_input.type(QStringLiteral("demo"));
            m_input.key("Tab");
            m_input.type(QStringLiteral("demo"));
            m_input.key("Return");
            // The site's channels join the sidebar once the member is in.
            signedIn = !waitFor(sidebar, QStringLiteral("tree item"), QStringLiteral("Nature"),
                                false, 10000)
                            .isNull();
        }
        QVERIFY(signedIn);
    }

    // The program's windows on the bus are its own: the web view's hidden
    // render window is not one of them.
    void noStrayWindows()
    {
        QStringList names;
        for (int i = 0, count = m_atspi.childCount(m_app); i < count; ++i)
            names << m_atspi.name(m_atspi.child(m_app, i));
        QVERIFY2(names.contains(windowTitle), qPrintable(names.join(QLatin1Char('|'))));
        QVERIFY2(!names.contains(QStringLiteral("Offscreen")),
                 qPrintable(names.join(QLatin1Char('|'))));
    }

    void libraryPageShowsEveryVideo()
    {
        const Node sidebar =
            m_atspi.find(m_window, QStringLiteral("tree"), QStringLiteral("Sidebar"));
        const Node item = waitFor(sidebar, QStringLiteral("tree item"),
                                  QStringLiteral("My Library (%1)").arg(videoCount + 1));
        QVERIFY(!item.isNull());
        RUN_CHECKED(clickOn(item));
        QVERIFY(!waitFor(m_window, QStringLiteral("list"), QStringLiteral("My videos")).isNull());
        QTRY_COMPARE_WITH_TIMEOUT(listRows(), videoCount + 1, TestSupport::SlowWaitMs);
    }

    void scrollToTheEnd()
    {
        const Node view = list();
        const QRect area = m_atspi.extents(view);
        const Node first = m_atspi.cell(view, 0);
        const Node last = m_atspi.cell(view, videoCount);
        QVERIFY(m_atspi.extents(first).top() >= area.top());
        QVERIFY(!m_atspi.isShowing(last) || m_atspi.extents(last).top() > area.bottom());

        m_input.wheel(area.center().x(), area.center().y(), 10);
        QTRY_VERIFY_WITH_TIMEOUT(m_atspi.extents(first).top() < area.top(),
                                 TestSupport::SlowWaitMs);
        // Down to the end with the wheel.
        for (int round = 0; round < 60 && m_atspi.extents(last).bottom() > area.bottom() + 1;
             ++round)
            m_input.wheel(area.center().x(), area.center().y(), 25);
        QTRY_VERIFY_WITH_TIMEOUT(m_atspi.extents(last).bottom() <= area.bottom() + 1,
                                 TestSupport::SlowWaitMs);
        QVERIFY(m_atspi.extents(last).top() >= area.top());
    }

    void searchNarrowsTheTiles()
    {
        const Node field =
            waitFor(m_window, QStringLiteral("text"), QStringLiteral("Search My Library"));
        QVERIFY(!field.isNull());
        RUN_CHECKED(clickOn(field));
        m_input.type(QStringLiteral("Sunset"));
        QTRY_COMPARE_WITH_TIMEOUT(listRows(), 1, TestSupport::SlowWaitMs);
        QCOMPARE(m_atspi.text(field), QStringLiteral("Sunset"));

        m_input.key("a", true);
        m_input.key("BackSpace");
        QTRY_COMPARE_WITH_TIMEOUT(listRows(), videoCount + 1, TestSupport::SlowWaitMs);
    }

    void detailPageFiltersByCategory()
    {
        const Node details =
            waitFor(m_window, QStringLiteral("check box"), QStringLiteral("Details"));
        QVERIFY(!details.isNull());
        RUN_CHECKED(clickOn(details));
        const Node table =
            waitFor(m_window, QStringLiteral("table"), QStringLiteral("My videos in detail"));
        QVERIFY(!table.isNull());
        QTRY_COMPARE_WITH_TIMEOUT(m_atspi.rowCount(table), videoCount + 1, TestSupport::SlowWaitMs);

        const Node categories =
            waitFor(m_window, QStringLiteral("tree"), QStringLiteral("Categories"));
        QVERIFY(!categories.isNull());
        const Node nature =
            waitFor(categories, QStringLiteral("tree item"), QStringLiteral("Nature"));
        QVERIFY(!nature.isNull());
        RUN_CHECKED(clickOn(nature));
        QTRY_COMPARE_WITH_TIMEOUT(m_atspi.rowCount(table), natureCount, TestSupport::SlowWaitMs);

        RUN_CHECKED(clickOn(details)); // back to the tiles, still filtered
        QTRY_COMPARE_WITH_TIMEOUT(listRows(), natureCount, TestSupport::SlowWaitMs);
    }

    // Screen readers fetch all of an object's properties at once (GetAll);
    // every kind of view answers it, and the program lives on.
    void everyViewAnswersGetAll_data()
    {
        QTest::addColumn<QString>("role");
        QTest::addColumn<QString>("name");
        // The detail page's views are exposed only while that page shows.
        QTest::addColumn<bool>("detailPage");
        QTest::newRow("sidebar") << QStringLiteral("tree") << QStringLiteral("Sidebar") << false;
        QTest::newRow("tiles") << QStringLiteral("list") << QStringLiteral("My videos") << false;
        QTest::newRow("table") << QStringLiteral("table") << QStringLiteral("My videos in detail")
                               << true;
        QTest::newRow("categories")
            << QStringLiteral("tree") << QStringLiteral("Categories") << true;
        QTest::newRow("downloads")
            << QStringLiteral("list") << QStringLiteral("Downloads") << false;
    }

    void everyViewAnswersGetAll()
    {
        QFETCH(QString, role);
        QFETCH(QString, name);
        QFETCH(bool, detailPage);
        const Node details =
            detailPage ? waitFor(m_window, QStringLiteral("check box"), QStringLiteral("Details"))
                       : Node();
        if (detailPage) {
            QVERIFY(!details.isNull());
            RUN_CHECKED(clickOn(details));
            QVERIFY(!waitFor(m_window, role, name).isNull());
        }
        RUN_CHECKED(checkGetAll(m_window, role, name));
        if (detailPage)
            RUN_CHECKED(clickOn(details)); // back to the tiles
    }

    void burnerViewsAnswerGetAll()
    {
        const Node burn =
            waitFor(m_window, QStringLiteral("push button"), QStringLiteral("Burn a disc"));
        QVERIFY(!burn.isNull());
        RUN_CHECKED(clickOn(burn));
        const Node wizard = waitFor(m_app, QStringLiteral("dialog"), QStringLiteral("Discaveo"));
        QVERIFY(!wizard.isNull());
        RUN_CHECKED(
            checkGetAll(wizard, QStringLiteral("table"), QStringLiteral("Files on the disc")));
        RUN_CHECKED(checkGetAll(wizard, QStringLiteral("list"), QStringLiteral("Tasks")));
        m_input.key("Escape");
        QTRY_VERIFY_WITH_TIMEOUT(!m_atspi.isShowing(wizard), TestSupport::SlowWaitMs);
    }

    // The folder button, the folder dialog driven with the keyboard, and
    // the import's videos on the list.
    void importAFolderThroughTheDialog()
    {
        const Node button = waitFor(m_window, QStringLiteral("push button"),
                                    QStringLiteral("Import a folder of videos"));
        QVERIFY(!button.isNull());
        clickOn(button);
        const Node dialog =
            waitFor(m_app, QStringLiteral("dialog"), QStringLiteral("Import Folder"));
        QVERIFY2(!dialog.isNull(), "the folder dialog did not show");
        // The name field's label is the dialog's "Directory:".
        RUN_CHECKED(answerFileDialog(dialog, m_imports.filePath(QStringLiteral("Holidays"))));
        QTRY_COMPARE_WITH_TIMEOUT(listRows(), videoCount + 3, 120000);
        // The summary, then the strip goes (and the list moves up).
        QVERIFY(!waitFor(m_window, QStringLiteral("label"), QStringLiteral("2 imported"), true)
                     .isNull());
        QTRY_VERIFY_WITH_TIMEOUT(
            m_atspi.find(m_window, QStringLiteral("label"), QStringLiteral("2 imported"), true)
                .isNull(),
            30000);
    }

    // Sorted by name on the sort bar, the tiles read in that order, every
    // one of them, as a screen reader reads them.
    void sortByNameReadsEveryTitle()
    {
        const Node header = waitFor(m_window, QString(), QStringLiteral("Sort by"));
        QVERIFY(!header.isNull());
        const QRect bar = m_atspi.extents(header);
        // "Date", "Length", "Name": the last third.
        m_input.click(bar.left() + bar.width() * 5 / 6, bar.center().y());
        QStringList expected{QStringLiteral("Beach day"), QStringLiteral("Roses"),
                             QStringLiteral("Sunset over the lake")};
        for (int i = 0; i < videoCount; ++i)
            expected << QStringLiteral("Clip %1").arg(i, 3, 10, QLatin1Char('0'));
        expected.sort();
        const Node view = list();
        const auto titles = [&] {
            QStringList read;
            for (int row = 0, rows = m_atspi.rowCount(view); row < rows; ++row)
                read << m_atspi.name(m_atspi.cell(view, row));
            return read;
        };
        QTRY_COMPARE_WITH_TIMEOUT(titles(), expected, 30000);
    }

    // Two discs in a row from the selected tile, each into the image file
    // chosen for it in the save dialog; lsdvd reads both.
    void burnToTwoImageFiles()
    {
        QVERIFY(QDir(m_imports.path()).mkpath(QStringLiteral("discs")));
        const QStringList images{m_imports.filePath(QStringLiteral("discs/first.iso")),
                                 m_imports.filePath(QStringLiteral("discs/second.iso"))};
        QRect row;
        RUN_CHECKED(selectFirstTile(&row));
        for (const QString &image : images)
            RUN_CHECKED(burnInto(image));
        for (const QString &image : images)
            QCOMPARE(TestSupport::dvdTitles(image), 1);
    }

    void playFromATile()
    {
        QRect row;
        RUN_CHECKED(selectFirstTile(&row));
        // Its play button sits in the middle of the picture at the row's left
        // (130 x 100 after a 6, 5 margin).
        m_input.click(row.left() + 6 + 65, row.top() + 5 + 50);

        // The player page takes the library page's place and plays. A two-second
        // clip may be over before a busy machine looks at the play button, so
        // the test waits on what lasts: the video's title in the window title,
        // put there once playback began.
        QVERIFY(
            !waitFor(m_window, QStringLiteral("slider"), QStringLiteral("Position"), false, 120000)
                 .isNull());
        QVERIFY(list().isNull());
        QVERIFY(QTest::qWaitFor(
            [&] { return m_atspi.name(m_window).endsWith(QStringLiteral(" - ") + windowTitle); },
            120000));
        const QString playing = m_atspi.name(m_window).chopped(windowTitle.size() + 3);
        // The tiles are sorted by name since the import: the first is that
        // of the imported "Beach day".
        QCOMPARE(playing, QStringLiteral("Beach day"));
    }
};

QTEST_GUILESS_MAIN(TestLibraryPageE2e)
#include "tst_librarypage_e2e.moc"
