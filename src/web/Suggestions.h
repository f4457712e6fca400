#pragma once

#include <QString>
#include <QStringList>

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
    // Reads a suggestions document: the version (0 when missing, not a
    // number or negative) and the suggestions in order. False when the
    // document is not XML; the outputs are then left alone.
    static bool parse(const QByteArray &document, int *version, QStringList *suggestions);

private:
    Suggestions() = delete;
};
