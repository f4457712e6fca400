#pragma once

#include "TestDatabase.h"
#include "core/TaskTracker.h"
#include "library/Library.h"
#include "library/LibraryModel.h"
#include "library/LibraryStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

#include <memory>

// The videos whose text matches `text`, as the store's search finds them.
inline LibraryItems findVideos(Library &library, const QString &text)
{
    LibraryStore *store = library.store();
    return store->call([store, text] { return store->find(text); });
}

// A library in a fresh temporary folder, with a real database file.
class LibraryTestFixture
{
public:
    LibraryTestFixture()
    {
        m_location = TestDatabase::setUpHome(m_dir.path());
        library = std::make_unique<Library>(m_location);
        // The first read of the rows is shown before a test starts.
        waitFor([this] { return library->model()->isLoaded(); });
    }

    ~LibraryTestFixture() { library.reset(); }

    QString folder() const { return m_location.folder(); }
    const LibraryLocation &location() const { return m_location; }
    QString base() const { return m_dir.path(); }

    // Stores rows the way the importer does (through the store, no encoder
    // involved) and waits until the model shows them. False when a row did
    // not make it.
    [[nodiscard]] bool addRows(const LibraryItems &items)
    {
        LibraryStore *store = library->store();
        const QList<qlonglong> ids = store->call([&] { return store->insertItems(items); });
        return ids.size() == items.size() && waitFor([&] {
                   for (qlonglong id : std::as_const(ids)) {
                       if (library->model()->rowOfId(id) < 0)
                           return false;
                   }
                   return true;
               });
    }

    // Runs the event loop until `done` holds (false after the time-out).
    template <typename Condition> bool waitFor(Condition done, int timeoutMs = 30000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!done()) {
            if (timer.elapsed() > timeoutMs)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            if (!done())
                QThread::yieldCurrentThread();
        }
        return true;
    }

    // A valid item; with `createFile` its video file exists.
    LibraryItem makeItem(const QString &title, quint32 created = 1000,
                         const QString &relativePath = QString(), bool createFile = false)
    {
        LibraryItem item;
        item.title(title);
        item.sizeInBytes(10);
        item.creationDate(created);
        const QString path = QDir(folder()).absoluteFilePath(
            relativePath.isEmpty() ? title + QStringLiteral(".mp4") : relativePath);
        item.videoPath(path);
        if (createFile) {
            QDir().mkpath(QFileInfo(path).absolutePath());
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.write(QByteArray(10, 'v'));
        }
        return item;
    }

    // Runs the event loop until the library's threads have nothing left to do.
    bool waitIdle(int timeoutMs = 120000) { return library->tasks()->waitForIdle(timeoutMs); }

    int tableRows(const QString &table) const
    {
        QSqlQuery query(TestDatabase::database(m_location));
        query.exec(QStringLiteral("SELECT COUNT(*) FROM ") + table);
        return query.next() ? query.value(0).toInt() : -1;
    }

    std::unique_ptr<Library> library;

private:
    QTemporaryDir m_dir;
    LibraryLocation m_location;
};
