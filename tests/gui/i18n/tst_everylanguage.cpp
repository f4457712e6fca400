// Every page and dialog in each language the program ships, at the scale the
// run was started with (CTest runs it at QT_SCALE_FACTOR 1 and 2): no label,
// button, header or sidebar row whose text is cut or elided, and no English
// left over in a translated language, in the widgets nor in the items that
// lists paint (read as a screen reader has them). With ZELTA_SCREENSHOTS set,
// each page is also saved there as a picture for a person to look at.
#include "DownloadSiteFixture.h"
#include "Screenshots.h"
#include "TestSupport.h"

#include "app/Translations.h"
#include "burner/LibburnDeviceController.h"
#include "burner/Project.h"
#include "core/SiteConfig.h"
#include "downloads/Download.h"
#include "downloads/DownloadManager.h"
#include "engines/Engines.h"
#include "gui/burner/BurnerWizard.h"
#include "gui/burner/DiscSetupDialog.h"
#include "gui/common/ItemViewAccessible.h"
#include "gui/dialogs/ErrorReportDialog.h"
#include "gui/library/CorvMediaInformationEditDialog.h"
#include "gui/library/LibraryWidget.h"
#include "gui/mainwindow/CorvTreeView.h"
#include "gui/mainwindow/ItemDelegate.h"
#include "gui/mainwindow/MainWindow.h"
#include "gui/mainwindow/SidebarModel.h"
#include "library/Library.h"
#include "library/LibraryItem.h"
#include "library/LibraryModel.h"
#include "library/LibraryStore.h"
#include "web/Account.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlRecord>
#include <QStandardItem>
#include <QStyleOptionFrame>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTimeLine>
#include <QToolButton>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

namespace {

// Words that stay the same in a language: names, units and the few words a
// language shares with English. Anything else equal to the English text is
// left untranslated.
const QStringList kNames = {
    QStringLiteral("Corvana"),  QStringLiteral("CorvanaZELTA"), QStringLiteral("Zelta"),
    QStringLiteral("Discaveo"), QStringLiteral("NTSC"),         QStringLiteral("PAL"),
    QStringLiteral("DVD"),      QStringLiteral("VCD"),          QStringLiteral("SVCD"),
    QStringLiteral("MPEG"),     QStringLiteral("MP4"),          QStringLiteral("kB"),
    QStringLiteral("MB"),       QStringLiteral("GB"),           QStringLiteral("iTunes"),
    QStringLiteral("SSL"),      QStringLiteral("OpenSSL")};
const QHash<QString, QStringList> kSameAsEnglish = {
    {QStringLiteral("de"),
     {QStringLiteral("OK"), QStringLiteral("Name"), QStringLiteral("Details"),
      QStringLiteral("Downloads"), QStringLiteral("Status"), QStringLiteral("Format"),
      QStringLiteral("Video"), QStringLiteral("Position"), QStringLiteral("Player")}},
    {QStringLiteral("fr"),
     {QStringLiteral("OK"), QStringLiteral("Date"), QStringLiteral("Description"),
      QStringLiteral("Pause"), QStringLiteral("Position"), QStringLiteral("Volume"),
      QStringLiteral("Pages")}},
    {QStringLiteral("es"), {QStringLiteral("bytes"), QStringLiteral("min")}},
};

// The library's videos: their texts are data, shown as they are in every language.
const QStringList kTitles = {QStringLiteral("Harbour Lights at Dusk"),
                             QStringLiteral("Quiet Morning")};

struct Language
{
    QString code;
    QLocale locale;
};

const QList<Language> kLanguages = {
    {QStringLiteral("en"), QLocale(QLocale::English, QLocale::UnitedStates)},
    {QStringLiteral("de"), QLocale(QLocale::German, QLocale::Germany)},
    {QStringLiteral("fr"), QLocale(QLocale::French, QLocale::France)},
    {QStringLiteral("es"), QLocale(QLocale::Spanish, QLocale::Spain)},
};

// Where a widget sits in its window, the same for every language.
QString keyOf(const QWidget *widget, const QWidget *root)
{
    QStringList parts;
    for (const QWidget *w = widget; w && w != root; w = w->parentWidget()) {
        int index = 0;
        if (const QObject *parent = w->parent()) {
            for (const QObject *sibling : parent->children()) {
                if (sibling == w)
                    break;
                if (sibling->metaObject() == w->metaObject())
                    ++index;
            }
        }
        parts.prepend(QStringLiteral("%1#%2[%3]")
                          .arg(QLatin1String(w->metaObject()->className()), w->objectName())
                          .arg(index));
    }
    return parts.join(QLatin1Char('/'));
}

QString plain(const QString &text)
{
    QString shown =
        Qt::mightBeRichText(text) ? QTextDocumentFragment::fromHtml(text).toPlainText() : text;
    return shown.remove(QLatin1Char('&')).simplified();
}

bool shown(const QWidget *widget)
{
    return widget->isVisible() && widget->width() > 0 && widget->height() > 0;
}

// Reads what widgets protect: a header's room for a section's contents.
class HeaderAccess : public QHeaderView
{
public:
    using QHeaderView::sectionSizeFromContents;
};

// ... and the part of a line edit its text (or placeholder) is drawn in.
class LineEditAccess : public QLineEdit
{
public:
    using QLineEdit::initStyleOption;
};

} // namespace

