// The task list's delegate: the progress bar and the running row.
#include "burner/Task.h"
#include "gui/burner/TaskDelegate.h"

#include <QListView>
#include <QProgressBar>
#include <QStandardItemModel>
#include <QtTest>

namespace {

class IdleTask : public Task
{
public:
    void exec() override {}
};

} // namespace

class TestTaskDelegate : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void progressSteps_data()
    {
        QTest::addColumn<QList<qreal>>("steps");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("value");

        QTest::newRow("half") << QList<qreal>{0.5} << 1000 << 500;
        QTest::newRow("truncated") << QList<qreal>{0.9999} << 1000 << 999;
        QTest::newRow("busy") << QList<qreal>{0.3, -1} << 0 << -1;
        QTest::newRow("busy then known again") << QList<qreal>{-1, 0.25} << 1000 << 250;
        QTest::newRow("past the end is full") << QList<qreal>{0.2, 1.5} << 1000 << 1000;
    }

    void progressSteps()
    {
        QFETCH(QList<qreal>, steps);
        QFETCH(int, maximum);
        QFETCH(int, value);
        QListView view;
        TaskDelegate delegate(&view);
        for (qreal step : steps)
            delegate.setProgress(step);
        QCOMPARE(delegate.progressBar()->minimum(), 0);
        QCOMPARE(delegate.progressBar()->maximum(), maximum);
        if (maximum > 0)
            QCOMPARE(delegate.progressBar()->value(), value);
    }

    void barShowsOverTheRunningRowOnly()
    {
        IdleTask first;
        first.setName(QStringLiteral("clip one"));
        first.setDescription(QStringLiteral("Converting to MPEG"));
        IdleTask second;
        second.setName(QStringLiteral("clip two"));

        QStandardItemModel model;
        QListView view;
        view.resize(600, 400);
        TaskDelegate delegate(&view);
        view.setItemDelegate(&delegate);
        view.setModel(&model);
        for (Task *task : {static_cast<Task *>(&first), static_cast<Task *>(&second)}) {
            auto *item = new QStandardItem(QStringLiteral("task"));
            item->setData(QVariant::fromValue(task), TaskDelegate::TaskRole);
            item->setData(false, TaskDelegate::RunningRole);
            model.appendRow(item);
        }
        model.appendRow(new QStandardItem(QStringLiteral("no task")));

        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.grab();
        QCOMPARE(view.visualRect(model.index(0, 0)).height(), TaskDelegate::RowHeight);
        QVERIFY(!delegate.progressBar()->isVisible()); // nothing runs yet

        model.item(1)->setData(true, TaskDelegate::RunningRole);
        model.item(1)->setData(61000.0, TaskDelegate::TimeRole);
        view.grab();
        QVERIFY(delegate.progressBar()->isVisible());
        QVERIFY(view.visualRect(model.index(1, 0)).contains(delegate.progressBar()->geometry()));
    }
};

QTEST_MAIN(TestTaskDelegate)
#include "tst_taskdelegate.moc"
