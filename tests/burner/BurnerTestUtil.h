#pragma once

#include "TestSupport.h"
#include "burner/Project.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <type_traits>

// Helpers shared by the burner tests.
namespace BurnerTest {

// Points the system temporary location (and so the project's folders) into
// a folder of the test's own.
inline void useOwnTempLocation(const QTemporaryDir &dir)
{
    qputenv("TMPDIR", QFile::encodeName(dir.path()));
}

// A short clip already in disc format ("ntsc-dvd", "pal-dvd", "ntsc-vcd",
// "ntsc-svcd", ...), made once and cached.
inline QString discClip(const QString &target, double seconds = 2)
{
    const QString format = target.section(QLatin1Char('-'), 1); // dvd, vcd, svcd
    return TestSupport::sampleClip(QStringLiteral("%1-%2s.%3").arg(target).arg(seconds).arg(format),
                                   seconds, {QStringLiteral("-target"), target});
}

// Puts `count` clips into a fresh project, each already converted to `mpg`.
inline void fillProject(Project *project, const QString &mpg, int count, DiscType type, bool ntsc)
{
    project->reset();
    project->setDiscType(type);
    project->setNtsc(ntsc);
    project->setTitle(QStringLiteral("Test Disc"));
    for (int i = 0; i < count; ++i) {
        const QString source = project->tempDirectory().absoluteFilePath(
            QStringLiteral("clip %1.mpg").arg(i + 1, 2, 10, QLatin1Char('0')));
        QFile::copy(mpg, source);
        project->addClip(VideoClip(source, 2, 0, 720, 480));
        QFile::copy(mpg, project->convertedFilePath(QStringLiteral("file_%1").arg(i)));
    }
}

// Waits for a task (or controller) to report complete() or failed(), and
// then for its process to have ended and the signals that ending sent to be
// delivered, so that a test can tell that no second report followed.
template <typename T>
bool waitForEnd(T *object, QSignalSpy &complete, QSignalSpy &failed, int timeoutMs = 120000)
{
    if (!QTest::qWaitFor([&] { return complete.count() + failed.count() > 0; }, timeoutMs))
        return false;
    if constexpr (std::is_base_of_v<QProcess, T>) {
        if (!QTest::qWaitFor([object] { return object->state() == QProcess::NotRunning; },
                             timeoutMs))
            return false;
    }
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    return true;
}

} // namespace BurnerTest
