#pragma once

#include <QString>
#include <QtGlobal>

// The texts every page uses for sizes and remaining times ("1.5 kB",
// "2 minutes remaining"), translated in the "Application" context.
namespace Formatters {

QString byteSize(qint64 bytes);
// Empty for zero or negative seconds.
QString timeRemaining(qint64 seconds);

} // namespace Formatters
