#pragma once

#include <QString>

class QStringListModel;

// The site search suggestions: a list model, its version and the file they
// are loaded from ("suggestions.xml" in the application data folder).
class Suggestions
{
public:
    static QStringListModel *model();
    static int version();
    static QString filePath();
    // Reads the suggestions file into the model; on failure logs and leaves
    // the model and the version as they were.
    static void load();

private:
    Suggestions() = delete;
};
