#pragma once

#include <functional>

// Runs the event loop as the program does, sleeping between events, until
// `done` holds (looked at every `lookMs`) or `timeoutMs` has passed; returns
// `done()`. Spinning on processEvents() instead would keep the GUI thread
// busy and take a core from the threads and processes being measured.
bool runUntil(const std::function<bool()> &done, int timeoutMs, int lookMs = 5);
