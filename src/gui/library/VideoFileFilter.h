#pragma once

#include <QString>

// The name filter of the dialogs that pick videos: every format the library
// takes, then all files.
QString videoFileFilter();