class TestEveryLanguage : public QObject
{
    Q_OBJECT

private:
    // Texts shown in one window, by widget, and what is cut there.
    struct Reading
    {
        QHash<QString, QString> texts;
        QStringList cut;
    };

    DownloadSiteFixture m_fixture;
    std::unique_ptr<Engines> m_engines;
    QStringList m_data; // texts that come from the library and the downloads
    QString m_scale;
    bool m_narrow = false; // the window is as narrow as a small screen makes it

    static void useLanguage(const QLocale &locale)
    {
        QLocale::setDefault(locale);
        Translations::install(qApp);
    }

    void keepPicture(QWidget *window, const QString &language, const QString &name) const
    {
        Screenshots::keep(window, QStringLiteral("%1-%2@%3x.png").arg(name, language, m_scale));
    }

    static void note(Reading &reading, const QString &key, const QString &text)
    {
        const QString shownText = plain(text);
        if (!shownText.isEmpty())
            reading.texts.insert(key, shownText);
    }

    static void readLabel(Reading &reading, QLabel *label, const QString &key)
    {
        note(reading, key, label->text());
        if (label->text().isEmpty() || !label->pixmap().isNull())
            return;
        if (label->text().contains(QChar(0x2026))) {
            reading.cut << QStringLiteral("%1: \"%2\" is elided").arg(key, label->text());
            return;
        }
        QRect room = label->contentsRect().adjusted(label->margin(), label->margin(),
                                                    -label->margin(), -label->margin());
        room.setLeft(room.left() + qMax(0, label->indent()));
        QSize needed;
        const bool rich =
            label->textFormat() == Qt::RichText ||
            (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
        if (rich) {
            QTextDocument document;
            document.setDefaultFont(label->font());
            document.setDocumentMargin(0);
            document.setHtml(label->text());
            if (label->wordWrap())
                document.setTextWidth(room.width());
            needed = QSize(label->wordWrap() ? room.width() : qCeil(document.idealWidth()),
                           qCeil(document.size().height()));
        } else if (label->wordWrap()) {
            needed = QSize(room.width(), label->heightForWidth(label->width()) -
                                             (label->height() - room.height()));
        } else {
            const QFontMetrics metrics(label->font());
            int width = 0;
            const QStringList lines = label->text().split(QLatin1Char('\n'));
            for (const QString &line : lines)
                width = qMax(width, metrics.horizontalAdvance(line));
            needed = QSize(width, metrics.height() * int(lines.size()));
        }
        if (needed.width() > room.width() + 1 || needed.height() > room.height() + 2)
            reading.cut << QStringLiteral("%1: \"%2\" needs %3x%4, has %5x%6")
                               .arg(key, plain(label->text()))
                               .arg(needed.width())
                               .arg(needed.height())
                               .arg(room.width())
                               .arg(room.height());
    }

    static void readButton(Reading &reading, QAbstractButton *button, const QString &key)
    {
        note(reading, key, button->text());
        const QString text = button->text().remove(QLatin1Char('&'));
        if (text.isEmpty() || !shown(button))
            return;
        int needed = button->sizeHint().width();
        if (qobject_cast<QPushButton *>(button)) {
            // The style's least width for a push button is not the text's need.
            QStyle *style = button->style();
            needed = button->fontMetrics().horizontalAdvance(text) +
                     style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                     2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
            if (!button->icon().isNull())
                needed += button->iconSize().width() + 4;
        }
        if (button->width() + 1 < needed)
            reading.cut << QStringLiteral("%1: \"%2\" needs %3 px, has %4")
                               .arg(key, text)
                               .arg(needed)
                               .arg(button->width());
    }

    static void readField(Reading &reading, QLineEdit *field, const QString &key)
    {
        note(reading, key + QStringLiteral("@placeholder"), field->placeholderText());
        if (field->placeholderText().isEmpty() || !field->text().isEmpty())
            return;
        QStyleOptionFrame option;
        static_cast<LineEditAccess *>(field)->initStyleOption(&option);
        const QRect contents = field->style()
                                   ->subElementRect(QStyle::SE_LineEditContents, &option, field)
                                   .marginsRemoved(field->textMargins());
        // The field's own 2 px each side, and the font's overhang on the left.
        const int room = contents.width() - 4 - qMax(0, -field->fontMetrics().minLeftBearing());
        const int needed = field->fontMetrics().horizontalAdvance(field->placeholderText());
        if (needed > room)
            reading.cut << QStringLiteral("%1: placeholder \"%2\" needs %3 px, has %4")
                               .arg(key, field->placeholderText())
                               .arg(needed)
                               .arg(room);
    }

    static void readHeader(Reading &reading, QHeaderView *header, const QString &key)
    {
        if (!header->model())
            return;
        for (int section = 0; section < header->count(); ++section) {
            if (header->isSectionHidden(section))
                continue;
            const QString text =
                header->model()->headerData(section, header->orientation()).toString();
            if (text.isEmpty())
                continue;
            const QString sectionKey = key + QStringLiteral(":%1").arg(section);
            note(reading, sectionKey, text);
            const int needed =
                static_cast<HeaderAccess *>(header)->sectionSizeFromContents(section).width();
            if (header->orientation() == Qt::Horizontal &&
                header->sectionSize(section) + 1 < needed)
                reading.cut << QStringLiteral("%1: \"%2\" needs %3 px, has %4")
                                   .arg(sectionKey, text)
                                   .arg(needed)
                                   .arg(header->sectionSize(section));
        }
    }

    static void readSidebar(Reading &reading, CorvTreeView *tree, const QString &key)
    {
        auto *delegate = qobject_cast<ItemDelegate *>(tree->itemDelegate());
        if (!delegate)
            return;
        std::function<void(const QModelIndex &)> walk = [&](const QModelIndex &parent) {
            for (int row = 0; row < tree->model()->rowCount(parent); ++row) {
                const QModelIndex index = tree->model()->index(row, 0, parent);
                const QString text = index.data().toString();
                const QString rowKey = key + QStringLiteral(":%1/%2").arg(parent.row()).arg(row);
                note(reading, rowKey, text);
                QStyleOptionViewItem option;
                option.initFrom(tree->viewport());
                option.rect = tree->visualRect(index);
                option.font = tree->font();
                for (const bool selected : {false, true}) {
                    option.state.setFlag(QStyle::State_Selected, selected);
                    if (!option.rect.isEmpty() && delegate->shownText(option, index) != text)
                        reading.cut << QStringLiteral("%1: \"%2\" shows as \"%3\"")
                                           .arg(rowKey, text, delegate->shownText(option, index));
                }
                if (tree->isExpanded(index))
                    walk(index);
            }
        };
        walk(QModelIndex());
    }

    // The items a list paints (the library's tiles, the downloads' cards),
    // as a screen reader has them: their names and descriptions, and their
    // buttons'.
    static void readPaintedItems(Reading &reading, QAbstractItemView *view, const QString &key)
    {
        auto *list =
            dynamic_cast<ItemViewAccessible *>(QAccessible::queryAccessibleInterface(view));
        if (!list)
            return;
        for (int row = 0; row < list->childCount(); ++row) {
            QAccessibleInterface *item = list->child(row);
            const QString itemKey = key + QStringLiteral(":item%1").arg(row);
            note(reading, itemKey + QStringLiteral("@name"), item->text(QAccessible::Name));
            note(reading, itemKey + QStringLiteral("@description"),
                 item->text(QAccessible::Description));
            for (int i = 0; i < item->childCount(); ++i) {
                QAccessibleInterface *button = item->child(i);
                const QString buttonKey = itemKey + QStringLiteral("/button%1").arg(i);
                note(reading, buttonKey + QStringLiteral("@name"), button->text(QAccessible::Name));
                note(reading, buttonKey + QStringLiteral("@description"),
                     button->text(QAccessible::Description));
            }
        }
    }

    // Everything a window shows: its texts by widget, and what does not fit.
    static Reading read(QWidget *window)
    {
        Reading reading;
        note(reading, QStringLiteral("windowTitle"), window->windowTitle());
        for (QWidget *widget : window->findChildren<QWidget *>()) {
            if (!widget->isVisible())
                continue;
            const QString key = keyOf(widget, window);
            note(reading, key + QStringLiteral("@tip"), widget->toolTip());
            note(reading, key + QStringLiteral("@name"), widget->accessibleName());
            if (auto *label = qobject_cast<QLabel *>(widget))
                readLabel(reading, label, key);
            else if (auto *button = qobject_cast<QAbstractButton *>(widget))
                readButton(reading, button, key);
            else if (auto *header = qobject_cast<QHeaderView *>(widget))
                readHeader(reading, header, key);
            else if (auto *field = qobject_cast<QLineEdit *>(widget))
                readField(reading, field, key);
            if (auto *box = qobject_cast<QComboBox *>(widget)) {
                for (int item = 0; item < box->count(); ++item)
                    note(reading, key + QStringLiteral(":%1").arg(item), box->itemText(item));
                if (box->width() + 1 < box->sizeHint().width())
                    reading.cut << QStringLiteral("%1: \"%2\" needs %3 px, has %4")
                                       .arg(key, box->currentText())
                                       .arg(box->sizeHint().width())
                                       .arg(box->width());
            }
            if (auto *tree = qobject_cast<CorvTreeView *>(widget))
                readSidebar(reading, tree, key);
            else if (auto *view = qobject_cast<QAbstractItemView *>(widget))
                readPaintedItems(reading, view, key);
        }
        // Menus and shortcuts the window holds, shown or not.
        for (QAction *action : window->findChildren<QAction *>()) {
            if (!action->isSeparator() && !action->text().isEmpty())
                note(reading, QStringLiteral("action:%1").arg(action->text()), action->text());
        }
        return reading;
    }

    // What is left of a text once names, shared words and data are taken out:
    // letters there mean English shown in another language.
    QString leftover(const QString &text, const QString &language) const
    {
        QString rest = text;
        for (const QString &data : m_data)
            rest.remove(data);
        QStringList words = kNames + kSameAsEnglish.value(language);
        for (const QString &word : words)
            rest.remove(QRegularExpression(
                QStringLiteral("\\b%1\\b").arg(QRegularExpression::escape(word))));
        static const QRegularExpression letters(QStringLiteral("[A-Za-z]{2,}"));
        return letters.match(rest).hasMatch() ? rest.simplified() : QString();
    }

    // Builds a window in English and in `language`, and compares the two.
    void checkWindow(const QString &language, const QLocale &locale, const QString &name,
                     const std::function<QWidget *()> &build,
                     const std::function<void(QWidget *)> &cleanup = {})
    {
        useLanguage(kLanguages.first().locale);
        QWidget *englishWindow = build();
        QVERIFY(englishWindow);
        const Reading english = read(englishWindow);
        if (cleanup)
            cleanup(englishWindow);

        useLanguage(locale);
        QWidget *window = build();
        QVERIFY(window);
        const Reading reading = read(window);
        keepPicture(window, language, name);
        if (cleanup)
            cleanup(window);
        useLanguage(kLanguages.first().locale);

        QStringList problems = reading.cut;
        // Labels made to elide (the page's address, a file name) may do so
        // in a narrow window.
        if (m_narrow)
            problems.removeIf([](const QString &problem) {
                return problem.contains(QLatin1String("/AutoSizeLabel#")) &&
                       problem.endsWith(QLatin1String(" is elided"));
            });
        if (language != QLatin1String("en")) {
            for (auto it = reading.texts.constBegin(); it != reading.texts.constEnd(); ++it) {
                if (english.texts.value(it.key()) != it.value())
                    continue;
                const QString rest = leftover(it.value(), language);
                if (!rest.isEmpty())
                    problems
                        << QStringLiteral("%1: \"%2\" is not translated").arg(it.key(), it.value());
            }
        }
        QVERIFY2(problems.isEmpty(),
                 qPrintable(QStringLiteral("%1 in %2 at %3x:\n  ").arg(name, language, m_scale) +
                            problems.join(QStringLiteral("\n  "))));
    }

    static void languages()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QLocale>("locale");
        for (const Language &language : kLanguages)
            QTest::newRow(qPrintable(language.code)) << language.code << language.locale;
    }

