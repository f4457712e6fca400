#pragma once

#include "DemoSiteProcess.h"
#include "ScriptedPrompt.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

// The common ground of the download tests: the demo site on 127.0.0.1 with
// the member signed in, a scripted prompt, and a fresh library home for
// every test function.
class DownloadSiteFixture
{
public:
    // From initTestCase: starts the site and signs the member in; false when
    // the site did not start.
    bool start();
    // From init: a new home with an empty library; the prompt forgets earlier
    // messages and answers, and the site injects no faults.
    bool freshHome();

    DemoSiteProcess *site() const { return m_site.get(); }
    QString home() const { return m_home ? m_home->path() : QString(); }

    ScriptedPrompt prompt;

private:
    std::unique_ptr<DemoSiteProcess> m_site;
    std::unique_ptr<QTemporaryDir> m_home;
};
