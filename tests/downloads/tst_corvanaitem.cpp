// Descriptor parsing: every field, the edge cases, and malformed input.
#include "downloads/CorvanaItem.h"
#include "downloads/Download.h"
#include "library/Library.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

QByteArray document(const QByteArray &items)
{
    return "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>t</title>" + items +
           "</channel></rss>";
}

QByteArray itemWithContent(const QByteArray &contentAttributes, const QByteArray &extra = {})
{
    return "<item><title>T</title><guid>g</guid>" + extra + "<media:group><media:content " +
           contentAttributes + "><media:title>M</media:title></media:content></media:group></item>";
}

const QByteArray kFullItem =
    "<item><title>Part 1: The Start...</title><guid>guid-1</guid>"
    "<description>About it</description><pubDate>Tue, 06 Dec 2011 08:00:00 GMT</pubDate>"
    "<cover>http://site/c.jpg</cover><categories>A, B</categories><stars>X, Y</stars>"
    "<duration>12:34</duration><media:group><media:content "
    "url=\"http://site/v.mp4?x=1&amp;amp;y=2\" "
    "bytes=\"1234567\" type=\"video/mp4\"><media:title>Clip: One</media:title>"
    "<media:thumbnail url=\"http://site/t.jpg\"/><rating>5</rating></media:content>"
    "</media:group></item>";

QStringList g_log;

void captureLog(QtMsgType, const QMessageLogContext &, const QString &message)
{
    g_log << message;
}

} // namespace