    MainWindow *mainWindow(MainWindow::Page page, const QSize &size = QSize(1149, 614)) const
    {
        auto *window = new MainWindow(m_engines.get());
        window->resize(size);
        window->show();
        if (!QTest::qWaitForWindowExposed(window))
            return window;
        for (QTimeLine *line : window->findChildren<QTimeLine *>())
            line->setDuration(1);
        window->sidebar()->setEnabled(true);
        QStandardItem *row = page == MainWindow::LibraryPage ? window->sidebarModel()->libraryItem()
                             : page == MainWindow::DownloadsPage
                                 ? window->sidebarModel()->downloadsItem()
                             : page == MainWindow::WebPage ? window->sidebarModel()->siteItem()
                                                           : window->sidebarModel()->playerItem();
        const QModelIndex index = window->sidebarModel()->indexFromItem(row);
        QTest::mouseClick(window->sidebar()->viewport(), Qt::LeftButton, {},
                          window->sidebar()->visualRect(index).center());
        if (window->currentPage() == page)
            settle(window);
        return window;
    }

    // Lets a window finish what showing a page started: the toolbar's slides
    // and the layouts asked for on the way.
    static void settle(QWidget *window)
    {
        const bool settled = QTest::qWaitFor(
            [window] {
                QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
                const QList<QTimeLine *> lines = window->findChildren<QTimeLine *>();
                return std::none_of(lines.cbegin(), lines.cend(), [](const QTimeLine *line) {
                    return line->state() == QTimeLine::Running;
                });
            },
            TestSupport::SlowWaitMs);
        if (!settled)
            qWarning() << "the window's slides never ended";
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    }

