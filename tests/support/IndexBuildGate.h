#pragma once

#include "library/MetaDataBuilder.h"

#include <QSemaphore>

// Holds the library's index builder half-way through its full builds (with
// the index's write transaction open) until the test lets it go, so that a
// test can act while a build is under way. However the test ends, the gate
// lets every build go before it is destroyed.
class IndexBuildGate
{
public:
    explicit IndexBuildGate(MetaDataBuilder *builder) : m_builder(builder)
    {
        m_builder->setBuildGate([this] {
            m_reached.release();
            m_release.acquire();
        });
    }

    ~IndexBuildGate()
    {
        m_builder->setBuildGate({});
        // More than any build still held could wait for.
        m_release.release(16);
    }

    IndexBuildGate(const IndexBuildGate &) = delete;
    IndexBuildGate &operator=(const IndexBuildGate &) = delete;

    // Waits until a build is held at the gate; false after the time-out.
    [[nodiscard]] bool waitUntilHeld(int timeoutMs = 60000)
    {
        return m_reached.tryAcquire(1, timeoutMs);
    }
    // Lets the held build go on (a later build is held again).
    void release() { m_release.release(); }

private:
    MetaDataBuilder *m_builder;
    QSemaphore m_reached;
    QSemaphore m_release;
};
