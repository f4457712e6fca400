#pragma once

#include <QString>

// The user's private folder for lock files and local sockets: the session's
// runtime folder, or, without one, a folder of this user's own in the
// temporary folder ("corvana-zelta-<uid>", mode 0700), so that another
// user's copy of the program can neither see nor block ours.
class RuntimeFolder
{
public:
    // The folder; empty when no private one can be had.
    static QString path();

    // Makes `folder` a private folder of user `uid`: created with mode 0700
    // when missing; an existing one must be a real folder (not a link) owned
    // by `uid`, and is narrowed to 0700. False, with a log line, otherwise.
    static bool ensurePrivate(const QString &folder, uint uid);

private:
    RuntimeFolder() = delete;
};