    // Every card's transfer line complete: a speed and the time left.
    bool transferLinesComplete() const
    {
        const QList<Download *> downloads = m_engines->downloadManager()->activeDownloads();
        return std::all_of(downloads.cbegin(), downloads.cend(), [](const Download *download) {
            return download->state() != Download::Downloading ||
                   (download->speed() > 0 && std::isfinite(download->timeLeft()));
        });
    }

    static void destroy(QWidget *window) { delete window; }

    // Shows a window and hands it back once the screen has it (nullptr if it
    // never came, which fails the check).
    static QWidget *exposed(QWidget *window)
    {
        window->show();
        if (QTest::qWaitForWindowExposed(window))
            return window;
        delete window;
        return nullptr;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_scale = QString::number(qApp->devicePixelRatio());
        QVERIFY(m_fixture.start());
        for (const char *key : {"membersUrl", "secureMembersUrl", "channelServerUrl", "updateUrl",
                                "updatePlainUrl", "errorReportUrl", "productSiteUrl", "helpUrl"})
            SiteConfig::setValue(QLatin1String(key), m_fixture.site()->url());
        m_engines = std::make_unique<Engines>(&m_fixture.prompt);
        m_engines->account()->login(QStringLiteral("demo"), QStringLiteral("demo"));
        QVERIFY(m_engines->openDatabase());
    }

