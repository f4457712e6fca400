#pragma once

#include "core/JobThread.h"

#include <QMutex>
#include <QObject>
#include <QSet>
#include <QSqlDatabase>

#include <functional>
#include <memory>

class LibraryStore;
class MetaDataIndex;

// Keeps the metadata index (categories, models, DVD titles and their links)
// up to date with the library table: built in full once, then following the
// rows that change. It reads the library rows from the store and writes the
// index tables (derived data) on a connection of its own thread.
class MetaDataBuilder : public QObject
{
    Q_OBJECT

public:
    MetaDataBuilder(LibraryStore *store, const QString &databasePath);
    ~MetaDataBuilder() override;

    // Stops for good: later build() calls do nothing.
    void stop();
    // True from build() until the last asked-for build has ended.
    bool isBuilding() const;
    // Called by the build thread half-way through every full build (tests hold
    // a build there).
    void setBuildGate(std::function<void()> gate);

Q_SIGNALS:
    void update();

public Q_SLOTS:
    // Starts a full build; asked while one runs, another follows it.
    void build();
    // Brings the entries of these library rows (added, changed or removed)
    // up to date, the library lock held only for them; a full build when
    // there is no index of this run yet.
    void updateRows(const QList<qlonglong> &ids);

private:
    void run();
    void request();
    bool buildIndex(QSqlDatabase &db);
    bool updateIndex(QSqlDatabase &db, const QSet<qlonglong> &ids);
    bool isStopping() const;
    static bool begin(QSqlDatabase &db);

    LibraryStore *m_store;
    std::function<void()> m_gate;
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
    // Last, so that it ends first: a build still running uses the members.
    JobThread m_jobs;
};