class TestCorvanaItem : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyField()
    {
        const QList<CorvanaItem> items = CorvanaItem::parseCorvanaFile(document(kFullItem));
        QCOMPARE(items.size(), 1);
        const CorvanaItem &item = items.first();
        QVERIFY(!item.isNull());
        QCOMPARE(item.title(), QStringLiteral("Part 1: The Start..."));
        QCOMPARE(item.guid(), QStringLiteral("guid-1"));
        QCOMPARE(item.description(), QStringLiteral("About it"));
        QCOMPARE(item.pubDate(), QDateTime(QDate(2011, 12, 6), QTime(0, 0)));
        QCOMPARE(item.cover(), QStringLiteral("http://site/c.jpg"));
        QCOMPARE(item.categories(), QStringLiteral("A, B"));
        QCOMPARE(item.stars(), QStringLiteral("X, Y"));
        QCOMPARE(item.duration(), QStringLiteral("12:34"));
        QCOMPARE(item.mediaUrl().query(), QStringLiteral("x=1&y=2"));
        QCOMPARE(item.mediaSize(), qint64(1234567));
        QCOMPARE(item.fileType(), QStringLiteral("mp4"));
        QCOMPARE(item.mediaTitle(), QStringLiteral("Clip: One"));
        QCOMPARE(item.thumbnailUrl(), QUrl(QStringLiteral("http://site/t.jpg")));
        QCOMPARE(item.rating(), QStringLiteral("5"));
    }

    void fileTypeAndSize_data()
    {
        QTest::addColumn<QByteArray>("attributes");
        QTest::addColumn<QByteArray>("extra");
        QTest::addColumn<QString>("fileType");
        QTest::addColumn<qint64>("size");
        QTest::newRow("mime mp4") << QByteArray(
                                         "url=\"http://s/a\" type=\"video/mp4\" bytes=\"10\"")
                                  << QByteArray() << "mp4" << qint64(10);
        QTest::newRow("mime x-flv") << QByteArray("url=\"http://s/a\" type=\"video/x-flv\"")
                                    << QByteArray() << "x-flv" << qint64(0);
        QTest::newRow("filetype element")
            << QByteArray("url=\"http://s/a\"") << QByteArray("<filetype>.wmv</filetype>") << "wmv"
            << qint64(0);
        QTest::newRow("url suffix")
            << QByteArray("url=\"http://s/Clip.MP4\"") << QByteArray() << "mp4" << qint64(0);
        QTest::newRow("beyond 32 bits") << QByteArray("url=\"http://s/a.mp4\" bytes=\"3000000000\"")
                                        << QByteArray() << "mp4" << qint64(3000000000);
        QTest::newRow("not a number") << QByteArray("url=\"http://s/a.mp4\" bytes=\"12kB\"")
                                      << QByteArray() << "mp4" << qint64(0);
    }
    void fileTypeAndSize()
    {
        QFETCH(QByteArray, attributes);
        QFETCH(QByteArray, extra);
        QFETCH(QString, fileType);
        QFETCH(qint64, size);
        const auto items =
            CorvanaItem::parseCorvanaFile(document(itemWithContent(attributes, extra)));
        QCOMPARE(items.size(), 1);
        QCOMPARE(items.first().fileType(), fileType);
        QCOMPARE(items.first().mediaSize(), size);
    }

    void documentShapes_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QStringList>("guids");
        QTest::newRow("two items in order")
            << document("<item><guid>a</guid></item><item><guid>b</guid></item>")
            << QStringList{"a", "b"};
        QTest::newRow("items without guid skipped")
            << document("<item><title>n</title></item><item><guid> </guid></item>"
                        "<item><guid>c</guid></item>")
            << QStringList{"c"};
        QTest::newRow("nested item found")
            << document("<group><item><guid>deep</guid></item></group>") << QStringList{"deep"};
        QTest::newRow("no rss")
            << QByteArray("<feed><channel><item><guid>x</guid></item></channel></feed>")
            << QStringList{};
        QTest::newRow("no channel")
            << QByteArray("<rss><item><guid>x</guid></item></rss>") << QStringList{};
        QTest::newRow("malformed")
            << QByteArray("<rss><channel><item><guid>x</guid></channel>") << QStringList{};
        QTest::newRow("empty") << QByteArray() << QStringList{};
        // Refused whole, before the tree parser slows down on the depth.
        QTest::newRow("nested too deep")
            << document("<item><guid>ok</guid></item>" + QByteArray("<x>").repeated(70) +
                        QByteArray("</x>").repeated(70))
            << QStringList{};
    }
    void documentShapes()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QStringList, guids);
        QStringList found;
        for (const CorvanaItem &item : CorvanaItem::parseCorvanaFile(xml))
            found << item.guid();
        QCOMPARE(found, guids);
    }

    void missingMediaGroupGivesEmptyMedia()
    {
        const auto items = CorvanaItem::parseCorvanaFile(document("<item><guid>g</guid></item>"));
        QCOMPARE(items.size(), 1);
        QVERIFY(items.first().mediaUrl().isEmpty());
        QCOMPARE(items.first().mediaSize(), qint64(0));
        QVERIFY(items.first().mediaTitle().isEmpty());
    }

    void copiesDoNotShareWrites()
    {
        const auto items = CorvanaItem::parseCorvanaFile(document(kFullItem));
        CorvanaItem copy = items.first();
        copy.setMediaSize(42);
        copy.setTitle(QStringLiteral("other"));
        QCOMPARE(items.first().mediaSize(), qint64(1234567));
        QCOMPARE(items.first().title(), QStringLiteral("Part 1: The Start..."));
        QCOMPARE(copy.mediaSize(), qint64(42));
    }

    void fileNames_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("safe");
        QTest::newRow("plain") << "clip.mp4"
                               << "clip.mp4";
        QTest::newRow("parent folder") << ".."
                                       << "_";
        QTest::newRow("current folder") << "."
                                        << "_";
        QTest::newRow("empty") << ""
                               << "_";
        QTest::newRow("slashes") << "a/b\\c"
                                 << "a b c";
    }
    void fileNames()
    {
        QFETCH(QString, input);
        QFETCH(QString, safe);
        QCOMPARE(Download::safeFileName(input), safe);
    }

    void urlFileNames_data()
    {
        QTest::addColumn<QUrl>("url");
        QTest::addColumn<QString>("name");
        QTest::newRow("last segment") << QUrl("http://s/files/clip.mp4") << "clip.mp4";
        QTest::newRow("trailing slash") << QUrl("http://s/files/clip.mp4/") << "clip.mp4";
        QTest::newRow("encoded slash") << QUrl("http://s/files/a%2F..%2Fb.mp4") << "a .. b.mp4";
        QTest::newRow("only dots") << QUrl("http://s/files/%2E%2E") << "_";
    }
    void urlFileNames()
    {
        QFETCH(QUrl, url);
        QFETCH(QString, name);
        QCOMPARE(Download::urlFileName(url), name);
    }

    void titlesDropControlCharacters_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("title");
        QTest::newRow("line break") << "First\nSecond"
                                    << "FirstSecond";
        QTest::newRow("carriage return and tab") << "A\r\tB"
                                                 << "AB";
        QTest::newRow("escape and bell") << "A\x1b[31m\aB"
                                         << "A[31mB";
        QTest::newRow("line separator") << QString::fromUtf8("A\u2028B") << "AB";
        QTest::newRow("long title kept whole")
            << QString(300, QLatin1Char('x')) << QString(300, QLatin1Char('x'));
    }

    void titlesDropControlCharacters()
    {
        QFETCH(QString, raw);
        QFETCH(QString, title);
        QCOMPARE(CorvanaItem::filterTitle(raw), title);
    }

    // Descriptors carry signed media addresses ("token=", "sig="): neither a
    // good nor a broken document is written to the log.
    void documentsAreNotLogged_data()
    {
        QTest::addColumn<QByteArray>("xml");
        const QByteArray secretItem = itemWithContent(
            "url=\"http://site/v.mp4?token=S3CR3T&amp;sig=S1GN\" type=\"video/mp4\"");
        QTest::newRow("good") << document(secretItem);
        QTest::newRow("broken") << document(secretItem).chopped(5);
    }

    void documentsAreNotLogged()
    {
        QFETCH(QByteArray, xml);
        g_log.clear();
        const QtMessageHandler previous = qInstallMessageHandler(captureLog);
        CorvanaItem::parseCorvanaFile(xml);
        qInstallMessageHandler(previous);
        QVERIFY(!g_log.isEmpty()); // the parse is still noted, by size and hash
        const QString all = g_log.join(QLatin1Char('\n'));
        QVERIFY2(!all.contains(QLatin1String("S3CR3T")) && !all.contains(QLatin1String("S1GN")),
                 qPrintable(all));
    }

    void videoFileTypes_data()
    {
        QTest::addColumn<QByteArray>("attributes");
        QTest::addColumn<bool>("video");
        QTest::newRow("video/mp4") << QByteArray("type=\"video/mp4\"") << true;
        QTest::newRow("video/x-ms-wmv") << QByteArray("type=\"video/x-ms-wmv\"") << true;
        QTest::newRow("suffix only") << QByteArray("url=\"http://s/Clip.MKV\"") << true;
        QTest::newRow("text/html") << QByteArray("type=\"text/html\"") << false;
        QTest::newRow("html suffix") << QByteArray("url=\"http://s/page.html\"") << false;
        QTest::newRow("desktop file") << QByteArray("type=\"application/x-desktop\"") << false;
        QTest::newRow("nothing") << QByteArray("url=\"http://s/v\"") << false;
    }

    void videoFileTypes()
    {
        QFETCH(QByteArray, attributes);
        QFETCH(bool, video);
        const QList<CorvanaItem> items =
            CorvanaItem::parseCorvanaFile(document(itemWithContent(attributes)));
        QCOMPARE(items.size(), 1);
        QCOMPARE(items.first().hasVideoFileType(), video);
    }

    // The site's title is shown as sent; only the folder and file names made
    // from it lose what a file name cannot carry.
    void titlesShownAsSentNamedSafely_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("name");
        QTest::newRow("colon") << "Meadow: The Long Summer"
                               << "Meadow: The Long Summer"
                               << "Meadow  The Long Summer";
        QTest::newRow("slashes") << "AC/DC \\ Live"
                                 << "AC/DC \\ Live"
                                 << "AC DC   Live";
        QTest::newRow("question and star") << "Why? *Now*"
                                           << "Why? *Now*"
                                           << "Why   Now";
        QTest::newRow("ellipsis and brackets") << "<Wait...>"
                                               << "<Wait...>"
                                               << "Wait";
        QTest::newRow("quotes") << "Say \"Hi\" & 'Bye'"
                                << "Say \"Hi\" & 'Bye'"
                                << "Say \"Hi\" & 'Bye'";
        QTest::newRow("line break") << "First\nSecond"
                                    << "FirstSecond"
                                    << "FirstSecond";
        QTest::newRow("only file-name characters") << "???"
                                                   << "???"
                                                   << "_";
        const QString half(200, QChar(0x00e9)); // two bytes each in UTF-8
        QTest::newRow("very long")
            << half + QStringLiteral(": ") + half << half + QStringLiteral(": ") + half
            << half + QStringLiteral("  ") + half;
    }

    void titlesShownAsSentNamedSafely()
    {
        QFETCH(QString, raw);
        QFETCH(QString, shown);
        QFETCH(QString, name);
        const QString xml =
            QStringLiteral("<item><guid>g</guid><title>%1</title><media:group>"
                           "<media:content url=\"http://s/v\" type=\"video/mp4\">"
                           "<media:title>%1</media:title></media:content></media:group></item>")
                .arg(raw.toHtmlEscaped());
        const QList<CorvanaItem> items = CorvanaItem::parseCorvanaFile(document(xml.toUtf8()));
        QCOMPARE(items.size(), 1);
        QCOMPARE(items.first().title(), shown);
        QCOMPARE(items.first().mediaTitle(), shown);

        QTemporaryDir home;
        const LibraryLocation library = LibraryLocation::setUp(home.path());
        Download download(nullptr, nullptr, library, QUrl(QStringLiteral("http://s/x.corvana")),
                          false);
        download.setItem(items.first());
        const QFileInfo folder(download.downloadFolder());
        QCOMPARE(folder.absolutePath(), QDir(library.folder()).absolutePath());
        const QString nameStart = name.left(100);
        QVERIFY2(folder.fileName().toUtf8().size() <= 255, qPrintable(folder.fileName()));
        QVERIFY2(name.startsWith(folder.fileName()), qPrintable(folder.fileName()));
        if (name.toUtf8().size() <= 200)
            QCOMPARE(folder.fileName(), name);
        const QStringList files{download.mediaPath(), download.thumbnailPath(),
                                download.coverPath()};
        const QStringList suffixes{QStringLiteral(".mp4"), QStringLiteral("-thumb.jpg"),
                                   QStringLiteral("-cover.jpg")};
        for (qsizetype i = 0; i < files.size(); ++i) {
            const QFileInfo file(files.at(i));
            QCOMPARE(file.absolutePath(), folder.absoluteFilePath());
            QVERIFY2(file.fileName().toUtf8().size() <= 255, qPrintable(file.fileName()));
            QVERIFY2(file.fileName().startsWith(nameStart), qPrintable(file.fileName()));
            QVERIFY2(file.fileName().endsWith(suffixes.at(i)), qPrintable(file.fileName()));
        }
    }

    // Mutated documents never crash the parser and never yield garbage sizes.
    void mutatedDocuments()
    {
        const QByteArray seed = document(kFullItem + kFullItem);
        QRandomGenerator random(4242);
        // Thousands of parse errors would flood the output.
        const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
        const auto restore = qScopeGuard([previous] { qInstallMessageHandler(previous); });
        for (int round = 0; round < 3000; ++round) {
            QByteArray mutated = seed;
            const int edits = 1 + int(random.bounded(8));
            for (int e = 0; e < edits; ++e) {
                const int at = int(random.bounded(mutated.size()));
                switch (random.bounded(3)) {
                case 0:
                    mutated[at] = char(random.bounded(256));
                    break;
                case 1:
                    mutated.remove(at, int(random.bounded(16)));
                    break;
                default:
                    mutated.insert(at, mutated.mid(int(random.bounded(mutated.size())), 12));
                }
            }
            for (const CorvanaItem &item : CorvanaItem::parseCorvanaFile(mutated)) {
                QVERIFY(item.mediaSize() >= 0);
                QVERIFY(!CorvanaItem::fileNameTitle(item.title()).contains(QLatin1Char('/')));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestCorvanaItem)
#include "tst_corvanaitem.moc"
