#pragma once

#include "app/ZRApplication.h"

class Engines;
class Library;
class MainWindow;
class QStringListModel;

// The program's application object: identity, logging, database, library and
// search suggestions, and the process-wide objects other code reaches through
// its static accessors.
class Application : public ZR::Application
{
    Q_OBJECT

public:
    Application(int &argc, char **argv);
    ~Application() override;

    static MainWindow *mainWindow();
    static void setMainWindow(MainWindow *window);
    static Library *library();
    // The engines of this run (library, downloads, network, burner, TV).
    static Engines *engines();
    static QStringListModel *suggestionsModel();
    static int suggestionsVersion();
    static QString suggestionsFilePath();
    static void loadSuggestions();

    static QString formatByteSize(qint64 bytes);
    static QString formatTimeRemaining(qint64 seconds);

private:
    void applyWebSettings();
};
