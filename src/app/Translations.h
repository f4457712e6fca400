#pragma once

class QCoreApplication;

// The program's texts and Qt's own (standard buttons, dialogs) in the user's
// language, when a catalog for it ships. The log keeps the untranslated texts.
namespace Translations {

void install(QCoreApplication *app);

} // namespace Translations
