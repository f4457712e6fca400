#pragma once

#include "app/ZRApplication.h"

#include <memory>

class Engines;
class Library;
class MainWindow;
class QStringListModel;

// The program's application object: identity, logging, database, library and
// search suggestions; it owns the engines of the run and hands them to the
// window.
class Application : public ZR::Application
{
    Q_OBJECT

public:
    Application(int &argc, char **argv);
    ~Application() override;

    static MainWindow *mainWindow();
    static void setMainWindow(MainWindow *window);
    Library *library() const;
    // The engines of this run (library, downloads, network, burner, TV);
    // null in a second copy that only hands its files over.
    Engines *engines() const { return m_engines.get(); }
    static QStringListModel *suggestionsModel();
    static int suggestionsVersion();
    static QString suggestionsFilePath();
    static void loadSuggestions();

    static QString formatByteSize(qint64 bytes);
    static QString formatTimeRemaining(qint64 seconds);

private:
    void applyWebSettings();

    std::unique_ptr<Engines> m_engines;
};
