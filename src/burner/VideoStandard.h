#pragma once

#include <QLocale>

// The TV standard a new disc is made for: the one the user chose last, else
// the one the televisions of the user's country use (PAL where PAL is used).
namespace VideoStandard {

// True where televisions and disc players expect NTSC (60 Hz countries); an
// unknown country counts as NTSC, the standard the burner always started with.
bool isNtscTerritory(QLocale::Territory territory);
// The remembered choice, else the default for the locale's country.
bool preferNtsc(const QLocale &locale = QLocale());
// Keeps the user's choice for the next disc (native settings).
void remember(bool ntsc);

} // namespace VideoStandard
