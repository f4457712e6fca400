// The program in German: the catalog that ships is found from the user's
// locale and reaches the windows; the texts stay English without it.
#include "app/Translations.h"
#include "core/Formatters.h"
#include "gui/mainwindow/SidebarModel.h"

#include <QApplication>
#include <QDateTime>
#include <QStandardItem>
#include <QTest>

class TestTranslations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void germanFromTheLocale()
    {
        Translations::install(qApp);
        SidebarModel model;
        QCOMPARE(model.libraryItem()->text(), QStringLiteral("Meine Bibliothek (0)"));
        QCOMPARE(model.downloadsItem()->text(), QStringLiteral("Downloads (0)"));
        QCOMPARE(Formatters::byteSize(1536), QStringLiteral("1,5 kB"));
        QCOMPARE(Formatters::shortDate(QDateTime(QDate(2026, 12, 7), QTime(12, 0))),
                 QStringLiteral("07.12.26"));
        QCOMPARE(Formatters::timeRemaining(125), QStringLiteral("Noch 2 Minuten"));
        // Qt's own texts follow (standard buttons).
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"),
                 QStringLiteral("Abbrechen"));
    }
};

int main(int argc, char **argv)
{
    // As a German desktop session starts the program.
    qputenv("LANG", "de_DE.UTF-8");
    qunsetenv("LC_ALL");
    qunsetenv("LC_MESSAGES");
    qunsetenv("LANGUAGE");
    QApplication app(argc, argv);
    TestTranslations test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_translations.moc"
