#pragma once

#include <QString>

// Shows a file in the desktop's file manager.
namespace FileBrowser {

// Asks the file manager (freedesktop FileManager1 on the session bus) to open
// the file's folder with the file selected; when no file manager answers,
// the folder is opened with the desktop's default handler instead.
// Returns at once; the answer is handled in the event loop.
void showFile(const QString &path);

} // namespace FileBrowser
