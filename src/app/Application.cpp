#include "app/Application.h"

#include "app/MessageBoxPrompt.h"
#include "app/Translations.h"
#include "core/AppIdentity.h"
#include "core/Formatters.h"
#include "engines/Engines.h"
#include "gui/mainwindow/MainWindow.h"
#include "library/Library.h"
#include "library/LibraryStore.h"
#include "web/Suggestions.h"

#include <QDir>
#include <QFont>
#include <QMessageBox>
#include <QNetworkProxyFactory>
#include <QSslSocket>
#include <QStringListModel>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

Application::Application(int &argc, char **argv) : ZR::Application(argc, argv)
{
    AppIdentity::apply();
    initLogging(true);
    Translations::install(this);
    setFont(QFont(QStringLiteral("Tahoma"), 10));
    addLibraryPath(QDir(applicationDirPath()).absoluteFilePath(QStringLiteral("plugins")));

    // A second copy only reports itself; it leaves the running copy's library alone.
    if (isRunning())
        return;

    m_prompt = std::make_unique<MessageBoxPrompt>();
    // Once the event loop is done, nobody is left to answer.
    connect(this, &QCoreApplication::aboutToQuit, this, [this] { m_prompt->stopAsking(); });
    m_engines = std::make_unique<Engines>(m_prompt.get());
    m_engines->openDatabase();
    const QString upgradeProblem = m_engines->upgradeProblem();
    if (!upgradeProblem.isEmpty())
        QMessageBox::warning(nullptr, QStringLiteral("CorvanaZELTA"), // notr
                             upgradeProblem);

    QNetworkProxyFactory::setUseSystemConfiguration(true);
    if (!QSslSocket::supportsSsl()) {
        QMessageBox::information(nullptr, QStringLiteral("CorvanaZELTA"), // notr
                                 tr("This system does not support OpenSSL. SSL websites will "
                                    "not be available."));
    }
    applyWebSettings();

    m_engines->library();
    Suggestions::model();
    loadSuggestions();
}

Application::~Application()
{
    if (m_prompt)
        m_prompt->stopAsking();
    if (m_window) {
        LibraryStore::setWindowThread(nullptr);
        m_window->stop();
        m_window.reset();
    }
    m_engines.reset();
}

void Application::applyWebSettings()
{
    // Attributes without a counterpart in this web engine (Java, developer
    // extras, private browsing, offline caches) have nothing to set.
    QWebEngineSettings *settings = QWebEngineProfile::defaultProfile()->settings();
    settings->setAttribute(QWebEngineSettings::AutoLoadImages, true);
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, true);
    // Views load only web pages; local content never reaches the network.
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, true);
    settings->setAttribute(QWebEngineSettings::Accelerated2dCanvasEnabled, true);
    settings->setAttribute(QWebEngineSettings::LinksIncludedInFocusChain, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    settings->setAttribute(QWebEngineSettings::LocalStorageEnabled, true);
}

MainWindow *Application::createMainWindow()
{
    m_window = std::make_unique<MainWindow>(m_engines.get());
    // From here on this thread draws; it never waits for the library store.
    LibraryStore::setWindowThread(thread());
    return m_window.get();
}

Library *Application::library() const
{
    return m_engines ? m_engines->library() : nullptr;
}

QStringListModel *Application::suggestionsModel()
{
    return Suggestions::model();
}

int Application::suggestionsVersion()
{
    return Suggestions::version();
}

QString Application::suggestionsFilePath()
{
    return Suggestions::filePath();
}

void Application::loadSuggestions()
{
    Suggestions::load();
}

QString Application::formatByteSize(qint64 bytes)
{
    return Formatters::byteSize(bytes);
}

QString Application::formatTimeRemaining(qint64 seconds)
{
    return Formatters::timeRemaining(seconds);
}
