#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTest>

// Helpers shared by the test executables.
namespace TestSupport {

// How long a test waits for a state that other threads, processes or the
// session bus bring about (a library row stored, a clip decoded, a window
// of another process answering over the accessibility bus). A busy machine
// can take many times as long as an idle one; a wait ends as soon as the
// state is there, so passing tests are not slowed.
constexpr int SlowWaitMs = 30000;

// Folder of the build tree and of the sources.
QString buildDir();
QString sourceDir();

// Path of an executable built by this tree (e.g. "zelta-cli").
QString builtProgram(const QString &name);

// A sample clip made once with ffmpeg's test sources and cached in the build
// folder: `name` is the file name (its suffix picks the container),
// `seconds` its length. Returns the cached path, or an empty string when
// ffmpeg fails.
QString sampleClip(const QString &name, double seconds, const QStringList &extraArgs = {});

// Runs a program to completion; returns its exit code (-1 when it did not
// start or crashed). Output is collected when the pointers are given.
int run(const QString &program, const QStringList &args, QByteArray *out = nullptr,
        QByteArray *err = nullptr, int timeoutMs = 120000, const QStringList &env = {});

// Reads a whole file (empty when missing).
QByteArray readFile(const QString &path);
// Titles lsdvd finds in a DVD image (-1 when it cannot read it).
int dvdTitles(const QString &image);

} // namespace TestSupport

// Runs a helper that checks with QVERIFY/QCOMPARE and ends the calling test
// function when the helper failed, so a test never goes on past a failed step.
#define RUN_CHECKED(...)                                                                           \
    do {                                                                                           \
        __VA_ARGS__;                                                                               \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)
