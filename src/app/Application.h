#pragma once

#include "app/ZRApplication.h"

#include <memory>

class Engines;
class Library;
class MainWindow;
class MessageBoxPrompt;
class QStringListModel;

// The program's application object: identity, logging, database, library and
// search suggestions; it owns the engines of the run, the message-box prompt
// they ask the user through, and the main window over them.
class Application : public ZR::Application
{
    Q_OBJECT

public:
    Application(int &argc, char **argv);
    ~Application() override;

    // Builds the main window over the engines; it stays until the
    // application goes, and stops before the engines do.
    MainWindow *createMainWindow();
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

    std::unique_ptr<MessageBoxPrompt> m_prompt;
    std::unique_ptr<Engines> m_engines;
    std::unique_ptr<MainWindow> m_window;
};
