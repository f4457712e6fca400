#pragma once

#include <QString>

// The boundary of the shared folder: a path counts as inside only by its
// canonical location, so a symbolic link never leads a client out of it.
class SharedFolder
{
public:
    // Whether `path` exists and, with every link resolved, lies in `root`.
    static bool contains(const QString &root, const QString &path);
};
