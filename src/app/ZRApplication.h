#pragma once

#include <QApplication>

#include <memory>

class SingleInstanceGuard;

namespace ZR {

// The framework part of the application object: the single-instance guard and
// the log file.
class Application : public QApplication
{
    Q_OBJECT

public:
    Application(int &argc, char **argv);
    ~Application() override;

    // True when another copy of the program is already running.
    bool isRunning() const;
    // Hands arguments between a second start and the running copy.
    SingleInstanceGuard *instanceGuard() const { return m_guard.get(); }

    static void initLogging(bool installHandler);
    static QString logFilePath();
    static QString platformDescription();

private:
    std::unique_ptr<SingleInstanceGuard> m_guard;
};

} // namespace ZR
