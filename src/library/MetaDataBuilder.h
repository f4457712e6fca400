#pragma once

#include <QMutex>
#include <QSqlDatabase>
#include <QThread>

class Library;

// Rebuilds the metadata index (categories, models, DVD titles and their
// links) from the library table, in its own thread and connection.
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
    // Starts a build; asked while one runs, another follows it.
    void build();

protected:
    void run() override;

private:
    bool buildIndex(QSqlDatabase &db);
    bool isStopping() const;

    Library *m_library;
    QString m_databasePath;
    QString m_connectionName;
    mutable QMutex m_mutex;
    bool m_stop = false;
    bool m_again = false;
    bool m_running = false;
};
