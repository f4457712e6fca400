#pragma once

#include <QString>

// The one rule for turning a text (a video's or a disc's title) into the name
// of a file in a known folder: no folder separators, no NUL, never empty,
// "." or "..".
class FileNames
{
public:
    static QString safe(const QString &name);

private:
    FileNames() = delete;
};
