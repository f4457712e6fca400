// Channel icons fetched from the demo site into sidebar item roles.
#include "downloads/ChannelIconDownloader.h"
#include "DemoSiteProcess.h"

#include <QIcon>
#include <QPointer>
#include <QStandardItem>
#include <QtTest>

class TestChannelIcon : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rolesFilledIndependentlyAndFailuresLeaveItem()
    {
        DemoSiteProcess site;
        QVERIFY(site.isRunning());
        QStandardItem item(QStringLiteral("Featured"));
        const int normalRole = Qt::UserRole + 2;
        const int selectedRole = Qt::UserRole + 3;
        const int brokenRole = Qt::UserRole + 4;
        item.setData(QStringLiteral("unchanged"), brokenRole);

        QPointer<ChannelIconDownloader> normal = new ChannelIconDownloader(
            normalRole, site.url("/images/channel-featured.png").toString(), &item);
        QPointer<ChannelIconDownloader> selected = new ChannelIconDownloader(
            selectedRole, site.url("/images/channel-featured-selected.png").toString(), &item);
        QPointer<ChannelIconDownloader> missing = new ChannelIconDownloader(
            brokenRole, site.url("/images/nothing.gif").toString(), &item);

        QTRY_VERIFY_WITH_TIMEOUT(!normal && !selected && !missing, 10000); // each deletes itself
        const QIcon first = item.data(normalRole).value<QIcon>();
        const QIcon second = item.data(selectedRole).value<QIcon>();
        QVERIFY(!first.isNull());
        QVERIFY(!second.isNull());
        QVERIFY(first.pixmap(24).toImage() != second.pixmap(24).toImage());
        QCOMPARE(item.data(brokenRole).toString(), QStringLiteral("unchanged"));
    }
};

QTEST_MAIN(TestChannelIcon)
#include "tst_channelicon.moc"
