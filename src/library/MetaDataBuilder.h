#pragma once

#include <QMutex>
#include <QSet>
#include <QSqlDatabase>
#include <QThread>

#include <memory>

class Library;
class MetaDataIndex;

// Keeps the metadata index (categories, models, DVD titles and their links)
// up to date with the library table, in its own thread and connection:
// built in full once, then following the rows that change.
class MetaDataBuilder : public QThread
{
    Q_OBJECT

public:
    MetaDataBuilder(Library *library, const QString &databasePath);
    ~MetaDataBuilder() override;

    // Stops for good: later build() calls do nothing.
    void stop();
    // True from build() until the last asked-for build has ended.
    bool isBuilding() const;

Q_SIGNALS:
    void update();

public Q_SLOTS:
    // Starts a full build; asked while one runs, another follows it.
    void build();
    // Brings the entries of these library rows (added, changed or removed)
    // up to date, the library lock held only for them; a full build when
    // there is no index of this run yet.
    void updateRows(const QList<qlonglong> &ids);

protected:
    void run() override;

private:
    void request();
    bool buildIndex(QSqlDatabase &db);
    bool updateIndex(QSqlDatabase &db, const QSet<qlonglong> &ids);
    bool isStopping() const;

    Library *m_library;
    QString m_databasePath;
    QString m_connectionName;
    mutable QMutex m_mutex;
    bool m_stop = false;
    bool m_again = false;
    bool m_running = false;
    // Asked for since the last run took them (guarded by m_mutex).
    bool m_full = false;
    QSet<qlonglong> m_changed;
    // The index as this thread made it; null until a full build committed.
    std::unique_ptr<MetaDataIndex> m_index;
};
