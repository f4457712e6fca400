#pragma once

#include <QLoggingCategory>

// One category per subsystem, so that QT_LOGGING_RULES can silence or enable
// each of them ("zelta.tv.debug=false"). The log file's lines do not change.
Q_DECLARE_LOGGING_CATEGORY(lcCore)
Q_DECLARE_LOGGING_CATEGORY(lcMedia)
Q_DECLARE_LOGGING_CATEGORY(lcWeb)
Q_DECLARE_LOGGING_CATEGORY(lcLibrary)
Q_DECLARE_LOGGING_CATEGORY(lcDownloads)
Q_DECLARE_LOGGING_CATEGORY(lcBurner)
Q_DECLARE_LOGGING_CATEGORY(lcTv)
Q_DECLARE_LOGGING_CATEGORY(lcUpnp)
Q_DECLARE_LOGGING_CATEGORY(lcEngines)
Q_DECLARE_LOGGING_CATEGORY(lcGui)
Q_DECLARE_LOGGING_CATEGORY(lcApp)
