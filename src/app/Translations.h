#pragma once

class QCoreApplication;

// The program's texts and Qt's own (standard buttons, dialogs) in the user's
// language (the default QLocale), when a catalog for it ships; English with
// its plural forms otherwise. The log keeps the untranslated texts.
namespace Translations {

// Installs the catalogs of the default locale, replacing those an earlier call
// installed (widgets made afterwards show the new language).
void install(QCoreApplication *app);

} // namespace Translations
