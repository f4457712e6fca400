#pragma once

#include <QString>

// Where the external media tools live. A bundle may ship its own tools in the
// program folder's "Binaries"; otherwise the distribution's programs on PATH
// are used under their real names.
namespace Platform {

// The program folder's "Binaries" folder (absolute, whether or not it exists).
QString binaryDirectory();

// Full path of the tool with the given neutral name ("encoder", "mencoder",
// "jpegconverter", ... or the real program names "ffmpeg", "mkisofs", ...).
// Returns an empty string when the tool is nowhere to be found. When
// `missingMessage` is given and the tool is missing, it is logged as a warning
// followed by the tool name.
QString binaryPath(const QString &tool, const QString &missingMessage = QString());

// The distribution program name behind a neutral tool name (e.g. "encoder" -> "ffmpeg").
QStringList programNames(const QString &tool);

// A short description of the running system, e.g. "Debian GNU/Linux 12 (bookworm)".
QString osDescription();

// Called first thing, before any thread starts: small blocks of memory are
// merged as they are freed rather than tens of thousands at once later. A
// thread merging them holds its memory arena for tens of ms, and the
// window's thread, freeing library rows the database thread made, waited
// on it.
void keepAllocatorPausesShort();

} // namespace Platform
