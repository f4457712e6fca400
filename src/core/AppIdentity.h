#pragma once

// The identity under which settings, data folders and the log file are stored.
namespace AppIdentity {

// Sets organisation name and domain, application name and version. Must run
// before anything reads settings or standard locations.
void apply();

} // namespace AppIdentity