    void cleanupTestCase()
    {
        m_engines.reset();
        QLocale::setDefault(QLocale::c());
    }

    // The pictures over the empty pages, with their texts drawn from the catalogs.
    void emptyPages_data() { languages(); }
    void emptyPages()
    {
        QFETCH(QString, language);
        QFETCH(QLocale, locale);
        for (const MainWindow::Page page :
             {MainWindow::LibraryPage, MainWindow::DownloadsPage, MainWindow::PlayerPage}) {
            checkWindow(
                language, locale, QStringLiteral("empty-%1").arg(int(page)),
                [this, page] { return mainWindow(page); }, destroy);
            if (QTest::currentTestFailed())
                return;
        }
    }

    // Two videos in the library and two downloads arriving slowly from the site.
    void fill()
    {
        Library *library = m_engines->library();
        QTRY_VERIFY_WITH_TIMEOUT(library->model()->isLoaded(), 30000);
        LibraryItems items;
        qint64 size = 1'900'000;
        for (const QString &title : kTitles) {
            LibraryItem item;
            item.title(title);
            item.description(QStringLiteral("Sea and sky"));
            item.categories(QStringLiteral("Nature"));
            item.stars(QStringLiteral("Ann Lee"));
            item.duration(QStringLiteral("1:02:03"));
            item.sizeInBytes(size *= 700);
            item.creationDate(
                quint32(QDateTime(QDate(2026, 12, 7), QTime(20, 0)).toSecsSinceEpoch()));
            item.videoPath(library->location().folder() + QLatin1Char('/') + title +
                           QStringLiteral(".mp4"));
            items << item;
        }
        LibraryStore *store = library->store();
        const QList<qlonglong> ids = store->call([&] { return store->insertItems(items); });
        QCOMPARE(ids.size(), items.size());
        QTRY_COMPARE_WITH_TIMEOUT(library->model()->rowCount(), int(kTitles.size()), 30000);
        m_data << kTitles << QStringLiteral("Sea and sky") << QStringLiteral("Nature")
               << QStringLiteral("Ann Lee");
        // The site's own page title, shown once its page has loaded, and
        // the page's address, shown until then.
        const QUrl site = m_fixture.site()->url();
        m_data << QStringLiteral("Corvana members")
               << QStringLiteral("%1:%2/members/index.php").arg(site.host()).arg(site.port());

        DownloadManager *downloads = m_engines->downloadManager();
        downloads->initializeDownload(m_fixture.site()->syntheticDescriptor(
            QStringLiteral("arriving"), 2, 80'000'000, 40'000));
        QTRY_COMPARE_WITH_TIMEOUT(downloads->rowCount(), 2, 20000);
        for (int row = 0; row < downloads->rowCount(); ++row) {
            auto *download = downloads->index(row, 0).data(Qt::UserRole).value<Download *>();
            QVERIFY(download);
            QTRY_VERIFY_WITH_TIMEOUT(!download->item().title().isEmpty(), 20000);
            QTRY_VERIFY_WITH_TIMEOUT(download->bytesWritten() > 0, 20000);
            const CorvanaItem &item = download->item();
            for (const QString &data :
                 {item.title(), item.description(), item.stars(), item.categories()})
                if (!data.isEmpty())
                    m_data << data;
        }
    }

    void libraryPage_data() { languages(); }
    void libraryPage()
    {
        QFETCH(QString, language);
        QFETCH(QLocale, locale);
        checkWindow(
            language, locale, QStringLiteral("library"),
            [this] { return mainWindow(MainWindow::LibraryPage); }, destroy);
    }

    void libraryDetails_data() { languages(); }
    void libraryDetails()
    {
        QFETCH(QString, language);
        QFETCH(QLocale, locale);
        checkWindow(
            language, locale, QStringLiteral("library-details"),
            [this] {
                MainWindow *window = mainWindow(MainWindow::LibraryPage);
                auto *page = window->findChild<LibraryWidget *>();
                if (auto *details =
                        page ? page->findChild<QToolButton *>(QStringLiteral("pageSwitch"))
                             : nullptr)
                    details->click();
                settle(window);
                return window;
            },
            destroy);
    }

    void downloadsPage_data() { languages(); }
    void downloadsPage()
    {
        QFETCH(QString, language);
        QFETCH(QLocale, locale);
        checkWindow(
            language, locale, QStringLiteral("downloads"),
            [this] {
                MainWindow *window = mainWindow(MainWindow::DownloadsPage);
                if (!QTest::qWaitFor([this] { return transferLinesComplete(); },
                                     TestSupport::SlowWaitMs))
                    qWarning() << "a transfer line never told its speed";
                return window;
            },
            destroy);
    }

    // An 800 x 600 screen holds the window, frame included, on every page and
    // in every language, with nothing cut.
    void smallScreen_data() { languages(); }
    void smallScreen()
    {
        QFETCH(QString, language);
        QFETCH(QLocale, locale);
        // What a window manager's frame takes on both sides, at most.
        constexpr int kFrame = 16;
        const QSize screen(800 - kFrame, 600 - 40);
        const QList<std::pair<MainWindow::Page, bool>> pages = {{MainWindow::WebPage, false},
                                                                {MainWindow::LibraryPage, false},
                                                                {MainWindow::LibraryPage, true},
                                                                {MainWindow::DownloadsPage, false},
                                                                {MainWindow::PlayerPage, false}};
        m_narrow = true;
        const auto wide = qScopeGuard([this] { m_narrow = false; });
        for (const auto &[page, details] : pages) {
            const QString name = QStringLiteral("small-%1%2")
                                     .arg(int(page))
                                     .arg(details ? QStringLiteral("-details") : QString());
            checkWindow(
                language, locale, name,
                [this, page, details, screen]() -> QWidget * {
                    MainWindow *window = mainWindow(page, screen);
                    if (details) {
                        auto *library = window->findChild<LibraryWidget *>();
                        if (auto *button = library ? library->findChild<QToolButton *>(
                                                         QStringLiteral("pageSwitch"))
                                                   : nullptr)
                            button->click();
                        settle(window);
                    }
                    const int least =
                        qMax(window->minimumWidth(), window->minimumSizeHint().width());
                    if (least > screen.width() || window->width() > screen.width()) {
                        qWarning() << "the window needs" << least << "px, is" << window->width();
                        delete window;
                        return nullptr;
                    }
                    return window;
                },
                destroy);
            if (QTest::currentTestFailed())
                return;
        }
    }

    void burnerWizard_data() { languages(); }
    void burnerWizard()
    {
        QFETCH(QString, language);
        QFETCH(QLocale, locale);
        checkWindow(
            language, locale, QStringLiteral("wizard"),
            [this] { return exposed(new BurnerWizard(m_engines->project())); }, destroy);

        // The disc is made for the televisions of the language's country: PAL in
        // Germany, France and Spain, NTSC in the United States.
        useLanguage(locale);
        BurnerWizard wizard(m_engines->project());
        wizard.show();
        useLanguage(kLanguages.first().locale);
        QComboBox *format = nullptr;
        for (QComboBox *box : wizard.findChildren<QComboBox *>())
            if (box->count() == 2)
                format = box;
        QVERIFY(format);
        QCOMPARE(format->currentIndex(), language == QLatin1String("en") ? 0 : 1);
        QCOMPARE(m_engines->project()->isNtsc(), language == QLatin1String("en"));
    }

    void discSetup_data() { languages(); }
    void discSetup()
    {
        QFETCH(QString, language);
        QFETCH(QLocale, locale);
        QTemporaryDir dir;
        Project project;
        LibburnDeviceController controller(&project);
        controller.setHardwareScan(false);
        const QString recorder =
            QStringLiteral("stdio:") + dir.filePath(QStringLiteral("disc.iso"));
        controller.addPseudoDrive(recorder);
        m_data << recorder << QDir::toNativeSeparators(dir.filePath(QStringLiteral("disc.iso")));
        checkWindow(
            language, locale, QStringLiteral("disc-setup"),
            [&controller] {
                auto *dialog = new DiscSetupDialog(&controller);
                dialog->setPollInterval(10);
                dialog->show();
                auto *burn = dialog->findChild<QPushButton *>(QStringLiteral("burnButton"));
                if (QTest::qWaitFor([burn] { return burn->isEnabled(); }, 20000))
                    return static_cast<QWidget *>(dialog);
                delete dialog;
                return static_cast<QWidget *>(nullptr);
            },
            destroy);
    }

    void mediaInformation_data() { languages(); }
    void mediaInformation()
    {
        QFETCH(QString, language);
        QFETCH(QLocale, locale);
        checkWindow(
            language, locale, QStringLiteral("media-information"),
            [this] { return exposed(new CorvMediaInformationEditDialog(m_engines->library(), 0)); },
            destroy);
    }

    void errorReport_data() { languages(); }
    void errorReport()
    {
        QFETCH(QString, language);
        QFETCH(QLocale, locale);
        checkWindow(
            language, locale, QStringLiteral("error-report"),
            [this] {
                return exposed(new ZR::ErrorReportDialog(m_fixture.site()->url().toString()));
            },
            destroy);
    }
};

QTEST_MAIN(TestEveryLanguage)
#include "tst_everylanguage.moc"
