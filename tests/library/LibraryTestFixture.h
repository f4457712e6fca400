#pragma once

#include "library/Library.h"
#include "library/SQLModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

#include <memory>

// A library in a fresh temporary folder, with a real database file.
class LibraryTestFixture
{
public:
    LibraryTestFixture()
    {
        Library::setupPaths(m_dir.path());
        Library::initDatabase(QString());
        library = std::make_unique<Library>();
    }

    ~LibraryTestFixture() { library.reset(); }

    QString folder() const { return Library::libraryPath(); }
    QString base() const { return m_dir.path(); }

    // Adds rows straight through the model (no encoder involved).
    void addRows(const LibraryItems &items)
    {
        QList<QSqlRecord> records;
        for (const LibraryItem &item : items)
            records << item.toRecord();
        library->sqlModel()->insertRecords(records);
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
    bool waitIdle(int timeoutMs = 120000)
    {
        QElapsedTimer timer;
        timer.start();
        int idleRounds = 0;
        while (idleRounds < 3) {
            if (timer.elapsed() > timeoutMs)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            idleRounds = library->isBusy() ? 0 : idleRounds + 1;
            QThread::msleep(10);
        }
        QCoreApplication::processEvents();
        library->refresh();
        return true;
    }

    int tableRows(const QString &table) const
    {
        QSqlQuery query(Library::database());
        query.exec(QStringLiteral("SELECT COUNT(*) FROM ") + table);
        return query.next() ? query.value(0).toInt() : -1;
    }

    std::unique_ptr<Library> library;

private:
    QTemporaryDir m_dir;
};
